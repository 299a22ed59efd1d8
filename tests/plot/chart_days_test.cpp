#include "plot/chart_days.h"

#include "support/index_lines.h"
#include "support/run_program.h"

#include <meanflux/calendar.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <filesystem>

namespace meanflux {
namespace {

using test::index_file;
using test::index_line;
using test::scratch_dir;

const std::string activity = "2323172023202733"
                             "187"
                             " 10";

TEST(ReadChartDays, RecordsOfEveryKind)
{
    std::vector<chart_day> days;
    long bad = 0;
    // A combined file: its header, records with CR LF, a last one without a line end.
    ASSERT_TRUE(read_chart_days("0000000001\r\n"
                                "00000" +
                                    activity + "100.0 98.0101.0  nan\r\n" + //
                                    "00001" + activity + "  nan     101.0 99.5",
                                days,
                                bad));
    ASSERT_EQ(days.size(), 2u);
    EXPECT_EQ(days[0].day, 0);
    EXPECT_EQ(days[0].kp[0], 2.3);
    EXPECT_EQ(days[0].kp[7], 3.3);
    EXPECT_EQ(days[0].ap, 10);
    EXPECT_EQ(days[0].flux_obs, 100.0);
    EXPECT_EQ(days[0].flux_adj, 98.0);
    EXPECT_TRUE(std::isnan(days[0].arith_mean)) << "written nan";
    EXPECT_TRUE(std::isnan(days[1].flux_obs));
    EXPECT_TRUE(std::isnan(days[1].flux_adj)) << "a blank field";
    EXPECT_EQ(days[1].arith_mean, 99.5);
    EXPECT_FALSE(days[0].without_observation) << "only the daily index files tell";

    // A record before 1950 carries a minus sign and is one character longer; LF line ends.
    ASSERT_TRUE(read_chart_days("-00365" + activity + "101.0 99.0101.0 99.5\n", days, bad));
    ASSERT_EQ(days.size(), 1u);
    EXPECT_EQ(days[0].day, -365);

    struct Case {
        std::string text;
        long line;
    };
    const Case bad_files[] = {
        {"1095711322\r\nnot a record\r\n", 2},
        {"00000" + activity + "100.0 98.0101.0 99.5\r\n00001" + activity +
             "100.0 98.0101.0 99.5 \r\n",
         2}, // 48 characters
        {"0000a" + activity + "100.0 98.0101.0 99.5\r\n", 1},
        {"00000" + activity + "100.0 98.0101.0 99.5\r\n1095711322\r\n", 2}, // a header inside
    };
    for (const Case& c : bad_files) {
        EXPECT_FALSE(read_chart_days(c.text, days, bad)) << c.text;
        EXPECT_EQ(bad, c.line) << c.text;
    }
}

// Chart days of the day numbers first..last, none marked.
std::vector<chart_day> days_from(int first, int last)
{
    std::vector<chart_day> days;
    for (int d = first; d <= last; ++d) {
        chart_day day;
        day.day = d;
        days.push_back(day);
    }
    return days;
}

std::vector<int> marked(const std::vector<chart_day>& days)
{
    std::vector<int> m;
    for (const chart_day& d : days)
        if (d.without_observation)
            m.push_back(d.day);
    return m;
}

TEST(MarkDays, PredictedDaysAfterTheHeadersLastObservedDay)
{
    // The days 0..3 of a combined file whose header may name the last observed day; a yearly
    // file's first line is a record, which names none.
    struct Case {
        std::string bytes;
        int last_observed;
        std::vector<int> predicted;
    };
    const Case cases[] = {
        {"0000000003 00001\r\n", 1, {2, 3}},
        {"0000000003 00000\n", 0, {1, 2, 3}},
        {"0000000003\r\n", -1, {}},
        {"0000000003 00003\r\n", -1, {}}, // no day after it
        {"0000000003 0001\r\n", -1, {}},  // not five digits: says nothing
        {"00001" + activity + "100.0 98.0101.0 99.5\r\n", -1, {}},
    };
    for (const Case& c : cases) {
        std::vector<chart_day> days = days_from(0, 3);
        EXPECT_EQ(mark_predicted_days(c.bytes, days), c.last_observed) << c.bytes;
        std::vector<int> predicted;
        for (const chart_day& d : days)
            if (d.predicted)
                predicted.push_back(d.day);
        EXPECT_EQ(predicted, c.predicted) << c.bytes;
    }
}

TEST(MarkDays, EachLineIsTheDayOfItsOwnYear)
{
    scratch_dir dir;
    const int jan1_1980 = day_number(1, 1, 1980);
    // 1979 is short by two lines and ends without a line end: its days keep their places, and
    // so do those of 1980, whose CR LF lines are days too.
    dir.write("1979.dat",
              index_file(
                  363, [](int) { return 150.0; }, [](int i) { return i == 0 || i == 362 ? 3 : 0; })
                  .substr(0, 363 * 72 - 1));
    dir.write("1980.dat",
              index_file(
                  366,
                  [](int) { return 150.0; },
                  [](int i) { return i == 0 || i == 59 || i == 365 ? 3 : 0; },
                  "\r\n"));
    std::vector<chart_day> days = days_from(jan1_1980 - 365, jan1_1980 + 365);
    const index_result r = mark_days_without_observation(dir.path().string(), days);
    ASSERT_EQ(r.problem.status, daily_status::read) << r.file;
    EXPECT_EQ(marked(days),
              (std::vector<int>{
                  jan1_1980 - 365, jan1_1980 - 3, jan1_1980, jan1_1980 + 59, jan1_1980 + 365}));

    // Only the years of the days drawn are read: a chart of 1980 alone needs no 1979.dat.
    std::filesystem::remove(dir / "1979.dat");
    days = days_from(jan1_1980 + 50, jan1_1980 + 70);
    ASSERT_EQ(mark_days_without_observation(dir.path().string() + "/", days).problem.status,
              daily_status::read);
    EXPECT_EQ(marked(days), std::vector<int>{jan1_1980 + 59});
}

TEST(MarkDays, FilesThatCannotServe)
{
    // Each file is read as the yearly run reads it, and refused as it refuses it.
    scratch_dir dir;
    const int jan1_1981 = day_number(1, 1, 1981);
    std::vector<chart_day> days = days_from(jan1_1981, jan1_1981 + 9);
    struct Case {
        std::string bytes; // of 1981.dat; empty: no such file
        daily_status status;
        int line;
    };
    const std::string day = index_line(0, 150.0, 0) + "\n";
    std::string many;
    for (int i = 0; i < 366; ++i)
        many += day;
    const std::string longest = index_line(1, 150.0, 0) + std::string(4096 - 71, ' ');
    const Case cases[] = {
        {"", daily_status::cannot_open, 0},
        {many, daily_status::too_many_lines, 366}, // 1981 has 365 days
        {day + longest + "\r\n" + longest + "x\n", daily_status::line_too_long, 3},
        {day + longest + "x", daily_status::line_too_long, 2},     // without a line end too
        {day + longest + "\r\n" + longest, daily_status::read, 0}, // 4096 characters: a day
    };
    for (const Case& c : cases) {
        std::filesystem::remove(dir / "1981.dat");
        if (!c.bytes.empty())
            dir.write("1981.dat", c.bytes);
        const index_result r = mark_days_without_observation(dir.path().string(), days);
        EXPECT_EQ(r.problem.status, c.status);
        EXPECT_EQ(r.problem.line, c.line);
        if (c.status != daily_status::read) {
            EXPECT_EQ(r.file, (dir / "1981.dat").string());
            EXPECT_EQ(r.year, 1981);
        }
    }
    // A line of exactly 4096 characters is a day, the last one too, a CR at its end being the
    // line end.
    for (const char* end : {"", "\r"}) {
        dir.write("1981.dat", day + longest + "\r\n" + longest + end);
        EXPECT_EQ(mark_days_without_observation(dir.path().string(), days).problem.status,
                  daily_status::read);
    }

    // An endless input stops where the line rule gives it up.
    std::filesystem::remove(dir / "1981.dat");
    std::filesystem::create_symlink("/dev/zero", dir / "1981.dat");
    EXPECT_EQ(mark_days_without_observation(dir.path().string(), days).problem.status,
              daily_status::line_too_long);
    // A directory in the file's place.
    std::filesystem::remove(dir / "1981.dat");
    std::filesystem::create_directory(dir / "1981.dat");
    const index_result r = mark_days_without_observation(dir.path().string(), days);
    EXPECT_EQ(r.problem.status, daily_status::read_error);
    EXPECT_EQ(r.problem.error_number, EISDIR);
}

} // namespace
} // namespace meanflux
