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

// Write the files that meanflux-build writes: the combined file and, when asked for, each year's
// <yyyy>_m.dat in a directory, byte for byte as the program writes them.
//
// Given:    source      as for build_mean_flux_table
//           options     the years (1937 to 2099; those before 1950 go into the yearly files
//                       only) and whether CelesTrak's daily predictions are taken
//           output      the combined file; null for none (then yearly_dir is needed)
//           yearly_dir  the directory of the yearly files, made if missing; null for none
// Returned: message       when given: what meanflux-build would print on standard error (its
//                         warnings when written, the reason otherwise); "" when nothing
//           error_number  when given: the errno value when an output could not be written, 0
//                         otherwise
// Returns:  mean_flux_found (0): every file written;
//           mean_flux_year_missing (1): a year asked for is not in the source (as for
//             build_mean_flux_table), or the years asked for cannot be built into the files
//             asked for (outside 1937 to 2099, the first after the last, before 1950 without
//             yearly_dir, or all before 1950 with a combined file asked for);
//           mean_flux_no_file (-2): the source cannot be read or breaks its format or holds no
//             predictions when they are asked for; an output is the source, a file read or
//             another output; an output could not be written (error_number);
// Notes:    1. The whole source is read and every year computed before anything is written; then
//              every output is written in full under a temporary name before any takes its name:
//              on any failure no file is replaced and no temporary file stays behind.
//           2. No signal handler is installed: the calling program keeps its own.  Nothing is
//              printed.
[[nodiscard]] int build_mean_flux_files(const char* source, const mean_flux_build_options& options,
                                        const char* output, const char* yearly_dir,
                                        std::string* message = nullptr,
                                        int* error_number = nullptr) noexcept;

} // namespace meanflux
