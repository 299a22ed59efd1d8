// A directory of yearly daily index files read as a source: the days a yearly run would load.
#include "sources/yearly_files.h"

#include "input/daily_series.h"
#include "support/index_lines.h"
#include "support/run_program.h"
#include "support/yearly_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <sys/stat.h>

namespace meanflux::test {
namespace {

TEST(YearlyFiles, Names)
{
    struct Case {
        const char* name;
        bool yearly;
        int year;
    };
    const Case cases[] = {
        {"1980.dat", true, 1980},
        {"0999.dat", true, 999},
        {"2099.dat", true, 2099},
        {"1980_m.dat", false, 0},
        {"980.dat", false, 0},
        {"19800.dat", false, 0},
        {"1980.dat~", false, 0},
        {"1980.DAT", false, 0},
        {"19a0.dat", false, 0},
        {"-980.dat", false, 0},
        {"mean_flux.dat", false, 0},
        {"", false, 0},
    };
    for (const auto& c : cases) {
        int year = 0;
        EXPECT_EQ(yearly_file_year(c.name, year), c.yearly) << c.name;
        if (c.yearly) {
            EXPECT_EQ(year, c.year) << c.name;
        }
    }
}

source_status read_dir(const scratch_dir& dir, source_days& source, source_problem& problem,
                       year_span years = {})
{
    return read_yearly_files(dir.path().c_str(), years, source, problem);
}

TEST(YearlyFiles, DaysAreTheFilesLinesAtTheDatesOfTheirPlaces)
{
    scratch_dir dir;
    for (int y = 1979; y <= 1981; ++y)
        dir.add(real_year(y));
    dir.write("1980_m.dat", "not a daily index file\n"); // other names are not read
    source_days source;
    source_problem problem;
    ASSERT_EQ(read_dir(dir, source, problem), source_status::read) << problem.what;
    EXPECT_EQ(source.format, source_format::yearly_files);
    ASSERT_EQ(source.days.size(), 1096u);
    const source_day& first = source.days.front();
    EXPECT_EQ(first.year * 10000 + first.month * 100 + first.day, 19790101);
    const source_day& leap = source.days[365 + 59];
    EXPECT_EQ(leap.year * 10000 + leap.month * 100 + leap.day, 19800229);
    const source_day& last = source.days.back();
    EXPECT_EQ(last.year * 10000 + last.month * 100 + last.day, 19811231);
    // Each line as it stands, and the text of a year is its file's bytes.
    const std::string file_1980 = read_file(real_year(1980));
    EXPECT_EQ(lines_of(source, 365, 366), file_1980);
    EXPECT_EQ(line_of(source, source.days[365]), file_1980.substr(0, 71));
}

TEST(YearlyFiles, TheLineRuleOfTheYearlyRun)
{
    // Whatever the lines, the days are those that the yearly run loads from the same files:
    // each day's line read as the run reads it gives the run's flux, qualifier and activity.
    const std::string l = index_line(1, 150.0, 0);
    std::string wide; // 366 lines of 203 characters: 74 KB, read in more than one piece
    for (int i = 0; i < 366; ++i)
        wide += index_line(i, 60.0 + i, i % 5) + std::string(132, 'y') + "\r\n";
    struct Case {
        std::string given;
        int lines;
        const char* what;
    };
    const Case cases[] = {
        {constant_file(366, 150.0), 366, "a whole year"},
        {index_file(
             366, [](int i) { return 100.0 + i; }, [](int i) { return i % 4; }, "\r\n"),
         366,
         "CR LF"},
        {l + "\n" + l, 2, "a last line without a line end"},
        {l + "\n" + l + "\r", 2, "a CR that ends the input belongs to the line"},
        {l.substr(0, 69) + "\r\n" + l.substr(0, 70) + "\r", 2, "short lines with CR"},
        {l + "         |80 columns\n" + l + "\n", 2, "columns after 71"},
        {"\n\n" + l + "\n", 3, "empty lines are days"},
        {l + "\r\r\n", 1, "a CR before the CR LF is a character"},
        {std::string(4096, 'x') + "\n" + l + "\n", 2, "a line of 4096 characters"},
        {l + "\n" + std::string(4096, 'x') + "\r", 2, "a last line of 4096 and a CR at the end"},
        {wide, 366, "lines that cross the pieces a file is read in"},
        {"", 0, "no lines"},
    };
    for (const auto& c : cases) {
        scratch_dir dir;
        dir.add(real_year(1979));
        dir.write("1980.dat", c.given);
        dir.add(real_year(1981));
        source_days source;
        source_problem problem;
        ASSERT_EQ(read_dir(dir, source, problem), source_status::read) << c.what << problem.what;
        ASSERT_EQ(source.days.size(), static_cast<std::size_t>(365 + c.lines + 365)) << c.what;

        daily_series series;
        given_days given;
        const std::string files[3] = {
            read_file(dir / "1979.dat"), c.given, read_file(dir / "1981.dat")};
        const load_result loaded = load_years(1980, {files[0], files[1], files[2]}, series, given);
        if (c.lines == 0) {
            EXPECT_EQ(loaded.status, load_status::no_days) << c.what;
            continue;
        }
        ASSERT_EQ(loaded.status, load_status::loaded) << c.what;
        const auto lines = static_cast<std::size_t>(c.lines);
        for (std::size_t i = 0; i < source.days.size(); ++i) {
            const source_day& day = source.days[i];
            // 1979 at positions 0-364, 1980 from 365 on, 1981 from 731 on.
            const std::size_t p = day.year == 1981 ? 731 + (i - 365 - lines) : i;
            double flux = 0.0;
            int qual = 0;
            const std::string_view line = line_of(source, day);
            if (read_day(line, flux, qual) == flux_reading::no_observation)
                qual = MISSING_FLUX;
            ASSERT_EQ(flux, series.flux_adj[p]) << c.what << ", day " << i;
            ASSERT_EQ(qual, series.flux_qual[p]) << c.what << ", day " << i;
            if (day.year == 1980) {
                activity_text text{};
                copy_activity_text(line, text);
                ASSERT_EQ(text, given.activity[static_cast<std::size_t>(i - 365)]) << c.what;
            }
        }
    }
}

TEST(YearlyFiles, Refusals)
{
    const std::string l = index_line(1, 150.0, 0);
    struct Case {
        std::string given;
        source_status status;
        long line;
        const char* what;
        const char* message;
    };
    const Case cases[] = {
        {constant_file(366, 150.0) + "\n",
         source_status::malformed,
         0,
         "a line past the last day",
         "367 lines or more for the 366 days of 1980"},
        {constant_file(367, 150.0),
         source_status::malformed,
         0,
         "367 lines",
         "367 lines or more for the 366 days of 1980"},
        {l + "\n" + std::string(4097, 'x') + "\n",
         source_status::malformed,
         2,
         "a line of 4097 characters",
         "longer than 4096 characters"},
        {l + "\n" + std::string(5000, 'x'),
         source_status::malformed,
         2,
         "no line end where the longest line ends",
         "longer than 4096 characters"},
    };
    for (const auto& c : cases) {
        scratch_dir dir;
        dir.add(real_year(1979));
        dir.write("1980.dat", c.given);
        source_days source;
        source_problem problem;
        ASSERT_EQ(read_dir(dir, source, problem), c.status) << c.what;
        EXPECT_EQ(problem.file, (dir / "1980.dat").string()) << c.what;
        EXPECT_EQ(problem.line, c.line) << c.what;
        EXPECT_EQ(problem.what, c.message) << c.what;
        EXPECT_TRUE(source.days.empty()) << c.what;
    }
}

TEST(YearlyFiles, OnlyTheYearsAskedForAndNoGapBetweenThem)
{
    scratch_dir dir;
    for (const int y : {1977, 1979, 1980, 1981})
        dir.add(real_year(y));
    dir.write("1932.dat", std::string(5000, 'x')); // damaged, but never opened below
    source_days source;
    source_problem problem;

    ASSERT_EQ(read_dir(dir, source, problem, {1979, 1990}), source_status::read) << problem.what;
    EXPECT_EQ(source.days.size(), 1096u);
    ASSERT_EQ(read_dir(dir, source, problem, {1980, 1980}), source_status::read);
    EXPECT_EQ(source.days.size(), 366u);
    ASSERT_EQ(read_dir(dir, source, problem, {1990, 2000}), source_status::read);
    EXPECT_TRUE(source.days.empty());

    // 1978 is missing between 1977 and 1979: no run could go past it.
    ASSERT_EQ(read_dir(dir, source, problem, {1950, 1990}), source_status::cannot_read);
    EXPECT_EQ(problem.file, (dir / "1978.dat").string());
    EXPECT_EQ(problem.what, std::strerror(ENOENT));

    // A directory that cannot be listed, and a year's name taken by a directory.
    ASSERT_EQ(read_yearly_files((dir / "none").c_str(), {}, source, problem),
              source_status::cannot_read);
    EXPECT_EQ(problem.error_number, ENOENT);
    EXPECT_EQ(problem.file, "");
    std::filesystem::create_directory(dir / "1982.dat");
    ASSERT_EQ(read_dir(dir, source, problem, {1979, 1990}), source_status::cannot_read);
    EXPECT_EQ(problem.file, (dir / "1982.dat").string());
    EXPECT_EQ(problem.error_number, EISDIR);
}

TEST(YearlyFiles, AFifoWithoutWriterIsAnEmptyFile)
{
    scratch_dir dir;
    dir.add(real_year(1979));
    ASSERT_EQ(::mkfifo((dir / "1980.dat").c_str(), 0600), 0);
    source_days source;
    source_problem problem;
    ASSERT_EQ(read_dir(dir, source, problem), source_status::read) << problem.what;
    EXPECT_EQ(source.days.size(), 365u);
}

TEST(YearlyFiles, ReadSourceAtTellsADirectoryFromAFile)
{
    scratch_dir dir;
    dir.add(real_year(1980));
    source_days source;
    source_problem problem;
    ASSERT_EQ(read_source_at(dir.path().c_str(), {}, source, problem), source_status::read);
    EXPECT_EQ(source.format, source_format::yearly_files);
    EXPECT_EQ(source.days.size(), 366u);
    ASSERT_EQ(
        read_source_at(
            test_data("gfz/Kp_ap_Ap_SN_F107_1979-1981.txt").c_str(), {1980, 1980}, source, problem),
        source_status::read);
    EXPECT_EQ(source.format, source_format::gfz_potsdam);
    EXPECT_EQ(source.days.size(), 1096u) << "a published file is read whole";
    EXPECT_EQ(read_source_at((dir / "1980.dat").c_str(), {}, source, problem),
              source_status::not_recognised);
}

} // namespace
} // namespace meanflux::test
