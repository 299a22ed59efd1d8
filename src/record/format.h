// Writing a mean-flux record (record/record.h gives its columns): the day number, the activity
// text copied from the day's daily index line, and the four fluxes.
#pragma once

#include "flux/means.h"
#include "input/line_reader.h"
#include "record/record.h"

#include <array>
#include <cstddef>

namespace meanflux {

// The activity text a record copies from a daily index line: columns 13-31 (the eight Kp and
// their sum), then columns 56-58 (Ap); as positions from 0.
inline constexpr int kp_text_first = 12;
inline constexpr int kp_text_last = 30;
inline constexpr int ap_text_first = 55;
inline constexpr int ap_text_last = 57;
inline constexpr int activity_text_length =
    (kp_text_last - kp_text_first + 1) + (ap_text_last - ap_text_first + 1);
static_assert(activity_text_length == activity_field.width());
using activity_text = std::array<char, activity_text_length>;

// Take a daily index line's activity text.
//
// Given:    line  the line as read_line left it
// Returned: text  its columns 13-31 and 56-58, character for character; a blank for each of those
//                 columns that the line does not reach, so the record keeps its layout
void copy_activity_text(const line_buffer& line, activity_text& text) noexcept;

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
// Returns:  its length in bytes, line end included: record_stride for every day number from 0 to
//           99999 and every value from -99.9 to 999.9.
// Notes:    A value that is not a number (a mean without any observed day in its window) is
//           written "  nan": five columns, like the numbers around it.
int format_record(record_buffer& record, int day, const activity_text& text,
                  const day_values& values) noexcept;

} // namespace meanflux
