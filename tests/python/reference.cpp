// The C++ library's answers, for the Python package's tests to compare with its own bit for bit.
//
//   meanflux_python_reference FILE
//
// Reads lines "w DAY SECONDS" (density-model inputs at an epoch, the seconds in C's hexadecimal
// notation) and "v DAY" (a day's record values) from standard input and writes, for each, the
// result and every value in hexadecimal notation ("%a"), exact to the last bit.
#include <meanflux/meanflux.h>

#include <cstdio>
#include <cstdlib>
#include <limits>

int main(int argc, char** argv)
{
    meanflux::mean_flux_table table;
    if (argc != 2 || meanflux::load_mean_flux_table(argv[1], table) != meanflux::mean_flux_found) {
        std::fprintf(stderr, "usage: meanflux_python_reference FILE (a loadable combined file)\n");
        return 2;
    }
    char kind = 0;
    int day = 0;
    while (std::scanf(" %c %d", &kind, &day) == 2) {
        if (kind == 'w') {
            char seconds_text[64];
            if (std::scanf("%63s", seconds_text) != 1)
                return 2;
            const double seconds = std::strtod(seconds_text, nullptr);
            meanflux::space_weather w{};
            const int result = meanflux::space_weather_at(table, day, seconds, w);
            std::printf("%d", result);
            if (result == meanflux::mean_flux_found || result == meanflux::space_weather_partial) {
                for (const double v : {w.f107_obs_prev_day,
                                       w.f107_adj_prev_day,
                                       w.f107_gauss_mean,
                                       w.f107_arith_mean,
                                       w.f107_obs_mean81,
                                       w.ap_daily})
                    std::printf(" %a", v);
                for (const double v : w.kp)
                    std::printf(" %a", v);
                for (const double v : w.ap_history)
                    std::printf(" %a", v);
                std::printf(" %d %d", w.mean81_days, w.predicted ? 1 : 0);
            }
        } else {
            double v[meanflux::mean_flux_entries];
            for (double& x : v)
                x = std::numeric_limits<double>::quiet_NaN();
            const meanflux::date_record date = meanflux::civil_date(day);
            const int result = meanflux::find_mean_flux(table,
                                                        static_cast<int>(date.day),
                                                        static_cast<int>(date.month),
                                                        static_cast<int>(date.year),
                                                        v);
            std::printf("%d", result);
            if (result == meanflux::mean_flux_found)
                for (const double x : v)
                    std::printf(" %a", x);
        }
        std::printf("\n");
    }
    return 0;
}
