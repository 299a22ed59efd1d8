#include "flux/distance.h"

#include <cmath>

namespace meanflux {

double dist_factor(int t) noexcept
{
    const double m = (static_cast<double>(t) - t_peri) * omega;
    const double c2 = std::cos(2.0 * m);
    const double h = ((1.0 - c2) * ecc) / 2.0;
    const double c1 = std::cos(m);
    return (h - c1) * ecc + 1.0;
}

void distance_pass(daily_series& series) noexcept
{
    for (int i = 0; i < series.series_len; ++i) {
        const double r = dist_factor(i);
        const auto p = static_cast<std::size_t>(i);
        series.flux_obs[p] = (series.flux_adj[p] / r) / r;
    }
}

} // namespace meanflux
