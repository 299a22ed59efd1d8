#include "tools/gfz_import.h"

#include "support/run_program.h"
#include "support/yearly_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace meanflux::test {
namespace {

namespace fs = std::filesystem;

const fs::path gfz_1979_1981 = test_data("gfz/Kp_ap_Ap_SN_F107_1979-1981.txt");
const fs::path gfz_2016_on = example_data("data/Kp_ap_Ap_SN_F107_2016-latest.txt");

TEST(Import, ReproducesTheArchiveFilesOf1979To1981)
{
    scratch_dir dir;
    const program_result r =
        run_command("meanflux-import", {"-d", dir.path().string(), gfz_1979_1981.string()}, ".");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              dir.path().string() + "/1979.dat: 365 days\n" + dir.path().string() +
                  "/1980.dat: 366 days\n" + dir.path().string() + "/1981.dat: 365 days\n");
    int days = 0, equal_flux = 0;
    for (int year = 1979; year <= 1981; ++year) {
        const std::string got = read_file(dir / (std::to_string(year) + ".dat"));
        const std::string archive = read_file(real_year(year));
        ASSERT_EQ(got.size(), archive.size()) << year;
        for (std::size_t at = 0; at < got.size(); at += 72, ++days) {
            const std::string a = got.substr(at, 72), b = archive.substr(at, 72);
            ASSERT_EQ(a[71], '\n');
            // Date zero-padded, as the files from 2000 on write it; the rotation as there.
            EXPECT_EQ(a.substr(0, 2), b.substr(0, 2));
            EXPECT_EQ(std::stoi(a.substr(2, 2)), std::stoi(b.substr(2, 2)));
            EXPECT_EQ(std::stoi(a.substr(4, 2)), std::stoi(b.substr(4, 2)));
            EXPECT_EQ(a.substr(6, 6), b.substr(6, 6));
            // Kp, their sum, ap and Ap, then Cp and C9, character for character.
            EXPECT_EQ(a.substr(12, 46), b.substr(12, 46)) << year << " line " << at / 72;
            EXPECT_EQ(a.substr(58, 4), b.substr(58, 4)) << year << " line " << at / 72;
            const double fa = std::stod(a.substr(65, 5)), fb = std::stod(b.substr(65, 5));
            const bool the_sources_disagree = year == 1980 && at / 72 == 361; // 27 December
            if (!the_sources_disagree) {
                EXPECT_NEAR(fa, fb, 1.0) << year << " line " << at / 72;
            }
            equal_flux += a.substr(65, 5) == b.substr(65, 5);
            EXPECT_EQ(a[70], '0');
        }
    }
    EXPECT_EQ(days, 1096);
    // The two sources adjusted the flux to 1 AU slightly differently: about half the days agree
    // to the tenth.
    EXPECT_EQ(equal_flux, 531);
}

TEST(Import, GivesMeanfluxTheYearsTheArchiveNoLongerHas)
{
    scratch_dir dir;
    const program_result r = run_command("meanflux-import", {gfz_2016_on.string()}, dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("2024.dat: 366 days\n2025.dat: 365 days\n2026.dat: 7 days\n"),
              std::string::npos)
        << r.out;
    for (int year = 2017; year <= 2024; ++year) {
        const program_result run = run_meanflux(dir.path(), std::to_string(year) + "\n");
        EXPECT_EQ(run.status, 0) << year;
        EXPECT_EQ(run.err, "") << year;
        EXPECT_EQ(read_file(dir / (std::to_string(year) + "_m.dat")).size(),
                  (year % 4 == 0 ? 366u : 365u) * 49u);
    }
    // 2017 as the archive has it: the same Kp, ap and Ap on every day.
    const std::string imported = read_file(dir / "2017.dat");
    const std::string archive = read_file(real_year(2017));
    for (std::size_t at = 0; at < archive.size(); at += 72)
        EXPECT_EQ(imported.substr(at + 12, 46), archive.substr(at + 12, 46)) << at / 72;
}

TEST(Import, LinesOfTheDailyIndexFile)
{
    struct Case {
        std::string gfz, daily;
        const char* what;
    };
    const Case cases[] = {
        {"1980 01 01 17532 17532.5 2001 19  2.333  2.333  2.333  3.333  3.333  4.333  5.000  "
         "5.000    9    9    9   18   18   32   48   48    24 217    195.6    189.1 2",
         "8001012001192323233333435050280  9  9  9 18 18 32 48 48 241.26217189.10\n",
         "a whole day"},
        {"2020 10 23 32438 32438.5 2553 21  1.333  1.333  0.333  0.333  1.667  2.667  4.667  "
         "4.667    5    5    2    2    6   12   39   39    14  17     -1.0     -1.0 2",
         "2010232553211313 3 317274747170  5  5  2  2  6 12 39 39 140.84 17  0.03\n",
         "no flux that day"},
        {"2026 01 07 34340 34340.5 2624  6 -1.000  0.333  0.000  0.333  0.667  0.667  2.000  "
         "2.000   -1    2    0    2    3    3    7    7    -1  -1    135.0    130.6 0",
         "2601072624 6   3 0 3 7 72020        2  0  2  3  3  7  7          130.60\n",
         "missing Kp, ap, Ap and sunspot number"},
        {"1989 03 13 20891 20891.5 2116 13  6.000  7.333  8.667  9.000  9.000  9.000  9.000  "
         "9.000   80  154  300  400  400  400  400  400   292 250    275.7    270.1 2",
         "8903132116136073879090909090670 80154300400400400400400292    250270.10\n",
         "an ap sum whose Cp the archive does not establish"},
    };
    for (const auto& c : cases) {
        gfz_day day{};
        std::string problem;
        ASSERT_EQ(parse_gfz_line(c.gfz, day, problem), gfz_line_kind::day) << c.what << problem;
        EXPECT_EQ(daily_index_line(day), c.daily) << c.what;
        EXPECT_EQ(daily_index_line(day).size(), 72u) << c.what;
    }
}

TEST(Import, CpFromTheSumOfTheEightAp)
{
    struct Case {
        int sum;
        bool known;
        int cp, c9;
    };
    constexpr Case cases[] = {
        {0, true, 0, 0},     {22, true, 0, 0},    {23, true, 1, 0},    {35, true, 2, 1},
        {140, true, 10, 5},  {320, true, 14, 6},  {321, true, 15, 7},  {729, true, 18, 7},
        {730, true, 19, 8},  {1117, true, 19, 8}, {1118, false, 0, 0}, {1120, true, 20, 9},
        {1395, true, 20, 9}, {1400, false, 0, 0}, {1410, true, 21, 9}, {1967, true, 22, 9},
        {2000, false, 0, 0}, {2237, true, 23, 9}, {3200, false, 0, 0}, {-5, false, 0, 0},
    };
    for (const auto& c : cases) {
        int cp = -1;
        EXPECT_EQ(cp_of_ap_sum(c.sum, cp), c.known) << c.sum;
        if (c.known) {
            EXPECT_EQ(cp, c.cp) << c.sum;
            EXPECT_EQ(c9_of_cp(cp), c.c9) << c.sum;
        }
    }
}

TEST(Import, RefusesMalformedLinesWithTheirNumber)
{
    const std::string good = "1980 01 01 17532 17532.5 2001 19  2.333  2.333  2.333  3.333  3.333 "
                             " 4.333  5.000  5.000    9    9    9   18   18   32   48   48    24 "
                             "217    195.6    189.1 2";
    const std::string next = "1980 01 02 17533 17533.5 2001 20  4.333  3.000  2.000  2.333  3.333 "
                             " 2.000  1.000  2.000   32   15    7    9   18    7    4    7    12 "
                             "224    206.7    199.8 2";
    auto with = [&](std::size_t field, const std::string& value) {
        std::string line = next;
        std::size_t at = 0;
        for (std::size_t f = 0; f <= field; ++f) {
            at = line.find_first_not_of(' ', at);
            if (f < field)
                at = line.find(' ', at);
        }
        line.replace(at, line.find(' ', at) - at, value);
        return line;
    };
    struct Case {
        std::string second_line;
        std::string problem;
    };
    const Case cases[] = {
        {next + " 7", "more than 28 fields"},
        {next.substr(0, next.rfind(' ')), "27 fields, not 28"},
        {with(1, "13"), "not a valid date"},
        {"1980 02 30" + next.substr(10), "not a valid date"},
        {with(7, "9.333"), "a Kp is neither 0 to 9 nor -1"},
        {with(8, "x"), "a Kp is neither 0 to 9 nor -1"},
        {with(16, "-2"), "an ap is neither 0 to 999 nor -1"},
        {with(23, "1000"), "Ap is neither 0 to 999 nor -1"},
        {with(24, "2.5"), "the sunspot number is neither 0 to 999 nor -1"},
        {with(26, "1000.0"), "an F10.7 is neither 0 to 999.9 nor -1"},
        {with(26, "nan"), "an F10.7 is neither 0 to 999.9 nor -1"},
        {with(27, "3"), "D is not 0, 1 or 2"},
        {"1980 01 03" + next.substr(10),
         "day 1980-1-3 does not follow the day before it (a day missing, repeated or out of "
         "order)"},
        {good,
         "day 1980-1-1 does not follow the day before it (a day missing, repeated or out "
         "of order)"},
    };
    for (const auto& c : cases) {
        scratch_dir dir;
        dir.write("gfz.txt", "# a header line\n#\n" + good + "\n" + c.second_line + "\n");
        const program_result r = run_command("meanflux-import", {"gfz.txt"}, dir.path());
        EXPECT_EQ(r.status, 2) << c.problem;
        EXPECT_EQ(r.err, "meanflux-import: gfz.txt: line 4: " + c.problem + "\n");
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"gfz.txt"}) << "nothing written";
    }
}

TEST(Import, YearsAskedForAndUsage)
{
    scratch_dir dir;
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out, err;
    };
    const std::string file = gfz_1979_1981.string();
    const Case cases[] = {
        {{"--from", "1980", "--to", "1980", file}, 0, "1980.dat: 366 days\n", ""},
        {{"--from", "1981", file}, 0, "1981.dat: 365 days\n", ""},
        {{"--from", "1990", file},
         1,
         "",
         "meanflux-import: " + file + ": no day of the years asked for\n"},
        {{"--to", "nineteen", file},
         2,
         "",
         "meanflux-import: nineteen: not a year\n"
         "usage: meanflux-import [-d DIR] [--from YEAR] [--to YEAR] FILE\n"},
        {{},
         2,
         "",
         "meanflux-import: one input file is needed\n"
         "usage: meanflux-import [-d DIR] [--from YEAR] [--to YEAR] FILE\n"},
        {{"none.txt"}, 2, "", "meanflux-import: none.txt: No such file or directory\n"},
        {{"-d", "no/such/dir", "--from", "1981", file},
         2,
         "",
         "meanflux-import: no/such/dir: cannot create the directory: No such file or "
         "directory\n"},
        {{"-d", "new", "--to", "1979", file}, 0, "new/1979.dat: 365 days\n", ""},
    };
    for (const auto& c : cases) {
        const program_result r = run_command("meanflux-import", c.args, dir.path());
        EXPECT_EQ(r.status, c.status) << c.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
    }
    EXPECT_EQ(run_command("meanflux-import", {"--help"}, dir.path()).status, 0);
}

} // namespace
} // namespace meanflux::test
