#include <meanflux/calendar.h>

#include <meanflux/calendar.h>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>

namespace meanflux {
namespace {

// The day numbers are checked at compile time as well.
static_assert(day_number(1, 1, 1950) == 0);
static_assert(day_number(1, 1, 1980) == 10957);
static_assert(civil_date(11016).day == 29.0 && civil_date(11016).month == 2.0);

TEST(DayNumber, PublishedValues)
{
    struct Case {
        int day, month, year, expected;
        const char* what = "";
    };
    constexpr Case cases[] = {
        {1, 1, 1950, 0, "the origin"},
        {4, 1, 1950, 3, "the perihelion reference"},
        {31, 12, 1949, -1},
        {1, 1, 1949, -365},
        {1, 1, 1980, 10957},
        {29, 2, 1980, 11016},
        {1, 3, 1980, 11017},
        {1, 1, 2000, 18262},
        {29, 2, 2000, 18321, "a century year divisible by 400 is a leap year"},
        {1, 3, 2000, 18322},
        {31, 12, 2000, 18627},
        {28, 2, 2100, 54845, "last day of the exact window"},
        {1, 3, 2100, 54847, "the formula counts a 29 February 2100"},
        {29, 2, 2100, 54846},
        {1, 3, 1900, -18203, "first day of the exact window"},
        {29, 2, 1900, -18204},
        {28, 2, 1900, -18205},
        {1, 1, 1900, -18263},
        {1, 1, 1800, -54788},
        {1, 3, 2200, 91372},
        {0, 1, 1950, -1, "day 0 is the last day of the month before"},
        {0, 3, 2000, 18321},
        {31, 2, 2001, 18689, "days past the month's end count on"},
        {3, 3, 2001, 18689},
        {1, 1, -1, -712603, "floors round toward minus infinity"},
        {1, 1, 2101, 55153},
    };
    for (const auto& c : cases)
        EXPECT_EQ(day_number(c.day, c.month, c.year), c.expected)
            << c.day << "/" << c.month << "/" << c.year << " " << c.what;
}

TEST(DayNumber, YearLengthsAsTheRunFormsThem)
{
    struct Case {
        int year, days;
    };
    constexpr Case cases[] = {{1979, 365}, {1980, 366}, {2000, 366}, {1900, 366}, {2100, 366}};
    for (const auto& c : cases)
        EXPECT_EQ(day_number(1, 1, c.year + 1) - day_number(1, 1, c.year), c.days) << c.year;
}

TEST(DayNumber, MatchesTheDoubleFloorFormulaOverLargeArguments)
{
    // The formula as first written divides in double precision and floors; the integer floors
    // must agree with it wherever the day number fits 32 bits.
    auto by_doubles = [](int d, int m, int y) {
        const double a = 367.0 * y + d;
        const double b = std::floor(275.0 * m / 9.0);
        const double k = std::floor((m + 9) / 12.0);
        const double e = std::floor(7.0 * (y + k) / 4.0);
        return static_cast<std::int64_t>(a + b - e - 712269.0);
    };
    for (int y = -5'000'000; y <= 5'000'000; y += 997)
        for (int m = -30; m <= 40; m += 7)
            for (int d : {-40, 0, 1, 15, 31, 400})
                ASSERT_EQ(day_number(d, m, y), by_doubles(d, m, y)) << d << "/" << m << "/" << y;
}

// An independent calendar: one day at a time.
struct civil {
    std::int64_t year;
    int month, day;
};

bool is_leap(std::int64_t y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int month_length(int month, std::int64_t year)
{
    constexpr int length[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return length[month - 1] + (month == 2 && is_leap(year));
}

void next_day(civil& c)
{
    if (++c.day > month_length(c.month, c.year)) {
        c.day = 1;
        if (++c.month > 12) {
            c.month = 1;
            ++c.year;
        }
    }
}

void previous_day(civil& c)
{
    if (--c.day < 1) {
        if (--c.month < 1) {
            c.month = 12;
            --c.year;
        }
        c.day = month_length(c.month, c.year);
    }
}

::testing::AssertionResult same_date(int n, const civil& expected)
{
    const date_record& got = day_to_date(n);
    if (got.day == expected.day && got.month == expected.month &&
        got.year == static_cast<double>(expected.year))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "day " << n << ": got " << got.day << "/" << got.month << "/" << got.year
           << ", expected " << expected.day << "/" << expected.month << "/" << expected.year;
}

TEST(DayToDate, PublishedValues)
{
    struct Case {
        int n;
        civil date;
        const char* what = "";
    };
    const Case cases[] = {
        {0, {1950, 1, 1}},
        {-1, {1949, 12, 31}},
        {3, {1950, 1, 4}},
        {11016, {1980, 2, 29}, "last day of a four-year block"},
        {18321, {2000, 2, 29}, "last day of a 400-year cycle"},
        {18322, {2000, 3, 1}},
        {18627, {2000, 12, 31}},
        {54845, {2100, 2, 28}},
        {54846, {2100, 3, 1}},
        {54847, {2100, 3, 2}, "day_number(1, 3, 2100) is one day ahead"},
        {-18204, {1900, 2, 28}},
        {-127775, {1600, 3, 1}, "first day of the unextended domain"},
        {-127776, {1600, 2, 29}, "and the day before it"},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(same_date(c.n, c.date)) << c.what;
}

TEST(DayToDate, InvertsDayNumberOverItsExactWindow)
{
    for (int n = -18203; n <= 54845; ++n) {
        const date_record d = day_to_date(n);
        ASSERT_EQ(day_number(
                      static_cast<int>(d.day), static_cast<int>(d.month), static_cast<int>(d.year)),
                  n);
    }
}

TEST(DayToDate, AgreesWithDayByDayCountingFrom1600To10000)
{
    civil c{1600, 3, 1};
    for (int n = -127775; n <= 3'000'000; ++n, next_day(c))
        ASSERT_TRUE(same_date(n, c));
}

TEST(DayToDate, AgreesWithDayByDayCountingBackBefore1600)
{
    civil c{1600, 3, 1};
    for (int n = -127775; n >= -3'000'000; --n, previous_day(c))
        ASSERT_TRUE(same_date(n, c));
}

// H. Hinnant's civil_from_days, days counted from 1 January 1970, for the far ends of the range.
civil civil_from_days(std::int64_t z)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (m <= 2), m, d};
}

TEST(DayToDate, EveryThirtyTwoBitDayNumberHasItsGregorianDate)
{
    constexpr std::int64_t days_1950_from_1970 = -7305;
    auto check = [&](int n) {
        ASSERT_TRUE(same_date(n, civil_from_days(n + days_1950_from_1970)));
    };
    for (int i = 0; i < 2000; ++i) {
        check(INT_MIN + i);
        check(INT_MAX - i);
    }
    for (std::int64_t n = INT_MIN; n <= INT_MAX; n += 65'537)
        check(static_cast<int>(n));
}

TEST(DayToDate, KeepsOneDateRecordThatEveryCallOverwrites)
{
    const date_record& first = day_to_date(0);
    EXPECT_EQ(first.day, 1.0);
    EXPECT_EQ(first.month, 1.0);
    EXPECT_EQ(first.year, 1950.0);
    const date_record& second = day_to_date(18627);
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(first.day, 31.0);
    EXPECT_EQ(first.month, 12.0);
    EXPECT_EQ(first.year, 2000.0);
}

} // namespace
} // namespace meanflux
