#include "sources/source.h"
#include "sources/source_lines.h"

#include "support/run_program.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace meanflux::test {
namespace {

// A GFZ data line of the given date, with the day count and values of 1 January 1980.
std::string gfz_line(int year, int month, int day)
{
    char date[48];
    std::snprintf(date, sizeof date, "%04d %02d %02d", year, month, day);
    return date + std::string(" 17532 17532.5 2001 19  2.333  2.333  2.333  3.333  3.333  4.333  "
                              "5.000  5.000    9    9    9   18   18   32   48   48    24 217    "
                              "195.6    189.1 2");
}

const std::string celestrak_header = "DATE,BSRN,ND,KP1,KP2,KP3,KP4,KP5,KP6,KP7,KP8,KP_SUM,AP1,AP2,"
                                     "AP3,AP4,AP5,AP6,AP7,AP8,AP_AVG,CP,C9,ISN,F10.7_OBS,"
                                     "F10.7_ADJ,F10.7_DATA_TYPE,F10.7_OBS_CENTER81,"
                                     "F10.7_OBS_LAST81,F10.7_ADJ_CENTER81,F10.7_ADJ_LAST81";

TEST(Source, RecognisesTheFormatByItsFirstLine)
{
    struct Case {
        std::string bytes;
        source_format format;
        const char* what;
    };
    const Case cases[] = {
        {"# PURPOSE: This file distributes ...\n" + gfz_line(1980, 1, 1) + "\n",
         source_format::gfz_potsdam,
         "the GFZ header"},
        {gfz_line(1980, 1, 1) + "\n", source_format::gfz_potsdam, "a GFZ excerpt without header"},
        {"\n  \r\n#\n", source_format::gfz_potsdam, "blank lines before the header"},
        {celestrak_header + "\r\n", source_format::celestrak, "the CelesTrak header row"},
        {"\xEF\xBB\xBF" + celestrak_header + "\n",
         source_format::celestrak,
         "a byte-order mark before it"},
        {"", source_format::unknown, "an empty file"},
        {"\n\n", source_format::unknown, "only blank lines"},
        {"8001012001192323233333435050280  9  9  9 18 18 32 48 48 241.26217189.10\n",
         source_format::unknown,
         "a yearly daily index file"},
        {" 80 1 12001192323233333435050280  9  9  9 18 18 32 48 48 241.26217189.10\n",
         source_format::unknown,
         "a yearly daily index file of the 1980s"},
        {"date,bsrn,nd\n", source_format::unknown, "a header row in lower case"},
        {"DATE BSRN ND\n", source_format::unknown, "a header without commas"},
        {std::string("\0\0\0\0", 4), source_format::unknown, "zero bytes"},
        {"-980 01 01\n", source_format::unknown, "a negative year"},
        {"1980\n", source_format::unknown, "a year alone"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(recognise_source(c.bytes), c.format) << c.what;
}

TEST(Source, LinesEndWithLfOrCrLfAndHaveAtMost4096Characters)
{
    struct Case {
        std::string bytes;
        std::vector<std::string> lines; // "too long" marks a refused line
    };
    const std::string longest(4096, 'x');
    const Case cases[] = {
        {"", {}},
        {"a\nb\n", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}}, // a last line without a line end
        {"a\rb\n", {"a\rb"}}, // a CR without LF is a character of the line
        {"a\r", {"a"}},       // but one that ends the input was cut from its LF
        {"\n\r\n", {"", ""}},
        {longest + "\n", {longest}},
        {longest + "\r\n", {longest}}, // the CR is not counted
        {longest + "x\n", {"too long"}},
        {longest + "x", {"too long"}},
        {"a\n" + longest + "xx\nb\n", {"a", "too long", "b"}},
    };
    for (const auto& c : cases) {
        line_cursor cursor{c.bytes};
        std::vector<std::string> lines;
        std::string_view line;
        for (line_status s; (s = next_line(cursor, line)) != line_status::end;)
            lines.push_back(s == line_status::line ? std::string(line) : "too long");
        EXPECT_EQ(lines, c.lines) << c.bytes.substr(0, 20);
        EXPECT_EQ(cursor.number, static_cast<long>(c.lines.size()));
    }
}

TEST(Source, GfzDatesFollowEachOtherInTheGregorianCalendar)
{
    // Accepted: the turns of month and year, 2000 a leap year, 2100 not.
    struct Pair {
        int y1, m1, d1, y2, m2, d2;
    };
    constexpr Pair accepted[] = {
        {1999, 2, 28, 1999, 3, 1},
        {2000, 2, 28, 2000, 2, 29},
        {2000, 2, 29, 2000, 3, 1},
        {2099, 12, 31, 2100, 1, 1},
        {2100, 2, 28, 2100, 3, 1},
    };
    for (const auto& p : accepted) {
        const std::string bytes =
            "#\n" + gfz_line(p.y1, p.m1, p.d1) + "\n" + gfz_line(p.y2, p.m2, p.d2) + "\n";
        source_days source;
        source_problem problem;
        EXPECT_EQ(read_source(bytes, source, problem), source_status::read)
            << p.y2 << "-" << p.m2 << "-" << p.d2 << ": " << problem.what;
        EXPECT_EQ(source.days.size(), 2u);
    }

    struct Case {
        std::vector<std::vector<int>> dates;
        long line;
        std::string problem;
    };
    const Case refused[] = {
        {{{1980, 1, 1}, {1980, 1, 3}},
         3,
         "day 1980-01-03 does not follow the day before it, 1980-01-01 (a day missing, repeated "
         "or out of order)"},
        {{{1980, 1, 1}, {1980, 1, 2}, {1980, 1, 2}},
         4,
         "day 1980-01-02 does not follow the day before it, 1980-01-02 (a day missing, repeated "
         "or out of order)"},
        {{{1980, 1, 2}, {1980, 1, 1}},
         3,
         "day 1980-01-01 does not follow the day before it, 1980-01-02 (a day missing, repeated "
         "or out of order)"},
        {{{2100, 2, 28}, {2100, 2, 29}}, 3, "not a valid date"},
        {{{2100, 2, 28}, {2100, 3, 2}},
         3,
         "day 2100-03-02 does not follow the day before it, 2100-02-28 (a day missing, repeated "
         "or out of order)"},
    };
    for (const auto& c : refused) {
        std::string bytes = "#\n";
        for (const auto& d : c.dates)
            bytes += gfz_line(d[0], d[1], d[2]) + "\n";
        source_days source;
        source_problem problem;
        EXPECT_EQ(read_source(bytes, source, problem), source_status::malformed);
        EXPECT_EQ(problem.line, c.line);
        EXPECT_EQ(problem.what, c.problem);
        EXPECT_TRUE(source.days.empty());
    }
}

TEST(Source, GfzFile)
{
    // A byte-order mark, header lines anywhere, CR LF, a last line without a line end: three
    // days.
    const std::string bytes = "\xEF\xBB\xBF# header\r\n" + gfz_line(1980, 12, 31) +
                              "\r\n#\r\n\r\n" + gfz_line(1981, 1, 1) + "\r\n" +
                              gfz_line(1981, 1, 2);
    source_days source;
    source_problem problem;
    ASSERT_EQ(read_source(bytes, source, problem), source_status::read) << problem.what;
    EXPECT_EQ(source.format, source_format::gfz_potsdam);
    ASSERT_EQ(source.days.size(), 3u);
    EXPECT_EQ(source.text.size(), 3u * 72u);
    EXPECT_EQ(line_of(source, source.days[1]),
              "8101012001192323233333435050280  9  9  9 18 18 32 48 48 241.26217189.10");
    EXPECT_EQ(lines_of(source, 1, 2), source.text.substr(72));
    EXPECT_EQ(days_before_predictions(source), 3u);
    for (const source_day& d : source.days)
        EXPECT_FALSE(d.predicted);

    struct Case {
        std::string bytes;
        long line;
        std::string problem;
    };
    const std::string day = gfz_line(1980, 1, 1);
    const Case refused[] = {
        {"#\n" + day + "\n" + gfz_line(1980, 1, 2).substr(0, 100), 3, "17 fields, not 28"},
        {"#\n" + day + std::string(4000, ' ') + "\n", 2, "longer than 4096 characters"},
        {"#\n" + std::string(100000, '#') + "\n", 2, "longer than 4096 characters"},
        {"#\n" + day + "\n" + "1980 01 02 x\n", 3, "4 fields, not 28"},
    };
    for (const auto& c : refused) {
        EXPECT_EQ(read_source(c.bytes, source, problem), source_status::malformed);
        EXPECT_EQ(problem.line, c.line);
        EXPECT_EQ(problem.what, c.problem);
    }
}

TEST(Source, LinesOfTheDaysBeforeASourceBegins)
{
    const std::string none(59, ' ');
    const std::string before = lines_before({1957, 10, 1, false, 0, 71});
    ASSERT_EQ(before.size(), 273u * 72u);
    EXPECT_EQ(before.substr(0, 72), "570101" + none + "  0.03\n");
    EXPECT_EQ(before.substr(58 * 72, 72), "570228" + none + "  0.03\n");
    EXPECT_EQ(before.substr(272 * 72), "570930" + none + "  0.03\n");
    EXPECT_EQ(lines_before({2100, 3, 1, false, 0, 71}).size(), 59u * 72u); // not a leap year
    EXPECT_EQ(lines_before({2000, 3, 1, false, 0, 71}).size(), 60u * 72u);
    EXPECT_EQ(lines_before({1980, 1, 1, false, 0, 71}), "");
}

TEST(Source, FilesOfNeitherFormatOrThatCannotBeRead)
{
    scratch_dir dir;
    dir.write("daily.dat",
              "8001012001192323233333435050280  9  9  9 18 18 32 48 48 241.26217"
              "189.10\n");
    dir.write("empty.txt", "");
    struct Case {
        std::string name;
        source_status status;
        std::string what;
    };
    const Case cases[] = {
        {(dir / "daily.dat").string(), source_status::not_recognised, not_a_source},
        {(dir / "empty.txt").string(), source_status::not_recognised, not_a_source},
        {(dir / "none.txt").string(), source_status::cannot_read, "No such file or directory"},
        {dir.path().string(), source_status::cannot_read, "Is a directory"},
    };
    for (const auto& c : cases) {
        source_days source;
        source_problem problem;
        EXPECT_EQ(read_source_file(c.name.c_str(), source, problem), c.status) << c.name;
        EXPECT_EQ(problem.what, c.what) << c.name;
        EXPECT_TRUE(source.days.empty());
    }
}

} // namespace
} // namespace meanflux::test
