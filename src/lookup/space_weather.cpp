#include "lookup/table_data.h"

#include <meanflux/space_weather.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace meanflux {

namespace {

constexpr double seconds_per_interval = 10800.0; // three hours
// Days of the 81-day mean on each side of the epoch's day: they hold every other day needed.
constexpr int days_each_side = 40;
constexpr int mean81_whole = 2 * days_each_side + 1;
// Three-hour intervals needed: the epoch's and the nineteen before it, back to 57 hours before.
constexpr int intervals_needed = 20;

// Whether the entries in `mask` of a found day hold finite numbers.
bool holds(const table_day& day, unsigned mask) noexcept
{
    if (!day.found || (day.present & mask) != mask)
        return false;
    for (std::size_t i = 0; i < day.values.size(); ++i)
        if ((mask >> i & 1u) != 0 && !std::isfinite(day.values[i]))
            return false;
    return true;
}

constexpr unsigned entry_bit(int entry) noexcept
{
    return 1u << entry;
}

} // namespace

int space_weather_at(const mean_flux_table& table, int epoch_day, double seconds_of_day,
                     space_weather& out) noexcept
{
    const detail::mean_flux_table_data* data = detail::mean_flux_table_access::data(table);
    if (data == nullptr)
        return mean_flux_no_file;

    // The epoch's three-hour interval counted from 0 h of epoch_day, and the days it moves by:
    // seconds / 86 400 is exactly (seconds / 10 800) / 8, so both floors agree.
    const double interval = std::floor(seconds_of_day / seconds_per_interval);
    const double day_shift = std::floor(interval / 8.0);
    const double d_real = static_cast<double>(epoch_day) + day_shift;
    if (!(d_real - 1 >= data->first && d_real <= data->last))
        return mean_flux_out_of_range; // also an epoch that is not finite
    const auto d = static_cast<std::int64_t>(d_real);
    const auto j = static_cast<std::int64_t>(interval - 8.0 * day_shift); // 0..7
    // Intervals counted from 0 h of the table's first day; the oldest needed lies 19 before the
    // epoch's, two or three days back.
    const std::int64_t i = d - data->first;
    const std::int64_t now = 8 * i + j;
    const std::int64_t oldest = now - (intervals_needed - 1);
    if (oldest < 0)
        return mean_flux_out_of_range;

    // The 81-day window: the days d - 40 .. d + 40 within the range.  Its mean is known only when
    // all of them have their records; they hold every other day needed.
    const std::int64_t range = std::int64_t{data->last} - data->first + 1;
    const std::int64_t lo = std::max<std::int64_t>(i - days_each_side, 0);
    const std::int64_t hi = std::min<std::int64_t>(i + days_each_side, range - 1);
    if (i >= data->stored)
        return mean_flux_no_record;
    const table_day* days = data->days.get();
    const table_day& today = days[i];
    const table_day& yesterday = days[i - 1];
    if (!today.obs_mean81_known ||
        !holds(yesterday, entry_bit(entry_flux_obs) | entry_bit(entry_flux_adj)) ||
        !holds(today,
               entry_bit(entry_ap) | entry_bit(entry_gauss_mean) | entry_bit(entry_arith_mean)))
        return mean_flux_no_record;

    for (std::int64_t g = oldest; g <= now; ++g)
        if ((days[g / 8].ap_known >> (g % 8) & 1u) == 0)
            return mean_flux_no_record;
    const auto ap = [days](std::int64_t g) {
        return days[g / 8].ap[static_cast<std::size_t>(g % 8)];
    };
    const auto mean_ap = [&ap](std::int64_t from) {
        double sum = 0.0;
        for (std::int64_t g = from; g < from + 8; ++g)
            sum += ap(g);
        return sum / 8.0;
    };

    // Every byte set, padding included, so that results compare whole.
    space_weather sw;
    std::memset(&sw, 0, sizeof sw);
    sw.f107_obs_prev_day = yesterday.values[entry_flux_obs];
    sw.f107_adj_prev_day = yesterday.values[entry_flux_adj];
    sw.f107_gauss_mean = today.values[entry_gauss_mean];
    sw.f107_arith_mean = today.values[entry_arith_mean];
    sw.f107_obs_mean81 = today.obs_mean81;
    for (std::int64_t k = 0; k < 8; ++k)
        sw.kp[k] = days[(now - k) / 8].values[static_cast<std::size_t>((now - k) % 8)];
    sw.ap_daily = today.values[entry_ap];
    sw.ap_history[0] = today.values[entry_ap];
    for (std::int64_t k = 0; k < 4; ++k)
        sw.ap_history[1 + k] = ap(now - k);
    sw.ap_history[5] = mean_ap(now - 11); // 33 down to 12 hours before
    sw.ap_history[6] = mean_ap(now - 19); // 57 down to 36 hours before
    sw.mean81_days = static_cast<int>(hi - lo + 1);
    sw.predicted = data->first + hi > data->last_observed;
    std::memcpy(&out, &sw, sizeof out);
    return sw.mean81_days == mean81_whole && !sw.predicted ? mean_flux_found
                                                           : space_weather_partial;
}

} // namespace meanflux
