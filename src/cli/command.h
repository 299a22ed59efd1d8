// The command-line kit every program of the project is made on: its option table (from which
// --help, and so the manual page, is written), --version, one vocabulary of exit statuses, the
// check that standard output took what was written to it, the start every program gets, and the
// refusal of an output that is an input or another output.
#pragma once

#include "calendar/date.h"

#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace meanflux {

// Exit statuses of the programs (the console dialogue of meanflux keeps its own: 0 and 1).
inline constexpr int exit_ok = 0;            // done
inline constexpr int exit_not_there = 1;     // the data asked for is not there
inline constexpr int exit_usage_or_file = 2; // bad usage, or a file that cannot be read or written

// What a step of a program leads to: the exit status when the program ends there, nothing when
// it goes on.
using ending = std::optional<int>;

// An option of a command.
struct option_definition {
    int id;               // what the parsing gives for it: the short letter, or a number of 1000
                          // and more for an option without one
    const char* name;     // the long name, without "--"
    const char* argument; // the name of its argument in the help ("FILE"); nullptr for none
    const char* help;     // what it does, as lines of the help text (separated by '\n')
};

// A command: its name, its texts and its options.  --help (-h) and --version are every
// command's and need no entry.
struct command_definition {
    const char* program;     // "meanflux-build"
    const char* usage;       // after "usage: "; further lines indented to match
    const char* description; // the paragraphs after the usage, each line ended
    std::span<const option_definition> options;
    const char* notes = "";       // paragraphs after the options, each line ended
    const char* exit_status = ""; // after "exit status: "
};

// The usage text: "usage: " and the usage lines.
[[nodiscard]] std::string usage_text(const command_definition& command);

// The --help text: the usage, the description, the options (the help's own and --version
// last), the notes and the exit statuses.  The options are aligned in two columns.
[[nodiscard]] std::string help_text(const command_definition& command);

// An option as given on the command line.
struct given_option {
    int id;               // option_definition::id
    const char* argument; // its argument, or nullptr
};

// A command line taken apart.
struct command_line {
    std::vector<given_option> options; // in the order given
    std::vector<const char*> operands; // what follows the options
};

// Take a command line apart by the command's option table.
//
// Given:    argc, argv  the command line
//           command     the command
//           out, err    where --help and --version go, and where problems go
// Returned: line        the options and operands, when the program goes on
// Returns:  nothing to go on; otherwise the exit status to end with: exit_ok after --help or
//           --version, exit_usage_or_file for an option that is not the command's or lacks its
//           argument (the usage follows getopt's message), or for a help or version that could
//           not be written.
[[nodiscard]] ending read_command_line(int argc, char** argv, const command_definition& command,
                                       std::FILE* out, std::FILE* err, command_line& line);

// A program's work once its command line is read: the options and operands in, the exit status
// out.  Standard output and error are the process's.
using program_body = int (*)(const command_line& line);

// Run a program: the start every program gets (start_program), its command line read by its
// option table (read_command_line: --help, --version and bad options answered there), and then
// its body.
//
// Returns:  the exit status.
[[nodiscard]] int run_program(int argc, char** argv, const command_definition& command,
                              program_body body);

// Report bad usage: "program: problem" and the usage, on `err`.
//
// Returns:  exit_usage_or_file.
[[nodiscard]] int usage_error(std::FILE* err, const command_definition& command,
                              std::string_view problem);

// Flush standard output and report a failure to write it.
//
// Given:    out, err  standard output and where its failure is reported
//           program   the program's name
//           note      said after the reason ("the files were written"); empty for nothing
// Returns:  true when everything written to `out` reached it; otherwise false, after
//           "program: standard output: reason (note)" on `err`.
[[nodiscard]] bool output_reached(std::FILE* out, std::FILE* err, const char* program,
                                  std::string_view note = "");

// Set the process up as every program of the project starts: call first in main.
//
// Notes:    1. A standard descriptor (0 to 2) that the program was started without is taken by
//              /dev/null, open for reading only: no file the program opens can then take its
//              number, and writing to a closed standard output fails as it should (EBADF)
//              instead of going into one of those files.
//           2. A signal that ends the program removes its pending temporary files first; a
//              closed pipe or a file grown past the size limit is a failed write
//              (remove_output_on_signals).
void start_program() noexcept;

// Refuse files that would be replaced while read, or written twice.
//
// Given:    err      where the refusal goes
//           program  the program's name
//           inputs   the files read
//           outputs  the files to be written ("-", standard output, is never refused)
// Returns:  nothing when every output is another file than every input and every other output
//           (same_file, io/same_file.h); otherwise exit_usage_or_file, after
//           "program: OUTPUT: the same file as the input INPUT" (or "as the output OTHER").
[[nodiscard]] ending refuse_same_files(std::FILE* err, const char* program,
                                       std::span<const std::string> inputs,
                                       std::span<const std::string> outputs);

// Days from a first to a last date, both included, as a command line gives them.
struct date_range {
    calendar_date first;
    calendar_date last;
};

enum class range_status {
    valid,
    not_a_date, // no date, month or year (parse_period), nor a range FIRST..LAST of them
    reversed,   // the last date comes before the first
};

// Read a date (YYYY-MM-DD, a range of one day), a month (YYYY-MM) or a year (YYYY), or a range
// FIRST..LAST of them: from the first day of FIRST to the last day of LAST (1989-03..1989-05 is
// March to May whole).
//
// Given:    text   the argument
// Returned: range  the first and last day, when the text is valid
// Returns:  the status; a range whose last day is its first is valid.
[[nodiscard]] range_status parse_date_range(std::string_view text, date_range& range) noexcept;

} // namespace meanflux
