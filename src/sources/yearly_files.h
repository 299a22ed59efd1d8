// A directory of yearly daily index files <yyyy>.dat as a source: the files that a yearly run
// reads, or that meanflux-import wrote, read into the days of source_days.
//
// Each file is read by the line rule of the yearly run (input/line_cutter.h): one physical line
// is one day, a CR before the LF belongs to the line end, a last line without a line end is a
// day, a line may have up to 4096 characters.  Line i of <yyyy>.dat is day i + 1 of yyyy, and
// the day's line in source_days is the line's first 71 characters (all of a shorter line): the
// columns a run reads, as they stand.
#pragma once

#include "sources/source.h"

#include <string_view>
#include <vector>

namespace meanflux {

// The last year whose file a yearly run reads: the year after the last it computes (2099).
inline constexpr int last_read_year = 2100;

// The year of a yearly daily index file's name.
//
// Given:    name  a directory entry's name
// Returned: year  its year
// Returns:  true for four digits followed by ".dat" ("1980.dat"), as the yearly run names the
//           files of the years 1937 to 2099 ("%.4d.dat").
[[nodiscard]] bool yearly_file_year(std::string_view name, int& year) noexcept;

// Read the yearly daily index files of a directory.
//
// Given:    directory  the directory
//           years      the years to read: files of other years are not opened
// Returned: source     format yearly_files; the days of each file in turn, in the order of the
//                      years and of the lines, each with the date its line's place gives
//           problem    what is wrong, unless the result is `read`: problem.file names the file
//                      (empty for the directory itself)
// Returns:  read; cannot_read (the directory or a file could not be opened or read, with
//           error_number; also ENOENT for a year missing between two years that have files,
//           or after the last year wanted that has one while a later year's file exists, since
//           no run could go past it); malformed (a line longer than 4096 characters, with
//           problem.line; a file with more lines than its year has days).
// Notes:    1. A file with fewer lines than its year has days, or with none, gives the days it
//              has: a year inside the files' range without days is an empty file.
//           2. A file is refused as soon as a byte beyond its year's last day or past the
//              longest line comes, so that an endless file (/dev/zero) costs no more than that.
//           3. Opening a FIFO never waits: one without a writer reads as an empty file.
//           4. Files of years after last_read_year, which no run reads, are not looked at.
[[nodiscard]] source_status read_yearly_files(const char* directory, year_span years,
                                              source_days& source, source_problem& problem);

// The years of the yearly daily index files in a directory: read_yearly_files in two steps, for
// a reader that takes one year at a time into the same memory.
//
// Given:    directory  the directory
//           years      the years wanted
// Returned: found      the years of the files there, in order, without a gap
//           problem    as read_yearly_files gives it
// Returns:  read, or cannot_read (the directory cannot be listed; a year missing between two
//           that have files, or before a later year's file, ENOENT).
[[nodiscard]] source_status list_yearly_files(const char* directory, year_span years,
                                              std::vector<int>& found, source_problem& problem);

// Read one year's file, its days added after those `source` holds.
//
// Given:    directory, year  the file <directory>/<yyyy>.dat
// Given and returned:
//           source   format yearly_files, its days and text extended by the file's lines (as
//                    they were, if the file cannot be read)
// Returned: problem  as read_yearly_files gives it
// Returns:  read, cannot_read or malformed, as read_yearly_files.
[[nodiscard]] source_status read_yearly_file(const char* directory, int year, source_days& source,
                                             source_problem& problem);

} // namespace meanflux
