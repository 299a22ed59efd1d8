// A date of the Gregorian calendar as a plain value, and what the programs do with dates: read
// and write them as YYYY-MM-DD, step from one day to the next, count the days of a year, and
// know which years a run accepts.  Day numbers and their dates are the public calendar's
// (meanflux/calendar.h).
#pragma once

#include <meanflux/calendar.h>

#include <array>
#include <compare>
#include <string>
#include <string_view>

namespace meanflux {

// A date of the Gregorian calendar: 28 February 2100 is followed by 1 March 2100.
struct calendar_date {
    int year;  // full year number (1980, not 80)
    int month; // 1 = January ... 12 = December
    int day;   // day of the month, from 1

    friend constexpr auto operator<=>(const calendar_date&, const calendar_date&) = default;
};

// The years a run accepts.  1937 is the first year whose preceding year (1936) the archive of
// daily index files covers; 2099 the last whose days the day numbers count right: their formula
// takes 2100 for a leap year, so from 1 March 2100 on every day number would be one too high.
inline constexpr int first_run_year = 1937;
inline constexpr int last_run_year = 2099;

// Whether a run accepts the year.
constexpr bool is_run_year(int year) noexcept
{
    return year >= first_run_year && year <= last_run_year;
}

// Days of a year of the Gregorian calendar (2100 has 365).
constexpr int days_in_year(int year) noexcept
{
    return is_leap_year(year) ? 366 : 365;
}
inline constexpr int max_year_days = 366;

// Whether year, month and day form a date: the day exists in its month.
constexpr bool is_date(calendar_date date) noexcept
{
    return date.day >= 1 && date.day <= days_in_month(date.month, date.year);
}

// The day after a date.
//
// Given:    date  a date (is_date)
// Returns:  the next day: the first of the next month after a month's last day, and
//           1 January of the next year after 31 December.
constexpr calendar_date next_day(calendar_date date) noexcept
{
    if (date.day < days_in_month(date.month, date.year))
        return {date.year, date.month, date.day + 1};
    if (date.month < 12)
        return {date.year, date.month + 1, 1};
    return {date.year + 1, 1, 1};
}

// Whether `date` is the day after `previous`.
constexpr bool follows(calendar_date previous, calendar_date date) noexcept
{
    return next_day(previous) == date;
}

// The date of a day number, by the full Gregorian rule (civil_date).
constexpr calendar_date date_of_day(int day_number) noexcept
{
    const date_record d = civil_date(day_number);
    return {static_cast<int>(d.year), static_cast<int>(d.month), static_cast<int>(d.day)};
}

// The day number of a date (day_number).
constexpr int day_number_of(calendar_date date) noexcept
{
    return day_number(date.day, date.month, date.year);
}

// Read a date written YYYY-MM-DD: a four-digit year, two-digit month and day.
//
// Given:    text  the characters
// Returned: date  the date, when the text is one
// Returns:  true for a valid date of the years 0 to 9999 (the day exists in its month).
[[nodiscard]] bool parse_iso_date(std::string_view text, calendar_date& date) noexcept;

// The days of a date, a month or a year, as the programs take them on their command lines.
struct calendar_period {
    calendar_date first;
    calendar_date last;
};

// Read a date (YYYY-MM-DD), a month (YYYY-MM: its days) or a year (YYYY: its days).
//
// Given:    text    the characters: four digits for the year, two each for the month and day
// Returned: period  its first and last day, when the text is one of these
// Returns:  true for a date of the years 0 to 9999 that exists, a month 01 to 12 of such a year,
//           or such a year.
[[nodiscard]] bool parse_period(std::string_view text, calendar_period& period) noexcept;

// Why text of the form of a date or a month names none, in words the user can act on.
//
// Given:    text  the characters, as parse_period takes them
// Returns:  "February 1989 has no 30th day", "1989-13: a year has the months 01 to 12", ...; ""
//           when the text names a period, or is not of these forms at all.
[[nodiscard]] std::string period_problem(std::string_view text);

// A date written YYYY-MM-DD, with its terminator.
using iso_date_text = std::array<char, 11>;

// Write a date of the years 0 to 9999 as YYYY-MM-DD.
[[nodiscard]] iso_date_text iso_date(calendar_date date) noexcept;

// The English name of a month, 1 ("January") to 12 ("December").
[[nodiscard]] const char* month_name(int month) noexcept;

// Read a year as the programs take it on their command lines: four digits, and a year a run
// accepts.
//
// Returned: year  the year, when the text is one
// Returns:  true for "1937" to "2099".
[[nodiscard]] bool parse_run_year(std::string_view text, int& year) noexcept;

} // namespace meanflux
