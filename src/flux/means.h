// The centred mean fluxes of a day: a Gaussian-weighted mean over 210 days either side ("J77")
// and an arithmetic mean over 81 days either side ("J70"), both without the days that have no
// observation, and the filling of such a day's own fluxes from its Gaussian mean.
#pragma once

#include "flux/series.h"

#include <array>
#include <span>

namespace meanflux {

inline constexpr int gauss_scale = 70;               // days: scale of the Gaussian weights
inline constexpr int gauss_half = 3 * gauss_scale;   // half width of the Gaussian window
inline constexpr int gauss_len = 2 * gauss_half + 1; // weights in use
inline constexpr int rot_days = 27;                  // days: one solar rotation
inline constexpr int arith_half = 3 * rot_days;      // half width of the arithmetic window

// The Gaussian weights; entry j is the weight of offset j - gauss_half from the day.
using gauss_table = std::array<double, 500>;
static_assert(gauss_len <= static_cast<int>(gauss_table().size()));

// Fill the Gaussian weights.
//
// Returned: gauss_w  entries 0 to 420: exp((-x) * x) with x = (j - 210) / 70.0; the rest stay
// Notes:    1 at the centre, exp(-1) 70 days away, exp(-9) at the ends.  Exactly symmetric.
void init_gauss_w(gauss_table& gauss_w) noexcept;

// The four values that the yearly file reports for a day, in the order written.
struct day_values {
    double flux_obs;   // observed flux (filled for a missing day)
    double flux_adj;   // flux adjusted to 1 AU (filled for a missing day)
    double gauss_mean; // Gaussian centred mean ("J77")
    double arith_mean; // arithmetic centred mean ("J70")
};

// Fluxes and centred means of day n of the given year.
//
// Given:    series       the loaded series, with flux_obs from distance_pass
//           gauss_w      the Gaussian weights
//           year_offset  series position of 1 January of the given year (365 or 366)
//           n            the day's index within the given year, 0 for 1 January (0..MAX_DAYS)
// Returns:  the day's observed flux, adjusted flux, gauss_mean and arith_mean.
// Notes:    1. With p = year_offset + n, the Gaussian mean is the sum of gauss_w[k + 210] *
//              flux_obs[p + k] over the offsets k = -210..210, divided by the sum of the weights
//              used; the arithmetic mean the sum of flux_obs[p + k] over k = -81..81 divided by
//              their count.  Both are formed afresh, term by term in ascending k.
//           2. Only observed days take part: a day whose qualifier is MISSING_FLUX is left out.
//              The loader marks so every day without observation, and every position that no
//              line filled, so that a file still being published, or one short of lines, does
//              not pull the means toward zero.  Positions at or beyond series_len do not take
//              part either.
//           3. A window without a single observed day has no mean: it is not a number.
//           4. A day whose qualifier is MISSING_FLUX reports gauss_mean as its observed flux and
//              (gauss_mean * r) * r as its adjusted flux, with r = dist_factor(n) taken from the
//              day's index in the year, not from its series position.  The series itself is not
//              changed, so a filled day never enters another day's means.
//           5. A day outside the series (p beyond series_len) reports zero fluxes.
day_values day_fluxes(const daily_series& series, const gauss_table& gauss_w, int year_offset,
                      int n) noexcept;

// Fluxes and centred means of the first days of the given year, all at once.
//
// Given:    series       the loaded series, with flux_obs from distance_pass
//           gauss_w      the Gaussian weights
//           year_offset  series position of 1 January of the given year (0..MAX_DAYS)
// Returned: values       values[n] = day_fluxes(series, gauss_w, year_offset, n) bit for bit,
//                        for n = 0 to values.size() - 1
// Notes:    1. The sums are day_fluxes's: each formed term by term in ascending offset, every
//              product rounded before it is added (no fused multiply-add).  Only the order in
//              which the independent sums of different days advance changes: eight days are
//              summed side by side, two in each of four vector registers (the same IEEE
//              operation on each day), so that the processor works on several chains at once.
//           2. A position that takes no part (a day without observation, or outside the loaded
//              series) is not skipped but adds an exact +0.0 to a day's sums: its flux counts
//              as +0.0 and its weight as +0.0 (the weight times 0.0, weights being positive and
//              finite).  Adding +0.0 leaves every double unchanged, bit for bit, except -0.0,
//              which it turns into +0.0; and no sum is ever -0.0: it starts at +0.0, and a sum
//              of two doubles is -0.0 only when both are -0.0.  So each sum takes the same
//              values as when the position is skipped.  The flux of such a position is never
//              read, so one that is not finite cannot turn the sums into NaN.
//           3. The arithmetic total, 1.0 added once per observed day, is a whole number of at
//              most 163 and exact at every step: it is the count of observed days.
//           4. A Gaussian window in which every position takes part has as total the sum of all
//              421 weights, formed once, in the same order.
void year_fluxes(const daily_series& series, const gauss_table& gauss_w, int year_offset,
                 std::span<day_values> values) noexcept;

} // namespace meanflux
