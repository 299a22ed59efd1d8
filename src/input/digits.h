// Whole numbers written with decimal digits only, as they stand in dates and day-number fields.
#pragma once

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

} // namespace meanflux
