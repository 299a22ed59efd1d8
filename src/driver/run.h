// The program's run: dialogue, loading, computation and the yearly mean-flux file, in order.
#pragma once

#include <cstdio>

namespace meanflux {

// Exit statuses of the program.
inline constexpr int exit_success = 0;
inline constexpr int exit_failure = 1;

// Run the program once.
//
// Given:    in   the console's input (the year is read from it)
//           out  the console's output (the dialogue and the closing message)
//           err  where failures and warnings go, one line each
// Returns:  the exit status: exit_success when the run reached its end, exit_failure otherwise.
[[nodiscard]] int run_meanflux(std::FILE* in, std::FILE* out, std::FILE* err) noexcept;

} // namespace meanflux
