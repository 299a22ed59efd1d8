#include "sources/daily_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

namespace meanflux::test {
namespace {

std::string fixed_1(double value, std::size_t width)
{
    std::string field(width, '?');
    if (!format_fixed_1(value, std::span<char>(field)))
        return "(does not fit)";
    return field;
}

std::string printf_fixed_1(double value, int width)
{
    char text[64];
    std::snprintf(text, sizeof text, "%*.1f", width, value);
    return text;
}

TEST(DailyLine, FixedFormatIsPrintfsOnEveryTenthOfTheFluxRange)
{
    // Every tenth from 0.0 to 999.9, as the sources' decimal texts give them, and the points
    // halfway between, where the rounding of the two could part.
    for (int tenths = 0; tenths <= 9999; ++tenths) {
        char text[16];
        std::snprintf(text, sizeof text, "%d.%d", tenths / 10, tenths % 10);
        double value = 0.0;
        ASSERT_TRUE(parse_decimal_number(text, value)) << text;
        ASSERT_EQ(fixed_1(value, 5), printf_fixed_1(value, 5)) << text;
        std::snprintf(text, sizeof text, "%d.%d5", tenths / 10, tenths % 10);
        ASSERT_TRUE(parse_decimal_number(text, value)) << text;
        if (value < 999.95) {
            ASSERT_EQ(fixed_1(value, 5), printf_fixed_1(value, 5)) << text;
        }
    }
}

TEST(DailyLine, FixedFormatIsPrintfsOnRandomValues)
{
    std::mt19937_64 random(20240318);
    std::uniform_real_distribution<double> flux(0.0, 999.9);
    for (int i = 0; i < 200000; ++i) {
        const double value = flux(random);
        ASSERT_EQ(fixed_1(value, 5), printf_fixed_1(value, 5)) << value;
    }
    for (const double value : {0.05, 0.15, 0.25, 0.35, 2.45, 9.95, 999.94, -0.0, 1e-300})
        EXPECT_EQ(fixed_1(value, 5), printf_fixed_1(value, 5)) << value;
}

TEST(DailyLine, FixedFormatRefusesWhatDoesNotFit)
{
    EXPECT_EQ(fixed_1(999.95, 5), "(does not fit)"); // "1000.0"
    EXPECT_EQ(fixed_1(10.0, 3), "(does not fit)");
    EXPECT_EQ(fixed_1(1e300, 5), "(does not fit)");
    EXPECT_EQ(fixed_1(NAN, 5), "(does not fit)");
    EXPECT_EQ(fixed_1(INFINITY, 5), "(does not fit)");
    EXPECT_EQ(fixed_1(9.94, 3), "9.9");
}

TEST(DailyLine, NumberFields)
{
    struct Case {
        const char* text;
        bool whole;
        int whole_value;
        bool decimal;
        double decimal_value;
    };
    const Case cases[] = {
        {"0", true, 0, true, 0.0},           {"43", true, 43, true, 43.0},
        {"007", true, 7, true, 7.0},         {"-1", true, -1, true, -1.0},
        {"189.1", false, 0, true, 189.1},    {"2.333", false, 0, true, 2.333},
        {"-1.000", false, 0, true, -1.0},    {"999999999", true, 999999999, true, 999999999.0},
        {"1000000000", false, 0, true, 1e9}, // ten digits: no whole number of the files has them
        {"", false, 0, false, 0.0},          {"-", false, 0, false, 0.0},
        {" 1", false, 0, false, 0.0},        {"1 ", false, 0, false, 0.0},
        {"+1", false, 0, false, 0.0},        {"1.", false, 0, false, 0.0},
        {".5", false, 0, false, 0.0},        {"1.2.3", false, 0, false, 0.0},
        {"1e2", false, 0, false, 0.0},       {"1E2", false, 0, false, 0.0},
        {"0x10", false, 0, false, 0.0},      {"0x1p3", false, 0, false, 0.0},
        {"inf", false, 0, false, 0.0},       {"nan", false, 0, false, 0.0},
        {"12ab", false, 0, false, 0.0},      {"1,5", false, 0, false, 0.0},
        {"1\r", false, 0, false, 0.0},       {"--1", false, 0, false, 0.0},
    };
    for (const auto& c : cases) {
        int w = 12345;
        EXPECT_EQ(parse_whole_number(c.text, w), c.whole) << c.text;
        EXPECT_EQ(w, c.whole ? c.whole_value : 12345) << c.text;
        double d = 12345.0;
        EXPECT_EQ(parse_decimal_number(c.text, d), c.decimal) << c.text;
        EXPECT_EQ(d, c.decimal ? c.decimal_value : 12345.0) << c.text;
    }
}

TEST(DailyLine, DecimalNumbersRoundAsStrtod)
{
    std::mt19937_64 random(1957);
    for (int i = 0; i < 200000; ++i) {
        char text[40];
        std::snprintf(text,
                      sizeof text,
                      "%llu.%llu",
                      static_cast<unsigned long long>(random() % 100000),
                      static_cast<unsigned long long>(random() % 100000000000ULL));
        double value = 0.0;
        ASSERT_TRUE(parse_decimal_number(text, value)) << text;
        ASSERT_EQ(value, std::strtod(text, nullptr)) << text;
    }
}

TEST(DailyLine, Columns)
{
    daily_values v;
    v.year = 1980;
    v.month = 1;
    v.day = 1;
    v.rotation = 2001;
    v.rotation_day = 19;
    v.kp_tenths = {23, 23, 23, 33, 33, 43, 50, 50};
    v.kp_sum_tenths = 280;
    v.ap = {9, 9, 9, 18, 18, 32, 48, 48};
    v.ap_daily = 24;
    v.cp = 1.2;
    v.c9 = 6;
    v.sunspots = 217;
    v.flux = 189.1;
    v.qualifier = flux_observed;
    std::string line(daily_line_length, '?');
    const std::span<char, daily_line_length> text(line.data(), daily_line_length);
    ASSERT_TRUE(format_daily_line(v, text));
    EXPECT_EQ(line, "8001012001192323233333435050280  9  9  9 18 18 32 48 48 241.26217189.10");

    // Everything that may be missing left blank; the flux of a day without one.
    daily_values blank;
    blank.year = 2024;
    blank.month = 12;
    blank.day = 31;
    ASSERT_TRUE(format_daily_line(blank, text));
    EXPECT_EQ(line, "241231" + std::string(59, ' ') + "  0.03");

    // Each value one above what its columns hold.
    struct Case {
        void (*spoil)(daily_values&);
        const char* what;
    };
    const Case too_wide[] = {
        {[](daily_values& d) { d.rotation = 10000; }, "rotation"},
        {[](daily_values& d) { d.rotation_day = 100; }, "rotation day"},
        {[](daily_values& d) { d.kp_tenths[7] = 100; }, "Kp"},
        {[](daily_values& d) { d.kp_sum_tenths = 1000; }, "Kp sum"},
        {[](daily_values& d) { d.ap[0] = 1000; }, "ap"},
        {[](daily_values& d) { d.ap_daily = 1000; }, "Ap"},
        {[](daily_values& d) { d.cp = 9.96; }, "Cp"},
        {[](daily_values& d) { d.c9 = 10; }, "C9"},
        {[](daily_values& d) { d.sunspots = 1000; }, "sunspot number"},
        {[](daily_values& d) { d.flux = 999.95; }, "flux"},
        {[](daily_values& d) { d.flux = -0.5; }, "negative flux"},
        {[](daily_values& d) { d.qualifier = 10; }, "qualifier"},
        {[](daily_values& d) { d.ap[3] = -2; }, "negative ap"},
        {[](daily_values& d) { d.month = 13; }, "month"},
    };
    for (const auto& c : too_wide) {
        daily_values spoilt = v;
        c.spoil(spoilt);
        EXPECT_FALSE(format_daily_line(spoilt, text)) << c.what;
    }
}

TEST(DailyLine, NextCalendarDay)
{
    struct Case {
        calendar_date date, next;
    };
    constexpr Case cases[] = {
        {{1980, 1, 31}, {1980, 2, 1}},
        {{1980, 2, 28}, {1980, 2, 29}}, // leap year
        {{1981, 2, 28}, {1981, 3, 1}},
        {{1900, 2, 28}, {1900, 3, 1}},  // century year, not a leap year
        {{2000, 2, 28}, {2000, 2, 29}}, // divisible by 400
        {{2100, 2, 28}, {2100, 3, 1}},  // not a leap year either
        {{2099, 12, 31}, {2100, 1, 1}},
        {{1957, 9, 30}, {1957, 10, 1}},
    };
    for (const auto& c : cases) {
        const calendar_date next = next_calendar_day(c.date);
        EXPECT_EQ(next.year, c.next.year);
        EXPECT_EQ(next.month, c.next.month);
        EXPECT_EQ(next.day, c.next.day) << c.date.year << "-" << c.date.month << "-" << c.date.day;
        EXPECT_TRUE(follows(c.date, c.next));
        EXPECT_FALSE(follows(c.next, c.date));
        EXPECT_FALSE(follows(c.date, c.date));
    }
    // 400 years of days: 146097 steps from 1 January 1900 lead to 1 January 2300.
    calendar_date d{1900, 1, 1};
    for (int i = 0; i < 146097; ++i)
        d = next_calendar_day(d);
    EXPECT_EQ(d.year, 2300);
    EXPECT_EQ(d.month, 1);
    EXPECT_EQ(d.day, 1);
}

} // namespace
} // namespace meanflux::test
