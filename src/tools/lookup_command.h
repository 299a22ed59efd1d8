// meanflux-lookup: days looked up in a combined mean-flux data file, shown as a table or CSV.
#pragma once

#include <cstdio>

namespace meanflux {

// The command: meanflux-lookup [-f FILE] [--csv] DATE...
//
// Returns:  the exit status: 0 when every date was found; 1 when a date lies outside the file's
//           range or has no record (the others are still shown); 2 for usage or file errors,
//           and when `out` cannot be written.
// Notes:    The file is opened once, without waiting (a FIFO is refused, not waited on), and
//           every date is looked up on that descriptor.  A file the lookup cannot use is
//           explained from at most its first 4097 bytes; it is never read whole.
[[nodiscard]] int lookup_main(int argc, char** argv, std::FILE* out, std::FILE* err);

} // namespace meanflux
