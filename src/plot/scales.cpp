#include "plot/scales.h"

#include "calendar/date.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>

namespace meanflux {

namespace {

constexpr std::array<const char*, 12> month_names{
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// A value pushed back into the range of finite doubles.
double finite(double v) noexcept
{
    return std::clamp(v, -DBL_MAX, DBL_MAX);
}

// The axis' ends with a given step, as multiples of it: the one at or below lo and the one at
// or above hi.
void ends(double lo, double hi, double step, double& first, double& last) noexcept
{
    first = std::floor(lo / step);
    last = std::ceil(hi / step);
    if (first * step > lo) // a quotient rounded up to a whole number
        --first;
    if (last * step < hi) // or down, or to zero
        ++last;
}

} // namespace

value_axis round_axis(double lowest, double highest, int most_intervals) noexcept
{
    const int n = std::clamp(most_intervals, 4, max_value_ticks - 1);
    double lo = lowest;
    double hi = highest;
    if (!(lo < hi)) {
        const double widen = lo == 0 ? 1 : std::fabs(lo) / 10;
        lo = finite(lo == 0 ? lo : lo - widen);
        hi = finite(hi + widen);
    }
    // The step that would divide the range into exactly n parts, formed from the halves so
    // that the range of the largest doubles does not overflow.
    const double exact = (hi / 2 - lo / 2) / n * 2;
    const double power = std::pow(10.0, std::floor(std::log10(exact)));
    double step = power;
    double first = 0;
    double last = 0;
    for (const double multiple : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0}) {
        const double candidate = multiple * power;
        if (!std::isfinite(candidate))
            break;
        step = candidate;
        ends(lo, hi, step, first, last);
        if (last - first <= n)
            break;
    }
    value_axis axis;
    axis.step = step;
    axis.low = finite(first * step);
    axis.high = finite(last * step);
    for (double k = first; k <= last && axis.ticks < max_value_ticks; ++k)
        axis.tick[static_cast<std::size_t>(axis.ticks++)] = finite(k * step);
    return axis;
}

value_axis flux_axis(double lowest, double highest) noexcept
{
    if (lowest >= 0 && lowest <= highest / 2 - lowest / 2)
        return round_axis(0, highest, 8);
    return round_axis(lowest, highest, 8);
}

std::string tick_text(double value, double step)
{
    char text[32];
    if (std::fabs(value) < step / 2)
        value = 0; // no "-0" for a zero that the multiplication left a little off
    if (std::fabs(value) >= 1e7 || step < 1e-6)
        std::snprintf(text, sizeof text, "%.4g", value);
    else {
        const int decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
        std::snprintf(text, sizeof text, "%.*f", decimals, value);
    }
    return text;
}

std::vector<date_tick> date_ticks(int first, int last)
{
    std::vector<date_tick> ticks;
    const double span = static_cast<double>(last) - first + 1;
    const calendar_date start = date_of_day(first);
    const calendar_date end = date_of_day(last);
    const int first_year = start.year;
    const int last_year = end.year;
    auto add = [&](int day, bool major, std::string label, std::string second) {
        if (day >= first && day <= last)
            ticks.push_back({day, major, std::move(label), std::move(second)});
    };
    auto month_name = [](int month) {
        return std::string(month_names[static_cast<std::size_t>(month - 1)]);
    };
    // The months from that of `first` to that of `last`, in order.
    auto each_month = [&](auto&& visit) {
        for (int y = first_year; y <= last_year; ++y)
            for (int m = 1; m <= 12; ++m)
                if ((y > first_year || m >= start.month) && (y < last_year || m <= end.month))
                    visit(y, m);
    };

    for (const int step : {1, 2, 5, 10}) {
        if (span / step > 10)
            continue;
        // Days of the month 1, 1 + step, ... up to the last that leaves a whole step before
        // the 31st; every day unlabelled between them.
        bool first_label = true;
        each_month([&](int y, int m) {
            const int length = days_in_month(m, y);
            for (int d = 1; d <= length; ++d) {
                const bool major = (d - 1) % step == 0 && (step == 1 || d + step - 1 <= 30);
                const int day = day_number(d, m, y);
                if (!major) {
                    add(day, false, "", "");
                    continue;
                }
                const bool labelled = day >= first && day <= last;
                add(day,
                    true,
                    std::to_string(d),
                    first_label || d == 1 ? month_name(m) + " " + std::to_string(y) : "");
                if (labelled)
                    first_label = false;
            }
        });
        return ticks;
    }
    const double months = span / 30.436875;
    for (const int step : {1, 2, 3, 6}) {
        if (months / step > (step == 1 ? 13 : 10))
            continue;
        bool first_label = true;
        each_month([&](int y, int m) {
            const int day = day_number(1, m, y);
            if ((m - 1) % step != 0) {
                add(day, false, "", "");
                return;
            }
            add(day, true, month_name(m), first_label || m == 1 ? std::to_string(y) : "");
            if (day >= first && day <= last)
                first_label = false;
        });
        return ticks;
    }
    const double years = span / 365.2425;
    int step = 1;
    int minor = 1;
    for (const auto& [major_step, minor_step] : std::array<std::pair<int, int>, 7>{
             {{1, 1}, {2, 1}, {5, 1}, {10, 1}, {20, 5}, {50, 10}, {100, 10}}}) {
        step = major_step;
        minor = minor_step;
        if (years / step <= 10)
            break;
    }
    for (int y = first_year; y <= last_year + 1; ++y)
        if (y % minor == 0 || y % step == 0)
            add(day_number(1, 1, y), y % step == 0, y % step == 0 ? std::to_string(y) : "", "");
    return ticks;
}

} // namespace meanflux
