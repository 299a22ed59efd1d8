// meanflux-build: from a source of daily indices (a published file, or a directory of yearly
// daily index files) to the combined mean-flux file in one command.
#pragma once

#include <cstdio>

namespace meanflux {

// The command: meanflux-build [-o FILE|-] [--yearly DIR] [--from YEAR] [--to YEAR] SOURCE
//
// Given:    argc, argv  the command line
//           out         where the summary (one line per file written) and --help go
//           err         where messages and warnings go
// Returns:  the exit status: 0 written; 1 when the source lacks a year that is needed (the year
//           before the first, one of the years asked for) or a given year's file has no lines;
//           2 for usage, a source that cannot be read or breaks its format, an output that
//           cannot be written, or standard output failing.
// Notes:    1. Every record is the one the yearly run writes for its year from the daily index
//              files that meanflux-import writes from the same source (or, for a directory, from
//              its files): each year is computed in its own three-year window.  The year after
//              the source's last counts as an empty file.
//           2. The whole source is read, and every year computed, before anything is written;
//              then every output is written in full under a temporary name before any takes
//              its real name: on any fault no output is written or replaced.
[[nodiscard]] int build_main(int argc, char** argv, std::FILE* out, std::FILE* err);

} // namespace meanflux
