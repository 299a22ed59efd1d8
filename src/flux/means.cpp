#include "flux/means.h"

#include "flux/distance.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace meanflux {

void init_gauss_w(gauss_table& gauss_w) noexcept
{
    for (int j = 0; j < gauss_len; ++j) {
        const double x = static_cast<double>(j - gauss_half) / static_cast<double>(gauss_scale);
        gauss_w[static_cast<std::size_t>(j)] = std::exp((-x) * x);
    }
}

namespace {

constexpr double no_mean = std::numeric_limits<double>::quiet_NaN();

// The four sums of a day's means.  Each is formed term by term in ascending offset, as the means
// are defined; the two windows are walked in one pass only so that the four independent sums can
// be added up side by side.
struct window_sums {
    double gauss_sum = 0.0;
    double gauss_total = 0.0;
    double arith_sum = 0.0;
    double arith_total = 0.0;
};

// Add the observed days among offsets low..high of position p to the Gaussian sums, and to the
// arithmetic ones as well when `arith` is set.
template <bool arith>
void add_offsets(const daily_series& series, const gauss_table& gauss_w, int p, int low, int high,
                 window_sums& s) noexcept
{
    for (int k = low; k <= high; ++k) {
        const auto q = static_cast<std::size_t>(p + k);
        if (series.flux_qual[q] != MISSING_FLUX) {
            const double w = gauss_w[static_cast<std::size_t>(k + gauss_half)];
            const double obs = series.flux_obs[q];
            s.gauss_sum = s.gauss_sum + w * obs;
            s.gauss_total = s.gauss_total + w;
            if constexpr (arith) {
                s.arith_sum = s.arith_sum + obs;
                s.arith_total = s.arith_total + 1.0;
            }
        }
    }
}

} // namespace

day_values day_fluxes(const daily_series& series, const gauss_table& gauss_w, int year_offset,
                      int n) noexcept
{
    const int p = year_offset + n;
    day_values v{0.0, 0.0, 0.0, 0.0};
    int qual = 0;
    if (p >= 0 && p < MAX_DAYS) {
        const auto own = static_cast<std::size_t>(p);
        v.flux_obs = series.flux_obs[own];
        v.flux_adj = series.flux_adj[own];
        qual = series.flux_qual[own];
    }

    // Only loaded positions take part: offsets from `low` to `high`.
    const int low = std::max(-gauss_half, -p);
    const int high = std::min(gauss_half, series.series_len - 1 - p);
    window_sums s;
    add_offsets<false>(series, gauss_w, p, low, std::min(high, -arith_half - 1), s);
    add_offsets<true>(
        series, gauss_w, p, std::max(low, -arith_half), std::min(high, arith_half), s);
    add_offsets<false>(series, gauss_w, p, std::max(low, arith_half + 1), high, s);
    v.gauss_mean = s.gauss_total != 0.0 ? s.gauss_sum / s.gauss_total : no_mean;
    v.arith_mean = s.arith_total != 0.0 ? s.arith_sum / s.arith_total : no_mean;

    if (qual == MISSING_FLUX) {
        v.flux_obs = v.gauss_mean;
        const double r = dist_factor(n);
        v.flux_adj = (v.gauss_mean * r) * r;
    }
    return v;
}

namespace {

// Days whose sums advance side by side.
constexpr int block_days = 8;

// The series as the sums of year_fluxes take it: position q at index q + gauss_half, with room
// for the windows of a block of days beyond either end.
constexpr std::size_t masked_len = MAX_DAYS + 2 * gauss_half + block_days;

struct masked_series {
    std::array<double, masked_len> flux;   // flux_obs of an observed day; +0.0 elsewhere
    std::array<double, masked_len> taken;  // 1.0 for an observed day; +0.0 elsewhere
    std::array<int, masked_len + 1> count; // observed days before each index
};

void mask_series(const daily_series& series, masked_series& m) noexcept
{
    const int len = std::clamp(series.series_len, 0, MAX_DAYS);
    m.count[0] = 0;
    for (std::size_t i = 0; i < masked_len; ++i) {
        const int q = static_cast<int>(i) - gauss_half;
        const bool observed =
            q >= 0 && q < len && series.flux_qual[static_cast<std::size_t>(q)] != MISSING_FLUX;
        m.flux[i] = observed ? series.flux_obs[static_cast<std::size_t>(q)] : 0.0;
        m.taken[i] = observed ? 1.0 : 0.0;
        m.count[i + 1] = m.count[i] + (observed ? 1 : 0);
    }
}

// Observed days among the positions p + low to p + high.
int observed_in(const masked_series& m, int p, int low, int high) noexcept
{
    return m.count[static_cast<std::size_t>(p + high + gauss_half + 1)] -
           m.count[static_cast<std::size_t>(p + low + gauss_half)];
}

// Two days' values side by side, in one register of the processor's vector unit: each operation
// on them is the same IEEE operation on each day, rounded on its own (a GCC and Clang extension;
// on a processor without such a unit the compiler does the two operations one after the other).
typedef double two_days __attribute__((vector_size(2 * sizeof(double))));
constexpr std::size_t pairs = block_days / 2;

two_days two_from(const double* p) noexcept
{
    two_days v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// The sums of the days at positions p0 to p0 + block_days - 1, each in ascending offset.
struct block_sums {
    std::array<two_days, pairs> gauss_sum{};
    std::array<two_days, pairs> gauss_total{};
    std::array<two_days, pairs> arith_sum{};
};

void sum_block(const masked_series& m, const gauss_table& gauss_w, double full_total, int p0,
               block_sums& s) noexcept
{
    // Index of offset -gauss_half of the block's first day.
    const auto first = static_cast<std::size_t>(p0);
    for (std::size_t j = 0; j < static_cast<std::size_t>(gauss_len); ++j) {
        const two_days w = {gauss_w[j], gauss_w[j]};
        const double* const flux = m.flux.data() + first + j;
        for (std::size_t k = 0; k < pairs; ++k)
            s.gauss_sum[k] = s.gauss_sum[k] + w * two_from(flux + 2 * k);
    }
    bool every_day_taken = true;
    for (int d = 0; d < block_days; ++d)
        every_day_taken =
            every_day_taken && observed_in(m, p0 + d, -gauss_half, gauss_half) == gauss_len;
    if (every_day_taken) {
        for (two_days& total : s.gauss_total)
            total = two_days{full_total, full_total};
    } else {
        for (std::size_t j = 0; j < static_cast<std::size_t>(gauss_len); ++j) {
            const two_days w = {gauss_w[j], gauss_w[j]};
            const double* const taken = m.taken.data() + first + j;
            for (std::size_t k = 0; k < pairs; ++k)
                s.gauss_total[k] = s.gauss_total[k] + w * two_from(taken + 2 * k);
        }
    }
    for (std::size_t j = gauss_half - arith_half; j <= gauss_half + arith_half; ++j) {
        const double* const flux = m.flux.data() + first + j;
        for (std::size_t k = 0; k < pairs; ++k)
            s.arith_sum[k] = s.arith_sum[k] + two_from(flux + 2 * k);
    }
}

} // namespace

void year_fluxes(const daily_series& series, const gauss_table& gauss_w, int year_offset,
                 std::span<day_values> values) noexcept
{
    masked_series m;
    mask_series(series, m);
    double full_total = 0.0;
    for (std::size_t j = 0; j < static_cast<std::size_t>(gauss_len); ++j)
        full_total = full_total + gauss_w[j];

    const int count = static_cast<int>(values.size());
    for (int n0 = 0; n0 < count; n0 += block_days) {
        const int p0 = year_offset + n0;
        block_sums s;
        if (p0 >= 0 && p0 < MAX_DAYS)
            sum_block(m, gauss_w, full_total, p0, s);
        for (int d = 0; d < block_days && n0 + d < count; ++d) {
            const int n = n0 + d;
            const int p = p0 + d;
            day_values& v = values[static_cast<std::size_t>(n)];
            if (p0 < 0 || p >= MAX_DAYS) {
                v = day_fluxes(series, gauss_w, year_offset, n); // no day of the series
                continue;
            }
            const auto own = static_cast<std::size_t>(p);
            const auto k = static_cast<std::size_t>(d) / 2;
            const int lane = d % 2;
            const double gauss_sum = s.gauss_sum[k][lane];
            const double gauss_total = s.gauss_total[k][lane];
            const double arith_sum = s.arith_sum[k][lane];
            v.flux_obs = series.flux_obs[own];
            v.flux_adj = series.flux_adj[own];
            v.gauss_mean = gauss_total != 0.0 ? gauss_sum / gauss_total : no_mean;
            const int arith_count = observed_in(m, p, -arith_half, arith_half);
            v.arith_mean =
                arith_count != 0 ? arith_sum / static_cast<double>(arith_count) : no_mean;
            if (series.flux_qual[own] == MISSING_FLUX) {
                v.flux_obs = v.gauss_mean;
                const double r = dist_factor(n);
                v.flux_adj = (v.gauss_mean * r) * r;
            }
        }
    }
}

} // namespace meanflux
