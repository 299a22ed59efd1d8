// meanflux-combine: yearly mean-flux files of consecutive years made into the combined file
// that read_mean_flux reads.
#pragma once

#include <cstdio>

namespace meanflux {

// The command: meanflux-combine -o OUTPUT FILE...
//
// Returns:  the exit status (0, 1 when the files hold no record, 2 for usage or file errors).
[[nodiscard]] int combine_main(int argc, char** argv, std::FILE* out, std::FILE* err);

} // namespace meanflux
