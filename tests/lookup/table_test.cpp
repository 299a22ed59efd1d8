#include <meanflux/meanflux.h>

#include "lookup/damaged_file.h"
#include "lookup/real_years.h"
#include "support/run_program.h"
#include "support/yearly_files.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <utility>
#include <vector>

namespace meanflux {
namespace {

using test::scratch_dir;
using values = std::array<double, mean_flux_entries>;

// Values that no record holds, to see which entries a lookup wrote.
constexpr values untouched{-1, -2, -3, -4, -5, -6, -7, -8, -9, -10, -11, -12, -13, -14};

// The table and the file lookup give the same result and the same array, bit for bit (a "nan"
// field included), for day number n.
::testing::AssertionResult same_as_file(const mean_flux_table& table, const std::string& file,
                                        int n)
{
    const date_record date = civil_date(n);
    const int day = static_cast<int>(date.day), month = static_cast<int>(date.month),
              year = static_cast<int>(date.year);
    values from_file = untouched, from_table = untouched;
    const int file_result = read_mean_flux_file(file.c_str(), day, month, year, from_file.data());
    const int table_result = find_mean_flux(table, day, month, year, from_table.data());
    if (file_result != table_result)
        return ::testing::AssertionFailure()
               << "day " << n << ": file " << file_result << ", table " << table_result;
    if (std::memcmp(from_file.data(), from_table.data(), sizeof from_file) != 0)
        return ::testing::AssertionFailure() << "day " << n << ": the arrays differ";
    return ::testing::AssertionSuccess();
}

class Table : public ::testing::Test {
  protected:
    // Write `text` as a file and load it.
    int load(const std::string& text, mean_flux_table& table)
    {
        dir.write("combined.dat", text);
        return load_mean_flux_table(path().c_str(), table);
    }
    std::string path() const { return (dir / "combined.dat").string(); }

    scratch_dir dir;
};

TEST_F(Table, EveryDayOf1950To2017AsTheFileLookupGivesIt)
{
    const test::real_combined& file = test::real_years(1950, 2017);
    mean_flux_table table;
    ASSERT_EQ(load_mean_flux_table(file.path.c_str(), table), mean_flux_found);
    const int first = day_number(1, 1, 1950), last = day_number(31, 12, 2017);
    ASSERT_EQ(file.text.substr(0, 12), "0000024836\r\n");
    for (int n = first - 3; n <= last + 3; ++n)
        ASSERT_TRUE(same_as_file(table, file.path, n));
    values v = untouched;
    ASSERT_EQ(find_mean_flux(table, 14, 7, 1980, v.data()), mean_flux_found);
    EXPECT_EQ(v[entry_flux_obs], 202.9) << "the README's example day";
    EXPECT_EQ(v[entry_kp_first], 2.3);
}

TEST_F(Table, DamagedFilesAsTheFileLookupGivesThem)
{
    const std::string& three_years = test::real_years(1979, 1981).text;
    std::mt19937 random(20240611);
    for (int trial = 0; trial < 300; ++trial) {
        const std::string text = test::damaged(three_years, random);
        mean_flux_table table;
        const int loaded = load(text, table);
        ASSERT_TRUE(loaded == mean_flux_found || loaded == mean_flux_no_file) << trial;
        for (int n = 10592 - 6; n <= 11687 + 6; ++n)
            ASSERT_TRUE(same_as_file(table, path(), n)) << "trial " << trial;
    }
}

TEST_F(Table, FilesThatAreNoCombinedFile)
{
    struct Case {
        std::string text;
        const char* what;
    };
    const Case cases[] = {
        {"", "an empty file"},
        {"10957\r\n", "one number in the header"},
        {"day numbers\r\n", "no number"},
        {"1095711322" + std::string(4087, '-'), "4097 bytes without a line end"},
        {"1095711322" + std::string(4087, '-') + "\n" +
             test::real_years(1980, 1980).text.substr(12, 49),
         "the line end only at byte 4098"},
    };
    for (const auto& c : cases) {
        mean_flux_table table;
        EXPECT_EQ(load(c.text, table), mean_flux_no_file) << c.what;
        EXPECT_TRUE(same_as_file(table, path(), 10957)) << c.what;
    }
    mean_flux_table table;
    EXPECT_EQ(load_mean_flux_table((dir / "none.dat").c_str(), table), mean_flux_no_file);
    EXPECT_EQ(load_mean_flux_table(dir.path().c_str(), table), mean_flux_no_file) << "a directory";
    EXPECT_EQ(load_mean_flux_table(nullptr, table), mean_flux_no_file);
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(load_mean_flux_table((dir / "fifo").c_str(), table), mean_flux_no_file)
        << "a FIFO without a writer: refused, not waited for";
}

TEST_F(Table, HeadersWithoutRecordsAndEmptyRanges)
{
    struct Case {
        std::string text;
        int first_day, last_day, after;
        const char* what;
    };
    const Case cases[] = {
        {"1095711322",
         mean_flux_no_record,
         mean_flux_no_record,
         mean_flux_out_of_range,
         "a header without line end and nothing else"},
        {"1095711322" + std::string(4086, '-'),
         mean_flux_no_record,
         mean_flux_no_record,
         mean_flux_out_of_range,
         "4096 bytes without a line end"},
        {"1132210957\r\n" + test::real_years(1980, 1980).text.substr(12),
         mean_flux_out_of_range,
         mean_flux_out_of_range,
         mean_flux_out_of_range,
         "the first day after the last"},
        {"-999999999\r\n",
         mean_flux_no_record,
         mean_flux_no_record,
         mean_flux_no_record,
         "the widest range a header can give"},
    };
    for (const auto& c : cases) {
        mean_flux_table table;
        EXPECT_EQ(load(c.text, table), mean_flux_found) << c.what;
        values v = untouched;
        EXPECT_EQ(find_mean_flux(table, 1, 1, 1980, v.data()), c.first_day) << c.what;
        EXPECT_EQ(find_mean_flux(table, 31, 12, 1980, v.data()), c.last_day) << c.what;
        EXPECT_EQ(find_mean_flux(table, 1, 1, 1981, v.data()), c.after) << c.what;
        EXPECT_EQ(v, untouched) << c.what;
    }
}

// The header's last observed day: after the two day numbers, one blank and five characters.
TEST_F(Table, TheLastObservedDayInTheHeader)
{
    const std::string records = test::real_years(1980, 1980).text.substr(12);
    struct Case {
        std::string header;
        int first, last, last_observed;
        const char* what;
    };
    const Case cases[] = {
        {"1095711322\r\n", 10957, 11322, 11322, "none: no predictions"},
        {"1095711322 11300\r\n", 10957, 11322, 11300, "observed to day 11300"},
        {"1095711322 11300\n", 10957, 11322, 11300, "with an LF line end"},
        {"10957 11322 11300\r\n", 10957, 11322, 11300, "the range written with a blank"},
        {"1095711322 11322\r\n", 10957, 11322, 11322, "observed to the last day"},
        {"1095711322 11400\r\n", 10957, 11322, 11322, "after the last day"},
        {"1095711322 10000\r\n", 10957, 11322, 10956, "before the first: all predicted"},
        {"1095711322  11300\r\n", 10957, 11322, 11322, "two blanks"},
        {"1095711322\t11300\r\n", 10957, 11322, 11322, "a tab"},
        {"1095711322 1130\r\n", 10957, 11322, 11322, "four digits"},
        {"1095711322 113000\r\n", 10957, 11322, 11322, "six digits"},
        {"1095711322 +1130\r\n", 10957, 11322, 11322, "a sign"},
        {"1095711322 1130x\r\n", 10957, 11322, 11322, "a letter"},
        {"1095711322 11300 \r\n", 10957, 11322, 11322, "a blank after it"},
        {"1095711322 11300 observed\r\n", 10957, 11322, 11322, "text after it"},
        {"1095711322 \r\n", 10957, 11322, 11322, "a blank alone"},
        {"1132210957 11000\r\n", 11322, 10957, 10957, "an empty range"},
    };
    for (const auto& c : cases) {
        mean_flux_table table;
        ASSERT_EQ(load(c.header + records, table), mean_flux_found) << c.what;
        int first = 0, last = 0, last_observed = 0;
        EXPECT_EQ(mean_flux_table_days(table, first, last, last_observed), mean_flux_found);
        EXPECT_EQ(first, c.first) << c.what;
        EXPECT_EQ(last, c.last) << c.what;
        EXPECT_EQ(last_observed, c.last_observed) << c.what;
        // The records start after the longer header line, for the file lookup too.
        for (const int n : {10957, 11100, 11322})
            EXPECT_TRUE(same_as_file(table, path(), n)) << c.what;
        values v = untouched;
        EXPECT_EQ(find_mean_flux(table, 31, 12, 1980, v.data()),
                  c.first <= c.last ? mean_flux_found : mean_flux_out_of_range)
            << c.what;
    }
}

// The table built from a source gives, day by day, what the table loaded from meanflux-build's
// file of the same source and options gives; a source it cannot build from, the build's result
// and message.
TEST_F(Table, BuiltFromASourceAsFromTheFileMeanfluxBuildWrites)
{
    const std::string gfz = test::test_data("gfz/Kp_ap_Ap_SN_F107_1979-1981.txt").string();
    const std::string celestrak = test::test_data("celestrak/SW-All.csv").string();
    scratch_dir archive;
    for (int year = 1979; year <= 1981; ++year)
        archive.add(test::real_year(year));
    const std::string directory = archive.path().string();
    const std::string missing = (archive / "none").string();
    struct Case {
        std::string source;
        mean_flux_build_options options;
        int result;
        std::string message; // for a source without a table: its start
    };
    const Case cases[] = {
        {gfz, {}, mean_flux_found, ""},
        {directory, {1980, 1980, false}, mean_flux_found, ""},
        {celestrak, {2020, 0, false}, mean_flux_found, ""},
        {celestrak, {2023, 0, true}, mean_flux_found, ""},
        {celestrak, {1958, 1960, true}, mean_flux_found, ""},
        {gfz, {0, 0, true}, mean_flux_no_file, "meanflux-build: " + gfz + ": holds no predictions"},
        {directory, {0, 0, true}, mean_flux_no_file, "meanflux-build: " + directory + ": holds"},
        {gfz, {1949, 0, false}, mean_flux_year_missing, "meanflux-build: 1949: a combined file"},
        {gfz, {1981, 1980, false}, mean_flux_year_missing, "meanflux-build: the first year is"},
        {celestrak, {1957, 0, false}, mean_flux_year_missing, "meanflux-build: " + celestrak},
        {missing, {}, mean_flux_no_file, "meanflux-build: " + missing + ": No such file"},
    };
    for (const Case& c : cases) {
        const std::string what = c.source + " " + std::to_string(c.options.from_year) + " " +
                                 std::to_string(c.options.to_year) +
                                 (c.options.predictions ? " with predictions" : "");
        mean_flux_table built;
        std::string message = "old";
        ASSERT_EQ(build_mean_flux_table(c.source.c_str(), c.options, built, &message), c.result)
            << what << ": " << message;
        int first = 0, last = 0, observed = 0;
        if (c.result != mean_flux_found) {
            EXPECT_TRUE(message.starts_with(c.message)) << what << ": " << message;
            EXPECT_EQ(mean_flux_table_days(built, first, last, observed), mean_flux_no_file);
            continue;
        }
        std::vector<std::string> args{"-o", path()};
        for (const auto& [option, year] :
             {std::pair{"--from", c.options.from_year}, std::pair{"--to", c.options.to_year}})
            if (year != 0)
                args.insert(args.end(), {option, std::to_string(year)});
        if (c.options.predictions)
            args.emplace_back("--predictions");
        args.push_back(c.source);
        const test::program_result r = test::run_command("meanflux-build", args, dir.path());
        ASSERT_EQ(r.status, 0) << what << ": " << r.err;
        EXPECT_EQ(message, r.err) << what;
        mean_flux_table loaded;
        ASSERT_EQ(load_mean_flux_table(path().c_str(), loaded), mean_flux_found) << what;
        int file_first = 0, file_last = 0, file_observed = 0;
        ASSERT_EQ(mean_flux_table_days(built, first, last, observed), mean_flux_found);
        ASSERT_EQ(mean_flux_table_days(loaded, file_first, file_last, file_observed),
                  mean_flux_found);
        EXPECT_EQ(std::tuple(first, last, observed),
                  std::tuple(file_first, file_last, file_observed))
            << what;
        EXPECT_EQ(observed < last, c.options.predictions && c.options.to_year == 0) << what;
        for (int n = first - 1; n <= last + 1; ++n) {
            const date_record date = civil_date(n);
            const int day = static_cast<int>(date.day), month = static_cast<int>(date.month),
                      year = static_cast<int>(date.year);
            values from_built = untouched, from_file = untouched;
            ASSERT_EQ(find_mean_flux(built, day, month, year, from_built.data()),
                      find_mean_flux(loaded, day, month, year, from_file.data()))
                << what << ", day " << n;
            ASSERT_EQ(std::memcmp(from_built.data(), from_file.data(), sizeof from_file), 0)
                << what << ", day " << n;
        }
    }
}

TEST_F(Table, EmptyTablesAndMoves)
{
    values v = untouched;
    mean_flux_table empty;
    EXPECT_EQ(find_mean_flux(empty, 1, 1, 1980, v.data()), mean_flux_no_file);
    int first = 1, last = 2, last_observed = 3;
    EXPECT_EQ(mean_flux_table_days(empty, first, last, last_observed), mean_flux_no_file);
    EXPECT_EQ(first + last + last_observed, 6) << "untouched";

    mean_flux_table loaded;
    ASSERT_EQ(load_mean_flux_table(test::real_years(1980, 1980).path.c_str(), loaded),
              mean_flux_found);
    mean_flux_table moved(std::move(loaded));
    EXPECT_EQ(find_mean_flux(loaded, 1, 1, 1980, v.data()), mean_flux_no_file) << "moved from";
    EXPECT_EQ(v, untouched);
    EXPECT_EQ(find_mean_flux(moved, 1, 1, 1980, v.data()), mean_flux_found);

    mean_flux_table assigned;
    assigned = std::move(moved);
    EXPECT_EQ(find_mean_flux(assigned, 1, 1, 1980, v.data()), mean_flux_found);
    EXPECT_EQ(find_mean_flux(moved, 1, 1, 1980, v.data()), mean_flux_no_file);

    // A failed load leaves the table empty, not as it was.
    v = untouched;
    EXPECT_EQ(load("no header\r\n", assigned), mean_flux_no_file);
    EXPECT_EQ(find_mean_flux(assigned, 1, 1, 1980, v.data()), mean_flux_no_file);
    EXPECT_EQ(v, untouched);
}

TEST_F(Table, KeepsTheFileAsItWasWhenLoaded)
{
    const std::string& file = test::real_years(1980, 1980).text;
    mean_flux_table table;
    ASSERT_EQ(load(file, table), mean_flux_found);
    values before = untouched;
    ASSERT_EQ(find_mean_flux(table, 14, 7, 1980, before.data()), mean_flux_found);
    dir.write("combined.dat", "1095711322\r\n");
    values after = untouched;
    EXPECT_EQ(find_mean_flux(table, 14, 7, 1980, after.data()), mean_flux_found);
    EXPECT_EQ(after, before);
}

} // namespace
} // namespace meanflux
