// What the readers of the published files share: their lines taken one after another, and the
// days they add as daily index lines.
#pragma once

#include "sources/source_days.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace meanflux {

// The refusal of a date that does not follow the day before it: "day 1980-01-03 does not follow
// the day before it, 1980-01-01 (a day missing, repeated or out of order)".
[[nodiscard]] std::string day_order_problem(calendar_date date, calendar_date previous);

// Add a day: its line made from `values`, and LF.
//
// Given and returned:
//           source     the day appended to `days`, its line and LF to `text`
// Given:    values     the day's values (its date among them)
//           predicted  whether the day is a prediction
// Returns:  true; false when a value does not fit its columns (nothing is then added).
[[nodiscard]] bool append_day(source_days& source, const daily_values& values, bool predicted);

// The bytes without the UTF-8 byte-order mark that some editors put at the start of a text file.
inline std::string_view without_byte_order_mark(std::string_view bytes) noexcept
{
    constexpr std::string_view mark = "\xEF\xBB\xBF";
    if (bytes.starts_with(mark))
        bytes.remove_prefix(mark.size());
    return bytes;
}

// Lines of a source, one after another, each without its line end.
struct line_cursor {
    std::string_view bytes;
    std::size_t at = 0; // where the next line starts
    long number = 0;    // number of the line last taken, counted from 1
};

enum class line_status {
    line,     // `line` holds the next line
    end,      // no line is left
    too_long, // the next line has more than max_source_line characters
};

// Take the next line.
//
// Given and returned:
//           cursor  moved past the line (and its number counted) when the result is `line`
//                   or too_long
// Returned: line    the line, without its LF or CR LF (or a CR that ends the input: the input
//                   was cut between CR and LF)
// Returns:  line, end or too_long.
[[nodiscard]] line_status next_line(line_cursor& cursor, std::string_view& line) noexcept;

} // namespace meanflux
