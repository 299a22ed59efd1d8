// The console dialogue: the banner, the year prompt and the four file names of a run.
#pragma once

#include "calendar/date.h"

#include <array>
#include <cstdio>

namespace meanflux {

// The year of a run and the files named after it.
struct year_files {
    int i_ano = 0;                   // the accepted year y
    std::array<char, 9> ano{};       // daily index file of y, "1980.dat"
    std::array<char, 9> ano_bef{};   // daily index file of y - 1
    std::array<char, 9> ano_aft{};   // daily index file of y + 1
    std::array<char, 11> ano_mean{}; // yearly mean-flux file of y, "1980_m.dat"
};

enum class dialogue_status {
    accepted,     // a year was accepted and the names formed and echoed
    end_of_input, // standard input ended before a year was accepted
    input_error,  // reading standard input failed
    output_error, // writing the dialogue failed
};

// Form the four file names of year y.
//
// Given:    y      the year, from first_run_year to last_run_year
// Returned: files  the year, the year before, and the names: y - 1, y and y + 1 formatted with
//                  "%.4d" followed by ".dat", and y followed by "_m.dat"; all of it zero
//                  for a year outside first_run_year..last_run_year, whose names have no room
void form_names(int y, year_files& files) noexcept;

// Print the banner that tells what the program needs and what it writes.
//
// Given:    out  the console's output stream
// Returns:  nothing; a failed write shows in ferror(out).
void print_banner(std::FILE* out) noexcept;

// Ask for the year until an acceptable one is given, then form and echo the file names.
//
// Given:    in     the console's input stream, one answer per line
//           out    the console's output stream
// Returned: files  the year, its neighbours and the four file names (set when accepted)
// Returns:  the status; only `accepted` lets the run go on.
// Notes:    1. Each answer is one line, of which at most the first 19 characters are looked at;
//              the rest of a longer line is discarded, never taken as the next answer.  A last
//              line without a line end is still an answer.
//           2. The answer is scanned with "%8d": leading blanks are skipped, at most eight
//              characters form the number and anything after it is ignored.  No number gives
//              " invalid string ", a year outside first_run_year..last_run_year " invalid year ".
//           3. The output is flushed before every read, so a prompt is seen before the program
//              waits for its answer, and a failed write ends the dialogue.
[[nodiscard]] dialogue_status ask_year(std::FILE* in, std::FILE* out, year_files& files) noexcept;

} // namespace meanflux
