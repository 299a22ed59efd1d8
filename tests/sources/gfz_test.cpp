#include "sources/gfz.h"

#include <gtest/gtest.h>

#include <string>

namespace meanflux::test {
namespace {

// The daily index line of a GFZ data line, with its LF; "" when the line is not a day.
std::string daily_line_of(std::string_view gfz_line)
{
    gfz_day day{};
    std::string problem;
    if (parse_gfz_line(gfz_line, day, problem) != gfz_line_kind::day)
        return "";
    std::string line(daily_line_length, '?');
    if (!format_daily_line(gfz_daily_values(day),
                           std::span<char, daily_line_length>(line.data(), daily_line_length)))
        return "";
    return line + "\n";
}

TEST(GfzLine, MakesTheDailyIndexLine)
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
        {"2100 03 01 61000 61000.5 3000  1  0.000  0.000  0.000  0.000  0.000  0.000  0.000  "
         "0.000    0    0    0    0    0    0    0    0     0   0      0.0      0.0 0",
         "0003013000 1 0 0 0 0 0 0 0 0  0  0  0  0  0  0  0  0  0  00.00  0  0.00\n",
         "a day of 2100, a flux of zero observed"},
        {"1980 01 01 17532 17532.5 2001 19  2.333  2.333  2.333  3.333  3.333  4.333  5.000  "
         "5.000    9    9    9   18   18   32   48   48    24 217    195.6    189.1 2\r",
         "8001012001192323233333435050280  9  9  9 18 18 32 48 48 241.26217189.10\n",
         "CR LF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(daily_line_of(c.gfz), c.daily) << c.what;
}

TEST(GfzLine, HeaderAndBlankLinesAreNotDays)
{
    for (const char* line : {"#YYY MM DD  days", "#", "", "   ", "\t", "\r"}) {
        gfz_day day{};
        std::string problem;
        EXPECT_EQ(parse_gfz_line(line, day, problem), gfz_line_kind::header) << line;
    }
}

TEST(GfzLine, RefusesWhatIsNotAPlainNumberInItsRange)
{
    const std::string good = "1980 01 02 17533 17533.5 2001 20  4.333  3.000  2.000  2.333  "
                             "3.333  2.000  1.000  2.000   32   15    7    9   18    7    4    7 "
                             "   12 224    206.7    199.8 2";
    // The line with field `field` (from 0) replaced by `value`.
    auto with = [&](std::size_t field, const std::string& value) {
        std::string line = good;
        std::size_t at = 0;
        for (std::size_t f = 0; f <= field; ++f) {
            at = line.find_first_not_of(' ', at);
            if (f < field)
                at = line.find(' ', at);
        }
        line.replace(at, std::min(line.find(' ', at), line.size()) - at, value);
        return line;
    };
    struct Case {
        std::string line;
        std::string problem;
    };
    const Case cases[] = {
        {good + " 7", "more than 28 fields"},
        {good.substr(0, good.rfind(' ')), "27 fields, not 28"},
        {with(1, "13"), "not a valid date"},
        {"1980 02 30" + good.substr(10), "not a valid date"},
        {"2100 02 29" + good.substr(10), "not a valid date"}, // 2100 is not a leap year
        {"0000 01 02" + good.substr(10), "not a valid date"},
        {with(0, "-1"), "not a valid date"},
        {with(5, "-1"), "the Bartels rotation is not a number of four digits and a day of two"},
        {with(6, "100"), "the Bartels rotation is not a number of four digits and a day of two"},
        {with(7, "9.333"), "a Kp is neither 0 to 9 nor -1"},
        {with(8, "x"), "a Kp is neither 0 to 9 nor -1"},
        {with(8, "0x1p1"), "a Kp is neither 0 to 9 nor -1"}, // hexadecimal: 2.0 to strtod
        {with(8, "1e0"), "a Kp is neither 0 to 9 nor -1"},   // an exponent
        {with(8, "2.0abc"), "a Kp is neither 0 to 9 nor -1"},
        {with(8, "+2.0"), "a Kp is neither 0 to 9 nor -1"},
        {with(8, "inf"), "a Kp is neither 0 to 9 nor -1"},
        {with(8, "-0.5"), "a Kp is neither 0 to 9 nor -1"},
        {with(8, "-0.0"), "a Kp is neither 0 to 9 nor -1"},
        {with(8, "2."), "a Kp is neither 0 to 9 nor -1"},
        {with(16, "-2"), "an ap is neither 0 to 999 nor -1"},
        {with(16, "0x10"), "an ap is neither 0 to 999 nor -1"},
        {with(16, "7a"), "an ap is neither 0 to 999 nor -1"},
        {with(23, "1000"), "Ap is neither 0 to 999 nor -1"},
        {with(24, "2.5"), "the sunspot number is neither 0 to 999 nor -1"},
        {with(26, "1000.0"), "an F10.7 is neither 0 to 999.9 nor -1"},
        {with(26, "999.95"), "an F10.7 is neither 0 to 999.9 nor -1"},
        {with(26, "nan"), "an F10.7 is neither 0 to 999.9 nor -1"},
        {with(26, "0x1.8p7"), "an F10.7 is neither 0 to 999.9 nor -1"},
        {with(26, "199.8e0"), "an F10.7 is neither 0 to 999.9 nor -1"},
        {with(27, "3"), "D is not 0, 1 or 2"},
    };
    for (const auto& c : cases) {
        gfz_day day{};
        std::string problem;
        EXPECT_EQ(parse_gfz_line(c.line, day, problem), gfz_line_kind::malformed) << c.line;
        EXPECT_EQ(problem, c.problem) << c.line;
    }
    gfz_day day{};
    std::string problem;
    EXPECT_EQ(parse_gfz_line(good, day, problem), gfz_line_kind::day) << problem;
    EXPECT_EQ(parse_gfz_line(with(26, "-1"), day, problem), gfz_line_kind::day) << problem;
    EXPECT_EQ(day.flux_adj, -1.0);
}

TEST(GfzLine, CpFromTheSumOfTheEightAp)
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

} // namespace
} // namespace meanflux::test
