// Writing a mean-flux record (record/record.h gives its columns): the day number, the activity
// text copied from the day's daily index line, and the four fluxes.
#pragma once

#include "flux/means.h"
#include "input/index_line.h"
#include "record/record.h"

#include <array>
#include <cstddef>
#include <span>

namespace meanflux {

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

static_assert(activity_text_length == activity_field.width());

// Room for the longest record: the widths are minimum widths, so a day number takes up to 11
// characters and a flux of any size up to 312 ("%5.1f" of -1.8e308).
inline constexpr std::size_t record_room = 11 + activity_text_length + 4 * 312 + 2 + 1;
using record_buffer = std::array<char, record_room>;

// Format one record with its CR LF.
//
// Given:    day     the day number
//           text    the activity text
//           values  observed flux, adjusted flux, Gaussian mean, arithmetic mean
// Returned: record  the record, terminated
// Returns:  its length in bytes, line end included: record_bytes(day) when every value fits
//           its five columns.
// Notes:    1. The text is exactly what printf writes with "%.5d", "%5.1f" and the activity
//              text copied byte for byte, whatever bytes it holds: a day number of five digits
//              and values that fit their columns are written by format_fixed_1, anything else
//              by printf itself.
//           2. A value that is not a number (a mean without any observed day in its window) is
//              written "  nan": five columns, like the numbers around it.
int format_record(record_buffer& record, int day, const activity_text& text,
                  const day_values& values) noexcept;

// Length of the record of a day whose four values each fit their five columns.
//
// Given:    day  the day number
// Returns:  record_stride (49) for day numbers 0 to 99999; one more for -99999 to -1 (1937 to
//           1949), whose number takes a sign; more again for longer day numbers.
constexpr int record_bytes(int day) noexcept
{
    long long magnitude = day < 0 ? -static_cast<long long>(day) : day;
    int digits = 1;
    while (magnitude >= 10) {
        magnitude /= 10;
        ++digits;
    }
    const int day_width = (digits > 5 ? digits : 5) + (day < 0 ? 1 : 0);
    return record_stride - 5 + day_width;
}

} // namespace meanflux
