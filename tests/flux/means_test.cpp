#include "flux/means.h"

#include "flux/distance.h"
#include "support/ulp.h"

#include <gtest/gtest.h>

#include <cmath>

namespace meanflux {
namespace {

using test::few_ulps;
using test::ulps_between;

gauss_table weights()
{
    gauss_table w{};
    init_gauss_w(w);
    return w;
}

// A fully loaded series whose observed flux is f(position), every day observed.
template <class F>
daily_series series_of(F f, int len = MAX_DAYS)
{
    daily_series s;
    s.series_len = len;
    for (int p = 0; p < len; ++p) {
        s.flux_obs[p] = f(p);
        s.flux_adj[p] = f(p);
    }
    return s;
}

TEST(GaussianWeights, PublishedValues)
{
    const gauss_table w = weights();
    struct Case {
        int j;
        double weight;
    };
    constexpr Case cases[] = {
        {0, 0.00012340980408667956},
        {1, 0.00013442692758096602},
        {70, 0.018315638888734179},
        {140, 0.36787944117144233},
        {175, 0.77880078307140488},
        {209, 0.99979593919058674},
    };
    for (const auto& c : cases) {
        EXPECT_LE(ulps_between(w[c.j], c.weight), few_ulps) << c.j;
        EXPECT_EQ(w[c.j], w[420 - c.j]) << "symmetric about the centre";
    }
    EXPECT_EQ(w[210], 1.0);
    EXPECT_EQ(w[421], 0.0) << "only 421 entries are filled";

    double total = 0.0;
    for (int j = 0; j < gauss_len; ++j)
        total = total + w[j];
    EXPECT_LE(ulps_between(total, 124.06915040331978), few_ulps);
}

TEST(DayFluxes, SymmetricSeriesGiveTheirCentre)
{
    const gauss_table w = weights();
    {
        const daily_series s = series_of([](int) { return 100.0; });
        const day_values v = day_fluxes(s, w, 365, 0);
        EXPECT_LE(ulps_between(v.gauss_mean, 99.999999999999829), few_ulps);
        EXPECT_EQ(v.arith_mean, 100.0);
        EXPECT_EQ(v.flux_obs, 100.0);
    }
    {
        const daily_series s = series_of([](int p) { return static_cast<double>(p); });
        const day_values v = day_fluxes(s, w, 365, 135); // position 500
        EXPECT_LE(ulps_between(v.gauss_mean, 499.9999999999996), few_ulps);
        EXPECT_EQ(v.arith_mean, 500.0);
    }
}

TEST(DayFluxes, WindowEdges)
{
    // Every day missing but one, `offset` days from day 0 of the year (position 365).
    struct Case {
        int offset;
        bool in_gauss, in_arith;
    };
    constexpr Case cases[] = {
        {0, true, true},
        {81, true, true},
        {-81, true, true},
        {82, true, false},
        {-82, true, false},
        {210, true, false},
        {-210, true, false},
        {211, false, false},
        {-211, false, false},
    };
    const gauss_table w = weights();
    for (const auto& c : cases) {
        daily_series s = series_of([](int) { return 123.4; });
        s.flux_qual.fill(MISSING_FLUX);
        s.flux_qual[365 + c.offset] = 0;
        const day_values v = day_fluxes(s, w, 365, 0);
        EXPECT_EQ(std::isnan(v.gauss_mean), !c.in_gauss) << c.offset;
        EXPECT_EQ(std::isnan(v.arith_mean), !c.in_arith) << c.offset;
        // The only observed day of a window is its mean, exactly.
        if (c.in_gauss) {
            EXPECT_EQ(v.gauss_mean, 123.4) << c.offset;
        }
        if (c.in_arith) {
            EXPECT_EQ(v.arith_mean, 123.4) << c.offset;
        }
    }
}

TEST(DayFluxes, MeansFollowTheStatedOrderOfOperations)
{
    // An irregular series: the means must be the sums formed term by term in ascending offset,
    // each product rounded before it is added.
    const gauss_table w = weights();
    daily_series s = series_of([](int p) { return 65.0 + std::fmod(p * 37.3, 211.7); });
    for (int p = 0; p < MAX_DAYS; p += 7)
        s.flux_qual[p] = MISSING_FLUX;
    for (const int n : {0, 17, 200, 365}) {
        const int p = 365 + n;
        double sum = 0.0, total = 0.0;
        for (int k = -210; k <= 210; ++k)
            if (s.flux_qual[p + k] != MISSING_FLUX) {
                const double term = w[k + 210] * s.flux_obs[p + k];
                sum = sum + term;
                total = total + w[k + 210];
            }
        double asum = 0.0, count = 0.0;
        for (int k = -81; k <= 81; ++k)
            if (s.flux_qual[p + k] != MISSING_FLUX) {
                asum = asum + s.flux_obs[p + k];
                count = count + 1.0;
            }
        const day_values v = day_fluxes(s, w, 365, n);
        EXPECT_EQ(v.gauss_mean, sum / total) << n;
        EXPECT_EQ(v.arith_mean, asum / count) << n;
    }
}

TEST(DayFluxes, MissingDaysAreLeftOutAndFilled)
{
    const gauss_table w = weights();
    daily_series s = series_of([](int) { return 100.0; });
    // 1 January 1980 (n = 0, position 365) is missing and holds a wild flux.
    s.flux_qual[365] = MISSING_FLUX;
    s.flux_obs[365] = 5000.0;
    s.flux_adj[365] = 5000.0;
    const day_values v = day_fluxes(s, w, 365, 0);
    EXPECT_EQ(v.arith_mean, 100.0) << "the missing day does not take part";
    EXPECT_EQ(v.flux_obs, v.gauss_mean);
    const double r = dist_factor(0); // from the day's index in the year, not its position
    EXPECT_EQ(v.flux_adj, (v.gauss_mean * r) * r);

    // With a Gaussian mean of exactly 100 the filled adjusted flux is the published value.
    daily_series t = series_of([](int) { return 100.0; });
    t.flux_qual.fill(MISSING_FLUX);
    t.flux_qual[300] = 0;
    t.flux_qual[365] = MISSING_FLUX;
    const day_values filled = day_fluxes(t, w, 365, 0);
    EXPECT_EQ(filled.gauss_mean, 100.0);
    EXPECT_EQ(filled.flux_obs, 100.0);
    EXPECT_LE(ulps_between(filled.flux_adj, 96.69393395504855), few_ulps);

    // The filled values do not change the means of the neighbours.
    const day_values next = day_fluxes(s, w, 365, 1);
    EXPECT_EQ(next.arith_mean, 100.0);
}

TEST(DayFluxes, UnloadedPositionsAreNoObservation)
{
    const gauss_table w = weights();
    // A succeeding year's file that stops after 120 days: series of 365 + 365 + 120 days.
    const daily_series s = series_of([](int) { return 100.0; }, 850);
    const day_values last = day_fluxes(s, w, 365, 364);
    EXPECT_EQ(last.arith_mean, 100.0) << "not pulled toward zero by unloaded positions";
    EXPECT_NEAR(last.gauss_mean, 100.0, 1e-12);

    // A day whose own position was not loaded reports the zero fluxes of the series.
    const day_values beyond = day_fluxes(s, w, 365, 500);
    EXPECT_EQ(beyond.flux_obs, 0.0);
    EXPECT_EQ(beyond.flux_adj, 0.0);
    EXPECT_EQ(beyond.arith_mean, 100.0);

    // Positions far past the series' room are never read.
    const day_values far = day_fluxes(s, w, 366, MAX_DAYS);
    EXPECT_EQ(far.flux_obs, 0.0);
    EXPECT_TRUE(std::isnan(far.arith_mean));
}

TEST(DayFluxes, AWindowWithoutObservationHasNoMean)
{
    const gauss_table w = weights();
    daily_series s = series_of([](int) { return 0.0; });
    s.flux_qual.fill(MISSING_FLUX);
    const day_values v = day_fluxes(s, w, 365, 10);
    EXPECT_TRUE(std::isnan(v.gauss_mean));
    EXPECT_TRUE(std::isnan(v.arith_mean));
    EXPECT_TRUE(std::isnan(v.flux_obs)) << "a missing day is filled from its mean";
    EXPECT_TRUE(std::isnan(v.flux_adj));
}

} // namespace
} // namespace meanflux
