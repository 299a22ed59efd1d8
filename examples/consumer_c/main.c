/* A C program of another project that uses the installed meanflux library through its C names,
 * as a propagator written in C would: what the C++ consumer (examples/consumer) does, printed
 * the same way.
 *
 *   consumer_c [FILE [YYYY-MM-DD [HH:MM:SS]]]
 *
 * FILE is the combined mean-flux file ("mean_flux.dat" in the current directory by default); the
 * instant is 14 July 1980, 13:30:00 UT by default. */
#include <meanflux/meanflux_c.h>

#include <stdio.h>
#include <string.h>

int main(int argc, char** argv)
{
    const char* file = argc > 1 ? argv[1] : "mean_flux.dat";
    int year = 1980, month = 7, day = 14, hour = 13, minute = 30, second = 0;
    if ((argc > 2 && sscanf(argv[2], "%d-%d-%d", &year, &month, &day) != 3) ||
        (argc > 3 && sscanf(argv[3], "%d:%d:%d", &hour, &minute, &second) != 3) || argc > 4) {
        fprintf(stderr, "usage: consumer_c [FILE [YYYY-MM-DD [HH:MM:SS]]]\n");
        return 2;
    }

    /* The day number of the date, and the date back from an ISO 8601 text of it. */
    const int n = meanflux_day_number(day, month, year);
    char text[32];
    snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    int parsed = 0;
    double midnight = -1.0;
    if (meanflux_parse_epoch(text, &parsed, &midnight) != MEANFLUX_FOUND || parsed != n ||
        midnight != 0.0) {
        fprintf(stderr, "consumer_c: %s does not read back as day %d\n", text, n);
        return 1;
    }
    printf("%04d-%02d-%02d is day %d, which is %s\n", year, month, day, n, text);

    /* One lookup in the file itself: it opens and reads the file at every call. */
    double values[14] = {0};
    const int found = meanflux_read_mean_flux_file(file, day, month, year, values);
    if (found != MEANFLUX_FOUND) {
        fprintf(stderr, "consumer_c: %s: no record of %s (result %d)\n", file, text, found);
        return 1;
    }
    printf("Kp sum %.1f, Ap %.0f, F10.7 observed %.1f, at 1 AU %.1f, J77 %.1f, J70 %.1f\n",
           values[MEANFLUX_ENTRY_KP_SUM],
           values[MEANFLUX_ENTRY_AP],
           values[MEANFLUX_ENTRY_FLUX_OBS],
           values[MEANFLUX_ENTRY_FLUX_ADJ],
           values[MEANFLUX_ENTRY_GAUSS_MEAN],
           values[MEANFLUX_ENTRY_ARITH_MEAN]);

    /* The file loaded once, for a program that asks for many days. */
    meanflux_table* table = NULL;
    const int loaded = meanflux_table_load(file, &table);
    if (loaded != MEANFLUX_FOUND) {
        fprintf(stderr, "consumer_c: %s: cannot load: %s\n", file, meanflux_result_text(loaded));
        return 2;
    }
    double from_table[14] = {0};
    if (meanflux_find(table, day, month, year, from_table) != MEANFLUX_FOUND ||
        memcmp(values, from_table, sizeof values) != 0) {
        fprintf(stderr, "consumer_c: the table and the file disagree\n");
        meanflux_table_free(table);
        return 1;
    }
    printf("the table of %s gives the same values\n", file);

    /* The inputs of a density model at the instant. */
    meanflux_space_weather weather;
    const double seconds = 3600.0 * hour + 60.0 * minute + second;
    const int result = meanflux_space_weather_at(table, n, seconds, &weather);
    meanflux_table_free(table);
    if (result != MEANFLUX_FOUND && result != MEANFLUX_SPACE_WEATHER_PARTIAL) {
        fprintf(stderr,
                "consumer_c: no density-model inputs at %s %02d:%02d:%02d: %s (result %d)\n",
                text,
                hour,
                minute,
                second,
                meanflux_result_text(result),
                result);
        return 1;
    }
    printf("density-model inputs at %s %02d:%02d:%02d UT: %s\n",
           text,
           hour,
           minute,
           second,
           meanflux_result_text(result));
    printf("  F10.7 of the day before   observed %.1f, at 1 AU %.1f\n",
           weather.f107_obs_prev_day,
           weather.f107_adj_prev_day);
    printf("  F10.7 centred means       81-day %.2f (%d days), J77 %.1f, J70 %.1f\n",
           weather.f107_obs_mean81,
           weather.mean81_days,
           weather.f107_gauss_mean,
           weather.f107_arith_mean);
    printf("  Kp, latest first          ");
    for (int i = 0; i < 8; ++i)
        printf(" %.1f", weather.kp[i]);
    printf("\n  Ap of the day             %.0f\n  ap history                ", weather.ap_daily);
    for (int i = 0; i < 7; ++i)
        printf(" %.3g", weather.ap_history[i]);
    printf("\n  from predicted days       %s\n", weather.predicted ? "yes" : "no");
    return 0;
}
