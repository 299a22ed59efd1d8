// A mean-flux table built straight from a source of daily indices, in memory: what
// meanflux-build would write and load_mean_flux_table would load, without the file.
#pragma once

#include <meanflux/table.h>

#include <string>

namespace meanflux {

// What to build, as meanflux-build's options say it.
struct mean_flux_build_options {
    int from_year = 0;        // 0: the first year the source allows, as meanflux-build
    int to_year = 0;          // 0: the source's last year
    bool predictions = false; // CelesTrak's daily predictions after the last observed day
};

// Result of build_mean_flux_table when a year asked for is not in the source.
inline constexpr int mean_flux_year_missing = 1;

// Build the table of the combined file that meanflux-build would write.
//
// Given:    source   a GFZ Potsdam file, CelesTrak's SW-All.csv or a directory of yearly daily
//                    index files <yyyy>.dat
//           options  the years and whether CelesTrak's daily predictions are taken (as
//                    meanflux-build --from, --to and --predictions)
// Returned: table    the days, values and last observed day that load_mean_flux_table gives
//                    on that file; emptied when the result is not 0
//           message  when given: what meanflux-build would print about the source (its
//                    warnings for a table built, the reason otherwise); "" when nothing
// Returns:  mean_flux_found (0): built;
//           mean_flux_year_missing (1): a year asked for (or the year before the first, which
//             its means need) is not in the source, or a year would be missing inside the table;
//             also a year outside 1950 to 2099, which no combined file holds;
//           mean_flux_no_file (-2): the source cannot be read or breaks its format, or holds no
//             predictions when they are asked for;
//           mean_flux_no_memory (-3): the memory for the table could not be had.
// Notes:    1. The years are computed as meanflux-build computes them, on every core: each in
//              its three-year window of the yearly run, from the daily index files that
//              meanflux-import writes from the same source.
//           2. Nothing is written: no file, nothing on standard error.
[[nodiscard]] int build_mean_flux_table(const char* source, const mean_flux_build_options& options,
                                        mean_flux_table& table,
                                        std::string* message = nullptr) noexcept;

} // namespace meanflux
