// One yearly daily index file <yyyy>.dat as a run takes it: for each line, in order, the day's
// flux and qualifier, and the activity text that its record copies.
//
// Every reader of a year's file goes through here: the yearly run, meanflux-build and the chart
// take the same days from the same bytes.
#pragma once

#include "daily/index_line.h"
#include "daily/line_cutter.h"

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace meanflux {

// The days of one year's file.  Line i is day i + 1 of the year; only the first `lines` entries
// of each array are set (the activity texts only where they were asked for).
struct daily_year {
    daily_year() noexcept
        : lines(0) {}                           // the arrays are left as they are: only what a file
                                                // gives is ever written or read
    int lines;                                  // lines read, one day each
    std::array<double, max_year_days> flux_adj; // the flux at 1 AU as read_day gives it
    std::array<signed char, max_year_days> flux_qual;  // its qualifier (one digit, or 0);
                                                       // MISSING_FLUX for a day without
                                                       // observation
    std::array<activity_text, max_year_days> activity; // columns 13-31 and 56-58
};

// The daily index files of consecutive years: files[i] is the file of year first_year + i.  A
// year outside them counts as a file without lines.
struct daily_years {
    int first_year = 0;
    std::span<const daily_year> files;

    // The file of `year`, or nullptr.
    const daily_year* of(int year) const noexcept
    {
        const long i = static_cast<long>(year) - first_year;
        return i >= 0 && i < static_cast<long>(files.size()) ? &files[static_cast<std::size_t>(i)]
                                                             : nullptr;
    }
    // Lines of the file of `year`: 0 for a year outside the files.
    int line_count(int year) const noexcept
    {
        const daily_year* file = of(year);
        return file != nullptr ? file->lines : 0;
    }
};

enum class daily_status {
    read,              // every line is in the daily_year
    cannot_open,       // the file could not be opened: error_number tells why
    read_error,        // reading it failed: error_number tells why
    line_too_long,     // `line` has more than max_line_length characters
    too_many_lines,    // the file has more lines than its year has days; `line` is the first
                       // line too many
    flux_out_of_range, // `line` gives the flux `flux`, outside lowest_flux..highest_flux
};

// What is wrong with a year's file that could not be read.
struct daily_problem {
    daily_status status = daily_status::read;
    int line = 0;         // the line concerned, counted from 1
    double flux = 0.0;    // the flux refused
    int error_number = 0; // errno of a failed open or read
};

// A year's file on its way in, a piece at a time.
struct daily_reading {
    int days = 0;               // days of its year: the most lines it may have
    bool keep_activity = false; // whether each line's activity text is kept
    line_cutter cutter;
};

// Prepare the reading of the file of `year`.
daily_reading start_daily_reading(int year, bool keep_activity) noexcept;

// Read a piece of the file: the next bytes after those read before.
//
// Given and returned:
//           reading  the reading so far
//           days     each line's flux and qualifier (and activity text) at its place
// Returned: problem  the line (and flux) at fault, unless the result is `read`
// Returns:  read, line_too_long, too_many_lines or flux_out_of_range.
// Notes:    1. Each line is one day (the line rule of line_cutter.h): its flux and qualifier are
//              read as read_day reads them; a day without observation is marked MISSING_FLUX.
//           2. A file is refused as soon as a byte beyond its year's last day arrives, and as
//              soon as a line is too long: the reading never takes more than the year's days of
//              lines of at most max_line_length characters, whatever the input.
//           3. The pieces may be cut anywhere: a file in one piece or in many gives the same
//              days.
[[nodiscard]] daily_status read_daily_piece(daily_reading& reading, std::string_view bytes,
                                            daily_year& days, daily_problem& problem) noexcept;

// Finish the file: its last line, if the file does not end with a line end.
//
// Returns:  as read_daily_piece.
[[nodiscard]] daily_status finish_daily_reading(daily_reading& reading, daily_year& days,
                                                daily_problem& problem) noexcept;

// Read the file of `year` from memory.
//
// Given:    year           the year of the file
//           bytes          its contents
//           keep_activity  whether each line's activity text is kept
// Returned: days           its days
// Returns:  the status and, on failure, where and why.
[[nodiscard]] daily_problem read_daily_bytes(int year, std::string_view bytes, daily_year& days,
                                             bool keep_activity = true) noexcept;

// Read the file of `year` from the file of that name.
//
// Returns:  as read_daily_bytes, and cannot_open or read_error with errno in error_number.
// Notes:    1. The file is opened, read once from start to end (or to the first fault) and
//              closed: what is read is all that is taken of it.
//           2. The opening never waits: a FIFO without a writer reads as an empty file, one with
//              a writer is read as its writer writes, like a pipe.
[[nodiscard]] daily_problem read_daily_file(const char* name, int year, daily_year& days,
                                            bool keep_activity = true) noexcept;

// The name of a year's file: <yyyy>.dat, in `directory`.
//
// Given:    directory  the directory; empty for the current one (the name alone)
//           year       the year, 0 to 9999
// Returns:  "1980.dat", "data/1980.dat" (for "data" and "data/" alike).
[[nodiscard]] std::string daily_file_path(std::string_view directory, int year);

// The year of a yearly daily index file's name.
//
// Given:    name  a directory entry's name
// Returned: year  its year
// Returns:  true for four digits followed by ".dat" ("1980.dat"), as daily_file_path names them.
[[nodiscard]] bool daily_file_year(std::string_view name, int& year) noexcept;

} // namespace meanflux
