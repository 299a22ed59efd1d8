// The program's run: dialogue, loading, computation and the yearly mean-flux file, in order.
#pragma once

#include <array>
#include <cstdio>

namespace meanflux {

// Exit statuses of the program.
inline constexpr int exit_success = 0;
inline constexpr int exit_failure = 1;

// The files of one year's computation: the daily index files of the year before, the year and
// the year after, and the yearly mean-flux file.
struct year_names {
    std::array<const char*, 3> inputs;
    const char* output;
};

struct year_result {
    int status;  // exit_success when the yearly file was written, exit_failure otherwise
    int records; // records written: one for each line of the given year's file
};

// Compute one year: everything the run does after the dialogue but its closing message.
//
// Given:    y      the year, from first_year to last_year
//           names  its files
//           err    where failures and warnings go, one line each, naming the file concerned
// Returns:  the status and the records written.
// Notes:    The weights are formed, the three files loaded, the distances applied and the
//           yearly file written, each phase as the console run does it: the same inputs give
//           the same bytes, the same warnings and the same messages.  On failure nothing is
//           written and an existing yearly file is kept.
[[nodiscard]] year_result compute_year(int y, const year_names& names, std::FILE* err) noexcept;

// Run the program once, as a console dialogue.
//
// Given:    in   the console's input (the year is read from it)
//           out  the console's output (the dialogue and the closing message)
//           err  where failures and warnings go, one line each
// Returns:  the exit status: exit_success when the run reached its end, exit_failure otherwise.
[[nodiscard]] int run_meanflux(std::FILE* in, std::FILE* out, std::FILE* err) noexcept;

} // namespace meanflux
