// Every year of the bundled archive computed in memory, as a command that builds many years in
// one process would, and compared byte for byte with the independent computation.
#include "flux/distance.h"
#include "flux/means.h"
#include "input/daily_series.h"
#include "support/reference_year.h"
#include "support/run_program.h"
#include "support/yearly_files.h"
#include "yearly/writer.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace meanflux {
namespace {

TEST(RealYears, EveryYearAgreesWithAnIndependentComputation)
{
    // 1933 reads 1932.dat, whose lines have 80 characters: 366 days, one a line.  2017 reads
    // 2018.dat, which stops after 120 days.
    test::scratch_dir dir;
    for (int y = 1932; y <= 2018; ++y)
        dir.add(test::real_year(y));
    gauss_table gauss_w{};
    init_gauss_w(gauss_w);
    daily_series series;
    given_days given;
    year_records records{};
    for (int year = 1933; year <= 2017; ++year) {
        std::array<std::string, 3> files;
        for (int i = 0; i < 3; ++i)
            files[static_cast<std::size_t>(i)] =
                test::read_file(dir / (std::to_string(year - 1 + i) + ".dat"));
        const load_result loaded = load_years(year, {files[0], files[1], files[2]}, series, given);
        ASSERT_EQ(loaded.status, load_status::loaded) << year;
        distance_pass(series);
        write_result result;
        ASSERT_EQ(format_records(anchors_of(year), series, gauss_w, given, records, result),
                  write_status::written)
            << year;
        EXPECT_EQ(result.records, year == 2018 ? 120 : days_in_year(year)) << year;
        EXPECT_EQ(std::string(records.data(), static_cast<std::size_t>(result.bytes)),
                  test::reference_mean_flux_file(dir.path(), year))
            << year;
    }
}

} // namespace
} // namespace meanflux
