#include "plot/chart.h"

#include "plot/svg_text.h"

#include <meanflux/calendar.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace meanflux {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

std::size_t count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

bool has(const std::string& text, const std::string& what)
{
    return text.find(what) != std::string::npos;
}

// The d attribute of the path of a class ("" when there is none).
std::string path_of(const std::string& svg, const std::string& cls)
{
    const std::string start = "<path class=\"" + cls + "\"";
    const std::size_t at = svg.find(start);
    if (at == std::string::npos)
        return "";
    const std::size_t d = svg.find(" d=\"", at) + 4;
    return svg.substr(d, svg.find('"', d) - d);
}

// Days from day number `first` on, with the flux of a quiet sun and a little activity.
std::vector<chart_day> quiet_days(int first, int n)
{
    std::vector<chart_day> days;
    for (int i = 0; i < n; ++i) {
        chart_day d;
        d.day = first + i;
        d.kp = {1.3, 2.0, 2.3, 1.7, 1, 0.7, 1.3, 2};
        d.ap = 8 + i % 5;
        d.flux_obs = 70 + i % 7;
        d.flux_adj = 71 + i % 7;
        d.gauss_mean = 72;
        d.arith_mean = 72.5;
        days.push_back(d);
    }
    return days;
}

const chart_source without_index{"1996_m.dat", ""};
const chart_source with_index{"1996_m.dat", "data"};

TEST(Chart, ADayWithoutObservationBreaksTheObservedFluxAndIsMarked)
{
    std::vector<chart_day> days = quiet_days(day_number(1, 1, 1996), 30);
    days[10].without_observation = true;
    days[10].flux_obs = days[10].gauss_mean;
    const std::string svg = chart_svg(days, with_index);
    EXPECT_EQ(count(path_of(svg, "obs"), "M"), 2u) << "a gap at day 10";
    EXPECT_EQ(count(path_of(svg, "adj"), "M"), 2u) << "its 1 AU flux is filled too";
    EXPECT_EQ(count(path_of(svg, "j77"), "M"), 1u);
    EXPECT_EQ(count(svg, "<circle cx=\""), 2u) << "the marker and its legend entry";
    EXPECT_TRUE(has(svg, ">day without observation</text>"));
    EXPECT_TRUE(has(svg,
                    "in &quot;data&quot; show 1 day without observation, marked where a flux was "
                    "filled in.</desc>"));

    // Without the daily index files nothing is known about the days, and nothing is said.
    days[10].without_observation = false;
    const std::string plain = chart_svg(days, without_index);
    EXPECT_EQ(count(path_of(plain, "obs"), "M"), 1u);
    EXPECT_EQ(count(plain, "<circle"), 0u);
    EXPECT_FALSE(has(plain, "without observation"));
    // With them and no such day, the legend does not show the marker.
    EXPECT_FALSE(has(chart_svg(days, with_index), ">day without observation</text>"));
}

TEST(Chart, TheLegendListsOnlyWhatIsDrawn)
{
    std::vector<chart_day> days = quiet_days(day_number(1, 1, 1996), 30);
    for (chart_day& d : days)
        d.arith_mean = nan;
    std::string svg = chart_svg(days, without_index);
    EXPECT_TRUE(has(svg, ">J77 Gaussian centred mean</text>"));
    EXPECT_FALSE(has(svg, "<path class=\"j70\"")) << "never defined, never drawn";
    EXPECT_FALSE(has(svg, ">J70 arithmetic centred mean</text>"));
    EXPECT_FALSE(has(svg, ">Ap of a day with Kp \u2265 5</text>")) << "no storm";
    EXPECT_FALSE(has(svg, "no data"));

    days[3].kp[5] = 5.0; // a storm day
    svg = chart_svg(days, without_index);
    EXPECT_TRUE(has(svg, ">Ap of a day with Kp \u2265 5</text>"));
    EXPECT_EQ(count(path_of(svg, "storm"), "M"), 1u);
    EXPECT_EQ(count(path_of(svg, "ap"), "M"), 29u);
}

TEST(Chart, APanelWithoutAnyValueSaysNoData)
{
    // 1945: the activity of every day, no flux at all.
    std::vector<chart_day> days = quiet_days(day_number(1, 1, 1945), 365);
    for (chart_day& d : days)
        d.flux_obs = d.flux_adj = d.gauss_mean = d.arith_mean = nan;
    std::string svg = chart_svg(days, without_index);
    EXPECT_EQ(count(svg, ">no data</text>"), 1u);
    EXPECT_FALSE(has(svg, "sfu")) << "no flux axis";
    EXPECT_FALSE(has(svg, "observed daily flux"));
    EXPECT_TRUE(has(svg, ">Ap</text>"));
    EXPECT_TRUE(has(svg, ">Kp</text>"));

    for (chart_day& d : days) {
        d.ap = nan;
        d.kp.fill(nan);
    }
    svg = chart_svg(days, without_index);
    EXPECT_EQ(count(svg, ">no data</text>"), 2u);
    EXPECT_FALSE(has(svg, ">Ap</text>"));
    EXPECT_FALSE(has(svg, ">Kp</text>"));
}

TEST(Chart, TitleAndDescriptionNameWhatIsPlottedAndFromWhere)
{
    const std::vector<chart_day> days = quiet_days(day_number(1, 1, 1996), 366);
    const std::string svg = chart_svg(days, {"a&b<c>\"'\xff.dat", ""});
    EXPECT_TRUE(has(svg, "<title>10.7 cm solar flux and geomagnetic activity, 1996</title>"));
    EXPECT_TRUE(has(svg,
                    "From the mean-flux file a&amp;b&lt;c&gt;&quot;&apos;\uFFFD.dat: 366 "
                    "records, 1 January 1996 to 31 December 1996."));
    const std::string part = chart_svg(quiet_days(day_number(15, 10, 2003), 47), without_index);
    EXPECT_TRUE(has(part,
                    "<title>10.7 cm solar flux and geomagnetic activity, 15 October 2003 to "
                    "30 November 2003</title>"));
}

TEST(XmlText, AlwaysWellFormed)
{
    struct Case {
        std::string text, xml;
    };
    const Case cases[] = {
        {"1980_m.dat", "1980_m.dat"},
        {"<&>\"'", "&lt;&amp;&gt;&quot;&apos;"},
        {"\u00e9t\u00e9 \u2265 \U0001F600", "\u00e9t\u00e9 \u2265 \U0001F600"}, // valid UTF-8
        {"a\x01"
         "b\tc",
         "a\uFFFDb\tc"},                        // a control XML refuses
        {"\xc3", "\uFFFD"},                     // cut off
        {"\xc0\xaf", "\uFFFD\uFFFD"},           // overlong
        {"\xed\xa0\x80", "\uFFFD\uFFFD\uFFFD"}, // a surrogate
        {"\xef\xbf\xbe", "\uFFFD\uFFFD\uFFFD"}, // U+FFFE
        {std::string("a\0b", 3), "a\uFFFDb"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(xml_text(c.text), c.xml) << c.text;
}

TEST(Chart, SizeBoundedWhateverTheValues)
{
    // Absurd values in a year of records: the flux 1e9 once gave a 1.2 GB chart and 1e300
    // grew the memory until the program aborted, one tick every 50 or 100 sfu.
    const double absurd[] = {1e9,
                             1e300,
                             -1e300,
                             std::numeric_limits<double>::max(),
                             -std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::infinity(),
                             1e-300};
    const std::size_t ordinary =
        chart_svg(quiet_days(day_number(1, 1, 1980), 366), without_index).size();
    for (const double v : absurd) {
        std::vector<chart_day> days = quiet_days(day_number(1, 1, 1980), 366);
        days[100].flux_obs = v;
        days[101].gauss_mean = -v;
        days[102].ap = v;
        days[103].kp[4] = v;
        const std::string svg = chart_svg(days, without_index);
        EXPECT_LT(svg.size(), ordinary + 2000) << v;
        EXPECT_LE(count(svg, "class=\"ytick\""), 2u * 11u) << v;
    }
}

TEST(Chart, ALongRangeIsThinnedToTheWidth)
{
    // 68 years of days: each column of the drawing shows the lowest and highest flux of its
    // days, so no path holds more than two points a column.
    std::vector<chart_day> days = quiet_days(0, 24837);
    for (std::size_t i = 0; i < days.size(); i += 300)
        days[i].without_observation = true;
    const std::string svg = chart_svg(days, with_index);
    EXPECT_LT(svg.size(), 200000u);
    for (const char* cls : {"obs", "adj", "j77", "j70"}) {
        const std::string d = path_of(svg, cls);
        const std::size_t numbers = count(d, " ") + count(d, "L") + count(d, "M");
        EXPECT_LE(numbers, 2u * 2 * chart_columns) << cls;
        EXPECT_GT(numbers, chart_columns / 2) << cls;
    }
    EXPECT_TRUE(has(svg, ">daily Ap (highest in each 31 days)</text>"));
    EXPECT_TRUE(has(svg, "Each of the 800 columns of the drawing stands for 31 days"));
    EXPECT_EQ(count(svg, "<circle"), 84u) << "83 days and the legend";

    // Every day without observation, all at one flux: one marker a column.
    for (chart_day& d : days) {
        d.without_observation = true;
        d.flux_obs = 72;
    }
    EXPECT_EQ(count(chart_svg(days, with_index), "<circle"), chart_columns + 1u);
}

} // namespace
} // namespace meanflux
