// Sources of daily indices: the files in which Kp, ap, Ap, the sunspot number and the 10.7 cm
// flux are published, read into the lines of the yearly daily index files.
//
// A source is read whole, checked whole and turned into one day after another, each with its
// date, its daily index line and whether it is a prediction.  Every program that makes daily
// index lines from a published file takes them from here, so that the same source always gives
// the same bytes.
//
// Each published format has its own reader (sources/gfz.h, sources/celestrak.h), which knows its
// format by the file's first line; read_source() recognises the format and calls the reader.  A
// directory of yearly daily index files that already exist is a source too: sources/years.h
// reads any of them into the years a run computes.
#pragma once

#include "daily/daily_line.h"
#include "daily/daily_year.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace meanflux {

enum class source_format {
    unknown,
    gfz_potsdam,  // Kp_ap_Ap_SN_F107_since_1932.txt of GFZ Potsdam, or an excerpt of it
    celestrak,    // SW-All.csv of CelesTrak
    yearly_files, // a directory of yearly daily index files <yyyy>.dat
};

// One day of a source.
struct source_day {
    int year;           // full year number
    int month;          // 1 = January ... 12 = December
    int day;            // day of the month
    bool predicted;     // a forecast, not an observation (its flux carries qualifier 2)
    std::size_t offset; // where the day's line starts in source_days::text
    std::size_t length; // characters of the line, without its line end
};

// The days of a source, in calendar order, one for every day from the first to the last.
struct source_days {
    source_format format = source_format::unknown;
    // The daily index lines of all days, in order, each followed by LF: the bytes of a yearly
    // daily index file are one stretch of it.
    std::string text;
    std::vector<source_day> days;
};

// The line of a day, without its line end.
inline std::string_view line_of(const source_days& source, const source_day& day) noexcept
{
    return std::string_view(source.text).substr(day.offset, day.length);
}

// The lines of `count` days from day `first` on, each with its LF: a daily index file's bytes.
inline std::string_view lines_of(const source_days& source, std::size_t first,
                                 std::size_t count) noexcept
{
    if (count == 0)
        return {};
    const source_day& last = source.days[first + count - 1];
    return std::string_view(source.text)
        .substr(source.days[first].offset,
                last.offset + last.length + 1 - source.days[first].offset);
}

// Number of days that are written when predictions are left out: the days up to the last one that
// is not a prediction.
//
// Returns:  the count of days from the first up to and including the last day that is not
//           predicted; 0 when every day is predicted.
std::size_t days_before_predictions(const source_days& source) noexcept;

// The lines of the days of a year before a given day, for a yearly file whose source begins
// within the year: line i of a yearly daily index file is day i + 1 of its year.
//
// Given:    day  a day of the source (its first, CelesTrak's 1 October 1957 say)
// Returns:  one line and LF for each day from 1 January of its year to the day before it: the
//           date, every value blank and the flux "  0.0" with qualifier 3, as for a day without
//           data; "" for 1 January.
std::string lines_before(const source_day& day);

// The longest line a source may have, line end not counted.  A longer line is refused, so that an
// input without line ends (/dev/zero) is refused after that many characters of it.
inline constexpr std::size_t max_source_line = 4096;

// The most bytes a source file may have.  The GFZ file counts its days with five digits, so it
// holds at most 100 000 days of 159 bytes, 16 MB, after its header; the rows of SW-All.csv are
// shorter (about 115 bytes).  Twice that leaves room for longer headers and wider fields.
inline constexpr std::size_t max_source_bytes = std::size_t{32} << 20;

enum class source_status {
    read,           // the days are in source_days
    cannot_read,    // the file could not be opened or read: problem.error_number tells why
    too_large,      // the file holds more than max_source_bytes
    not_recognised, // neither a GFZ Potsdam file nor a CelesTrak file
    malformed,      // a line breaks its format: problem.line and problem.what tell which and how
    bad_year_file,  // a year's daily index file (or the lines of a year of a published file)
                    // that the yearly run refuses: problem.daily tells how, problem.year which
};

// What is wrong with a source that could not be read.
struct source_problem {
    long line = 0;        // the line at fault, counted from 1; 0 for the file as a whole
    std::string what;     // what is wrong with it
    int error_number = 0; // errno, for cannot_read
    std::string file;     // bad_year_file: the year's file, or the published file
    int year = 0;         // bad_year_file: the year
    bool by_date = false; // bad_year_file: a published file, whose days are named by date
    daily_problem daily;  // bad_year_file: what the reading of the year's lines found
};

// Years of a source to read: from `first` to `last`, both included.
struct year_span {
    int first = 0;
    int last = 9999;

    bool contains(int year) const noexcept { return year >= first && year <= last; }
};

// What a file of neither format is told: what each format is expected to look like.
inline constexpr const char* not_a_source =
    "neither a GFZ Potsdam Kp_ap_Ap_SN_F107 file ('#' header lines, then lines of 28 numbers) "
    "nor a CelesTrak SW-All.csv (a header row DATE,BSRN,ND,KP1,...)";

// Recognise the format of a source from its first line that is not blank.
//
// Given:    bytes  the file's contents
// Returns:  gfz_potsdam when that line starts with '#' (the GFZ header) or with a year of four
//           digits and a blank (a GFZ data line); celestrak when it starts with "DATE," (the
//           header row of SW-All.csv, after a UTF-8 byte-order mark if there is one); unknown
//           otherwise, and for a file without such a line.
[[nodiscard]] source_format recognise_source(std::string_view bytes) noexcept;

// Read a source held in memory.
//
// Given:    bytes    the file's contents
// Returned: source   its days (cleared first; left empty unless the result is `read`)
//           problem  what is wrong, unless the result is `read`
// Returns:  read, not_recognised or malformed.
// Notes:    1. Lines end with LF or CR LF; a last line without a line end is a line like any
//              other, so a line cut off in the middle is refused as the reader finds it.
//           2. The whole input is checked before `read` is returned: a caller that writes
//              nothing before that writes nothing from a faulty source.
//           3. A first line longer than max_source_line is refused as malformed, whatever the
//              format.
[[nodiscard]] source_status read_source(std::string_view bytes, source_days& source,
                                        source_problem& problem);

// Read a source file: the whole file, then read_source().
//
// Given:    name     the file (a regular file, a pipe or a device alike)
// Returned: source   as read_source()
//           problem  as read_source()
// Returns:  read, cannot_read, too_large, not_recognised or malformed.
// Notes:    At most max_source_bytes are read, so an endless input costs no more than that.
[[nodiscard]] source_status read_source_file(const char* name, source_days& source,
                                             source_problem& problem);

// What the readers share.

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
