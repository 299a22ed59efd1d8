// Day numbers: whole days counted from 1 January 1950 (day 0), and the dates they stand for.
#pragma once

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
