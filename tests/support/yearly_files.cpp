#include "support/yearly_files.h"

#include "support/run_program.h"

#include <meanflux/calendar.h>

#include <cstdio>
#include <stdexcept>

namespace meanflux::test {

namespace fs = std::filesystem;

fs::path real_year(int year)
{
    const std::string name = std::to_string(year) + ".dat";
    const fs::path example = example_data("data/" + name);
    return fs::exists(example) ? example : test_data("kp_ap/" + name);
}

std::string yearly_mean_flux(const fs::path& dir, int year)
{
    for (int y = year - 1; y <= year + 1; ++y)
        if (!fs::exists(dir / real_year(y).filename()))
            fs::copy_file(real_year(y), dir / real_year(y).filename());
    const program_result r = run_meanflux(dir, std::to_string(year) + "\n");
    if (r.status != 0)
        throw std::runtime_error("meanflux failed for " + std::to_string(year) + ": " + r.err);
    return read_file(dir / (std::to_string(year) + "_m.dat"));
}

std::string combined_mean_flux(const fs::path& dir, int first_year, int last_year)
{
    char header[32];
    std::snprintf(header,
                  sizeof header,
                  "%05d%05d\r\n",
                  day_number(1, 1, first_year),
                  day_number(31, 12, last_year));
    std::string text = header;
    for (int y = first_year; y <= last_year; ++y)
        text += yearly_mean_flux(dir, y);
    return text;
}

} // namespace meanflux::test
