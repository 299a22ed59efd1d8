// Numbers as the data files write them: plain whole and decimal numbers read strictly, and
// reals written with one decimal exactly as printf writes them.
#pragma once

#include <span>
#include <string_view>

namespace meanflux {

// Read a number written with decimal digits and nothing else.
//
// Given:    text   the characters, all of which must be digits (1 to 9 of them)
// Returned: value  the number, when the text is one
// Returns:  true for a text of 1 to 9 decimal digits; no sign, no blank, nothing else.
[[nodiscard]] constexpr bool parse_digits(std::string_view text, int& value) noexcept
{
    if (text.empty() || text.size() > 9)
        return false;
    int n = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        n = n * 10 + (c - '0');
    }
    value = n;
    return true;
}

// A whole number written with an optional minus sign and decimal digits, nothing else.
//
// Given:    text   the field
// Returned: value  the number
// Returns:  true for "-?[0-9]+" of at most nine digits.
[[nodiscard]] bool parse_whole_number(std::string_view text, int& value) noexcept;

// A decimal number: an optional minus sign, digits, and a point followed by digits if any.
//
// Given:    text   the field
// Returned: value  the number, rounded to the nearest double as strtod rounds it
// Returns:  true for "-?[0-9]+(\.[0-9]+)?" of at most 32 characters.
// Notes:    No exponent, no hexadecimal, no "inf" or "nan", no blank, no plus sign and nothing
//           after the digits: the published files write every number in this plain form.
[[nodiscard]] bool parse_decimal_number(std::string_view text, double& value) noexcept;

// Write a real number as "%W.1f" writes it, into exactly `width` characters.
//
// Given:    value  a finite number
//           field  the field: its size is the width W
// Returned: field  the characters, right-aligned and padded with blanks, as printf pads them
// Returns:  true; false when the value does not fit the field or is not finite (the field then
//           holds nothing of use).
// Notes:    1. The text is the one printf("%W.1f") gives, rounding included: the value's exact
//              decimal expansion rounded to the nearest tenth, an exact tie (x.x25, x.x75 have
//              none; 0.25, 2.75 do) to the even tenth, and a minus sign whenever the value's
//              sign bit is set (-0.04 gives "-0.0", as printf writes it).
//           2. Values below 100 000 in magnitude are rounded from their tenfold product, which
//              is within 2^-34 of the exact tenfold value; only when that product lies within
//              2^-20 of a halfway point between two tenths, where the two could round apart, is
//              the value written by std::to_chars, which rounds the exact decimal expansion as
//              printf does.  Larger values go to std::to_chars directly.  The tests compare the
//              result with printf's on every tenth, every halfway point and its neighbours, and
//              millions of random values.
[[nodiscard]] bool format_fixed_1(double value, std::span<char> field) noexcept;

} // namespace meanflux
