#include "tools/plot.h"

#include "support/run_program.h"
#include "support/yearly_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace meanflux::test {
namespace {

std::size_t count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// Whether xmllint finds the file well-formed XML.
::testing::AssertionResult well_formed(const std::filesystem::path& file)
{
    const program_result r =
        run_program("/usr/bin/xmllint", {"--noout", file.string()}, file.parent_path(), "");
    if (r.status == 0 && r.err.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "xmllint: " << r.status << " " << r.err;
}

TEST(Plot, AYearlyFileAsAChart)
{
    if (!std::filesystem::exists("/usr/bin/xmllint"))
        GTEST_SKIP() << "xmllint (libxml2-utils) is needed to check the XML";
    scratch_dir dir;
    // 1950: days without observation, which the yearly run filled.
    const std::string yearly = yearly_mean_flux(dir.path(), 1950);
    const program_result r =
        run_command("meanflux-plot", {"-o", "1950.svg", "1950_m.dat"}, dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::string svg = read_file(dir / "1950.svg");
    EXPECT_TRUE(well_formed(dir / "1950.svg"));
    EXPECT_NE(svg.find("centred means, 1950</text>"), std::string::npos);
    EXPECT_NE(svg.find(">Jan</text>"), std::string::npos);
    EXPECT_NE(svg.find(">Dec</text>"), std::string::npos);
    EXPECT_NE(svg.find("Solar radio flux F10.7 (sfu)"), std::string::npos);
    // One continuous path per series, and a mark for each day that has no observation.
    EXPECT_EQ(count(svg, "<path class=\"obs\" d=\"M"), 2u) << "the series and its legend";
    // A day without observation shows its J77 mean as its observed flux; the chart marks every
    // record where the two fields agree.  All 98 days of 1950 with qualifier 3 are among them
    // (and one observed day whose flux happens to equal its mean to the tenth).
    const std::string daily = read_file(dir / "1950.dat");
    std::size_t agree = 0, missing = 0;
    for (std::size_t n = 0; n < 365; ++n) {
        const bool same = yearly.substr(n * 49 + 27, 5) == yearly.substr(n * 49 + 37, 5);
        agree += same;
        if (daily[n * 72 + 70] == '3') {
            ++missing;
            EXPECT_TRUE(same) << n;
        }
    }
    EXPECT_EQ(missing, 98u);
    EXPECT_EQ(count(svg, "class=\"filled\"/>"), agree + 1) << "and one in the legend";
}

TEST(Plot, UndefinedValuesLeaveGaps)
{
    // Made-up days: the means are undefined on days 2 and 3.
    const std::string activity = "2323172023202733"
                                 "187"
                                 " 10";
    const std::string records = "00000" + activity + "100.0 98.0100.0101.0\r\n" + //
                                "00001" + activity + "101.0 99.0  nan  nan\r\n" + //
                                "00002" + activity + "102.0100.0  nan  nan\r\n" + //
                                "00003" + activity + "103.0101.0102.0103.0\r\n";
    std::vector<chart_day> days;
    long bad = 0;
    ASSERT_TRUE(read_chart_days("    0    3\r\n" + records, days, bad));
    ASSERT_EQ(days.size(), 4u);
    EXPECT_EQ(days[1].day, 1);
    EXPECT_TRUE(std::isnan(days[1].gauss_mean));
    EXPECT_FALSE(days[1].filled);
    const std::string svg = chart_svg(days);
    const std::size_t j77 = svg.find("<path class=\"j77\" d=\"");
    ASSERT_NE(j77, std::string::npos);
    const std::string path = svg.substr(j77, svg.find("\"/>", j77) - j77);
    EXPECT_EQ(count(path, "M"), 2u) << path;
    EXPECT_EQ(count(path, "L"), 0u) << "two single points, no line across the gap: " << path;
}

TEST(Plot, ReadsRecordsOfEveryKind)
{
    std::vector<chart_day> days;
    long bad = 0;
    // A record before 1950 carries a minus sign and is one character longer.
    EXPECT_TRUE(read_chart_days("-00365"
                                "2323172023202733187 10"
                                "101.0 99.0101.0 99.5\n",
                                days,
                                bad));
    ASSERT_EQ(days.size(), 1u);
    EXPECT_EQ(days[0].day, -365);
    EXPECT_EQ(days[0].arith_mean, 99.5);
    EXPECT_TRUE(days[0].filled) << "observed flux and J77 agree";
    EXPECT_FALSE(read_chart_days("1095711322\r\nnot a record\r\n", days, bad));
    EXPECT_EQ(bad, 2);
}

TEST(Plot, UsageAndFiles)
{
    scratch_dir dir;
    dir.write("empty.dat", "");
    dir.write("text.dat", "hello\n");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {{"-o", "x.svg", "empty.dat"}, 1, "meanflux-plot: empty.dat: no record to draw\n"},
        {{"-o", "x.svg", "text.dat"},
         2,
         "meanflux-plot: text.dat: line 1 is not a mean-flux record\n"},
        {{"-o", "x.svg", "none.dat"}, 2, "meanflux-plot: none.dat: No such file or directory\n"},
        {{"empty.dat"},
         2,
         "meanflux-plot: no output file (-o)\nusage: meanflux-plot -o OUTPUT.svg FILE\n"},
    };
    for (const auto& c : cases) {
        const program_result r = run_command("meanflux-plot", c.args, dir.path());
        EXPECT_EQ(r.status, c.status) << c.err;
        EXPECT_EQ(r.err, c.err);
        EXPECT_FALSE(std::filesystem::exists(dir / "x.svg"));
    }
    EXPECT_EQ(run_command("meanflux-plot", {"--help"}, dir.path()).status, 0);
}

} // namespace
} // namespace meanflux::test
