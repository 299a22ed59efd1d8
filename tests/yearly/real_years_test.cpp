// Every year of the bundled archive computed in memory, as meanflux-build computes them, and
// compared byte for byte with the independent computation.
#include "sources/years.h"
#include "support/reference_year.h"
#include "support/run_program.h"
#include "support/yearly_files.h"
#include "yearly/pipeline.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace meanflux {
namespace {

TEST(RealYears, EveryYearAgreesWithAnIndependentComputation)
{
    // 1933 reads 1932.dat, whose lines have 80 characters: 366 days, one a line.  2017 reads
    // 2018.dat, which stops after 120 days.
    test::scratch_dir dir;
    for (int y = 1932; y <= 2018; ++y)
        dir.add(test::real_year(y));
    source_years years;
    source_problem problem;
    ASSERT_EQ(
        read_directory_years(
            dir.path().c_str(), {1932, 2018}, {1933, 2017}, missing_years::refused, years, problem),
        source_status::read);
    const auto tables = std::make_unique<year_tables>();
    init_year_tables(*tables);
    std::vector<year_records> records(2017 - 1933 + 1);
    std::vector<year_job> jobs;
    for (int year = 1933; year <= 2017; ++year)
        jobs.push_back({year, records[static_cast<std::size_t>(year - 1933)], {}});
    compute_years(years.view(), *tables, jobs, 2);
    for (const year_job& job : jobs) {
        ASSERT_EQ(job.result.status, year_status::written) << job.year;
        EXPECT_EQ(job.result.records, days_in_year(job.year)) << job.year;
        EXPECT_EQ(std::string(job.records.data(), static_cast<std::size_t>(job.result.bytes)),
                  test::reference_mean_flux_file(dir.path(), job.year))
            << job.year;
    }
}

} // namespace
} // namespace meanflux
