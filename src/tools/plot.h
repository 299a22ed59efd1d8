// meanflux-plot: a yearly or combined mean-flux file drawn as an SVG chart of the daily flux and
// its centred means.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace meanflux {

// One day of the chart.
struct chart_day {
    int day;           // day number
    double flux_obs;   // observed flux; not a number where the record has none
    double flux_adj;   // flux at 1 AU
    double gauss_mean; // J77
    double arith_mean; // J70
    bool filled;       // a day without observation, its fluxes taken from its J77 mean
};

// Read the records of a yearly or combined mean-flux file (a header line, if any, is passed
// over; LF line ends are accepted as well as CR LF).
//
// Given:    bytes  the file's contents
// Returned: days   one entry per record, in file order
//           bad_line  1-based number of the first line that is not a record, on failure
// Returns:  true when every line after an optional header line is a record.
// Notes:    A day whose observed-flux field repeats its J77 field is taken to be a day without
//           observation: the yearly run fills such a day from its Gaussian mean.
[[nodiscard]] bool read_chart_days(std::string_view bytes, std::vector<chart_day>& days,
                                   long& bad_line);

// The SVG chart of the days (at least one), a complete XML document.
std::string chart_svg(const std::vector<chart_day>& days);

// The command: meanflux-plot -o OUTPUT.svg FILE
//
// Returns:  the exit status (0, 1 when the file holds no record, 2 for usage or file errors).
[[nodiscard]] int plot_main(int argc, char** argv, std::FILE* out, std::FILE* err);

} // namespace meanflux
