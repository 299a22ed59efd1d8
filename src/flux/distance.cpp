#include "flux/distance.h"

#include <algorithm>
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

void init_distance_table(distance_table& table) noexcept
{
    for (std::size_t t = 0; t < table.size(); ++t)
        table[t] = dist_factor(static_cast<int>(t));
}

void distance_pass(daily_series& series, const distance_table& table) noexcept
{
    const auto len = static_cast<std::size_t>(std::clamp(series.series_len, 0, MAX_DAYS));
    for (std::size_t p = 0; p < len; ++p)
        series.flux_obs[p] = (series.flux_adj[p] / table[p]) / table[p];
}

} // namespace meanflux
