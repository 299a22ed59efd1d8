// The day-by-day series of 10.7 cm solar flux over the three years of a year's means.
#pragma once

#include "daily/index_line.h"

#include <array>

namespace meanflux {

// Room of the series: three consecutive years hold at most 1096 days.
inline constexpr int MAX_DAYS = 1100;

// Position 0 is 1 January of the year before the given year, and every day stands at the
// position of its date: line i of a year's file at that year's 1 January plus i.  A position
// that no line fills is a day without observation.
struct daily_series {
    std::array<double, MAX_DAYS> flux_adj{}; // flux referred to 1 AU, as read (0.0 if none)
    std::array<int, MAX_DAYS> flux_qual{};   // flux qualifier; MISSING_FLUX for every day
                                             // without observation
    std::array<double, MAX_DAYS> flux_obs{}; // flux at the Earth's distance (distance_pass)
    int series_len = 0;                      // positions of the three years
};

} // namespace meanflux
