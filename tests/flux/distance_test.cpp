#include "flux/distance.h"

#include "support/ulp.h"

#include <gtest/gtest.h>

namespace meanflux {
namespace {

using test::few_ulps;
using test::ulps_between;

// The distance pass with the table that every computation uses.
void distance_pass(daily_series& series)
{
    static const distance_table table = [] {
        distance_table t{};
        init_distance_table(t);
        return t;
    }();
    meanflux::distance_pass(series, table);
}

TEST(DistanceCorrection, RunConstants)
{
    EXPECT_EQ(ecc, 0.0167);
    // The ten-digit pi, doubled first: not 2 pi / 365.2422 with the full pi.
    EXPECT_EQ(omega, 0.017202791210873224);
    EXPECT_NE(omega, 2.0 * 3.14159265358979323846 / 365.2422);
    // 3 + 0.47 in double arithmetic: one unit in the last place below the double nearest 3.47.
    EXPECT_EQ(t_peri, 3.4699999999999998);
    EXPECT_EQ(t_peri, std::nextafter(3.47, 0.0));
}

TEST(DistanceCorrection, WorkedValues)
{
    struct Case {
        int t;
        double r, flux_obs_of_100;
        const char* what;
    };
    constexpr Case cases[] = {
        {0, 0.98333073762111467, 103.41910387727982, "1 January of the preceding year"},
        {3, 0.98330056408673883, 103.42545100628193, "a whole day nearest perihelion"},
        {4, 0.98330071730062363, 103.42541877562529, "the other one"},
        {100, 1.0017741117103032, 99.646119671003291, ""},
        {186, 1.0166999801770835, 96.741845912575798, "the day farthest from the Sun"},
        {365, 0.98333517657791247, 103.41817017347476, "1 January 1980 in the series of 1980"},
        {366, 0.98331878061254563, 103.4216190140879, "1 January 1981 in the series of 1981"},
    };
    daily_series series;
    series.series_len = 367;
    series.flux_adj.fill(100.0);
    distance_pass(series);
    for (const auto& c : cases) {
        EXPECT_LE(ulps_between(dist_factor(c.t), c.r), few_ulps) << c.t << " " << c.what;
        EXPECT_LE(ulps_between(series.flux_obs[c.t], c.flux_obs_of_100), few_ulps) << c.t;
    }
}

TEST(DistanceCorrection, StaysBetweenPerihelionAndAphelion)
{
    for (int t = -400; t < 40000; ++t) {
        const double r = dist_factor(t);
        ASSERT_GE(r, 1.0 - ecc) << t;
        ASSERT_LE(r, 1.0 + ecc) << t;
    }
}

TEST(DistancePass, DividesTwiceByTheDistanceOfEveryLoadedDay)
{
    daily_series series;
    series.series_len = 4;
    series.flux_adj = {0.0, 150.0, 70.2, 88.8, 99.0};
    series.flux_qual[2] = MISSING_FLUX;
    distance_pass(series);
    EXPECT_EQ(series.flux_obs[0], 0.0);
    for (int i = 1; i < 4; ++i) {
        const double r = dist_factor(i);
        // Exactly the two divisions, which may differ from one division by r * r.
        EXPECT_EQ(series.flux_obs[i], (series.flux_adj[i] / r) / r) << i;
    }
    EXPECT_EQ(series.flux_obs[4], 0.0) << "a position past the loaded days is not written";
}

TEST(DistancePass, TwoDivisionsAreNotOneDivisionByTheSquare)
{
    // The order matters somewhere over a year of fluxes; a pass that divided by r * r would
    // differ from the reference on some day.
    daily_series series;
    series.series_len = MAX_DAYS;
    for (int i = 0; i < MAX_DAYS; ++i)
        series.flux_adj[i] = 60.0 + (i % 251) * 0.7;
    distance_pass(series);
    int differ = 0;
    for (int i = 0; i < MAX_DAYS; ++i) {
        const double r = dist_factor(i);
        ASSERT_EQ(series.flux_obs[i], (series.flux_adj[i] / r) / r);
        differ += series.flux_obs[i] != series.flux_adj[i] / (r * r);
    }
    EXPECT_GT(differ, 0);
}

} // namespace
} // namespace meanflux
