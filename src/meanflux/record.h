// The mean-flux record: one day of a yearly mean-flux file, and of the combined file that the
// lookup reads.
//
//   columns  1-5   day number (days since 1 January 1950), "%.5d"
//            6-21  the eight Kp values, in tenths      } copied from columns 13-31
//           22-24  sum of Kp, in tenths                } of the daily index line
//           25-27  daily Ap                              copied from its columns 56-58
//           28-32  observed flux                         "%5.1f"
//           33-37  flux adjusted to 1 AU                 "%5.1f"
//           38-42  Gaussian mean flux ("J77")            "%5.1f"
//           43-47  arithmetic mean flux ("J70")          "%5.1f"
//           then CR LF, on every platform: 49 bytes a record.
#pragma once

#include "flux/means.h"
#include "input/line_reader.h"

#include <array>
#include <cstddef>
#include <span>

namespace meanflux {

inline constexpr int record_length = 47; // characters before the line end
inline constexpr int record_stride = 49; // bytes in the file, CR LF included

// The activity text a record copies from a daily index line: columns 13-31 (the eight Kp and
// their sum), then columns 56-58 (Ap); as positions from 0.
inline constexpr int kp_text_first = 12;
inline constexpr int kp_text_last = 30;
inline constexpr int ap_text_first = 55;
inline constexpr int ap_text_last = 57;
inline constexpr int activity_text_length =
    (kp_text_last - kp_text_first + 1) + (ap_text_last - ap_text_first + 1);
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

// The fields a record is read back by, as positions from 0, both ends included.
struct field_span {
    int first;
    int last;
};
inline constexpr field_span day_field{0, 4};
inline constexpr std::array<field_span, 14> value_fields{{
    // the eight Kp, in tenths
    {5, 6},
    {7, 8},
    {9, 10},
    {11, 12},
    {13, 14},
    {15, 16},
    {17, 18},
    {19, 20},
    {21, 23}, // Kp sum, tenths
    {24, 26}, // Ap
    {27, 31}, // observed flux
    {32, 36}, // flux at 1 AU
    {37, 41}, // J77 mean
    {42, 46}, // J70 mean
}};
inline constexpr int kp_entries = 9; // entries held in tenths: the eight Kp and their sum

// Room for reading one record line: 47 characters, the line end and a terminator.
using record_line = std::array<char, record_length + 3>;

// Read a record's fourteen values.
//
// Given:    line    the record line, zero beyond its text
// Given and returned:
//           values  each entry whose field holds a number is set to it, the Kp values and
//                   their sum turned from tenths into whole units; the others keep their value
// Returns:  nothing
void scan_record_values(std::span<char> line, std::span<double, 14> values) noexcept;

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
