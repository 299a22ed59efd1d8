#include "daily/daily_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

namespace meanflux::test {
namespace {

TEST(DailyLine, Columns)
{
    daily_values v;
    v.year = 1980;
    v.month = 1;
    v.day = 1;
    v.rotation = 2001;
    v.rotation_day = 19;
    v.kp_tenths = {23, 23, 23, 33, 33, 43, 50, 50};
    v.kp_sum_tenths = 280;
    v.ap = {9, 9, 9, 18, 18, 32, 48, 48};
    v.ap_daily = 24;
    v.cp = 1.2;
    v.c9 = 6;
    v.sunspots = 217;
    v.flux = 189.1;
    v.qualifier = flux_observed;
    std::string line(daily_line_length, '?');
    const std::span<char, daily_line_length> text(line.data(), daily_line_length);
    ASSERT_TRUE(format_daily_line(v, text));
    EXPECT_EQ(line, "8001012001192323233333435050280  9  9  9 18 18 32 48 48 241.26217189.10");

    // Everything that may be missing left blank; the flux of a day without one.
    daily_values blank;
    blank.year = 2024;
    blank.month = 12;
    blank.day = 31;
    ASSERT_TRUE(format_daily_line(blank, text));
    EXPECT_EQ(line, "241231" + std::string(59, ' ') + "  0.03");

    // Each value one above what its columns hold.
    struct Case {
        void (*spoil)(daily_values&);
        const char* what;
    };
    const Case too_wide[] = {
        {[](daily_values& d) { d.rotation = 10000; }, "rotation"},
        {[](daily_values& d) { d.rotation_day = 100; }, "rotation day"},
        {[](daily_values& d) { d.kp_tenths[7] = 100; }, "Kp"},
        {[](daily_values& d) { d.kp_sum_tenths = 1000; }, "Kp sum"},
        {[](daily_values& d) { d.ap[0] = 1000; }, "ap"},
        {[](daily_values& d) { d.ap_daily = 1000; }, "Ap"},
        {[](daily_values& d) { d.cp = 9.96; }, "Cp"},
        {[](daily_values& d) { d.c9 = 10; }, "C9"},
        {[](daily_values& d) { d.sunspots = 1000; }, "sunspot number"},
        {[](daily_values& d) { d.flux = 999.95; }, "flux"},
        {[](daily_values& d) { d.flux = -0.5; }, "negative flux"},
        {[](daily_values& d) { d.qualifier = 10; }, "qualifier"},
        {[](daily_values& d) { d.ap[3] = -2; }, "negative ap"},
        {[](daily_values& d) { d.month = 13; }, "month"},
    };
    for (const auto& c : too_wide) {
        daily_values spoilt = v;
        c.spoil(spoilt);
        EXPECT_FALSE(format_daily_line(spoilt, text)) << c.what;
    }
}

} // namespace
} // namespace meanflux::test
