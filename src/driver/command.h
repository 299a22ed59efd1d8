// The program's command line: the console dialogue without arguments, the years given with them.
#pragma once

#include <cstdio>
#include <span>
#include <string_view>

namespace meanflux {

// Exit status of a command line that cannot be followed.
inline constexpr int exit_usage = 2;

// Compute the yearly mean-flux file of each of several years, one after the other.
//
// Given:    directory  where the daily index files are and the yearly files go; empty for the
//                      current directory
//           quiet      no line on `out` for each year written
//           years      the years, each from first_run_year to last_run_year, in the order to
//           compute out        one line per year written: "DIR/1980_m.dat: 366 days" err failures
//           and warnings, as the console run gives them
// Returns:  exit_success when every year was written; exit_failure when any failed, or when
//           `out` could not be written.
// Notes:    A year that fails does not stop the others.  Each year is computed as the console
//           run computes it (compute_year), so its file is the same byte for byte.  Files are
//           named DIR/<yyyy>.dat and DIR/<yyyy>_m.dat, and so are they in the messages.
[[nodiscard]] int run_years(std::string_view directory, bool quiet, std::span<const int> years,
                            std::FILE* out, std::FILE* err);

// The program: meanflux, or meanflux [-C DIR] [-q] YEAR...
//
// Given:    argc, argv  the command line
//           in, out, err  the console
// Returns:  the exit status: without arguments that of the console run (run_meanflux); with
//           them exit_success when every year was written, exit_failure when one failed,
//           exit_usage for a command line that cannot be followed (a year not from first_run_year
//           to last_run_year, a directory that is not there, an unknown option, no year).
// Notes:    --help and --version write to `out` and return exit_success (exit_failure when
//           `out` cannot be written).  Every year is
//           checked before the first is computed: a bad one leaves every file as it was.
[[nodiscard]] int meanflux_main(int argc, char** argv, std::FILE* in, std::FILE* out,
                                std::FILE* err);

} // namespace meanflux
