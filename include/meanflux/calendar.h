// Day numbers: whole days counted from 1 January 1950 (day 0), and the dates they stand for.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace meanflux {

namespace detail {

// Quotient rounded toward minus infinity, for a positive divisor.  C++ division truncates toward
// zero, which for a negative dividend lands one above the floor whenever there is a remainder.
constexpr std::int64_t floor_div(std::int64_t a, std::int64_t b) noexcept
{
    const std::int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

} // namespace detail

// Whether a year of the Gregorian calendar is a leap year.
//
// Given:    year  full year number (1980, not 80)
// Returns:  true for a year of 366 days.
// Notes:    Every fourth year is a leap year, except century years not divisible by 400 (1900
//           and 2100 are not, 2000 is).  This is the calendar of the dates; day_number below
//           counts every fourth year, 2100 included.
constexpr bool is_leap_year(int year) noexcept
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Days in a month of the Gregorian calendar.
//
// Given:    month  1 = January ... 12 = December
//           year   full year number
// Returns:  28 to 31; 0 for a month outside 1..12.
constexpr int days_in_month(int month, int year) noexcept
{
    constexpr std::array<int, 12> length{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return length[static_cast<std::size_t>(month - 1)] + (month == 2 && is_leap_year(year) ? 1 : 0);
}

// Day number of a calendar date: the count of days from 1 January 1950 (day 0).
//
// Given:    day    day of the month; 0 and days past the month's end count on linearly
//                  (day 0 is the last day of the month before, 31 February 2001 is 3 March 2001)
//           month  1 = January ... 12 = December
//           year   full year number (1980, not 80)
// Returns:  the day number: 1 January 1980 is 10957, 31 December 1949 is -1.
// Notes:    1. The count is
//                 367 y + d + floor(275 m / 9) - floor(7 (y + k) / 4) - 712269,
//              with k = floor((m + 9) / 12), 0 for January and February and 1 from March on.
//              Writing floor(7 (y + k) / 4) = 2 (y + k) - ceil((y + k) / 4) shows where it comes
//              from: 365 days a year; one leap day every fourth year, counted from March of the
//              leap year on (the ceil term); month lengths from floor(275 m / 9), which advances
//              by 31, 30, 31, 30 ... and so treats February as a 30-day month, whence the two
//              days taken back (-2k) from March on; 712269 puts day 0 on 1 January 1950.
//           2. Every year divisible by 4 counts as a leap year, 1900 and 2100 included: the
//              count is the Gregorian one only from 1 March 1900 to 28 February 2100 (day
//              numbers -18203 to 54845).  After that window it runs one day ahead for every
//              century year not divisible by 400 passed, before it one day behind.
//           3. The floors are those of the exact quotients, so a negative year rounds toward
//              minus infinity (day_number(1, 1, -1) is -712603).  The sum is formed in 64 bits;
//              a result outside the 32-bit range (years beyond about +-5.8 million) wraps.
//           4. No argument is checked; a month outside 1..12 yields whatever the formula gives.
constexpr int day_number(int day, int month, int year) noexcept
{
    const std::int64_t y = year;
    const std::int64_t m = month;
    const std::int64_t a = 367 * y + day;
    const std::int64_t b = detail::floor_div(275 * m, 9);
    const std::int64_t k = detail::floor_div(m + 9, 12);
    const std::int64_t e = detail::floor_div(7 * (y + k), 4);
    return static_cast<int>(a + b - e - 712269);
}

// A calendar date as day_to_date gives it: three whole numbers held as reals.
struct date_record {
    double day;   // day of the month, 1..31
    double month; // 1 = January ... 12 = December
    double year;  // full year number
};

namespace detail {
// Days that precede each month in a year that begins on 1 March (March has index 0, February
// index 11); the last entry closes a 29-day February.
inline constexpr std::array<int, 13> month_start{
    0, 31, 61, 92, 122, 153, 184, 214, 245, 275, 306, 337, 366};
} // namespace detail

// Gregorian date of day number n (days from 1 January 1950), re-entrant.
//
// The arithmetic behind day_to_date, returned by value: callers on several threads, or that need
// two dates at once, use it instead of the shared record.
//
// Given:    n  day number, any 32-bit value
// Returns:  the date as a date_record (day, month, year held as reals)
// Notes:    The count is shifted to start on 1 March 1600 (n + 127775), the first day of a
//           400-year cycle whose leap day is the cycle's last day, so every leap day falls at the
//           end of its block.  Peeling off 400-year cycles (146097 days), centuries without a
//           leap day at their end (36524 days), four-year blocks (1461 days) and years (365 days)
//           leaves the day within a March-based year; a quotient of 4 in the century or year step
//           can only mean the last day of the enclosing block, which is 29 February.  The count
//           is taken in 64 bits, so n + 127775 cannot overflow, and the 400-year step rounds
//           toward minus infinity, so days before 1 March 1600 fall into earlier cycles and get
//           their proleptic Gregorian dates; from then on every remainder is 0 or more.  The month
//           search starts from t / 32 + 1, never past the right month since month_start[k] never
//           exceeds 31 k, and month_start[12] = 366 stops it by index 12 at the latest.
constexpr date_record civil_date(int n) noexcept
{
    std::int64_t t = std::int64_t{n} + 127775; // days since 1 March 1600
    const std::int64_t q400 = detail::floor_div(t, 146097);
    t -= 146097 * q400; // 0 .. 146096
    const std::int64_t q100 = t / 36524;
    t -= 36524 * q100;
    const std::int64_t cycle_year = 1600 + 400 * q400 + 100 * q100;
    if (q100 > 3) // the last day of the 400-year cycle
        return {29.0, 2.0, static_cast<double>(cycle_year)};

    const std::int64_t q4 = t / 1461;
    t -= 1461 * q4;
    const std::int64_t q1 = t / 365;
    const std::int64_t year = cycle_year + 4 * q4 + q1;
    if (q1 > 3) // the last day of a four-year block
        return {29.0, 2.0, static_cast<double>(year)};
    t -= 365 * q1; // day within the March-based year, 0 .. 364

    std::size_t m = static_cast<std::size_t>(t / 32 + 1);
    ++t; // from here on the day counts from 1
    while (detail::month_start[m] < t)
        ++m;
    std::int64_t month = static_cast<std::int64_t>(m) + 2;
    const std::int64_t day = t - detail::month_start[m - 1];
    std::int64_t civil_year = year;
    if (month > 12) { // January and February belong to the next calendar year
        month -= 12;
        ++civil_year;
    }
    return {static_cast<double>(day), static_cast<double>(month), static_cast<double>(civil_year)};
}

// Gregorian calendar date of a day number.
//
// Given:    n  day number (days from 1 January 1950); every 32-bit value is accepted
// Returns:  a reference to the calendar's one date record, holding the date of day n in the
//           proleptic Gregorian calendar (full leap-year rule: century years are leap years only
//           when divisible by 400).
// Notes:    1. There is a single date record for the whole process: every call overwrites it,
//              so a caller that needs two dates at once copies the first before asking for the
//              second.  Not for concurrent or re-entrant use.
//           2. Within 1 March 1900 .. 28 February 2100 it is the exact inverse of day_number;
//              outside that window the two disagree by the century leap days day_number counts
//              (day_number(1, 3, 2100) is 54847, which day_to_date gives as 2 March 2100).
const date_record& day_to_date(int n) noexcept;

} // namespace meanflux
