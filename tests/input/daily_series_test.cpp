#include "input/daily_series.h"

#include "support/index_lines.h"
#include "support/run_program.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace meanflux {
namespace {

using test::scratch_dir;

struct loaded_files {
    load_result result;
    daily_series series;
};

// Load three files written into a scratch directory.
loaded_files load(const std::string& before, const std::string& year, const std::string& after)
{
    scratch_dir dir;
    dir.write("a.dat", before);
    dir.write("b.dat", year);
    dir.write("c.dat", after);
    const std::string a = (dir / "a.dat").string(), b = (dir / "b.dat").string(),
                      c = (dir / "c.dat").string();
    loaded_files loaded;
    line_buffer line_buf{};
    loaded.result = load_daily_series({a.c_str(), b.c_str(), c.c_str()}, loaded.series, line_buf);
    return loaded;
}

TEST(LoadDailySeries, ThreeRealYears)
{
    const auto y = [](const char* name) { return test::read_file(test::example_data(name)); };
    const loaded_files l = load(y("data/1979.dat"), y("data/1980.dat"), y("data/1981.dat"));
    ASSERT_EQ(l.result.status, load_status::loaded);
    EXPECT_EQ(l.result.lines, (std::array<int, 3>{365, 366, 365}));
    EXPECT_EQ(l.series.series_len, 1096);
    // 1 January 1979, 1980 and 1981, and the last day of 1981, as the files give them.
    EXPECT_EQ(l.series.flux_adj[0], 194.1);
    EXPECT_EQ(l.series.flux_adj[365], 189.1);
    EXPECT_EQ(l.series.flux_qual[365], 0);
    EXPECT_EQ(l.series.flux_adj[731], 189.7);
    EXPECT_EQ(l.series.flux_adj[1095], 182.8);
    for (int p = 1096; p < MAX_DAYS; ++p) {
        EXPECT_EQ(l.series.flux_adj[p], 0.0);
        EXPECT_EQ(l.series.flux_qual[p], 0);
    }
}

TEST(LoadDailySeries, FluxAndQualifierFields)
{
    const std::string body(65, 'x');
    struct Case {
        std::string line;
        double flux;
        int qual;
        const char* what;
    };
    const Case cases[] = {
        {body + " 70.51", 70.5, 1, "qualifier 1"},
        {body + " 70.52", 70.5, 2, "qualifier 2 keeps the flux"},
        {body + "  0.03", 0.0, MISSING_FLUX, "a missing day"},
        {body + "      ", 0.0, 0, "blank flux and qualifier"},
        {body + "     3", 0.0, MISSING_FLUX, "blank flux of a missing day"},
        {body + "220.3", 220.3, 0, "a line that stops before the qualifier"},
        {body + "---070", 0.0, 0, "a flux field that holds no number"},
        {body, 0.0, 0, "a line that stops before the flux"},
        {"", 0.0, 0, "an empty line"},
    };
    for (const auto& c : cases) {
        // A full line with other values comes first: nothing of it may show in the next day.
        const loaded_files l = load("", body + "999.95\n" + c.line + "\n", "");
        ASSERT_EQ(l.result.status, load_status::loaded) << c.what;
        ASSERT_EQ(l.series.series_len, 2) << c.what;
        EXPECT_EQ(l.series.flux_adj[1], c.flux) << c.what;
        EXPECT_EQ(l.series.flux_qual[1], c.qual) << c.what;
    }
}

TEST(LoadDailySeries, LineEndsAndFileEnds)
{
    auto flux = [](int i) { return 60.0 + i * 0.3; };
    auto qual = [](int i) { return i % 5 == 0 ? 3 : 0; };
    const std::string lf = test::index_file(365, flux, qual, "\n");
    const std::string crlf = test::index_file(365, flux, qual, "\r\n");
    const loaded_files a = load(lf, crlf, lf);
    const loaded_files b = load(crlf, lf, crlf);
    EXPECT_EQ(a.series.series_len, 1095);
    EXPECT_EQ(a.series.flux_adj, b.series.flux_adj);
    EXPECT_EQ(a.series.flux_qual, b.series.flux_qual);

    // A last line without a line end is not a day; an empty file adds none.
    const std::string two = test::constant_file(2, 80.0);
    const loaded_files c = load(two + test::index_line(9, 90.0, 0), "", two);
    EXPECT_EQ(c.result.lines, (std::array<int, 3>{2, 0, 2}));
    EXPECT_EQ(c.series.flux_adj[2], 80.0);
    EXPECT_EQ(c.series.flux_adj[4], 0.0);

    // A file with 80-character lines (as 1932.dat has) gives two days a line.
    const loaded_files d = load(std::string(79, ' ') + "x\n", "", "");
    EXPECT_EQ(d.series.series_len, 2);
}

TEST(LoadDailySeries, NoMoreThanMaxDays)
{
    const std::string year = test::constant_file(366, 100.0);
    const loaded_files full = load(year, year, test::constant_file(MAX_DAYS - 732, 100.0));
    EXPECT_EQ(full.result.status, load_status::loaded);
    EXPECT_EQ(full.series.series_len, MAX_DAYS);

    const loaded_files over = load(year, year, test::constant_file(MAX_DAYS - 731, 100.0));
    EXPECT_EQ(over.result.status, load_status::too_many_days);
    EXPECT_EQ(over.result.file, 2);
    EXPECT_EQ(over.series.series_len, MAX_DAYS);
}

TEST(LoadDailySeries, FilesThatCannotBeRead)
{
    scratch_dir dir;
    dir.write("a.dat", test::constant_file(3, 70.0));
    std::filesystem::create_directory(dir / "d.dat");
    const std::string a = (dir / "a.dat").string(), d = (dir / "d.dat").string(),
                      missing = (dir / "none.dat").string();
    struct Case {
        std::array<const char*, 3> names;
        load_status status;
        int file, error_number;
    };
    const Case cases[] = {
        {{missing.c_str(), a.c_str(), a.c_str()}, load_status::cannot_open, 0, ENOENT},
        {{a.c_str(), a.c_str(), missing.c_str()}, load_status::cannot_open, 2, ENOENT},
        {{a.c_str(), d.c_str(), a.c_str()}, load_status::read_error, 1, EISDIR},
    };
    for (const auto& c : cases) {
        daily_series series;
        line_buffer line_buf{};
        const load_result r = load_daily_series(c.names, series, line_buf);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.file, c.file);
        EXPECT_EQ(r.error_number, c.error_number);
    }
}

} // namespace
} // namespace meanflux
