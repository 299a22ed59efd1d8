// The scales of a chart: value axes with round ticks, the date axis with calendar ticks, and
// the thinning of the days to the width of the drawing.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace meanflux {

// Most ticks a value axis carries.
inline constexpr int max_value_ticks = 11;

// A value axis: its ends and its ticks, all multiples of the step.
struct value_axis {
    double low = 0;  // value at the bottom of the axis
    double high = 1; // value at the top, above low
    double step = 1; // distance between ticks: 1, 2 or 5 times a power of ten
    int ticks = 0;   // number of ticks, from low upwards
    std::array<double, max_value_ticks> tick{};
};

// An axis for values from lowest to highest with round ticks.
//
// Given:    lowest, highest  finite values, lowest <= highest
//           most_intervals   the most steps between the axis' ends (at most 10)
// Returns:  the axis: low <= lowest and high >= highest, both multiples of the step, with the
//           fewest steps of 1, 2 or 5 times a power of ten that keep the number of steps at
//           most most_intervals; the ticks are the multiples of the step from low to high.
// Notes:    Equal values are widened by a tenth of their size (0 to 1 for zero).  Values as
//           large as the double allows are taken: nothing overflows and the number of ticks is
//           bounded whatever they are.
[[nodiscard]] value_axis round_axis(double lowest, double highest, int most_intervals) noexcept;

// The flux axis: from 0 when that shows the variation, otherwise near the data.
//
// Given:    lowest, highest  the smallest and largest flux drawn, finite, lowest <= highest
// Returns:  round_axis from 0 to highest when 0 <= lowest <= (highest - lowest) / 2: drawn from
//           zero, the data then still fills at least two thirds of the height; otherwise
//           round_axis from lowest to highest, which spreads the variation over the height.
[[nodiscard]] value_axis flux_axis(double lowest, double highest) noexcept;

// The text of a tick value: as many decimals as the step needs, a power of ten beyond 1e7.
//
// Given:    value  a tick of the axis
//           step   the axis' step
// Returns:  the text, at most 24 characters.
[[nodiscard]] std::string tick_text(double value, double step);

// A tick of the date axis.
struct date_tick {
    int day = 0;        // day number of the tick, at the start of that day
    bool major = false; // a labelled tick
    std::string label;  // day of the month, month name or year
    std::string second; // second line under a label: the month and year, or the year, where
                        // they change
};

// The ticks of the date axis for the days first..last.
//
// Given:    first, last  day numbers, first <= last
// Returns:  the ticks in day order: labelled ones on days, months or years, with a step of
//           1, 2, 5 or 10 days; 1, 2, 3 or 6 months; or 1, 2, 5, 10, 20, 50 or 100 years, the
//           smallest that keeps them to about ten (up to 13 months, a year's every month);
//           unlabelled ones on the unit below where they fit.
[[nodiscard]] std::vector<date_tick> date_ticks(int first, int last);

} // namespace meanflux
