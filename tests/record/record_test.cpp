#include "record/combined_file.h"
#include "record/format.h"
#include "record/record.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

namespace meanflux {
namespace {

std::string record_of(int day, const record_fluxes& v,
                      const std::string& text22 = std::string(22, '.'))
{
    std::array<char, 22> text{};
    std::memcpy(text.data(), text22.data(), text.size());
    record_buffer record{};
    const int length = format_record(record, day, text, v);
    EXPECT_EQ(length, static_cast<int>(std::strlen(record.data())));
    return std::string(record.data(), static_cast<std::size_t>(length));
}

TEST(Record, LayoutOfADay)
{
    const std::string text = "2323233333435050280 24";
    const std::string r = record_of(10957, {180.26, 174.31, 165.04, 72.04}, text);
    EXPECT_EQ(r, "10957" + text + "180.3174.3165.0 72.0\r\n");
    EXPECT_EQ(r.size(), static_cast<std::size_t>(record_stride));
    EXPECT_EQ(r.substr(27, 5), "180.3") << "columns 28-32 touch columns 33-37";
    EXPECT_EQ(r.substr(42, 5), " 72.0");
}

TEST(Record, Fields)
{
    const record_fluxes v{70.46, 0.0, 999.94, -99.94};
    struct Case {
        int day;
        record_fluxes values;
        std::string day_field, values_field;
        const char* what;
    };
    const double nan = std::nan("");
    const Case cases[] = {
        {0, v, "00000", " 70.5  0.0999.9-99.9", "1 January 1950"},
        {365, v, "00365", " 70.5  0.0999.9-99.9", "leading zeros"},
        {99999, v, "99999", " 70.5  0.0999.9-99.9", "the largest five-digit day"},
        {-365, v, "-00365", " 70.5  0.0999.9-99.9", "days before 1950 take a sign"},
        {-1, v, "-00001", " 70.5  0.0999.9-99.9", ""},
        {100000, v, "100000", " 70.5  0.0999.9-99.9", "six digits in the course of 2223"},
        {1, {nan, nan, nan, nan}, "00001", "  nan  nan  nan  nan", "no mean"},
        {1, {-nan, 1.0, -nan, 2.0}, "00001", "  nan  1.0  nan  2.0", "no sign on nan"},
        {1, {999.95, 1.0, 2.0, 3.0}, "00001", "1000.0  1.0  2.0  3.0", "wider than five"},
    };
    for (const auto& c : cases) {
        const std::string r = record_of(c.day, c.values);
        EXPECT_EQ(r, c.day_field + std::string(22, '.') + c.values_field + "\r\n") << c.what;
    }
}

TEST(Record, LengthOfARecord)
{
    // Every record is as long as record_bytes says when its values fit; an activity text with a
    // NUL is copied whole.
    const record_fluxes v{70.46, 0.0, 999.94, -99.94};
    for (const int day : {0, 1, 99999, -1, -99999, 100000, -100000, 2147483647, -2147483647 - 1}) {
        const std::string r = record_of(day, v);
        EXPECT_EQ(r.size(), static_cast<std::size_t>(record_bytes(day))) << day;
    }
    std::array<char, 22> text{};
    text.fill('1');
    text[3] = '\0';
    record_buffer record{};
    EXPECT_EQ(format_record(record, 10957, text, v), record_stride);
    EXPECT_EQ(std::string(record.data() + 5, 22), std::string(text.data(), 22));
    EXPECT_EQ(format_record(record, 10957, text, {std::nan(""), 1.0, 2.0, 3.0}), record_stride);
}

TEST(Record, FieldsAsWrittenAndWhichHoldANumber)
{
    struct Case {
        std::string line;
        unsigned set;
        std::array<double, mean_flux_entries> fields;
        const char* what;
    };
    constexpr double k = -7.0; // kept: the field holds no number
    const Case cases[] = {
        {"1095723 3 0 710132030213 12 72.3 70.0 75.5 76.1\r\n",
         0x3FFF,
         {23, 3, 0, 7, 10, 13, 20, 30, 213, 12, 72.3, 70.0, 75.5, 76.1},
         "Kp and their sum stay in tenths"},
        {"1095723 3 0  10132030213    72.3  nan 75.5",
         0x3FFF & ~(1u << 3) & ~(1u << entry_ap) & ~(1u << entry_arith_mean),
         {23, 3, 0, k, 10, 13, 20, 30, 213, k, 72.3, std::nan(""), 75.5, k},
         "blank fields and a record cut short are not set; nan is a number"},
    };
    for (const auto& c : cases) {
        std::array<double, mean_flux_entries> fields;
        fields.fill(k);
        EXPECT_EQ(scan_record_fields(c.line, fields), c.set) << c.what;
        for (std::size_t i = 0; i < fields.size(); ++i)
            EXPECT_TRUE(fields[i] == c.fields[i] ||
                        (std::isnan(fields[i]) && std::isnan(c.fields[i])))
                << c.what << ", entry " << i;

        // scan_record_values is the same with the tenths made whole units.
        std::array<double, mean_flux_entries> values;
        values.fill(k);
        scan_record_values(c.line, values);
        for (std::size_t i = 0; i < values.size(); ++i) {
            const double expected = (c.set >> i & 1u) == 0                     ? k
                                    : i < static_cast<std::size_t>(kp_entries) ? c.fields[i] / 10.0
                                                                               : c.fields[i];
            EXPECT_TRUE(values[i] == expected || (std::isnan(values[i]) && std::isnan(expected)))
                << c.what << ", entry " << i;
        }
    }
}

TEST(Record, AsPrintfWritesIt)
{
    // Every kind of record against the same record written with printf alone.
    std::mt19937_64 random(1950);
    std::uniform_real_distribution<double> flux(-100.5, 1000.5);
    std::uniform_int_distribution<int> day(-100005, 100005);
    std::array<char, 22> text{};
    text.fill('7');
    for (int i = 0; i < 200000; ++i) {
        record_fluxes v{flux(random), flux(random), flux(random), flux(random)};
        if (i % 7 == 0)
            v.gauss_mean = std::nan("");
        if (i % 11 == 0)
            v.flux_obs = -0.0;
        const int d = i % 3 == 0 ? day(random) : 10957 + i % 30000;
        record_buffer record{};
        const int length = format_record(record, d, text, v);

        char field[64];
        std::snprintf(field, sizeof field, "%.5d", d);
        std::string expected = field + std::string(text.data(), text.size());
        for (const double value : {v.flux_obs, v.flux_adj, v.gauss_mean, v.arith_mean}) {
            std::snprintf(field, sizeof field, "%5.1f", value);
            expected += std::isnan(value) ? "  nan" : field;
        }
        expected += "\r\n";
        ASSERT_EQ(std::string(record.data(), static_cast<std::size_t>(length)), expected) << d;
    }
}

TEST(CombinedHeader, WrittenInFiveDigitsAndReadBack)
{
    struct Case {
        int first, last;
        const char* line;
        int observed = -1;
    };
    // Blanks before a number of fewer than five digits would be skipped by the scan, which would
    // then take the first digit of the second number.
    const Case cases[] = {
        {10957, 11322, "1095711322\r\n"},
        {0, 365, "0000000365\r\n"},
        {9496, 10226, "0949610226\r\n"},
        {0, 99999, "0000099999\r\n"},
        // Predicted days after the last observed one; a last observed day that is the last day
        // or none given keeps the header of a file without predictions.
        {2922, 27919, "0292227919 27874\r\n", 27874},
        {0, 365, "0000000365 00000\r\n", 0},
        {2922, 27919, "0292227919\r\n", 27919},
    };
    for (const auto& c : cases) {
        const std::string line = combined_header_line(c.first, c.last, c.observed);
        EXPECT_EQ(line, c.line);
        combined_header header{};
        ASSERT_TRUE(parse_combined_header(line + "record", header)) << c.line;
        EXPECT_EQ(header.first, c.first);
        EXPECT_EQ(header.last, c.last);
        EXPECT_EQ(header.last_observed, c.observed < 0 ? c.last : c.observed);
        EXPECT_EQ(header.data_start, static_cast<std::int64_t>(line.size()));
    }
}

} // namespace
} // namespace meanflux
