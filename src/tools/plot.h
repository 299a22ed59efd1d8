// meanflux-plot: a yearly or combined mean-flux file drawn as an SVG chart of the daily flux and
// its centred means, and of the geomagnetic activity.
#pragma once

#include <cstdio>

namespace meanflux {

// The command: meanflux-plot [-d DIR] [--from DATE] [--to DATE] -o OUTPUT.svg FILE
//
// Given:    argc, argv  the command line
//           out, err    standard output (the help) and standard error (messages)
// Returns:  the exit status: 0 written; 1 the file holds no record (in the period asked for);
//           2 usage or file errors, among them a mean-flux file or a daily index file that
//           cannot be read or is not of its kind.
// Notes:    Reads the mean-flux file whole, up to what a combined file of day numbers 0 to 99999
//           holds; with -d the yearly daily index files of the years drawn (plot/chart_days.h).
//           The chart is written through write_whole_file: complete, or not at all.
[[nodiscard]] int plot_main(int argc, char** argv, std::FILE* out, std::FILE* err);

} // namespace meanflux
