#include "flux/means.h"

#include "flux/distance.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace meanflux {

void init_gauss_w(gauss_table& gauss_w) noexcept
{
    for (int j = 0; j < gauss_len; ++j) {
        const double x = static_cast<double>(j - gauss_half) / static_cast<double>(gauss_scale);
        gauss_w[static_cast<std::size_t>(j)] = std::exp((-x) * x);
    }
}

namespace {

constexpr double no_mean = std::numeric_limits<double>::quiet_NaN();

// The four sums of a day's means.  Each is formed term by term in ascending offset, as the means
// are defined; the two windows are walked in one pass only so that the four independent sums can
// be added up side by side.
struct window_sums {
    double gauss_sum = 0.0;
    double gauss_total = 0.0;
    double arith_sum = 0.0;
    double arith_total = 0.0;
};

// Add the observed days among offsets low..high of position p to the Gaussian sums, and to the
// arithmetic ones as well when `arith` is set.
template <bool arith>
void add_offsets(const daily_series& series, const gauss_table& gauss_w, int p, int low, int high,
                 window_sums& s) noexcept
{
    for (int k = low; k <= high; ++k) {
        const auto q = static_cast<std::size_t>(p + k);
        if (series.flux_qual[q] != MISSING_FLUX) {
            const double w = gauss_w[static_cast<std::size_t>(k + gauss_half)];
            const double obs = series.flux_obs[q];
            s.gauss_sum = s.gauss_sum + w * obs;
            s.gauss_total = s.gauss_total + w;
            if constexpr (arith) {
                s.arith_sum = s.arith_sum + obs;
                s.arith_total = s.arith_total + 1.0;
            }
        }
    }
}

} // namespace

day_values day_fluxes(const daily_series& series, const gauss_table& gauss_w, int year_offset,
                      int n) noexcept
{
    const int p = year_offset + n;
    day_values v{0.0, 0.0, 0.0, 0.0};
    int qual = 0;
    if (p >= 0 && p < MAX_DAYS) {
        const auto own = static_cast<std::size_t>(p);
        v.flux_obs = series.flux_obs[own];
        v.flux_adj = series.flux_adj[own];
        qual = series.flux_qual[own];
    }

    // Only loaded positions take part: offsets from `low` to `high`.
    const int low = std::max(-gauss_half, -p);
    const int high = std::min(gauss_half, series.series_len - 1 - p);
    window_sums s;
    add_offsets<false>(series, gauss_w, p, low, std::min(high, -arith_half - 1), s);
    add_offsets<true>(
        series, gauss_w, p, std::max(low, -arith_half), std::min(high, arith_half), s);
    add_offsets<false>(series, gauss_w, p, std::max(low, arith_half + 1), high, s);
    v.gauss_mean = s.gauss_total != 0.0 ? s.gauss_sum / s.gauss_total : no_mean;
    v.arith_mean = s.arith_total != 0.0 ? s.arith_sum / s.arith_total : no_mean;

    if (qual == MISSING_FLUX) {
        v.flux_obs = v.gauss_mean;
        const double r = dist_factor(n);
        v.flux_adj = (v.gauss_mean * r) * r;
    }
    return v;
}

} // namespace meanflux
