#include "plot/chart.h"

#include "plot/scales.h"
#include "plot/svg_text.h"

#include "calendar/date.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace meanflux {

namespace {

constexpr double kp_top = 9;        // the Kp scale runs from 0 to 9,
constexpr double kp_headroom = 9.5; // with room above 9 for a line at 9 to show
constexpr double storm_kp = 5;      // a storm: a 3-hourly Kp of 5 or more
constexpr double legend_row = 18;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

constexpr const char* style = "<style>\n"
                              "text { fill: #222 }\n"
                              ".grid { stroke: #e3e3e3; stroke-width: 1 }\n"
                              ".frame { fill: none; stroke: #444; stroke-width: 1 }\n"
                              ".axis { stroke: #444; stroke-width: 1 }\n"
                              ".tick { font-size: 11px; text-anchor: middle }\n"
                              ".ytick { font-size: 11px; text-anchor: end }\n"
                              ".ktick { font-size: 10px; text-anchor: start }\n"
                              ".label { font-size: 13px; text-anchor: middle }\n"
                              ".legend { font-size: 12px }\n"
                              ".title { font-size: 16px; text-anchor: middle; fill: #111 }\n"
                              ".nodata { font-size: 16px; text-anchor: middle; fill: #555 }\n"
                              "path { fill: none; stroke-linejoin: round; stroke-linecap: round }\n"
                              ".adj { stroke: #9ccbe8; stroke-width: 4 }\n"
                              ".obs { stroke: #1c3f8c; stroke-width: 1 }\n"
                              ".j77 { stroke: #c0392b; stroke-width: 2 }\n"
                              ".j70 { stroke: #1e8449; stroke-width: 2; stroke-dasharray: 7 4 }\n"
                              ".filled { fill: #fff; stroke: #e67e22; stroke-width: 1.5 }\n"
                              ".ap { stroke: #9fadc2; stroke-linecap: butt }\n"
                              ".storm { stroke: #c0392b; stroke-linecap: butt }\n"
                              ".ap-key { fill: #9fadc2 }\n"
                              ".storm-key { fill: #c0392b }\n"
                              ".band { fill: #fbe4e1 }\n"
                              ".kp { stroke: #333; stroke-width: 0.8; stroke-linecap: butt }\n"
                              "</style>\n";

// The ground of the predicted days: translucent grey hatching, light enough for the lines drawn
// over it and for the storm band under it to show.
constexpr const char* predicted_pattern =
    "<pattern id=\"predicted\" width=\"8\" height=\"8\" patternUnits=\"userSpaceOnUse\" "
    "patternTransform=\"rotate(45)\"><rect width=\"3\" height=\"8\" fill=\"#000\" "
    "fill-opacity=\"0.12\"/></pattern>\n";

// The date axis: days from the start of `first` over `span` days onto the columns.
struct date_scale {
    int first = 0;
    double span = 1;      // days from the start of the first day to the end of the last
    bool thinned = false; // more days than columns: each column stands for several

    // x of a time given as a day number and a fraction of the day.
    double x(double t) const { return flux_box.left + (t - first) / span * chart_columns; }
    // The column that holds a time.
    int column(double t) const
    {
        const double c = std::floor((t - first) / span * chart_columns);
        return static_cast<int>(std::clamp(c, 0.0, chart_columns - 1.0));
    }
    double column_centre(int c) const { return flux_box.left + c + 0.5; }
};

// y of a value on an axis in a panel; values off the axis stay just outside the panel, where the
// panel's clipping hides them.
double y_of(double v, double low, double high, const chart_box& box)
{
    const double f = (v / 2 - low / 2) / (high / 2 - low / 2);
    return std::clamp(box.bottom - f * (box.bottom - box.top), box.top - 8, box.bottom + 8);
}

double y_of(double v, const value_axis& axis, const chart_box& box)
{
    return y_of(v, axis.low, axis.high, box);
}

// A line drawn point by point, lifted at gaps.  A point alone between two gaps is drawn as a
// dot (a segment of no length with round ends).
struct polyline {
    std::string d;
    int run = 0; // points since the pen went down
};

void lift(polyline& p)
{
    if (p.run == 1)
        p.d += "h0";
    p.run = 0;
}

void point(polyline& p, double x, double y)
{
    append_format(p.d, p.run == 0 ? "M%.1f %.1f" : p.run == 1 ? "L%.1f %.1f" : " %.1f %.1f", x, y);
    ++p.run;
}

// Append a path of a class, if it holds anything.  Returns whether it did.
bool add_path(std::string& svg, const char* cls, polyline& p, const char* extra = "")
{
    lift(p);
    if (p.d.empty())
        return false;
    append_format(svg, "<path class=\"%s\"%s d=\"", cls, extra);
    svg += p.d;
    svg += "\"/>\n";
    return true;
}

// The values of a flux line; not a number where the line has a gap.
double observed_line(const chart_day& d)
{
    return d.without_observation ? nan : d.flux_obs;
}
double adjusted_line(const chart_day& d)
{
    return d.without_observation ? nan : d.flux_adj;
}
double gauss_line(const chart_day& d)
{
    return d.gauss_mean;
}
double arith_line(const chart_day& d)
{
    return d.arith_mean;
}
// The filled observed flux of a day without observation, which a marker shows.
double filled_mark(const chart_day& d)
{
    return d.without_observation ? d.flux_obs : nan;
}

using day_value = double (*)(const chart_day&);

// One flux line.  Every day is a point, broken where its value is not a number or a day is
// left out; thinned, each column gives its lowest and highest value in the order they come.
polyline flux_line(const std::vector<chart_day>& days, day_value value, const date_scale& scale,
                   const value_axis& axis)
{
    polyline p;
    if (!scale.thinned) {
        for (std::size_t i = 0; i < days.size(); ++i) {
            const double v = value(days[i]);
            if (i > 0 && days[i].day != days[i - 1].day + 1)
                lift(p);
            if (!std::isfinite(v)) {
                lift(p);
                continue;
            }
            point(p, scale.x(days[i].day + 0.5), y_of(v, axis, flux_box));
        }
        return p;
    }
    int column = -1;
    int drawn = -2; // the last column that gave points
    double low = 0, high = 0;
    std::size_t at_low = 0, at_high = 0;
    bool any = false;
    auto flush = [&] {
        if (!any)
            return;
        if (column != drawn + 1)
            lift(p);
        const double x = scale.column_centre(column);
        const double first = at_low <= at_high ? low : high;
        const double second = at_low <= at_high ? high : low;
        point(p, x, y_of(first, axis, flux_box));
        if (second != first)
            point(p, x, y_of(second, axis, flux_box));
        drawn = column;
    };
    for (std::size_t i = 0; i < days.size(); ++i) {
        const int c = scale.column(days[i].day + 0.5);
        if (c != column) {
            flush();
            column = c;
            any = false;
        }
        const double v = value(days[i]);
        if (!std::isfinite(v))
            continue;
        if (!any || v < low) {
            low = v;
            at_low = i;
        }
        if (!any || v > high) {
            high = v;
            at_high = i;
        }
        any = true;
    }
    flush();
    return p;
}

// Markers of the days without observation at their filled observed flux; thinned, at most one
// in a pixel of the panel.  Returns the number drawn.
long add_markers(std::string& svg, const std::vector<chart_day>& days, const date_scale& scale,
                 const value_axis& axis)
{
    const int rows = static_cast<int>(flux_box.bottom - flux_box.top) + 20;
    std::vector<bool> taken;
    if (scale.thinned)
        taken.assign(static_cast<std::size_t>(chart_columns) * static_cast<std::size_t>(rows),
                     false);
    long drawn = 0;
    for (const chart_day& d : days) {
        const double v = filled_mark(d);
        if (!std::isfinite(v))
            continue;
        const double y = y_of(v, axis, flux_box);
        double x = scale.x(d.day + 0.5);
        if (scale.thinned) {
            const int c = scale.column(d.day + 0.5);
            const int row = std::clamp(static_cast<int>(y - flux_box.top) + 10, 0, rows - 1);
            const std::size_t cell = static_cast<std::size_t>(c) * static_cast<std::size_t>(rows) +
                                     static_cast<std::size_t>(row);
            if (taken[cell])
                continue;
            taken[cell] = true;
            x = scale.column_centre(c);
        }
        if (drawn == 0)
            svg += "<g class=\"filled\">\n";
        append_format(svg, "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"2.5\"/>\n", x, y);
        ++drawn;
    }
    if (drawn > 0)
        svg += "</g>\n";
    return drawn;
}

bool storm_day(const chart_day& d)
{
    return std::any_of(d.kp.begin(), d.kp.end(), [](double kp) { return kp >= storm_kp; });
}

// The daily Ap as bars from zero, those of storm days in their own colour; thinned, each column
// the highest Ap of its days, in the colour of quiet days (over many days nearly every column
// holds a storm day: the Kp line shows them).
struct ap_bars {
    polyline quiet, storm;
    double width = 1;
};

ap_bars ap_bar_paths(const std::vector<chart_day>& days, const date_scale& scale,
                     const value_axis& axis)
{
    ap_bars bars;
    const double base = y_of(std::clamp(0.0, axis.low, axis.high), axis, activity_box);
    auto bar = [&](polyline& p, double x, double ap) {
        append_format(p.d, "M%.1f %.1fV%.1f", x, base, y_of(ap, axis, activity_box));
    };
    if (!scale.thinned) {
        bars.width = std::clamp(0.8 * chart_columns / scale.span, 1.0, 12.0);
        for (const chart_day& d : days)
            if (std::isfinite(d.ap))
                bar(storm_day(d) ? bars.storm : bars.quiet, scale.x(d.day + 0.5), d.ap);
        return bars;
    }
    int column = -1;
    double highest = nan;
    auto flush = [&] {
        if (column >= 0 && std::isfinite(highest))
            bar(bars.quiet, scale.column_centre(column), highest);
    };
    for (const chart_day& d : days) {
        const int c = scale.column(d.day + 0.5);
        if (c != column) {
            flush();
            column = c;
            highest = nan;
        }
        if (std::isfinite(d.ap) && !(d.ap <= highest))
            highest = d.ap;
    }
    flush();
    return bars;
}

// The 3-hourly Kp as a step line: every step while each has at least a column's width,
// otherwise the highest Kp of each column.
std::string kp_steps(const std::vector<chart_day>& days, const date_scale& scale)
{
    std::string d;
    const bool every_step = scale.span * 8 <= chart_columns;
    bool pen = false;
    double pen_x = 0; // where the pen is
    auto step = [&](double x0, double x1, double kp) {
        const double y = y_of(std::clamp(kp, -1.0, kp_top + 1), 0, kp_headroom, activity_box);
        if (pen && x0 == pen_x)
            append_format(d, "V%.1fH%.1f", y, x1);
        else
            append_format(d, "M%.1f %.1fH%.1f", x0, y, x1);
        pen = true;
        pen_x = x1;
    };
    if (every_step) {
        for (const chart_day& day : days)
            for (std::size_t k = 0; k < day.kp.size(); ++k) {
                const double t = day.day + static_cast<double>(k) / 8;
                if (std::isfinite(day.kp[k]))
                    step(scale.x(t), scale.x(t + 0.125), day.kp[k]);
                else
                    pen = false;
            }
        return d;
    }
    int column = -1;
    double highest = nan;
    auto flush = [&] {
        if (column < 0 || !std::isfinite(highest)) {
            pen = false;
            return;
        }
        step(flux_box.left + column, flux_box.left + column + 1, highest);
    };
    for (const chart_day& day : days)
        for (std::size_t k = 0; k < day.kp.size(); ++k) {
            const int c = scale.column(day.day + (static_cast<double>(k) + 0.5) / 8);
            if (c != column) {
                flush();
                if (c != column + 1)
                    pen = false;
                column = c;
                highest = nan;
            }
            if (std::isfinite(day.kp[k]) && !(day.kp[k] <= highest))
                highest = day.kp[k];
        }
    flush();
    return d;
}

std::string date_text(int day)
{
    const calendar_date d = date_of_day(day);
    return std::to_string(d.day) + " " + month_name(d.month) + " " + std::to_string(d.year);
}

// The period of the chart: "1980", "1950–2017", or its first and last dates.
std::string period_of(int first, int last)
{
    const calendar_date a = date_of_day(first);
    const calendar_date b = date_of_day(last);
    const bool whole_years = a.day == 1 && a.month == 1 && b.day == 31 && b.month == 12;
    if (whole_years && a.year == b.year)
        return std::to_string(a.year);
    if (whole_years)
        return std::to_string(a.year) + "\u2013" + std::to_string(b.year);
    return date_text(first) + " to " + date_text(last);
}

// Length of a duration of days in words: "11 h", "31 days".
std::string duration_text(double days)
{
    char text[32];
    if (days < 2)
        std::snprintf(text, sizeof text, "%.0f h", days * 24);
    else
        std::snprintf(text, sizeof text, "%.0f days", days);
    return text;
}

void add_rect(std::string& svg, const chart_box& b, const char* cls)
{
    append_format(svg,
                  "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" class=\"%s\"/>\n",
                  b.left,
                  b.top,
                  b.right - b.left,
                  b.bottom - b.top,
                  cls);
}

void add_line(std::string& svg, double x1, double y1, double x2, double y2, const char* cls)
{
    append_format(svg,
                  "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" class=\"%s\"/>\n",
                  x1,
                  y1,
                  x2,
                  y2,
                  cls);
}

void add_no_data(std::string& svg, const chart_box& b)
{
    append_format(svg,
                  "<text x=\"%.1f\" y=\"%.1f\" class=\"nodata\">no data</text>\n",
                  (b.left + b.right) / 2,
                  (b.top + b.bottom) / 2 + 6);
}

// Ticks and grid of a value axis on the left of a panel, and the axis' name.
void add_value_axis(std::string& svg, const value_axis& axis, const chart_box& b, const char* name)
{
    for (int i = 0; i < axis.ticks; ++i) {
        const double v = axis.tick[static_cast<std::size_t>(i)];
        const double y = y_of(v, axis, b);
        add_line(svg, b.left, y, b.right, y, "grid");
        add_line(svg, b.left - 4, y, b.left, y, "axis");
        append_format(svg,
                      "<text x=\"%.1f\" y=\"%.1f\" class=\"ytick\">%s</text>\n",
                      b.left - 7,
                      y + 4,
                      tick_text(v, axis.step).c_str());
    }
    append_format(
        svg,
        "<text transform=\"translate(%.1f %.1f) rotate(-90)\" class=\"label\">%s</text>\n",
        b.left - 52,
        (b.top + b.bottom) / 2,
        name);
}

// The Kp scale on the right of the activity panel, 0 to 9, and its storm band from Kp 5 up.
void add_kp_axis(std::string& svg)
{
    const chart_box& b = activity_box;
    for (int kp = 0; kp <= static_cast<int>(kp_top); ++kp) {
        const double y = y_of(kp, 0, kp_headroom, b);
        add_line(svg, b.right, y, b.right + 4, y, "axis");
        append_format(svg,
                      "<text x=\"%.1f\" y=\"%.1f\" class=\"ktick\">%d</text>\n",
                      b.right + 7,
                      y + 3.5,
                      kp);
    }
    append_format(svg,
                  "<text transform=\"translate(%.1f %.1f) rotate(90)\" class=\"label\">Kp</text>\n",
                  b.right + 32,
                  (b.top + b.bottom) / 2);
}

void add_date_axis(std::string& svg, int first, int last, const date_scale& scale)
{
    for (const date_tick& t : date_ticks(first, last)) {
        const double x = scale.x(t.day);
        if (t.major) {
            add_line(svg, x, flux_box.top, x, flux_box.bottom, "grid");
            add_line(svg, x, activity_box.top, x, activity_box.bottom, "grid");
        }
        add_line(svg, x, activity_box.bottom, x, activity_box.bottom + (t.major ? 5 : 3), "axis");
        if (!t.label.empty())
            append_format(svg,
                          "<text x=\"%.1f\" y=\"%.1f\" class=\"tick\">%s</text>\n",
                          x,
                          activity_box.bottom + 18,
                          t.label.c_str());
        if (!t.second.empty())
            append_format(svg,
                          "<text x=\"%.1f\" y=\"%.1f\" class=\"tick\">%s</text>\n",
                          x,
                          activity_box.bottom + 32,
                          t.second.c_str());
    }
}

// What a legend entry shows beside its text.
enum class swatch { line, marker, bar, band, hatch };

struct legend_item {
    swatch kind;
    const char* cls;
    std::string text;
};

// Characters of a UTF-8 text, for an estimate of its width.
std::size_t characters(const std::string& text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// The legend in rows under the date axis, each group on rows of its own.  Returns the bottom of
// the last row.
double add_legend(std::string& svg, const std::vector<std::vector<legend_item>>& groups)
{
    double y = activity_box.bottom + 56;
    bool first_row = true;
    for (const auto& group : groups) {
        if (group.empty())
            continue;
        if (!first_row)
            y += legend_row;
        first_row = false;
        double x = flux_box.left;
        for (const legend_item& item : group) {
            const double width = 38 + 6.4 * static_cast<double>(characters(item.text)) + 18;
            if (x > flux_box.left && x + width > flux_box.right + 40) {
                x = flux_box.left;
                y += legend_row;
            }
            switch (item.kind) {
            case swatch::line:
                append_format(
                    svg, "<path class=\"%s\" d=\"M%.1f %.1fh30\"/>\n", item.cls, x + 2, y - 4);
                break;
            case swatch::marker:
                append_format(svg,
                              "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"2.5\" class=\"%s\"/>\n",
                              x + 17,
                              y - 4,
                              item.cls);
                break;
            case swatch::bar:
                append_format(
                    svg,
                    "<rect x=\"%.1f\" y=\"%.1f\" width=\"6\" height=\"12\" class=\"%s\"/>\n",
                    x + 14,
                    y - 10,
                    item.cls);
                break;
            case swatch::band:
                append_format(
                    svg,
                    "<rect x=\"%.1f\" y=\"%.1f\" width=\"30\" height=\"12\" class=\"%s\"/>\n",
                    x + 2,
                    y - 10,
                    item.cls);
                break;
            case swatch::hatch:
                append_format(svg,
                              "<rect x=\"%.1f\" y=\"%.1f\" width=\"30\" height=\"12\" "
                              "fill=\"url(#%s)\" stroke=\"#888\"/>\n",
                              x + 2,
                              y - 10,
                              item.cls);
                break;
            }
            append_format(svg,
                          "<text x=\"%.1f\" y=\"%.1f\" class=\"legend\">%s</text>\n",
                          x + 38,
                          y,
                          item.text.c_str());
            x += width;
        }
    }
    return y;
}

// The flux axis of the days: their observed flux (filled values at their markers), the 1 AU flux
// of the observed days and the two means; nothing when none of them is a number.
std::optional<value_axis> flux_axis_of(const std::vector<chart_day>& days)
{
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (const chart_day& d : days)
        for (const double v : {d.flux_obs, adjusted_line(d), d.gauss_mean, d.arith_mean})
            if (std::isfinite(v)) {
                low = std::min(low, v);
                high = std::max(high, v);
            }
    if (low > high)
        return {};
    return flux_axis(low, high);
}

// The Ap axis of the days, from 0; nothing when no Ap is a number.
std::optional<value_axis> ap_axis_of(const std::vector<chart_day>& days)
{
    double low = 0;
    double high = -std::numeric_limits<double>::infinity();
    for (const chart_day& d : days)
        if (std::isfinite(d.ap)) {
            low = std::min(low, d.ap);
            high = std::max(high, d.ap);
        }
    if (high < low)
        return {};
    return round_axis(low, high, 5);
}

bool has_kp(const std::vector<chart_day>& days)
{
    for (const chart_day& d : days)
        for (const double kp : d.kp)
            if (std::isfinite(kp))
                return true;
    return false;
}

// The flux panel's lines and markers, clipped to its frame.
//
// Returns:  the legend's items for what was drawn.
std::vector<legend_item> add_flux_panel(std::string& body, const std::vector<chart_day>& days,
                                        const date_scale& scale,
                                        const std::optional<value_axis>& flux)
{
    std::vector<legend_item> items;
    body += "<g clip-path=\"url(#flux-area)\">\n";
    if (flux) {
        const std::array<day_value, 4> values{observed_line, adjusted_line, gauss_line, arith_line};
        constexpr std::array<const char*, 4> classes{"obs", "adj", "j77", "j70"};
        constexpr std::array<std::size_t, 4> order{1, 0, 3, 2}; // 1 AU underneath, J77 on top
        std::array<bool, 4> drawn{};
        for (const std::size_t i : order) {
            polyline p = flux_line(days, values[i], scale, *flux);
            drawn[i] = add_path(body, classes[i], p);
        }
        const long markers = add_markers(body, days, scale, *flux);
        if (drawn[0])
            items.push_back({swatch::line, "obs", "observed daily flux"});
        if (drawn[1])
            items.push_back({swatch::line, "adj", "daily flux at 1 AU"});
        if (drawn[2])
            items.push_back({swatch::line, "j77", "J77 Gaussian centred mean"});
        if (drawn[3])
            items.push_back({swatch::line, "j70", "J70 arithmetic centred mean"});
        if (markers > 0)
            items.push_back({swatch::marker, "filled", "day without observation"});
    }
    body += "</g>\n";
    return items;
}

// The activity panel's Ap bars and Kp steps, clipped to its frame.
//
// Returns:  the legend's items for what was drawn.
std::vector<legend_item> add_activity_panel(std::string& body, const std::vector<chart_day>& days,
                                            const date_scale& scale,
                                            const std::optional<value_axis>& ap, bool kp)
{
    std::vector<legend_item> items;
    body += "<g clip-path=\"url(#activity-area)\">\n";
    const std::string per_column =
        " (highest in each " + duration_text(scale.span / chart_columns) + ")";
    if (ap) {
        ap_bars bars = ap_bar_paths(days, scale, *ap);
        char width[48];
        std::snprintf(width, sizeof width, " stroke-width=\"%.1f\"", bars.width);
        if (add_path(body, "ap", bars.quiet, width))
            items.push_back(
                {swatch::bar, "ap-key", "daily Ap" + (scale.thinned ? per_column : "")});
        if (add_path(body, "storm", bars.storm, width))
            items.push_back({swatch::bar, "storm-key", "Ap of a day with Kp \u2265 5"});
    }
    if (kp) {
        const std::string steps = kp_steps(days, scale);
        if (!steps.empty()) {
            body += "<path class=\"kp\" d=\"" + steps + "\"/>\n";
            items.push_back({swatch::line,
                             "kp",
                             "3-hourly Kp" + (scale.span * 8 > chart_columns ? per_column : "")});
        }
        items.push_back({swatch::band, "band", "storm level, Kp \u2265 5"});
    }
    body += "</g>\n";
    return items;
}

// The chart's description: what is drawn, from which files.
std::string description_of(const std::vector<chart_day>& days, const chart_source& source,
                           const date_scale& scale)
{
    std::string desc = "Above: the daily 10.7 cm solar radio flux F10.7 in solar flux units, "
                       "observed at the Earth's distance from the Sun and adjusted to 1 AU, with "
                       "its Gaussian (J77) and arithmetic (J70) centred means. Below: the daily "
                       "geomagnetic index Ap as bars (scale on the left) and the eight 3-hourly "
                       "Kp values as a step line (scale on the right, 0 to 9), the storm level of "
                       "Kp 5 and more shaded" +
                       std::string(scale.thinned ? "" : ", the Ap bars of storm days in red") +
                       ". From the mean-flux file " + source.file + ": " +
                       std::to_string(days.size()) + " records, " + date_text(days.front().day) +
                       " to " + date_text(days.back().day) + ".";
    if (!source.index_dir.empty()) {
        const auto unobserved = std::count_if(
            days.begin(), days.end(), [](const chart_day& d) { return d.without_observation; });
        const auto unknown = std::count_if(
            days.begin(), days.end(), [](const chart_day& d) { return d.observation_unknown; });
        desc += " The yearly daily index files in \"" + source.index_dir + "\" ";
        if (unknown > 0)
            desc += "have no line for " + std::to_string(unknown) +
                    (unknown == 1 ? " day" : " days") +
                    " drawn, whose observation is unknown and not marked; of the others they ";
        desc += "show ";
        if (unobserved == 0)
            desc += "no day without observation.";
        else
            desc += std::to_string(unobserved) + (unobserved == 1 ? " day" : " days") +
                    " without observation, marked where a flux was filled in.";
    }
    const auto predicted =
        std::count_if(days.begin(), days.end(), [](const chart_day& d) { return d.predicted; });
    if (predicted > 0)
        desc += " The " + std::to_string(predicted) + (predicted == 1 ? " day" : " days") +
                " from " + date_text(days[days.size() - static_cast<std::size_t>(predicted)].day) +
                " on are predictions, not observations: they are drawn on a hatched ground.";
    if (scale.thinned)
        desc += " Each of the " + std::to_string(chart_columns) +
                " columns of the drawing stands for " + duration_text(scale.span / chart_columns) +
                ": it shows the lowest and highest flux, the highest Ap and the highest Kp of "
                "its days.";
    return desc;
}

void add_clip_path(std::string& svg, const char* id, const chart_box& box)
{
    append_format(svg,
                  "<clipPath id=\"%s\"><rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" "
                  "height=\"%.1f\"/></clipPath>\n",
                  id,
                  box.left,
                  box.top,
                  box.right - box.left,
                  box.bottom - box.top);
}

// The whole document around the drawing.
std::string document(const std::string& title, const std::string& desc, const std::string& body,
                     double height, bool predicted)
{
    std::string svg;
    svg.reserve(body.size() + 4096);
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    append_format(svg,
                  "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" "
                  "viewBox=\"0 0 %.0f %.0f\" font-family=\"DejaVu Sans, Verdana, sans-serif\">\n",
                  chart_width,
                  height,
                  chart_width,
                  height);
    svg += "<title>" + xml_text(title) + "</title>\n";
    svg += "<desc>" + xml_text(desc) + "</desc>\n";
    svg += style;
    svg += "<defs>\n";
    add_clip_path(svg, "flux-area", flux_box);
    add_clip_path(svg, "activity-area", activity_box);
    if (predicted)
        svg += predicted_pattern;
    svg += "</defs>\n";
    append_format(svg,
                  "<rect x=\"0\" y=\"0\" width=\"%.0f\" height=\"%.0f\" fill=\"#fff\"/>\n",
                  chart_width,
                  height);
    svg += body;
    svg += "</svg>\n";
    return svg;
}

} // namespace

std::string chart_svg(const std::vector<chart_day>& days, const chart_source& source)
{
    const int first = days.front().day;
    const int last = days.back().day;
    date_scale scale;
    scale.first = first;
    scale.span = static_cast<double>(last) - first + 1;
    scale.thinned = scale.span > chart_columns;
    const std::optional<value_axis> flux = flux_axis_of(days);
    const std::optional<value_axis> ap = ap_axis_of(days);
    const bool kp = has_kp(days);

    std::string body;
    const std::string title =
        "10.7 cm solar flux and geomagnetic activity, " + period_of(first, last);
    append_format(body,
                  "<text x=\"%.1f\" y=\"28\" class=\"title\">%s</text>\n",
                  (flux_box.left + flux_box.right) / 2,
                  title.c_str());

    // Grids and scales under the data.
    if (kp)
        add_rect(body,
                 {activity_box.left,
                  activity_box.top,
                  activity_box.right,
                  y_of(storm_kp, 0, kp_headroom, activity_box)},
                 "band");
    // The predicted days, the last of the chart, on a hatched ground in both panels, with a
    // dashed line where the observations end.
    const auto first_predicted =
        std::find_if(days.begin(), days.end(), [](const chart_day& d) { return d.predicted; });
    std::vector<legend_item> predicted_items;
    if (first_predicted != days.end()) {
        const double x = scale.x(first_predicted->day);
        for (const chart_box& b : {flux_box, activity_box}) {
            append_format(body,
                          "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" "
                          "fill=\"url(#predicted)\"/>\n",
                          x,
                          b.top,
                          b.right - x,
                          b.bottom - b.top);
            append_format(body,
                          "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" "
                          "stroke=\"#666\" stroke-dasharray=\"4 3\"/>\n",
                          x,
                          b.top,
                          x,
                          b.bottom);
        }
        predicted_items.push_back({swatch::hatch,
                                   "predicted",
                                   "predicted days, from " + date_text(first_predicted->day)});
    }
    if (flux)
        add_value_axis(body, *flux, flux_box, "Solar flux F10.7 (sfu)");
    if (ap)
        add_value_axis(body, *ap, activity_box, "Ap");
    if (kp)
        add_kp_axis(body);
    add_date_axis(body, first, last, scale);

    // The data, each panel clipped to its frame.
    const std::vector<legend_item> flux_items = add_flux_panel(body, days, scale, flux);
    const std::vector<legend_item> activity_items = add_activity_panel(body, days, scale, ap, kp);
    if (!flux)
        add_no_data(body, flux_box);
    if (!ap && !kp)
        add_no_data(body, activity_box);
    add_rect(body, flux_box, "frame");
    add_rect(body, activity_box, "frame");
    const double height = add_legend(body, {flux_items, activity_items, predicted_items}) + 14;
    return document(
        title, description_of(days, source, scale), body, height, !predicted_items.empty());
}

} // namespace meanflux
