// Distance between doubles in units in the last place, for values that depend on the library's
// cos and exp, which may differ by a few units from one library to another.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

namespace meanflux::test {

inline std::int64_t ulps_between(double a, double b)
{
    auto ordered = [](double x) {
        std::int64_t i;
        std::memcpy(&i, &x, sizeof i);
        return i < 0 ? INT64_MIN - i : i;
    };
    const std::int64_t d = ordered(a) - ordered(b);
    return d < 0 ? -d : d;
}

// Allowed distance for values the tables give "to within a few units in the last place".
inline constexpr std::int64_t few_ulps = 4;

} // namespace meanflux::test
