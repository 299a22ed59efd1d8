// meanflux-import: a published file of daily indices (GFZ Potsdam's Kp_ap_Ap_SN_F107 file or
// CelesTrak's SW-All.csv) turned into yearly daily index files <yyyy>.dat.
#pragma once

#include <cstdio>

namespace meanflux {

// The command: meanflux-import [-d DIR] [--from YEAR] [--to YEAR] [--predictions] FILE
//
// Given:    argc, argv  the command line
//           out         where the summary (one line per file written) and --help go
//           err         where messages go
// Returns:  the exit status: 0 written, 1 when the file has no day of the years asked for, 2 for
//           usage, a file that cannot be read or written, a file of neither format, a faulty line
//           or standard output failing.
// Notes:    The whole input is read and checked before anything is written, and every yearly
//           file is written completely under a temporary name before any takes its real name:
//           on a fault in the input, or a file that cannot be written, no file is written or
//           replaced.
[[nodiscard]] int import_main(int argc, char** argv, std::FILE* out, std::FILE* err);

} // namespace meanflux
