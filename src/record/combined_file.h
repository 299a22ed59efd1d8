// The combined mean-flux data file: its header line, read and written, and the line at a
// record's place.  Every reader (the lookup, the table, the lookup command, the chart) and every
// writer (meanflux-combine, meanflux-build) of the file goes through these, so that all take
// every file alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace meanflux {

// The header's line end is looked for in this many bytes at most: a file that holds none in them
// and goes on past them is no combined file, and no lookup reads further to find out.
inline constexpr std::size_t header_search_limit = 4096;

// What the header line says, and where the records begin.
struct combined_header {
    int first;               // first day number of the file's range
    int last;                // last day number
    int last_observed;       // last day that is no prediction: `last` unless the header says
    std::int64_t data_start; // offset of the first record: just after the header's line end
};

// Read up to `count` bytes at `offset`, as many as the file holds there.
//
// Given:    fd      a descriptor open for reading (its offset is neither used nor changed)
//           count   bytes wanted
//           offset  where they start
// Returned: buf     the bytes read
// Returns:  the number of bytes read (fewer than count only at the file's end); -1 on a read
//           error.
[[nodiscard]] ssize_t read_at(int fd, char* buf, std::size_t count, off_t offset) noexcept;

// Read the header line of a combined mean-flux file held in memory.
//
// Given:    bytes   the file's first bytes: all of them, or at least its first 4097
// Returned: header  the day range and the records' start, when the result is true
// Returns:  false when the bytes are empty, hold no line end in their first 4096 although there
//           are more, or the header line does not give two day numbers.
// Notes:    1. The day numbers are scanned with "%5d%5d" from the header line's first 49
//              characters (up to and including its line end, LF).
//           2. Bytes of at most 4096 without a line end are a header line without records:
//              data_start is then their number.
[[nodiscard]] bool parse_combined_header(std::string_view bytes, combined_header& header) noexcept;

// Read the header line of a combined mean-flux file.
//
// Given:    fd      a descriptor open for reading
// Returned: header  the day range and the records' start, when the result is true
// Returns:  false when the file cannot be read, is empty, holds no line end in its first 4096
//           bytes although it is longer, or its header line does not give two day numbers.
// Notes:    1. The day numbers are scanned with "%5d%5d" from the header line's first 49
//              characters (up to and including its line end, LF).
//           2. A file that holds predicted days says where the observations end: its header line
//              goes on after the two day numbers with one blank and the last observed day
//              number in five characters ("%05d"), then the line end: "0292227919 27874".
//              Anything else after the two numbers (nothing, other text, a number of another
//              width, a blank too many) says nothing about predictions: last_observed is then
//              the last day, as in every file written before predictions were kept.  A last
//              observed day after the last day is the last day; one before the first day makes
//              every day a prediction (first - 1).
//           3. A file of at most 4096 bytes without a line end is a header line without records:
//              data_start is then the file's size.
//           4. At most 4097 bytes are read, in one or two reads, whatever the file's size.
[[nodiscard]] bool read_combined_header(int fd, combined_header& header) noexcept;

// The first year a combined file can hold: its day numbers start with 0, 1 January 1950.
inline constexpr int first_combined_year = 1950;

// Bytes of the header line that meanflux-combine and meanflux-build write.
inline constexpr std::size_t combined_header_bytes = 12;

// Bytes of the header line of a file that holds predicted days: one blank and the last
// observed day number more.
inline constexpr std::size_t predicted_header_bytes = combined_header_bytes + 6;

// The header line of a combined file: the first and last day numbers, each in five digits with
// leading zeros ("%05d%05d": 0000024836 for 1950 to 2017), and CR LF.
//
// Given:    first_day, last_day  day numbers from 0 to 99999
//           last_observed        the last day that is no prediction (-1: the last day)
// Returns:  the combined_header_bytes bytes of the line; predicted_header_bytes when days after
//           the last observed one are predictions: "0292227919 27874" and CR LF.
// Notes:    Zero-padded: the lookup reads each number from at most five characters after any
//           blanks, so "    0  365" would be read as 0 and 3.
[[nodiscard]] std::string combined_header_line(int first_day, int last_day, int last_observed = -1);

// Bytes taken at a record's place: the 47 characters and a line end at most.
inline constexpr std::size_t record_read = 48;

// The record line found among the bytes at a record's place, as a line-by-line read takes it:
// the first 48 of them at most, up to and including the first LF.
constexpr std::string_view record_line(std::string_view bytes) noexcept
{
    bytes = bytes.substr(0, record_read);
    const std::size_t lf = bytes.find('\n');
    return lf == std::string_view::npos ? bytes : bytes.substr(0, lf + 1);
}

} // namespace meanflux
