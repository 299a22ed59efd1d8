#include "daily/daily_line.h"

#include <charconv>
#include <cstdio>
#include <cstring>

namespace meanflux {

namespace {

// Write a whole number right-aligned in `field`, or blanks for no_value.  False when it does not
// fit (or is negative and not no_value).
bool put_whole(int value, std::span<char> field) noexcept
{
    std::memset(field.data(), ' ', field.size());
    if (value == no_value)
        return true;
    if (value < 0)
        return false;
    std::size_t at = field.size();
    do {
        if (at == 0)
            return false;
        field[--at] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return true;
}

void put_two_digits(int value, char* at) noexcept
{
    at[0] = static_cast<char>('0' + value / 10 % 10);
    at[1] = static_cast<char>('0' + value % 10);
}

} // namespace

bool format_daily_line(const daily_values& v, std::span<char, daily_line_length> line) noexcept
{
    if (v.year < 0 || v.month < 1 || v.month > 12 || v.day < 1 || v.day > 31)
        return false;
    char* const text = line.data();
    put_two_digits(v.year % 100, text);
    put_two_digits(v.month, text + 2);
    put_two_digits(v.day, text + 4);
    bool fits =
        put_whole(v.rotation, line.subspan(6, 4)) && put_whole(v.rotation_day, line.subspan(10, 2));
    constexpr auto kp_at = static_cast<std::size_t>(kp_text_first);
    for (std::size_t i = 0; i < 8; ++i)
        fits = fits && put_whole(v.kp_tenths[i], line.subspan(kp_at + 2 * i, 2));
    fits = fits && put_whole(v.kp_sum_tenths, line.subspan(kp_at + 16, 3));
    for (std::size_t i = 0; i < 8; ++i)
        fits = fits && put_whole(v.ap[i], line.subspan(31 + 3 * i, 3));
    fits = fits && put_whole(v.ap_daily, line.subspan(static_cast<std::size_t>(ap_text_first), 3));
    if (v.cp < 0.0)
        std::memset(text + 58, ' ', 3);
    else
        fits = fits && format_fixed_1(v.cp, line.subspan(58, 3));
    fits = fits && put_whole(v.c9, line.subspan(61, 1)) &&
           put_whole(v.sunspots, line.subspan(62, 3)) && v.flux >= 0.0 &&
           format_fixed_1(v.flux,
                          line.subspan(static_cast<std::size_t>(flux_first),
                                       static_cast<std::size_t>(flux_last - flux_first + 1))) &&
           v.qualifier >= 0 && v.qualifier <= 9;
    text[qual_position] = static_cast<char>('0' + (fits ? v.qualifier : 0));
    return fits;
}

} // namespace meanflux
