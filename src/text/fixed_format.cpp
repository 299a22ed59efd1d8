// The writing of reals with one decimal, as printf writes them (text/numbers.h).
#include "text/numbers.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace meanflux {

namespace {

// Values rounded from their tenfold product: below this magnitude the product is below 2^20, so
// it is within half its unit in the last place, 2^-34, of the exact tenfold value.
constexpr double fast_magnitude = 1e5;

// How near a halfway point between two tenths the tenfold product may come before the rounding
// is left to std::to_chars: far more than the product's error of 2^-34, so that outside this
// margin the product and the exact value lie on the same side of the halfway point.
constexpr double halfway_margin = 0x1p-20;

// Write `text` right-aligned in `field`, padded with blanks; false when it does not fit.
bool put_right(std::string_view text, std::span<char> field) noexcept
{
    if (text.size() > field.size())
        return false;
    const std::size_t pad = field.size() - text.size();
    std::memset(field.data(), ' ', pad);
    std::memcpy(field.data() + pad, text.data(), text.size());
    return true;
}

// "%.1f" by std::to_chars, which rounds the value's exact decimal expansion as printf does.
bool fixed_1_by_to_chars(double value, std::span<char> field) noexcept
{
    char digits[320]; // room for the 309 digits of the largest double, its sign and its tenth
    const auto [end, error] =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 1);
    if (error != std::errc{})
        return false;
    return put_right(std::string_view(digits, static_cast<std::size_t>(end - digits)), field);
}

} // namespace

bool format_fixed_1(double value, std::span<char> field) noexcept
{
    if (!std::isfinite(value))
        return false;
    const double magnitude = std::fabs(value);
    if (magnitude < fast_magnitude) {
        const double tenfold = magnitude * 10.0;
        const double whole = std::floor(tenfold);
        const double fraction = tenfold - whole; // exact: the bits of tenfold below its units
        if (std::fabs(fraction - 0.5) > halfway_margin) {
            auto tenths = static_cast<unsigned long>(whole) + (fraction > 0.5 ? 1u : 0u);
            // Digits from the right: the tenth, the point, the units and the digits before them.
            char text[16];
            std::size_t at = sizeof text;
            text[--at] = static_cast<char>('0' + tenths % 10);
            text[--at] = '.';
            tenths /= 10;
            do {
                text[--at] = static_cast<char>('0' + tenths % 10);
                tenths /= 10;
            } while (tenths != 0);
            if (std::signbit(value))
                text[--at] = '-';
            return put_right(std::string_view(text + at, sizeof text - at), field);
        }
    }
    return fixed_1_by_to_chars(value, field);
}

} // namespace meanflux
