#include <meanflux/meanflux.h>

#include "support/run_program.h"
#include "support/yearly_files.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <string>

namespace meanflux {
namespace {

namespace fs = std::filesystem;
using test::scratch_dir;

using values = std::array<double, mean_flux_entries>;

// Values that no record holds, to see which entries a lookup wrote.
constexpr values untouched{-1, -2, -3, -4, -5, -6, -7, -8, -9, -10, -11, -12, -13, -14};

// The values of a record, read from its columns by hand.
values values_of(const std::string& record)
{
    values v{};
    for (int i = 0; i < 8; ++i)
        v[i] = std::stod(record.substr(5 + 2 * i, 2)) / 10.0;
    v[8] = std::stod(record.substr(21, 3)) / 10.0;
    v[9] = std::stod(record.substr(24, 3));
    for (int j = 0; j < 4; ++j)
        v[10 + j] = std::stod(record.substr(27 + 5 * j, 5));
    return v;
}

class Lookup : public ::testing::Test {
  protected:
    // The yearly mean-flux files of 1979, 1980 and 1981, made once.
    static void SetUpTestSuite()
    {
        years = new scratch_dir;
        y1979 = test::yearly_mean_flux(years->path(), 1979);
        y1980 = test::yearly_mean_flux(years->path(), 1980);
        y1981 = test::yearly_mean_flux(years->path(), 1981);
    }
    static void TearDownTestSuite() { delete years; }

    // Look a date up in a file holding `text`.
    int lookup(const std::string& text, int d, int m, int y, values& v)
    {
        dir.write("combined.dat", text);
        return read_mean_flux_file((dir / "combined.dat").c_str(), d, m, y, v.data());
    }

    static std::string record_of_1980(int n) { return y1980.substr(49 * n, 49); }

    static inline scratch_dir* years = nullptr;
    static inline std::string y1979, y1980, y1981;
    scratch_dir dir;
};

TEST_F(Lookup, EveryDayOfACombinedFileOfThreeYears)
{
    const std::string file = "1059211687\r\n" + y1979 + y1980 + y1981;
    dir.write("combined.dat", file);
    const std::string body = y1979 + y1980 + y1981;
    for (int n = 0; n < 1096; ++n) {
        const date_record date = day_to_date(10592 + n);
        values v = untouched;
        ASSERT_EQ(read_mean_flux_file((dir / "combined.dat").c_str(),
                                      static_cast<int>(date.day),
                                      static_cast<int>(date.month),
                                      static_cast<int>(date.year),
                                      v.data()),
                  mean_flux_found)
            << n;
        ASSERT_EQ(v, values_of(body.substr(49 * n, 49))) << n;
    }
}

TEST_F(Lookup, TheEndsOfTheRange)
{
    const std::string file = "1095711322\r\n" + y1980;
    struct Case {
        int day, month, year, result;
        const char* what;
    };
    constexpr Case cases[] = {
        {1, 1, 1980, mean_flux_found, "first day, at offset 12"},
        {2, 1, 1980, mean_flux_found, "second day, at offset 61"},
        {31, 12, 1980, mean_flux_found, "last day, at offset 17897"},
        {31, 12, 1979, mean_flux_out_of_range, "the day before the range"},
        {1, 1, 1981, mean_flux_out_of_range, "the day after it"},
    };
    for (const auto& c : cases) {
        values v = untouched;
        EXPECT_EQ(lookup(file, c.day, c.month, c.year, v), c.result) << c.what;
        if (c.result != mean_flux_found) {
            EXPECT_EQ(v, untouched) << c.what;
        }
    }
    values v = untouched;
    ASSERT_EQ(lookup(file, 31, 12, 1980, v), mean_flux_found);
    EXPECT_EQ(v, values_of(y1980.substr(17897 - 12, 49)));
}

TEST_F(Lookup, HeaderLines)
{
    struct Case {
        std::string header;
        int result_first_day, result_last_day;
        const char* what;
    };
    const Case cases[] = {
        {"1095711322\r\n", mean_flux_found, mean_flux_found, "the two numbers run together"},
        {"10957 11322\r\n", mean_flux_found, mean_flux_found, "a blank between them"},
        {"   10957   11322 and a remark of any length that runs on past fifty characters\r\n",
         mean_flux_found,
         mean_flux_found,
         "a long header line is skipped whole"},
        {"1095711322" + std::string(300, '-') + "\r\n",
         mean_flux_found,
         mean_flux_found,
         "a header of 312 characters"},
        {"1095711322\n",
         mean_flux_found,
         mean_flux_found,
         "a header ended by LF alone: the records start after it"},
        {"1132210957\r\n",
         mean_flux_out_of_range,
         mean_flux_out_of_range,
         "the first number beyond the last: nothing is in range"},
        {"10957\r\n", mean_flux_no_file, mean_flux_no_file, "one number"},
        {"day numbers\r\n", mean_flux_no_file, mean_flux_no_file, "no number"},
    };
    for (const auto& c : cases) {
        values v = untouched;
        EXPECT_EQ(lookup(c.header + y1980, 1, 1, 1980, v), c.result_first_day) << c.what;
        EXPECT_EQ(lookup(c.header + y1980, 31, 12, 1980, v), c.result_last_day) << c.what;
        if (c.result_first_day != mean_flux_found) {
            EXPECT_EQ(v, untouched) << c.what;
        }
    }
    values v = untouched;
    EXPECT_EQ(lookup("", 1, 1, 1980, v), mean_flux_no_file) << "an empty file";
    EXPECT_EQ(read_mean_flux_file((dir / "none.dat").c_str(), 1, 1, 1980, v.data()),
              mean_flux_no_file);
    EXPECT_EQ(v, untouched);
}

TEST_F(Lookup, TheHeaderLineEndIsLookedForInTheFirst4096BytesOnly)
{
    // A header line padded to put its line end at byte `at` (counted from 1), then the records.
    const auto padded = [](std::size_t at) {
        return "1095711322" + std::string(at - 11, '-') + "\n";
    };
    const std::string no_line_end_4096 = "1095711322" + std::string(4086, '-');
    struct Case {
        std::string file;
        int first_day, after_range;
        const char* what;
    };
    const Case cases[] = {
        {padded(4096) + y1980, mean_flux_found, mean_flux_out_of_range, "line end at byte 4096"},
        {padded(4097) + y1980, mean_flux_no_file, mean_flux_no_file, "line end at byte 4097"},
        {no_line_end_4096,
         mean_flux_no_record,
         mean_flux_out_of_range,
         "4096 bytes without a line end: a header without records"},
        {no_line_end_4096 + "-",
         mean_flux_no_file,
         mean_flux_no_file,
         "4097 bytes without a line end"},
        {"1095711322" + std::string(1 << 20, ' '),
         mean_flux_no_file,
         mean_flux_no_file,
         "a megabyte without a line end"},
    };
    for (const auto& c : cases) {
        values v = untouched;
        EXPECT_EQ(lookup(c.file, 1, 1, 1980, v), c.first_day) << c.what;
        EXPECT_EQ(lookup(c.file, 1, 1, 1981, v), c.after_range) << c.what;
        if (c.first_day == mean_flux_found) {
            EXPECT_EQ(v, values_of(record_of_1980(0))) << c.what;
        } else {
            EXPECT_EQ(v, untouched) << c.what;
        }
    }
}

TEST_F(Lookup, BodiesThatDoNotHoldEveryRecordInPlace)
{
    const std::string header = "1095711322\r\n";
    // 1 March 1980 is day 60 of the year.
    const std::string without_1_march = y1980.substr(0, 60 * 49) + y1980.substr(61 * 49);
    std::string lf;
    for (std::size_t i = 0; i < y1980.size(); i += 49)
        lf += y1980.substr(i, 47) + "\n";
    struct Case {
        std::string body;
        int day, month, year, result;
        const char* what;
    };
    const Case cases[] = {
        {without_1_march, 29, 2, 1980, mean_flux_found, "days before the missing record are found"},
        {without_1_march, 1, 1, 1980, mean_flux_found, ""},
        {without_1_march, 1, 3, 1980, mean_flux_no_record, "the missing day"},
        {without_1_march, 15, 7, 1980, mean_flux_no_record, "every later day is out of place"},
        {without_1_march,
         31,
         12,
         1980,
         mean_flux_no_record,
         "the last day's place is past the end"},
        {lf, 1, 1, 1980, mean_flux_found, "LF line ends: the first record is in place"},
        {lf, 2, 1, 1980, mean_flux_no_record, "but no other"},
        {"", 1, 1, 1980, mean_flux_no_record, "an empty body"},
        {y1980.substr(0, 100 * 49 + 20),
         11,
         4,
         1980,
         mean_flux_no_record,
         "a truncated body: the day after"},
        {y1980.substr(0, 100 * 49 + 20), 9, 4, 1980, mean_flux_found, "the record before the cut"},
        {y1980.substr(0, 100 * 49 + 3),
         10,
         4,
         1980,
         mean_flux_no_record,
         "a record too short for its day number"},
    };
    for (const auto& c : cases) {
        values v = untouched;
        EXPECT_EQ(lookup(header + c.body, c.day, c.month, c.year, v), c.result) << c.what;
        if (c.result != mean_flux_found) {
            EXPECT_EQ(v, untouched) << c.what;
        }
    }

    // The record cut short keeps the caller's values where its text stops.
    values cut = untouched;
    EXPECT_EQ(lookup(header + y1980.substr(0, 100 * 49 + 19), 10, 4, 1980, cut), mean_flux_found);
    values expected = values_of(record_of_1980(100));
    for (int i = 7; i < 14; ++i)
        expected[i] = untouched[i];
    EXPECT_EQ(cut, expected);

    // A header without line end, and nothing after it.
    values v = untouched;
    EXPECT_EQ(lookup("1095711322", 1, 1, 1980, v), mean_flux_no_record);
    EXPECT_EQ(lookup("1095711322", 1, 1, 1981, v), mean_flux_out_of_range);
}

TEST_F(Lookup, FieldsOfARecord)
{
    // Made-up records of 1 January 1951 (day 365, written with its leading zeros).
    struct Case {
        std::string record;
        values expected;
        const char* what;
    };
    const Case cases[] = {
        {"0036517 3 0 710132030213 12 72.3 70.0 75.5 76.1",
         {1.7, 0.3, 0.0, 0.7, 1.0, 1.3, 2.0, 3.0, 21.3, 12.0, 72.3, 70.0, 75.5, 76.1},
         "Kp and their sum in tenths become whole units"},
        {"0036517 3 0 710132030213    72.3 70.0 75.5 76.1",
         {1.7, 0.3, 0.0, 0.7, 1.0, 1.3, 2.0, 3.0, 21.3, -10, 72.3, 70.0, 75.5, 76.1},
         "a blank Ap field keeps the caller's value"},
        {"0036517 3 0  10132030213 12 72.3 70.0 75.5 76.1",
         {1.7, 0.3, 0.0, -4, 1.0, 1.3, 2.0, 3.0, 21.3, 12.0, 72.3, 70.0, 75.5, 76.1},
         "so does a blank Kp field, as it is"},
        {"0036517 3 0 710132030213 12 72.3 70.0",
         {1.7, 0.3, 0.0, 0.7, 1.0, 1.3, 2.0, 3.0, 21.3, 12.0, 72.3, 70.0, -13, -14},
         "fields beyond a short record's text"},
    };
    for (const auto& c : cases) {
        values v = untouched;
        EXPECT_EQ(lookup("0036500365\r\n" + c.record + "\r\n", 1, 1, 1951, v), mean_flux_found)
            << c.what;
        EXPECT_EQ(v, c.expected) << c.what;
    }

    values v = untouched;
    ASSERT_EQ(
        lookup("0036500365\r\n0036517 3 0 710132030213 12  nan  nan  nan  nan\r\n", 1, 1, 1951, v),
        mean_flux_found);
    for (int i = entry_flux_obs; i <= entry_arith_mean; ++i)
        EXPECT_TRUE(std::isnan(v[i])) << "a mean that could not be formed, entry " << i;
}

TEST_F(Lookup, ReadsMeanFluxDatInTheCurrentDirectory)
{
    dir.write("mean_flux.dat", "1095711322\r\n" + y1980);
    const fs::path before = fs::current_path();
    fs::current_path(dir.path());
    values v = untouched;
    const int found = read_mean_flux(29, 2, 1980, v.data());
    fs::current_path(before);
    EXPECT_EQ(found, mean_flux_found);
    EXPECT_EQ(v, values_of(record_of_1980(59)));
}

std::size_t open_descriptors()
{
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd"))
        ++n;
    return n;
}

TEST_F(Lookup, LeavesNoFileOpen)
{
    dir.write("combined.dat", "1095711322\r\n" + y1980.substr(0, 200 * 49));
    dir.write("header.dat", "nothing\r\n");
    const std::string combined = (dir / "combined.dat").string();
    const std::string header = (dir / "header.dat").string();
    const std::size_t before = open_descriptors();
    values v = untouched;
    std::map<int, int> seen;
    for (int i = 0; i < 5000; ++i) {
        ++seen[read_mean_flux_file(
            combined.c_str(), 1 + i % 28, 1 + i % 12, 1979 + i % 3, v.data())];
        ++seen[read_mean_flux_file(header.c_str(), 1, 1, 1980, v.data())];
    }
    EXPECT_EQ(open_descriptors(), before);
    for (const int result :
         {mean_flux_found, mean_flux_no_record, mean_flux_out_of_range, mean_flux_no_file})
        EXPECT_GT(seen[result], 0) << "every path was taken: " << result;
}

} // namespace
} // namespace meanflux
