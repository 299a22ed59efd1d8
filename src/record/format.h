// Writing a mean-flux record (record/record.h gives its columns): the day number, the activity
// text copied from the day's daily index line, and the four fluxes.
#pragma once

#include "flux/means.h"
#include "input/index_line.h"
#include "record/record.h"

#include <array>
#include <cstddef>

namespace meanflux {

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
// Notes:    A value that is not a number (a mean without any observed day in its window) is
//           written "  nan": five columns, like the numbers around it.  The activity text is copied
//           byte for byte, whatever bytes it holds.
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
