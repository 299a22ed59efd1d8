// The days of a source of daily indices, each as its daily index line, and what a reader says of
// a source it could not read: what every reader of a source and every user of its days shares.
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

} // namespace meanflux
