// Every source read into the days of the years asked for: a directory of yearly daily index files
// (where its data end, and what a missing year means) and the published files.
#include "sources/years.h"

#include "support/run_program.h"
#include "support/yearly_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

namespace meanflux::test {
namespace {

namespace fs = std::filesystem;

TEST(SourceYears, ADirectoryWhereEveryYearMustBeThere)
{
    scratch_dir dir;
    for (int y = 1979; y <= 1981; ++y)
        dir.add(real_year(y));
    dir.write("1980_m.dat", "not a daily index file\n"); // other names are not read
    source_years years;
    source_problem problem;
    ASSERT_EQ(
        read_directory_years(
            dir.path().c_str(), {1979, 1981}, {1980, 1980}, missing_years::refused, years, problem),
        source_status::read);
    EXPECT_EQ(years.format, source_format::yearly_files);
    EXPECT_EQ(years.first_held(), 1979);
    EXPECT_EQ(years.last_held(), 1981);
    EXPECT_EQ(years.view().line_count(1980), 366);
    EXPECT_EQ(years.view().line_count(1982), 0);

    ASSERT_EQ(
        read_directory_years(
            dir.path().c_str(), {1978, 1980}, {1979, 1979}, missing_years::refused, years, problem),
        source_status::bad_year_file);
    EXPECT_EQ(problem.file, (dir / "1978.dat").string());
    EXPECT_EQ(problem.year, 1978);
    EXPECT_EQ(problem.daily.status, daily_status::cannot_open);
    EXPECT_EQ(problem.daily.error_number, ENOENT);
    EXPECT_TRUE(years.files.empty());
}

TEST(SourceYears, ADirectorysDataEndWhereNoLaterFileIs)
{
    struct Case {
        const char* what;
        std::vector<int> files; // the years with a file; 0 for an empty 1979.dat
        year_span wanted;
        int first, last; // the years held among those wanted (first > last: none)
        bool goes_on;
        int missing; // the year refused as a gap; 0 for none
    };
    const Case cases[] = {
        {"all there, a later file",
         {1979, 1980, 1981, 1982, 1983},
         {1980, 1981},
         1980,
         1981,
         true,
         0},
        {"the last file ends the data", {1979, 1980, 1981}, {1979, 1985}, 1979, 1981, false, 0},
        {"a year missing before a later file",
         {1979, 1980, 1981, 1982, 1983, 1984, 1986, 1987},
         {1979, 1985},
         0,
         0,
         true,
         1985},
        {"two years missing", {1979, 1980, 1981, 1982, 1985}, {1981, 1983}, 0, 0, true, 1983},
        {"a year missing between two", {1978, 1980, 1981}, {1949, 2100}, 0, 0, false, 1979},
        {"years before the first file are not held",
         {1977, 1979, 1980, 1981},
         {1979, 1990},
         1979,
         1981,
         false,
         0},
        {"no file after 2100 counts", {1979, 1980, 1981, 2101}, {1949, 2100}, 1979, 1981, false, 0},
        {"an empty file is a year held", {0, 1980, 1981}, {1979, 1981}, 1979, 1981, false, 0},
        {"no year wanted has a file", {1979}, {1990, 2000}, 1, 0, false, 0},
        {"years wanted that run backwards", {1946, 1947, 1948, 1949}, {1949, 1946}, 1, 0, false, 0},
    };
    for (const auto& c : cases) {
        scratch_dir dir;
        for (const int y : c.files) {
            if (y == 0)
                dir.write("1979.dat", "");
            else if (y > 2018)
                dir.write(std::to_string(y) + ".dat", std::string(5000, 'x'));
            else
                dir.add(real_year(y));
        }
        source_years years;
        source_problem problem;
        const source_status status = read_directory_years(
            dir.path().c_str(), c.wanted, c.wanted, missing_years::end_data, years, problem);
        if (c.missing != 0) {
            EXPECT_EQ(status, source_status::bad_year_file) << c.what;
            EXPECT_EQ(problem.file, (dir / (std::to_string(c.missing) + ".dat")).string())
                << c.what;
            EXPECT_EQ(problem.daily.error_number, ENOENT) << c.what;
            continue;
        }
        ASSERT_EQ(status, source_status::read) << c.what;
        EXPECT_EQ(years.goes_on, c.goes_on) << c.what;
        if (c.first > c.last) {
            EXPECT_TRUE(years.files.empty()) << c.what;
            continue;
        }
        EXPECT_EQ(years.first_held(), c.first) << c.what;
        EXPECT_EQ(years.last_held(), c.last) << c.what;
    }
}

TEST(SourceYears, ADirectoryThatCannotServe)
{
    scratch_dir dir;
    for (int y = 1979; y <= 1981; ++y)
        dir.add(real_year(y));
    source_years years;
    source_problem problem;
    EXPECT_EQ(
        read_directory_years(
            (dir / "none").c_str(), {1979, 1981}, {}, missing_years::end_data, years, problem),
        source_status::cannot_read);
    EXPECT_EQ(problem.error_number, ENOENT);
    EXPECT_EQ(problem.file, "");

    fs::create_directory(dir / "1982.dat");
    EXPECT_EQ(read_source_years(
                  dir.path().c_str(), {1979, 1990}, {}, missing_years::end_data, years, problem),
              source_status::bad_year_file);
    EXPECT_EQ(problem.file, (dir / "1982.dat").string());
    EXPECT_EQ(problem.daily.status, daily_status::read_error);
    EXPECT_EQ(problem.daily.error_number, EISDIR);
    EXPECT_TRUE(years.files.empty());
}

TEST(SourceYears, PublishedFilesAsImportWritesTheirYears)
{
    const fs::path gfz = test_data("gfz/Kp_ap_Ap_SN_F107_1979-1981.txt");
    source_years years;
    source_problem problem;
    ASSERT_EQ(read_source_years(
                  gfz.c_str(), {1980, 1980}, {1980, 1980}, missing_years::end_data, years, problem),
              source_status::read);
    EXPECT_EQ(years.format, source_format::gfz_potsdam);
    EXPECT_EQ(years.first_held(), 1980);
    EXPECT_EQ(years.last_held(), 1980);
    EXPECT_TRUE(years.goes_on);
    EXPECT_EQ(years.view().line_count(1980), 366);
    ASSERT_EQ(
        read_source_years(gfz.c_str(), {1949, 2100}, {}, missing_years::end_data, years, problem),
        source_status::read);
    EXPECT_EQ(years.first_held(), 1979);
    EXPECT_EQ(years.last_held(), 1981);
    EXPECT_FALSE(years.goes_on);

    // CelesTrak's file begins on 1 October 1957: the days before it are days without data.
    ASSERT_EQ(read_source_years(test_data("celestrak/SW-All.csv").c_str(),
                                {1957, 1957},
                                {1957, 1957},
                                missing_years::end_data,
                                years,
                                problem),
              source_status::read);
    ASSERT_EQ(years.view().line_count(1957), 365);
    EXPECT_EQ(years.files[0].flux_qual[272], MISSING_FLUX) << "30 September 1957";
    EXPECT_NE(years.files[0].flux_qual[273], MISSING_FLUX) << "1 October 1957";

    // A day whose line the yearly run refuses is named by its date.
    scratch_dir dir;
    std::string text = read_file(gfz);
    const std::size_t at = text.find("1980 01 12 ");
    text.replace(text.find('\n', at) - 7, 5, "999.9"); // F10.7 adjusted, before the qualifier
    dir.write("gfz.txt", text);
    ASSERT_EQ(
        read_source_years(
            (dir / "gfz.txt").c_str(), {1979, 1981}, {}, missing_years::end_data, years, problem),
        source_status::bad_year_file);
    EXPECT_TRUE(problem.by_date);
    EXPECT_EQ(problem.year, 1980);
    EXPECT_EQ(problem.daily.status, daily_status::flux_out_of_range);
    EXPECT_EQ(problem.daily.line, 12);
}

} // namespace
} // namespace meanflux::test
