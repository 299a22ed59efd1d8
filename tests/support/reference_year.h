// An independent computation of a yearly mean-flux file, written straight from the description
// of the records and the means without any of the library's code, for comparison with what the
// program writes.  It reads the three yearly daily index files of `year` in `dir`, which must
// have lines of at most 71 characters.
#pragma once

#include <filesystem>
#include <string>

namespace meanflux::test {

struct reference_options {
    // Count positions that no line filled as observed days of flux 0 (the original reading)
    // instead of leaving them out.
    bool unloaded_positions_observed = false;
};

std::string reference_mean_flux_file(const std::filesystem::path& dir, int year,
                                     reference_options options = {});

} // namespace meanflux::test
