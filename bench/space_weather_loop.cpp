// space_weather_at called in a plain C++ loop over the epochs of a file, as the Python package's
// Table.space_weather_at runs it over an array: the yardstick of bench/python-vs-cpp.
//
//   meanflux_space_weather_loop TABLE EPOCHS ROUNDS
//
// EPOCHS holds n day numbers (32-bit integers) followed by n seconds of the day (doubles), in the
// machine's byte order.  Prints the best time of ROUNDS passes over all of them, in seconds, of
// a loop that only sums two values of each result and of one that keeps every result, then a
// checksum of the results so that no call can be left out.
#include <meanflux/meanflux.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

// Whether a result of space_weather_at comes with values.
static bool has_values(int result)
{
    return result == meanflux::mean_flux_found || result == meanflux::space_weather_partial;
}

int main(int argc, char** argv)
{
    meanflux::mean_flux_table table;
    if (argc != 4 || meanflux::load_mean_flux_table(argv[1], table) != meanflux::mean_flux_found) {
        std::fprintf(stderr, "usage: meanflux_space_weather_loop TABLE EPOCHS ROUNDS\n");
        return 2;
    }
    std::FILE* in = std::fopen(argv[2], "rb");
    if (in == nullptr) {
        std::fprintf(stderr, "meanflux_space_weather_loop: %s: cannot open\n", argv[2]);
        return 2;
    }
    std::fseek(in, 0, SEEK_END);
    const auto n =
        static_cast<std::size_t>(std::ftell(in)) / (sizeof(std::int32_t) + sizeof(double));
    std::rewind(in);
    std::vector<std::int32_t> days(n);
    std::vector<double> seconds(n);
    if (std::fread(days.data(), sizeof(std::int32_t), n, in) != n ||
        std::fread(seconds.data(), sizeof(double), n, in) != n) {
        std::fprintf(stderr, "meanflux_space_weather_loop: %s: cut short\n", argv[2]);
        return 2;
    }
    std::fclose(in);

    // Two loops: one that only adds two values of each result up, and one that keeps every
    // result in arrays, as a program that goes on to use them does (and as the Python package
    // returns them).
    const int rounds = std::max(1, std::atoi(argv[3]));
    double best = 1e300, best_kept = 1e300, checksum = 0, kept_checksum = 0;
    std::vector<meanflux::space_weather> kept(n); // the same arrays for every pass
    std::vector<int> results(n);
    for (int round = 0; round < rounds; ++round) {
        checksum = 0;
        auto start = std::chrono::steady_clock::now();
        for (std::size_t i = 0; i < n; ++i) {
            meanflux::space_weather w;
            if (has_values(meanflux::space_weather_at(table, days[i], seconds[i], w)))
                checksum += w.f107_obs_mean81 + w.ap_history[6];
        }
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());

        start = std::chrono::steady_clock::now();
        for (std::size_t i = 0; i < n; ++i)
            results[i] = meanflux::space_weather_at(table, days[i], seconds[i], kept[i]);
        took = std::chrono::steady_clock::now() - start;
        best_kept = std::min(best_kept, took.count());
        kept_checksum = 0;
        for (std::size_t i = 0; i < n; ++i)
            if (has_values(results[i]))
                kept_checksum += kept[i].f107_obs_mean81 + kept[i].ap_history[6];
    }
    if (kept_checksum != checksum) {
        std::fprintf(stderr, "meanflux_space_weather_loop: the two loops disagree\n");
        return 1;
    }
    std::printf("%.6f %.6f %.17g\n", best, best_kept, checksum);
    return 0;
}
