// Yearly mean-flux files made from the real daily index files, and combined files built from
// them, for tests of what reads them back.
#pragma once

#include <filesystem>
#include <string>

namespace meanflux::test {

// The real daily index file of a year bundled with the project or its tests.
std::filesystem::path real_year(int year);

// Run the yearly computation of `year` in `dir` (which gets the three real daily index files)
// and return the contents of the <yyyy>_m.dat it wrote.
std::string yearly_mean_flux(const std::filesystem::path& dir, int year);

// A combined mean-flux data file: the header line with the first and last day numbers
// ("%05d%05d" and CR LF), then the records of the years from `first_year` to `last_year`.
std::string combined_mean_flux(const std::filesystem::path& dir, int first_year, int last_year);

} // namespace meanflux::test
