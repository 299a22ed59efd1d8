#include "yearly/pipeline.h"

#include "flux/distance.h"
#include "support/index_lines.h"
#include "support/run_program.h"
#include "support/yearly_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <string>

namespace meanflux {
namespace {

TEST(CalendarAnchors, OfGivenYears)
{
    struct Case {
        int year, first_day, year_offset;
        const char* what;
    };
    constexpr Case cases[] = {
        {1980, 10957, 365, ""},
        {1981, 11323, 366, "after a leap year"},
        {1950, 0, 365, "the origin"},
        {1951, 365, 365, ""},
        {1949, -365, 366, "before the origin, after a leap year"},
        {2099, 54422, 365, "the last year the day numbers count right"},
    };
    for (const auto& c : cases) {
        const calendar_anchors a = anchors_of(c.year);
        EXPECT_EQ(a.first_day, c.first_day) << c.year << " " << c.what;
        EXPECT_EQ(a.year_offset, c.year_offset) << c.year << " " << c.what;
    }
}

// A year computed in memory from the bytes of its three daily index files.
struct year_in_memory {
    std::unique_ptr<std::array<daily_year, 3>> files =
        std::make_unique<std::array<daily_year, 3>>();
    std::unique_ptr<year_tables> tables = std::make_unique<year_tables>();
    std::unique_ptr<daily_series> series = std::make_unique<daily_series>();
    year_records records{};
    year_result result;
    year_status status = year_status::written;

    year_in_memory(int year, const std::string& before, const std::string& file,
                   const std::string& after)
    {
        init_year_tables(*tables);
        const std::string* bytes[3] = {&before, &file, &after};
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(
                read_daily_bytes(year - 1 + i, *bytes[i], (*files)[static_cast<std::size_t>(i)])
                    .status,
                daily_status::read);
        status = compute_year(year, files_of(year), *tables, *series, records, result);
    }
    daily_years files_of(int year) const { return {year - 1, *files}; }
    std::string text() const { return {records.data(), static_cast<std::size_t>(result.bytes)}; }
};

TEST(FormatRecords, DayNumbersFollowTheLinesOfTheGivenYear)
{
    struct Case {
        int year, lines;
        const char *first, *last;
        std::size_t record_length;
    };
    const Case cases[] = {
        {1950, 365, "00000", "00364", 49},
        {1951, 365, "00365", "00729", 49},
        {1949, 365, "-00365", "-00001", 50},
        {2099, 365, "54422", "54786", 49},
        {1980, 366, "10957", "11322", 49},
        {1981, 100, "11323", "11422", 49}, // a file still being published: its lines only
    };
    for (const auto& c : cases) {
        const year_in_memory y(c.year,
                               test::constant_file(days_in_year(c.year - 1), 90.0),
                               test::constant_file(c.lines, 90.0),
                               test::constant_file(365, 90.0));
        ASSERT_EQ(y.status, year_status::written);
        EXPECT_EQ(y.result.records, c.lines);
        const std::string out = y.text();
        ASSERT_EQ(out.size(), c.lines * c.record_length) << c.year;
        EXPECT_EQ(out.substr(0, c.record_length - 44), c.first) << c.year;
        EXPECT_EQ(out.substr(out.size() - c.record_length, c.record_length - 44), c.last) << c.year;
    }
}

TEST(FormatRecords, CopiesTheActivityTextOfEachLine)
{
    const std::string given = test::index_file(
        365, [](int i) { return 70.0 + i % 30; }, [](int i) { return i % 11 == 0 ? 3 : 0; });
    const year_in_memory y(
        1950, test::constant_file(365, 80.0), given, test::constant_file(365, 80.0));
    ASSERT_EQ(y.status, year_status::written);
    const std::string out = y.text();
    for (int n = 0; n < 365; ++n) {
        const std::string line = given.substr(n * 72, 71);
        const std::string record = out.substr(n * 49, 49);
        ASSERT_EQ(record.substr(5, 22), line.substr(12, 19) + line.substr(55, 3)) << n;
        ASSERT_EQ(record.substr(47), "\r\n");
        if (n % 11 == 0) {
            EXPECT_EQ(record.substr(27, 5), record.substr(37, 5)) << "a filled day, " << n;
        }
    }
}

TEST(FormatRecords, TheFluxesALineMayGiveAlwaysFitTheRecord)
{
    // The extreme fluxes at the Sun's nearest, observed at the series position with the
    // smallest distance and filled back on the day of the year with the largest: every value
    // stays within five columns.  Half a unit further out, the filled value would not.
    double r_min = 2.0, r_max = 0.0;
    for (int p = 0; p < MAX_DAYS; ++p)
        r_min = std::min(r_min, dist_factor(p));
    for (int n = 0; n < max_year_days; ++n)
        r_max = std::max(r_max, dist_factor(n));
    auto width = [](double v) { return std::snprintf(nullptr, 0, "%5.1f", v); };
    for (const double flux : {lowest_flux, highest_flux}) {
        const double observed = flux / r_min / r_min;
        EXPECT_EQ(width(observed), 5) << flux;
        EXPECT_EQ(width((observed * r_max) * r_max), 5) << flux;
        const double beyond = flux + (flux < 0 ? -0.5 : 0.5);
        EXPECT_GT(width(((beyond / r_min / r_min) * r_max) * r_max), 5) << beyond;
    }

    // Whole years of the extreme fluxes, with days without observation among them.
    for (const double flux : {lowest_flux, highest_flux}) {
        auto file = [&](int days) {
            return test::index_file(
                days, [&](int) { return flux; }, [](int i) { return i % 2 == 0 ? 3 : 0; });
        };
        for (const int year : {1980, 1981}) {
            const year_in_memory y(
                year, file(days_in_year(year - 1)), file(days_in_year(year)), file(365));
            ASSERT_EQ(y.status, year_status::written) << flux;
            EXPECT_EQ(y.result.bytes, days_in_year(year) * record_stride) << flux;
        }
    }
}

TEST(FormatRecords, AValueThatDoesNotFitStopsTheFormatting)
{
    // A series not made from files, with a day whose flux needs six columns.
    year_in_memory y(1980,
                     test::constant_file(365, 100.0),
                     test::constant_file(366, 100.0),
                     test::constant_file(365, 100.0));
    y.series->flux_adj[365 + 40] = 1000.0;
    y.series->flux_obs[365 + 40] = 1000.0;
    year_result result;
    const daily_year& given = (*y.files)[1];
    EXPECT_EQ(format_records(anchors_of(1980),
                             *y.series,
                             y.tables->gauss_w,
                             std::span<const activity_text>(given.activity.data(), 366),
                             y.records,
                             result),
              year_status::record_too_wide);
    EXPECT_EQ(result.day, 40);
}

TEST(ComputeYear, EachFilesDaysStandAtTheirOwnDates)
{
    // A short file never moves the days of the next one: 1979.dat without its last line, and
    // 1981.dat with only 120.  1980's first day stays at position 365, and the days no line
    // gives are days without observation.
    const std::string y1979 = test::read_file(test::real_year(1979));
    const std::string y1980 = test::read_file(test::real_year(1980));
    const std::string y1981 = test::read_file(test::real_year(1981));
    const year_in_memory full(1980, y1979, y1980, y1981);
    year_in_memory y(1980, y1979.substr(0, y1979.size() - 72), y1980, y1981.substr(0, 120 * 72));
    ASSERT_EQ(y.status, year_status::written);
    const daily_series& s = *y.series;
    EXPECT_EQ(s.series_len, 1096);
    EXPECT_EQ(s.flux_qual[364], MISSING_FLUX) << "31 December 1979";
    for (int p = 365; p < 731 + 120; ++p) {
        EXPECT_EQ(s.flux_adj[p], full.series->flux_adj[p]) << p;
        EXPECT_EQ(s.flux_qual[p], full.series->flux_qual[p]) << p;
    }
    for (int p = 731 + 120; p < MAX_DAYS; ++p)
        EXPECT_EQ(s.flux_qual[p], MISSING_FLUX) << p;
    EXPECT_EQ(full.series->flux_adj[0], 194.1) << "1 January 1979";
    EXPECT_EQ(full.series->flux_adj[1095], 182.8) << "31 December 1981";

    // The years after a leap year: 1980's days begin at 365, 1981's at 366.
    const year_in_memory after_leap(1981, y1980, y1981, test::read_file(test::real_year(1982)));
    EXPECT_EQ(after_leap.series->series_len, 366 + 365 + 365);
    EXPECT_EQ(after_leap.series->flux_adj[366], full.series->flux_adj[731]) << "1 January 1981";

    // The year before or after without a file, and the given year without lines.
    year_result result;
    EXPECT_EQ(compute_year(1980,
                           {1980, std::span(y.files->data() + 1, 1)},
                           *y.tables,
                           *y.series,
                           y.records,
                           result),
              year_status::written);
    EXPECT_EQ(result.records, 366);
    EXPECT_EQ(compute_year(1982, y.files_of(1980), *y.tables, *y.series, y.records, result),
              year_status::no_days);
}

} // namespace
} // namespace meanflux
