// space_weather_at called in a plain C++ loop over the epochs of a file, as the Python package's
// Table.space_weather_at runs it over an array: the yardstick of bench/python-vs-cpp.
//
//   meanflux_space_weather_loop TABLE EPOCHS ROUNDS
//
// EPOCHS holds n day numbers (32-bit integers) followed by n seconds of the day (doubles), in the
// machine's byte order.  Prints the best time of ROUNDS passes over all of them, in seconds, and
// a checksum of the results so that no call can be left out.
#include <meanflux/meanflux.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

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

    const int rounds = std::max(1, std::atoi(argv[3]));
    double best = 1e300, checksum = 0;
    for (int round = 0; round < rounds; ++round) {
        checksum = 0;
        const auto start = std::chrono::steady_clock::now();
        for (std::size_t i = 0; i < n; ++i) {
            meanflux::space_weather w;
            if (meanflux::space_weather_at(table, days[i], seconds[i], w) >= 0)
                checksum += w.f107_obs_mean81 + w.ap_history[6];
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    std::printf("%.6f %.17g\n", best, checksum);
    return 0;
}
