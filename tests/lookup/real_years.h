// Combined mean-flux files of real years, each made once in a run of the test program.  ctest
// runs every test in a process of its own, where a suite's set-up would make them again for each
// test: making them when a test first asks keeps the long ones to the tests that need them.
#pragma once

#include "support/run_program.h"
#include "support/yearly_files.h"

#include <map>
#include <string>
#include <utility>

namespace meanflux::test {

struct real_combined {
    std::string text; // the header line ("%05d%05d") and the records
    std::string path; // a file holding the text
};

// The combined file of the yearly mean-flux files of first_year to last_year, made by the program
// from the real daily index files.
inline const real_combined& real_years(int first_year, int last_year)
{
    static const scratch_dir dir;
    static std::map<std::pair<int, int>, real_combined> made;
    const auto [at, fresh] = made.try_emplace({first_year, last_year});
    if (fresh) {
        at->second.text = combined_mean_flux(dir.path(), first_year, last_year);
        const std::string name =
            std::to_string(first_year) + "-" + std::to_string(last_year) + ".dat";
        dir.write(name, at->second.text);
        at->second.path = (dir / name).string();
    }
    return at->second;
}

} // namespace meanflux::test
