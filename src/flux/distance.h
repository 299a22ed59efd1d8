// The Sun-Earth distance, which turns the flux referred to 1 AU into the flux observed at the
// Earth's actual distance from the Sun.
#pragma once

#include "flux/series.h"

#include <meanflux/calendar.h>

#include <array>

namespace meanflux {

// Eccentricity of the Earth's orbit.
inline constexpr double ecc = 0.0167;

// Mean motion of the Earth, radians per day: a revolution of 2 x 3.141592654 (the ten-digit pi,
// multiplied first) in 365.2422 days.
inline constexpr double omega = 2.0 * 3.141592654 / 365.2422;

// Time of perihelion, days: 0.47 days after the start of 4 January 1950, counted in the same
// days as the series positions (day_number(4, 1, 1950) = 3, plus 0.47 in double arithmetic).
inline constexpr double t_peri = static_cast<double>(day_number(4, 1, 1950)) + 0.47;

// Sun-Earth distance on day t.
//
// Given:    t  count of days: a series position, or a day's index within the given year
// Returns:  r, the distance in AU, between 0.9833 and 1.0167
// Notes:    r = 1 - ecc cos M + (ecc^2 / 2)(1 - cos 2M), the distance in units of the orbit's
//           semi-major axis to second order in the eccentricity, with the mean anomaly
//           M = (t - t_peri) omega.  It is evaluated as
//               M = (t - t_peri) * omega;  h = ((1 - cos(2 M)) * ecc) / 2;
//               r = (h - cos M) * ecc + 1,
//           each operation rounded to double in that order.  M is not reduced to one revolution.
double dist_factor(int t) noexcept;

// The Sun-Earth distance of every series position: entry t is dist_factor(t).  It depends on
// the position alone, so one table serves the three-year window of every year.
using distance_table = std::array<double, MAX_DAYS>;

// Fill the distance table.
//
// Returned: table  table[t] = dist_factor(t) for t = 0 to MAX_DAYS - 1, bit for bit
void init_distance_table(distance_table& table) noexcept;

// Observed flux of every position of the series.
//
// Given:    table   from init_distance_table
// Given and returned:
//           series  flux_obs[i] = (flux_adj[i] / r) / r with r = dist_factor(i), for positions 0
//                   to series_len - 1, whatever the day's qualifier
// Notes:    Two divisions by r, not one by r * r: the two can differ in the last place.
void distance_pass(daily_series& series, const distance_table& table) noexcept;

} // namespace meanflux
