// An independent computation of a yearly mean-flux file, written straight from the description
// of the records and the means without any of the library's code, for comparison with what the
// program writes.  It reads the three yearly daily index files of `year` in `dir`: a line is
// everything up to a LF (without a CR just before it or at the very end), a last line without LF
// counts, and line i of a year's file is day i + 1 of that year.  A day whose flux field holds no
// finite number or whose qualifier is 3 is not observed.
#pragma once

#include <filesystem>
#include <string>

namespace meanflux::test {

struct reference_options {
    // Count days that no line gives as observed days of flux 0 (the original reading) instead
    // of leaving them out.
    bool unloaded_positions_observed = false;
};

std::string reference_mean_flux_file(const std::filesystem::path& dir, int year,
                                     reference_options options = {});

} // namespace meanflux::test
