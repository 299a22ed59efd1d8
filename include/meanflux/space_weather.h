// The solar and geomagnetic inputs of a thermosphere density model at an instant, from a loaded
// mean-flux table.
#pragma once

#include <meanflux/table.h>

#include <string_view>

namespace meanflux {

// What density models of the NRLMSISE and Jacchia kinds take, for one instant.
struct space_weather {
    double f107_obs_prev_day; // observed flux of the day before the epoch's day (record entry 10)
    double f107_adj_prev_day; // flux at 1 AU of that day (entry 11)
    double f107_gauss_mean;   // the epoch's day's Gaussian centred mean (entry 12)
    double f107_arith_mean;   // the epoch's day's arithmetic centred mean (entry 13)
    double f107_obs_mean81;   // plain mean of the observed flux (entry 10) of the 81 days centred
                              // on the epoch's day, of those of them the table holds
    double kp[8];             // kp[0]: the three-hour interval holding the epoch; kp[i]: the
                              // interval 3i hours earlier
    double ap_daily;          // the epoch's day's Ap (entry 9)
    double ap_history[7];     // daily Ap; ap of the current interval, of 3, 6 and 9 hours before;
                              // mean ap of 12-33 and of 36-57 hours before
    int mean81_days;          // days averaged in f107_obs_mean81: 81, fewer at the table's edges
    bool predicted;           // some value comes from a day after the last observed day
};

// Result of space_weather_at: every value computed, but from fewer than 81 days or from
// predicted days.
inline constexpr int space_weather_partial = 2;

// The density-model inputs at an instant.
//
// Given:    table          a loaded mean-flux table (load_mean_flux_table)
//           day_number     the epoch's day: days since 1 January 1950 (calendar.h)
//           seconds_of_day seconds since 0 h UT of that day; values outside [0, 86 400) move the
//                          epoch by floor(seconds_of_day / 86 400) whole days
// Returned: out            every value, when the result is 0 or 2; untouched otherwise
// Returns:  mean_flux_found (0): every value found, the 81-day mean over 81 days, and no value
//             from a predicted day;
//           space_weather_partial (2): every value found, but the 81-day mean over fewer days
//             (mean81_days < 81: the epoch lies within 40 days of an end of the table) or some
//             value from a predicted day (predicted);
//           mean_flux_out_of_range (-1): the epoch's day, the day before it or a day holding one
//             of the twenty three-hour intervals lies outside the table's range, or the epoch is
//             not a finite number of seconds;
//           mean_flux_no_record (1): none does, but a needed record is missing from the file
//             (a day of the range whose record is not at its place, or a file that ends before
//             it), or a needed field holds no number (blank, "nan"), or a needed Kp field of an
//             observed day is not one of the 28 values of the Kp-to-ap table;
//           mean_flux_no_file (-2): the table is empty.
// Notes:    1. A day's three-hour intervals are 0-3 h, 3-6 h, ... 21-24 h, in the order of the
//              record's eight Kp values.  Kp are in whole units, as find_mean_flux gives them.
//           2. The ap of an interval is its Kp converted with the standard table (0o 0, 0+ 2,
//              1- 3, 1o 4, 1+ 5, 2- 6, 2o 7, 2+ 9, 3- 12, 3o 15, 3+ 18, 4- 22, 4o 27, 4+ 32,
//              5- 39, 5o 48, 5+ 56, 6- 67, 6o 80, 6+ 94, 7- 111, 7o 132, 7+ 154, 8- 179,
//              8o 207, 8+ 236, 9- 300, 9o 400); the record's tenths x0, x3 and x7 stand for xo,
//              x+ and (x+1)-.  On a predicted day a Kp that is a number but none of these 28
//              (predictions hold values such as 2.2, 2.4 and 3.9) takes the day's Ap as its ap,
//              and kp[i] is the record's value; on an observed day such a Kp gives 1.
//           3. The days needed are the epoch's day d, the day before it, the days of the twenty
//              three-hour intervals back to 57 hours before the epoch (d - 3 at most), and those
//              of the days d - 40 to d + 40 that lie within the table's range (the 81-day mean).
//           4. Means are plain means, summed in time order from the oldest value (the 81-day mean
//              in ascending day order, filled days included as the records hold them) and then
//              divided by the count (mean81_days for the 81-day mean).  These sums are formed
//              once per day when the table is loaded, in that same order, so the values are the
//              same bit for bit.
//           5. predicted is true when a record read for the epoch lies after the table's last
//              observed day (mean_flux_table_days): the 81-day window reaching 40 days ahead,
//              every epoch from 40 days before the last observed day on.  That a day's centred
//              means (J77, J70) were formed over predicted days does not count.
//           6. Reads only the table, so calls from several threads may overlap.
[[nodiscard]] int space_weather_at(const mean_flux_table& table, int day_number,
                                   double seconds_of_day, space_weather& out) noexcept;

// An epoch written in ISO 8601 UT.
//
// Given:    text            2026-05-01, 2026-05-01T06:30, 2026-05-01T06:30:15 or
//                           2026-05-01T06:30:15.25, each with or without a trailing Z
// Returned: day_number      the epoch's day: days since 1 January 1950
//           seconds_of_day  seconds since 0 h UT of that day
//                           (both as space_weather_at takes them; untouched unless the result
//                           is 0)
// Returns:  0, or -1 for text that is not such an epoch or not a date.
// Notes:    1. Exactly these forms: a four-digit year, then two digits each for the month, the
//              day, the hour, the minute and the second.  The T and the Z may be written t and
//              z.  Nothing else is taken: no blanks, no offset but Z, no 24:00, no week or
//              ordinal dates, no comma before a fraction.
//           2. Dates from 1900-03-01 to 2100-02-28 only: day numbers follow the Gregorian
//              calendar within those days (calendar.h) and would be wrong outside them.
//           3. Hours 00-23, minutes 00-59, seconds 00-59, and 60 at 23:59 only, for a leap
//              second (whether the day had one is not checked): 23:59:60 is second 86 400 of
//              the day, which space_weather_at takes as 0 h of the next day.
//           4. The seconds may have a fraction of any number of digits, at least one.
//              seconds_of_day is the double nearest to the time of day written, correctly
//              rounded: 06:30:15.25 gives exactly 23415.25.
[[nodiscard]] int parse_epoch(std::string_view text, int& day_number,
                              double& seconds_of_day) noexcept;

} // namespace meanflux
