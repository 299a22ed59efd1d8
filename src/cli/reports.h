// The messages of the programs: each kind of result that reaches the user turned into its one
// line on standard error, "program: file: what", by one routine.
#pragma once

#include "io/file_set.h"
#include "io/whole_file.h"
#include "sources/source_days.h"

#include <cstdio>
#include <span>
#include <string_view>

namespace meanflux {

// A year's daily index file that the yearly run refuses, or that cannot be read.
//
// Given:    err      where the message goes
//           program  the program's name
//           file     the file, as the messages name it
//           year     its year
//           problem  what the reading found (not `read`)
//           by_date  the file is a published one: its days are named by date, not by line
// Notes:    "1980.dat: line 12: flux 9999 outside -93.0 to 935.0, which the records can hold",
//           "1981.dat: cannot open: No such file or directory; meanflux-import makes it ...": a
//           file that is not there is followed by what makes it.
void report_daily_problem(std::FILE* err, const char* program, std::string_view file, int year,
                          const daily_problem& problem, bool by_date = false) noexcept;

// A source, or one of its years' files, that could not be read.
//
// Given:    err      where the message goes
//           program  the program's name
//           path     the source as the user named it (a directory or a published file)
//           status   what read_source_file or read_source_years returned (not `read`)
//           problem  what they found
// Notes:    A year's daily index file is named with the line at fault ("1980.dat: line 12:
//           flux 9999 outside -93.0 to 935.0, which the records can hold"); a day of a
//           published file by its date.  A year's file that is not there is followed by what
//           makes it: meanflux-import, or for the years up to 2018 the archive's file.
void report_source_problem(std::FILE* err, const char* program, const char* path,
                           source_status status, const source_problem& problem) noexcept;

// A year's file with fewer (or more) lines than its year has days: the days it lacks take no
// part in the means, as the warning says.
//
// Given:    file   the daily index file, as the messages name it
//           lines  its lines
//           year   its year
void warn_line_count(std::FILE* err, const char* program, std::string_view file, int lines,
                     int year) noexcept;

// Days whose averaging windows hold no observed flux: their means are written "nan".
//
// Given:    what  the yearly file, or the year, whose records they are
//           days  how many
void warn_undefined_days(std::FILE* err, const char* program, std::string_view what,
                         int days) noexcept;

// A whole file that could not be read (read_whole_file): its error, or, for one larger than
// what it can hold, "more than LIMIT bytes, more than KIND can hold".
//
// Given:    name    the file
//           read    what read_whole_file returned (not `read`)
//           limit   the limit it was read with
//           kind    what the file should be ("a combined file")
void report_read_failure(std::FILE* err, const char* program, const char* name,
                         const whole_file_result& read, std::size_t limit,
                         const char* kind) noexcept;

// A set of files that could not all be written (write_files_together).
//
// Given:    files    the set, as given to write_files_together
//           result   what it returned (not `written`)
// Notes:    One line naming the file and the reason; after a set left half done, a second line
//           naming the files that took their new contents.
void report_file_set_failure(std::FILE* err, const char* program,
                             std::span<const file_to_write> files,
                             const file_set_result& result) noexcept;

// A file that could not be written whole (write_output_file): "cannot create", "cannot write"
// or "cannot replace", with the reason.
void report_write_failure(std::FILE* err, const char* program, const char* output,
                          const whole_write_result& written) noexcept;

// A standard output that did not take what was written to it: "program: standard output:
// reason", and "(note)" after it when there is one.
void report_standard_output(std::FILE* err, const char* program, int error_number,
                            std::string_view note = "") noexcept;

} // namespace meanflux
