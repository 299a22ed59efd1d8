#include "yearly/writer.h"

#include "flux/distance.h"
#include "support/index_lines.h"
#include "support/run_program.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace meanflux {
namespace {

namespace fs = std::filesystem;
using test::scratch_dir;

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
    daily_series series;
    given_days given;
    gauss_table gauss_w{};
    year_records records{};
    write_result result;
    write_status status = write_status::written;

    year_in_memory(int year, const std::string& before, const std::string& file,
                   const std::string& after)
    {
        init_gauss_w(gauss_w);
        EXPECT_EQ(load_years(year, {before, file, after}, series, given).status,
                  load_status::loaded);
        distance_pass(series);
        status = format_records(anchors_of(year), series, gauss_w, given, records, result);
    }
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
        ASSERT_EQ(y.status, write_status::written);
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
    ASSERT_EQ(y.status, write_status::written);
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
            ASSERT_EQ(y.status, write_status::written) << flux;
            EXPECT_EQ(y.result.bytes, days_in_year(year) * record_stride) << flux;
        }
    }
}

TEST(FormatRecords, AValueThatDoesNotFitStopsTheFormatting)
{
    // A series not made by the loader, with a day whose flux needs six columns.
    year_in_memory y(1980,
                     test::constant_file(365, 100.0),
                     test::constant_file(366, 100.0),
                     test::constant_file(365, 100.0));
    y.series.flux_adj[365 + 40] = 1000.0;
    y.series.flux_obs[365 + 40] = 1000.0;
    write_result result;
    EXPECT_EQ(format_records(anchors_of(1980), y.series, y.gauss_w, y.given, y.records, result),
              write_status::record_too_wide);
    EXPECT_EQ(result.day, 40);
}

// A yearly run's writing phase in a scratch directory.
struct writing {
    scratch_dir dir;
    year_in_memory year{1950,
                        test::constant_file(365, 80.0),
                        test::constant_file(365, 80.0),
                        test::constant_file(365, 80.0)};

    std::string path(const char* suffix) const
    {
        return (dir / ("1950" + std::string(suffix))).string();
    }
    write_result write()
    {
        return write_mean_flux(
            1950, path("_m.dat").c_str(), year.series, year.gauss_w, year.given, year.records);
    }
};

TEST(WriteMeanFlux, ReplacesAnExistingFileWhole)
{
    writing w;
    w.dir.write("1950_m.dat", std::string(40000, 'x'));
    ASSERT_EQ(w.write().status, write_status::written);
    const std::string first = test::read_file(w.path("_m.dat"));
    EXPECT_EQ(first, w.year.text());
    EXPECT_EQ(first.size(), 365u * 49u);
    ASSERT_EQ(w.write().status, write_status::written);
    EXPECT_EQ(test::read_file(w.path("_m.dat")), first) << "a second run writes the same";
    EXPECT_EQ(w.dir.entries(), (std::vector<std::string>{"1950_m.dat"}));
}

TEST(WriteMeanFlux, FailuresLeaveTheOldFileAsItWas)
{
    {
        writing w;
        fs::create_directory(w.dir / "1950_m.dat");
        const write_result r = w.write();
        EXPECT_EQ(r.status, write_status::rename_error);
        EXPECT_EQ(r.error_number, EISDIR);
        EXPECT_EQ(w.dir.entries(), (std::vector<std::string>{"1950_m.dat"}))
            << "no temporary file is left";
    }
    {
        // A record that cannot be formatted: the file is not even begun.
        writing w;
        w.dir.write("1950_m.dat", "old contents\r\n");
        w.year.series.flux_obs[365] = 1e6;
        const write_result r = w.write();
        EXPECT_EQ(r.status, write_status::record_too_wide);
        EXPECT_EQ(w.dir.entries(), (std::vector<std::string>{"1950_m.dat"}));
        EXPECT_EQ(test::read_file(w.dir / "1950_m.dat"), "old contents\r\n");
    }
}

TEST(WriteMeanFlux, AWriteProtectedFileIsNotReplaced)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser may write to any file";
    writing w;
    w.dir.write("1950_m.dat", "kept\r\n");
    fs::permissions(w.dir / "1950_m.dat", fs::perms::owner_read);
    EXPECT_EQ(w.write().status, write_status::cannot_create);
    EXPECT_EQ(test::read_file(w.dir / "1950_m.dat"), "kept\r\n");
}

TEST(WriteMeanFlux, KeepsThePermissionsOfTheFileItReplaces)
{
    writing w;
    w.dir.write("1950_m.dat", "old\r\n");
    fs::permissions(w.dir / "1950_m.dat",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(w.write().status, write_status::written);
    EXPECT_EQ(fs::status(w.dir / "1950_m.dat").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

} // namespace
} // namespace meanflux
