// A program of another project that uses the installed meanflux library, as an orbit propagator
// would: the day number of a date, that day's solar flux and geomagnetic activity looked up in
// the combined mean-flux file, the same from a table loaded once, and the inputs of a density
// model at an instant.
//
//   consumer [FILE [YYYY-MM-DD [HH:MM:SS]]]
//
// FILE is the combined mean-flux file ("mean_flux.dat" in the current directory by default); the
// instant is 14 July 1980, 13:30:00 UT by default.
#include <meanflux/meanflux.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    const char* file = argc > 1 ? argv[1] : "mean_flux.dat";
    int year = 1980, month = 7, day = 14, hour = 13, minute = 30, second = 0;
    if ((argc > 2 && std::sscanf(argv[2], "%d-%d-%d", &year, &month, &day) != 3) ||
        (argc > 3 && std::sscanf(argv[3], "%d:%d:%d", &hour, &minute, &second) != 3) || argc > 4) {
        std::fprintf(stderr, "usage: consumer [FILE [YYYY-MM-DD [HH:MM:SS]]]\n");
        return 2;
    }

    const int n = meanflux::day_number(day, month, year);
    const meanflux::date_record date = meanflux::civil_date(n);
    std::printf("%04d-%02d-%02d is day %d, which is %04.0f-%02.0f-%02.0f\n",
                year,
                month,
                day,
                n,
                date.year,
                date.month,
                date.day);

    // One lookup in the file itself: it opens and reads the file at every call.
    double values[14] = {};
    const int found = meanflux::read_mean_flux_file(file, day, month, year, values);
    if (found != meanflux::mean_flux_found) {
        std::fprintf(stderr,
                     "consumer: %s: no record of %04d-%02d-%02d (result %d)\n",
                     file,
                     year,
                     month,
                     day,
                     found);
        return 1;
    }
    std::printf("Kp sum %.1f, Ap %.0f, F10.7 observed %.1f, at 1 AU %.1f, J77 %.1f, J70 %.1f\n",
                values[meanflux::entry_kp_sum],
                values[meanflux::entry_ap],
                values[meanflux::entry_flux_obs],
                values[meanflux::entry_flux_adj],
                values[meanflux::entry_gauss_mean],
                values[meanflux::entry_arith_mean]);

    // The file loaded once, for a program that asks for many days.
    meanflux::mean_flux_table table;
    const int loaded = meanflux::load_mean_flux_table(file, table);
    if (loaded != meanflux::mean_flux_found) {
        std::fprintf(stderr, "consumer: %s: cannot load (result %d)\n", file, loaded);
        return 2;
    }
    double from_table[14] = {};
    if (meanflux::find_mean_flux(table, day, month, year, from_table) !=
            meanflux::mean_flux_found ||
        std::memcmp(values, from_table, sizeof values) != 0) {
        std::fprintf(stderr, "consumer: the table and the file disagree\n");
        return 1;
    }
    std::printf("the table of %s gives the same values\n", file);

    // The inputs of a density model at the instant: 0 when all come from 81 observed days, 2
    // when the 81-day mean is shorter (near an end of the file) or some come from predictions.
    meanflux::space_weather weather{};
    const double seconds = 3600.0 * hour + 60.0 * minute + second;
    const int result = meanflux::space_weather_at(table, n, seconds, weather);
    if (result != meanflux::mean_flux_found && result != meanflux::space_weather_partial) {
        std::fprintf(stderr,
                     "consumer: no density-model inputs at %04d-%02d-%02d %02d:%02d:%02d: %s "
                     "(result %d)\n",
                     year,
                     month,
                     day,
                     hour,
                     minute,
                     second,
                     meanflux::mean_flux_result_text(result),
                     result);
        return 1;
    }
    std::printf("density-model inputs at %04d-%02d-%02d %02d:%02d:%02d UT: %s\n",
                year,
                month,
                day,
                hour,
                minute,
                second,
                meanflux::mean_flux_result_text(result));
    std::printf("  F10.7 of the day before   observed %.1f, at 1 AU %.1f\n",
                weather.f107_obs_prev_day,
                weather.f107_adj_prev_day);
    std::printf("  F10.7 centred means       81-day %.2f (%d days), J77 %.1f, J70 %.1f\n",
                weather.f107_obs_mean81,
                weather.mean81_days,
                weather.f107_gauss_mean,
                weather.f107_arith_mean);
    std::printf("  Kp, latest first          ");
    for (const double kp : weather.kp)
        std::printf(" %.1f", kp);
    std::printf("\n  Ap of the day             %.0f\n  ap history                ",
                weather.ap_daily);
    for (const double ap : weather.ap_history)
        std::printf(" %.3g", ap);
    std::printf("\n  from predicted days       %s\n", weather.predicted ? "yes" : "no");
    return 0;
}
