// The program's run: dialogue, loading, computation and the yearly mean-flux file, in order.
#pragma once

#include <cstdio>
#include <string_view>

namespace meanflux {

// Exit statuses of the program.
inline constexpr int exit_success = 0;
inline constexpr int exit_failure = 1;

struct year_run {
    int status;  // exit_success when the yearly file was written, exit_failure otherwise
    int records; // records written: one for each line of the given year's file
};

// Compute one year: everything the run does after the dialogue but its closing message.
//
// Given:    y          the year, from first_run_year to last_run_year
//           directory  where the daily index files of y - 1, y and y + 1 are; empty for the
//                      current directory (the files are then named without a directory)
//           output     the yearly mean-flux file to write
//           err        where failures and warnings go, one line each, naming the file concerned
// Returns:  the status and the records written.
// Notes:    The three files are read (each must be there), a warning given for each that is
//           short of days, the year computed (compute_year) and the yearly file written.  On
//           failure nothing is written and an existing yearly file is kept.
[[nodiscard]] year_run run_year(int y, std::string_view directory, const char* output,
                                std::FILE* err) noexcept;

// Run the program once, as a console dialogue.
//
// Given:    in   the console's input (the year is read from it)
//           out  the console's output (the dialogue and the closing message)
//           err  where failures and warnings go, one line each
// Returns:  the exit status: exit_success when the run reached its end, exit_failure otherwise.
[[nodiscard]] int run_meanflux(std::FILE* in, std::FILE* out, std::FILE* err) noexcept;

} // namespace meanflux
