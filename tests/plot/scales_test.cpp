#include "plot/scales.h"

#include <meanflux/calendar.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

namespace meanflux {
namespace {

// Whether a step is 1, 2 or 5 times a power of ten.
bool round_step(double step)
{
    const double power = std::pow(10.0, std::floor(std::log10(step)));
    for (const double m : {1.0, 2.0, 5.0, 10.0})
        if (std::fabs(step - m * power) <= 1e-9 * step)
            return true;
    return false;
}

::testing::AssertionResult sound(const value_axis& a, double lowest, double highest, int most)
{
    if (!(a.low <= lowest && a.high >= highest && a.low < a.high))
        return ::testing::AssertionFailure() << "ends " << a.low << " " << a.high;
    if (!std::isfinite(a.low) || !std::isfinite(a.high) || !round_step(a.step))
        return ::testing::AssertionFailure() << "step " << a.step;
    if (a.ticks < 2 || a.ticks > most + 1)
        return ::testing::AssertionFailure() << a.ticks << " ticks";
    for (int i = 0; i < a.ticks; ++i) {
        const double t = a.tick[static_cast<std::size_t>(i)];
        if (!std::isfinite(t) || t < a.low || t > a.high ||
            (i > 0 && !(t > a.tick[static_cast<std::size_t>(i - 1)])))
            return ::testing::AssertionFailure() << "tick " << i << " " << t;
    }
    return ::testing::AssertionSuccess();
}

TEST(RoundAxis, ChosenFromTheData)
{
    struct Case {
        double lowest, highest;
        double low, high, step;
    };
    const Case cases[] = {
        {130, 290, 100, 300, 50},   // the flux of 1980
        {0, 290, 0, 300, 50},       //
        {0, 246, 0, 250, 50},       // Ap of 1989
        {0, 1e9, 0, 1e9, 2e8},      // an absurd flux: six ticks, not twenty million
        {66.5, 90.2, 65, 95, 5},    // a quiet year near the data
        {-12.5, 100, -20, 100, 20}, // a negative flux is on the axis
        {0, 0, 0, 1, 0.2},          // nothing but zeros
        {100, 100, 90, 110, 5},     // one value: widened by a tenth
        {0.1, 0.7, 0.1, 0.7, 0.1},
    };
    for (const Case& c : cases) {
        const value_axis a = round_axis(c.lowest, c.highest, 8);
        EXPECT_TRUE(sound(a, c.lowest, c.highest, 8)) << c.lowest << " " << c.highest;
        EXPECT_DOUBLE_EQ(a.low, c.low) << c.lowest << " " << c.highest;
        EXPECT_DOUBLE_EQ(a.high, c.high) << c.lowest << " " << c.highest;
        EXPECT_DOUBLE_EQ(a.step, c.step) << c.lowest << " " << c.highest;
    }
}

TEST(RoundAxis, AnyFiniteValuesGiveAFewFiniteTicks)
{
    // Magnitudes from the smallest normal double to the largest, both signs, with the
    // combinations that overflow a plain difference.
    const double values[] = {-DBL_MAX,
                             -1e300,
                             -1e9,
                             -250,
                             -1,
                             -1e-300,
                             0,
                             DBL_MIN,
                             1e-5,
                             0.3,
                             1,
                             7,
                             99.9,
                             1e5,
                             1e9,
                             1e300,
                             DBL_MAX};
    for (const double lowest : values)
        for (const double highest : values) {
            if (lowest > highest)
                continue;
            for (const int most : {5, 8, 10}) {
                const value_axis a = round_axis(lowest, highest, most);
                EXPECT_TRUE(sound(a, lowest, highest, most))
                    << lowest << " " << highest << " " << most;
            }
        }
}

TEST(FluxAxis, FromZeroOnlyWhereTheDataStillFillsTheHeight)
{
    struct Case {
        double lowest, highest, low;
    };
    const Case cases[] = {
        {130, 290, 100}, // a year at solar maximum: near the data, the swings fill the panel
        {80, 210, 80},   //
        {65, 400, 0},    // a solar cycle: from zero
        {0, 370, 0},     // a flux of zero in the data
        {44, 132, 0},    // exactly on the rule: the data fills two thirds from zero
        {45, 132, 40},   //
        {-12.5, 100, -20},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(flux_axis(c.lowest, c.highest).low, c.low) << c.lowest << " " << c.highest;
}

TEST(TickText, AsManyDecimalsAsTheStepNeeds)
{
    struct Case {
        double value, step;
        const char* text;
    };
    const Case cases[] = {
        {250, 50, "250"},
        {0.30000000000000004, 0.1, "0.3"}, // three steps of 0.1
        {0.05, 0.05, "0.05"},
        {-0.0, 50, "0"},
        {1e-17, 0.1, "0.0"}, // a zero the multiplication left a little off
        {1e9, 2e8, "1e+09"},
        {-1.7976931348623157e308, 5e307, "-1.798e+308"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tick_text(c.value, c.step), c.text) << c.value;
}

std::vector<date_tick> majors(int first, int last)
{
    std::vector<date_tick> m;
    for (const date_tick& t : date_ticks(first, last))
        if (t.major)
            m.push_back(t);
    return m;
}

TEST(DateTicks, MonthsOfAYear)
{
    const std::vector<date_tick> m = majors(day_number(1, 1, 1980), day_number(31, 12, 1980));
    ASSERT_EQ(m.size(), 12u);
    EXPECT_EQ(m[0].label, "Jan");
    EXPECT_EQ(m[0].second, "1980");
    EXPECT_EQ(m[6].label, "Jul");
    EXPECT_EQ(m[6].day, day_number(1, 7, 1980));
    EXPECT_EQ(m[6].second, "");
    EXPECT_EQ(m[11].label, "Dec");
}

TEST(DateTicks, DecadesOfACombinedFile)
{
    const std::vector<date_tick> all = date_ticks(day_number(1, 1, 1950), day_number(31, 12, 2017));
    const std::vector<date_tick> m = majors(day_number(1, 1, 1950), day_number(31, 12, 2017));
    ASSERT_EQ(m.size(), 7u);
    for (std::size_t i = 0; i < m.size(); ++i) {
        EXPECT_EQ(m[i].label, std::to_string(1950 + 10 * static_cast<int>(i)));
        EXPECT_EQ(m[i].day, day_number(1, 1, 1950 + 10 * static_cast<int>(i)));
    }
    EXPECT_EQ(all.size(), 68u) << "a small tick on each year";
}

TEST(DateTicks, DaysOfAStormPeriod)
{
    const std::vector<date_tick> m = majors(day_number(15, 10, 2003), day_number(30, 11, 2003));
    std::string labels, seconds;
    for (const date_tick& t : m) {
        labels += t.label + " ";
        seconds += t.second + "|";
    }
    EXPECT_EQ(labels, "16 21 26 1 6 11 16 21 26 ");
    EXPECT_EQ(seconds, "Oct 2003|||Nov 2003||||||");
}

TEST(DateTicks, AboutTenLabelledTicksOverAnySpan)
{
    // From one day to the whole range of day numbers a record can hold.
    const int first = day_number(17, 3, 1989);
    for (const int span : {1,
                           2,
                           7,
                           31,
                           45,
                           61,
                           100,
                           200,
                           366,
                           400,
                           731,
                           1000,
                           1500,
                           3000,
                           4000,
                           10000,
                           24837,
                           40000,
                           100000}) {
        const std::vector<date_tick> all = date_ticks(first, first + span - 1);
        const std::vector<date_tick> m = majors(first, first + span - 1);
        EXPECT_GE(m.size(), 1u) << span;
        EXPECT_LE(m.size(), 13u) << span;
        EXPECT_LE(all.size(), 130u) << span;
        for (std::size_t i = 1; i < all.size(); ++i)
            EXPECT_LT(all[i - 1].day, all[i].day) << span;
    }
    EXPECT_LE(majors(-99999, 99999).size(), 10u);
}

} // namespace
} // namespace meanflux
