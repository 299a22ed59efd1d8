// The standard conversion of a three-hourly Kp value to the equivalent amplitude ap.
#pragma once

#include <array>
#include <cmath>

namespace meanflux {

// Largest Kp in tenths: 9o.
inline constexpr int kp_tenths_max = 90;

// ap of each Kp in tenths as the records hold it (x0, x3 and x7 stand for xo, x+ and (x+1)-);
// -1 for tenths that are no Kp value.
inline constexpr std::array<int, kp_tenths_max + 1> ap_of_kp_tenths = [] {
    std::array<int, kp_tenths_max + 1> ap{};
    for (int& a : ap)
        a = -1;
    // 0o 0+ 1- 1o 1+ 2- 2o 2+ 3- ... 8+ 9- 9o
    constexpr std::array<int, 28> tenths{0,  3,  7,  10, 13, 17, 20, 23, 27, 30, 33, 37, 40, 43,
                                         47, 50, 53, 57, 60, 63, 67, 70, 73, 77, 80, 83, 87, 90};
    constexpr std::array<int, 28> equivalent{0,   2,   3,   4,   5,   6,   7,   9,  12, 15,
                                             18,  22,  27,  32,  39,  48,  56,  67, 80, 94,
                                             111, 132, 154, 179, 207, 236, 300, 400};
    for (std::size_t i = 0; i < tenths.size(); ++i)
        ap[static_cast<std::size_t>(tenths[i])] = equivalent[i];
    return ap;
}();

// The ap of a Kp field's value.
//
// Given:    tenths  the value of a Kp field of a record, in tenths as written (23 for 2+)
// Returned: ap      the equivalent amplitude, when the result is true
// Returns:  true when the value is one of the 28 Kp values of the table.
[[nodiscard]] inline bool ap_of_kp(double tenths, double& ap) noexcept
{
    if (!(tenths >= 0.0 && tenths <= kp_tenths_max) || tenths != std::floor(tenths))
        return false;
    const int a = ap_of_kp_tenths[static_cast<std::size_t>(tenths)];
    if (a < 0)
        return false;
    ap = a;
    return true;
}

} // namespace meanflux
