// What the companion commands share: exit statuses, dates on the command line, whole files.
#pragma once

#include "calendar/date.h"
#include "io/file_clash.h"
#include "io/file_set.h"

#include <cstddef>

#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace meanflux {

// Exit statuses of the companion commands.
inline constexpr int exit_ok = 0;            // done
inline constexpr int exit_not_there = 1;     // the data asked for is not there
inline constexpr int exit_usage_or_file = 2; // bad usage, or a file that cannot be read or written

// The texts of a command: its name, its usage line and its --help text.
struct command_texts {
    const char* program;
    const char* usage;
    const char* help;
};

// Report bad usage: "program: problem" and the usage line, on `err`.
//
// Returns:  exit_usage_or_file.
[[nodiscard]] int usage_error(std::FILE* err, const command_texts& texts,
                              const char* problem) noexcept;

// Show the command's --help text.
//
// Given:    out, err  where the help goes, and where a failure to write it is reported
//           texts     the command's texts
// Returns:  exit_ok, or exit_usage_or_file when it could not be written (a full or closed
//           standard output): a help that does not reach its reader is no success.
[[nodiscard]] int show_help(std::FILE* out, std::FILE* err, const command_texts& texts) noexcept;

// Show the command's version, "<program> (meanflux) <version>", as --version does.
//
// Given:    out, err  where the version goes, and where a failure to write it is reported
//           program   the command's name
// Returns:  exit_ok, or exit_usage_or_file when it could not be written (a full or closed
//           standard output).
[[nodiscard]] int show_version(std::FILE* out, std::FILE* err, const char* program) noexcept;

// Report, in the command's words, a set of files that could not all be written.
//
// Given:    err      where the message goes
//           program  the command's name
//           files    the set, as given to write_files_together
//           result   what it returned (not `written`)
// Notes:    One line naming the file and the reason; after a set left half done, a second line
//           naming the files that took their new contents.
void report_file_set_failure(std::FILE* err, const char* program,
                             std::span<const file_to_write> files,
                             const file_set_result& result) noexcept;

// Refuse to write when an output is one of the command's inputs or another of its outputs.
//
// Given:    err      where the message goes
//           program  the command's name
//           files    the command's inputs and outputs, as find_file_clash takes them
// Returns:  true when there is such a clash, after one line naming both files.
[[nodiscard]] bool refuse_file_clash(std::FILE* err, const char* program,
                                     std::span<const file_use> files);

// Read the options of a command whose only option is -o/--output FILE (and -h/--help,
// --version).
//
// Returned: output  the file named by -o, or nullptr
// Returns:  -1 to go on with the arguments from optind; otherwise the exit status to end with
//           (the help or the version was shown, or the usage was bad).
[[nodiscard]] int read_output_option(int argc, char** argv, const command_texts& texts,
                                     std::FILE* out, std::FILE* err, const char*& output);

// Days from a first to a last date, both included, as the command line gives them.
struct date_range {
    calendar_date first;
    calendar_date last;
};

enum class range_status {
    valid,
    not_a_date, // neither YYYY-MM-DD nor YYYY-MM-DD..YYYY-MM-DD of valid dates
    reversed,   // the last date comes before the first
};

// Parse one date (YYYY-MM-DD, a range of one day) or a range of days (YYYY-MM-DD..YYYY-MM-DD).
//
// Given:    text   the argument
// Returned: range  the first and last day, when the text is valid
// Returns:  the status; a range whose last day is its first is valid.
[[nodiscard]] range_status parse_date_range(std::string_view text, date_range& range) noexcept;

} // namespace meanflux
