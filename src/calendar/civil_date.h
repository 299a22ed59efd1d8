// The arithmetic behind day_to_date, as a constexpr function of its own so that the calendar can
// be checked at compile time and swept by tests without the shared date record.
#pragma once

#include <meanflux/calendar.h>

#include <array>
#include <cstdint>

namespace meanflux {

// Days that precede each month in a year that begins on 1 March (March has index 0, February
// index 11); the last entry closes a 29-day February.
inline constexpr std::array<int, 13> month_start{
    0, 31, 61, 92, 122, 153, 184, 214, 245, 275, 306, 337, 366};

// Gregorian date of day number n (days from 1 January 1950).
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
    while (month_start[m] < t)
        ++m;
    std::int64_t month = static_cast<std::int64_t>(m) + 2;
    const std::int64_t day = t - month_start[m - 1];
    std::int64_t civil_year = year;
    if (month > 12) { // January and February belong to the next calendar year
        month -= 12;
        ++civil_year;
    }
    return {static_cast<double>(day), static_cast<double>(month), static_cast<double>(civil_year)};
}

} // namespace meanflux
