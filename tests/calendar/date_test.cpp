// The date value of the programs: read and written as YYYY-MM-DD, stepped day by day, and the
// years a run accepts.
#include "calendar/date.h"

#include <gtest/gtest.h>

namespace meanflux {
namespace {

TEST(CalendarDate, DaysInYear)
{
    struct Case {
        int year, days;
    };
    constexpr Case cases[] = {
        {1932, 366},
        {1937, 365},
        {1980, 366},
        {1981, 365},
        {2000, 366},
        {2099, 365},
        {2100, 365}, // not a leap year, though the day numbers count it as one
    };
    for (const auto& c : cases)
        EXPECT_EQ(days_in_year(c.year), c.days) << c.year;
}

TEST(CalendarDate, ReadAsYYYYMMDD)
{
    struct Case {
        const char* text;
        bool valid;
    };
    constexpr Case cases[] = {
        {"1980-02-29", true},
        {"1981-02-29", false},
        {"2000-02-29", true},
        {"1900-02-29", false},
        {"1980-12-31", true},
        {"1980-13-01", false},
        {"1980-00-10", false},
        {"1980-01-00", false},
        {"1980-1-1", false},
        {"80-01-01", false},
        {"1980/01/01", false},
        {"1980-01-01x", false},
    };
    for (const auto& c : cases) {
        calendar_date d{};
        EXPECT_EQ(parse_iso_date(c.text, d), c.valid) << c.text;
    }
    // A date of the right form that does not exist is named in words the user can act on.
    struct Problem {
        const char* text;
        const char* problem;
    };
    constexpr Problem problems[] = {
        {"1989-02-30", "February 1989 has no 30th day"},
        {"1981-02-29", "February 1981 has no 29th day"},
        {"1980-04-31", "April 1980 has no 31st day"},
        {"1980-01-32", "January 1980 has no 32nd day"},
        {"1980-06-33", "June 1980 has no 33rd day"},
        {"1980-01-00", "1980-01-00: the days of a month count from 01"},
        {"1980-13-01", "1980-13-01: a year has the months 01 to 12"},
        {"1980-00", "1980-00: a year has the months 01 to 12"},
        {"1980-02-29", ""},
        {"1980-02", ""},
        {"1980/02/30", ""},
        {"1980-2-30", ""},
    };
    for (const auto& c : problems)
        EXPECT_EQ(period_problem(c.text), c.problem) << c.text;

    calendar_date d{};
    ASSERT_TRUE(parse_iso_date("1981-07-04", d));
    EXPECT_EQ(d.year, 1981);
    EXPECT_EQ(d.month, 7);
    EXPECT_EQ(d.day, 4);

    // The years of a run on a command line: four digits, 1937 to 2099.
    struct Year {
        const char* text;
        bool valid;
    };
    constexpr Year years[] = {{"1937", true},
                              {"2099", true},
                              {"1936", false},
                              {"2100", false},
                              {"980", false},
                              {"01980", false},
                              {"+980", false},
                              {" 980", false},
                              {"198o", false},
                              {"", false}};
    for (const auto& c : years) {
        int y = 0;
        EXPECT_EQ(parse_run_year(c.text, y), c.valid) << c.text;
    }
}

TEST(CalendarDate, TheDayAfter)
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
        const calendar_date next = next_day(c.date);
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
        d = next_day(d);
    EXPECT_EQ(d.year, 2300);
    EXPECT_EQ(d.month, 1);
    EXPECT_EQ(d.day, 1);
}

TEST(CalendarDate, NextDayThroughFourCenturies)
{
    // 400 Gregorian years hold 146097 days; every step is the day after, as the day numbers
    // count them where they are exact (1 March 1900 to 28 February 2100), and each date is
    // written back as it was read.
    calendar_date day{2000, 1, 1};
    int steps = 0;
    for (; day.year < 2400; day = next_day(day)) {
        ++steps;
        const calendar_date next = next_day(day);
        ASSERT_TRUE(day < next);
        if (day.year < 2100 || (day.year == 2100 && day.month < 2)) {
            ASSERT_EQ(day_number_of(next), day_number_of(day) + 1);
            ASSERT_EQ(date_of_day(day_number_of(day)), day);
        }
        const iso_date_text text = iso_date(day);
        calendar_date read{};
        ASSERT_TRUE(parse_iso_date(text.data(), read)) << text.data();
        ASSERT_EQ(read, day) << text.data();
    }
    EXPECT_EQ(steps, 146097);
    EXPECT_EQ(day.month, 1);
    EXPECT_EQ(day.day, 1);
    // 2100 is no leap year; 2000 is.
    EXPECT_EQ(next_day({2100, 2, 28}).month, 3);
    EXPECT_EQ(next_day({2000, 2, 28}).day, 29);
}

} // namespace
} // namespace meanflux
