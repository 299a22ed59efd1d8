// The whole-year computation of the means against day_fluxes, day by day, bit for bit.
#include "flux/distance.h"
#include "flux/means.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace meanflux {
namespace {

// The bits of the four values, so that NaN compares with NaN and -0.0 differs from +0.0.
std::array<std::uint64_t, 4> bits_of(const day_values& v)
{
    return {std::bit_cast<std::uint64_t>(v.flux_obs),
            std::bit_cast<std::uint64_t>(v.flux_adj),
            std::bit_cast<std::uint64_t>(v.gauss_mean),
            std::bit_cast<std::uint64_t>(v.arith_mean)};
}

gauss_table weights()
{
    gauss_table w{};
    init_gauss_w(w);
    return w;
}

// Kinds of series: how days without observation are spread over it.
enum class gaps { none, lone, scattered, runs, all };

// A series with random fluxes within the loader's bounds, days without observation as `kind`
// says, fluxes of -0.0 and 0.0 among the observed days, and on days without observation fluxes
// that no sum may see: NaN, infinities, huge values.
daily_series random_series(std::mt19937_64& random, gaps kind, int len)
{
    std::uniform_real_distribution<double> flux(-93.0, 935.0);
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<int> run(1, 500);
    daily_series s;
    s.series_len = len;
    const double unseen[] = {std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             1e308,
                             -0.0};
    int gap_left = 0;
    for (std::size_t p = 0; p < s.flux_adj.size(); ++p) {
        bool missing = false;
        switch (kind) {
        case gaps::none:
            break;
        case gaps::lone: // windows with exactly one day left out
            missing = p % 437 == 200;
            break;
        case gaps::scattered:
            missing = percent(random) < 5;
            break;
        case gaps::runs:
            if (gap_left == 0 && percent(random) < 1)
                gap_left = run(random);
            missing = gap_left > 0;
            gap_left -= gap_left > 0 ? 1 : 0;
            break;
        case gaps::all:
            missing = true;
            break;
        }
        // Beyond the loaded days the series holds whatever it holds: neither call may read it.
        if (static_cast<int>(p) >= len)
            missing = percent(random) < 50;
        const int pick = percent(random);
        s.flux_adj[p] = pick < 2 ? -0.0 : pick < 4 ? 0.0 : flux(random);
        s.flux_qual[p] = missing ? MISSING_FLUX : pick % 3;
        if (missing && pick < 50)
            s.flux_adj[p] = unseen[static_cast<std::size_t>(pick) % std::size(unseen)];
    }
    static const distance_table distances = [] {
        distance_table t{};
        init_distance_table(t);
        return t;
    }();
    distance_pass(s, distances);
    for (std::size_t p = static_cast<std::size_t>(len); p < s.flux_obs.size(); ++p)
        s.flux_obs[p] = s.flux_adj[p];
    return s;
}

TEST(YearFluxes, EveryDayAsDayFluxesBitForBit)
{
    const gauss_table w = weights();
    std::mt19937_64 random(1957);
    struct Case {
        int year_offset, count;
    };
    // A year after 365 or 366 days, and offsets and counts that reach the series' ends.
    const Case cases[] = {{365, 366},
                          {366, 365},
                          {365, 1},
                          {366, 9},
                          {0, 366},
                          {700, 366},
                          {1095, 5},
                          {1099, 9},
                          {1100, 3},
                          {365, 0}};
    for (const gaps kind : {gaps::none, gaps::lone, gaps::scattered, gaps::runs, gaps::all})
        for (const int len : {1096, 1095, 850, 731, 300, 0, MAX_DAYS})
            for (int round = 0; round < 3; ++round) {
                const daily_series s = random_series(random, kind, len);
                for (const Case& c : cases) {
                    std::vector<day_values> values(static_cast<std::size_t>(c.count));
                    year_fluxes(s, w, c.year_offset, values);
                    for (int n = 0; n < c.count; ++n)
                        ASSERT_EQ(bits_of(values[static_cast<std::size_t>(n)]),
                                  bits_of(day_fluxes(s, w, c.year_offset, n)))
                            << "gaps " << static_cast<int>(kind) << ", series of " << len
                            << " days, year at " << c.year_offset << ", day " << n;
                }
            }
}

TEST(YearFluxes, ASumOfNegativeZerosStaysAsDayFluxesHasIt)
{
    // Observed fluxes of -0.0 everywhere: every product is -0.0, and the sums are +0.0 + -0.0
    // ... = +0.0, as they are when the days without observation are skipped.
    const gauss_table w = weights();
    daily_series s;
    s.series_len = 1096;
    s.flux_obs.fill(-0.0);
    s.flux_adj.fill(-0.0);
    for (int p = 0; p < MAX_DAYS; p += 3)
        s.flux_qual[static_cast<std::size_t>(p)] = MISSING_FLUX;
    std::vector<day_values> values(366);
    year_fluxes(s, w, 365, values);
    for (int n = 0; n < 366; ++n)
        ASSERT_EQ(bits_of(values[static_cast<std::size_t>(n)]), bits_of(day_fluxes(s, w, 365, n)))
            << n;
    EXPECT_FALSE(std::signbit(values[1].gauss_mean)) << "+0.0 / total";
}

TEST(DistanceTable, IsDistFactorOfEveryPosition)
{
    distance_table table{};
    init_distance_table(table);
    for (int t = 0; t < MAX_DAYS; ++t)
        ASSERT_EQ(std::bit_cast<std::uint64_t>(table[static_cast<std::size_t>(t)]),
                  std::bit_cast<std::uint64_t>(dist_factor(t)))
            << t;
}

} // namespace
} // namespace meanflux
