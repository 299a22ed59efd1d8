// What the companion commands share: exit statuses, dates on the command line, whole files.
#pragma once

#include <cstdio>
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

// Show the command's version, "<program> (meanflux) <version>", as --version does.
//
// Given:    out, err  where the version goes, and where a failure to write it is reported
//           program   the command's name
// Returns:  exit_ok, or exit_usage_or_file when it could not be written (a full or closed
//           standard output).
[[nodiscard]] int show_version(std::FILE* out, std::FILE* err, const char* program) noexcept;

// Read the options of a command whose only option is -o/--output FILE (and -h/--help).
//
// Returned: output  the file named by -o, or nullptr
// Returns:  -1 to go on with the arguments from optind; otherwise the exit status to end with
//           (the help was shown, or the usage was bad).
[[nodiscard]] int read_output_option(int argc, char** argv, const command_texts& texts,
                                     std::FILE* out, std::FILE* err, const char*& output);

// Whether year, month and day form a date of the Gregorian calendar.
[[nodiscard]] bool gregorian_date(int year, int month, int day) noexcept;

// A calendar date as given on the command line.
struct civil_day {
    int year;
    int month;
    int day;
};

// Parse a date written YYYY-MM-DD (four-digit year, two-digit month and day).
//
// Given:    text  the argument
// Returned: date  the date, when the text is one
// Returns:  true for a valid Gregorian date (the day exists in its month).
[[nodiscard]] bool parse_date(std::string_view text, civil_day& date) noexcept;

} // namespace meanflux
