// The SVG chart of a mean-flux file: the solar flux and its centred means above, the
// geomagnetic activity (daily Ap and 3-hourly Kp) below, on one date axis.
#pragma once

#include "plot/chart_days.h"

#include <string>
#include <vector>

namespace meanflux {

// Where the chart's days come from, for its description.
struct chart_source {
    std::string file;      // the mean-flux file, as named by the user
    std::string index_dir; // the directory of the yearly daily index files that told which days
                           // had no observation; empty when they were not given
};

// Width of the drawing area in columns (pixels): a longer range of days is thinned to it.
inline constexpr int chart_columns = 800;

// A rectangle of the chart, in its pixels.
struct chart_box {
    double left, top, right, bottom;
};

// Layout of the chart: its width, and the frames of the two panels.
inline constexpr double chart_width = 960;
inline constexpr chart_box flux_box{80, 48, 80 + chart_columns, 288};
inline constexpr chart_box activity_box{80, 304, 80 + chart_columns, 464};

// The chart of the days, a complete SVG document.
//
// Given:    days    at least one, in increasing day order
//           source  the names the description gives
// Returns:  the document: a <title> and a <desc>, the flux panel and the activity panel on a
//           shared date axis, and a legend of what is drawn.
// Notes:    1. The observed flux and the flux at 1 AU break at a day without observation; a
//              marker shows its filled observed flux.  A value that is not a number breaks its
//              line too.  A panel without any value says "no data".
//           2. Up to chart_columns days, every day is drawn (and up to chart_columns / 8 days
//              every 3-hourly Kp step).  Beyond that each column of the drawing shows the lowest
//              and highest flux of its days, the highest Ap and the highest Kp, so the document's
//              size is bounded by the number of days and by the width, whatever the values.
[[nodiscard]] std::string chart_svg(const std::vector<chart_day>& days, const chart_source& source);

} // namespace meanflux
