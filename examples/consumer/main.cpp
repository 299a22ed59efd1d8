// A program of another project that uses the installed meanflux library: the day number of a
// date, and the solar flux and geomagnetic activity of that day from "mean_flux.dat" in the
// current directory, as an orbit propagator would ask for them at each step.
#include <meanflux/meanflux.h>

#include <cstdio>

int main(int argc, char** argv)
{
    const int day = 29, month = 2, year = 1980;
    const int n = meanflux::day_number(day, month, year);
    const meanflux::date_record& date = meanflux::day_to_date(n);
    std::printf("%02d-%02d-%d is day %d, which is %02.0f-%02.0f-%04.0f\n",
                day,
                month,
                year,
                n,
                date.day,
                date.month,
                date.year);

    double values[14] = {};
    const int found = argc > 1 ? meanflux::read_mean_flux_file(argv[1], day, month, year, values)
                               : meanflux::read_mean_flux(day, month, year, values);
    if (found != meanflux::mean_flux_found) {
        std::fprintf(
            stderr, "consumer: no record of %d-%02d-%02d (result %d)\n", year, month, day, found);
        return 1;
    }
    std::printf("Kp sum %.1f, Ap %.0f, F10.7 observed %.1f, at 1 AU %.1f, J77 %.1f, J70 %.1f\n",
                values[meanflux::entry_kp_sum],
                values[meanflux::entry_ap],
                values[meanflux::entry_flux_obs],
                values[meanflux::entry_flux_adj],
                values[meanflux::entry_gauss_mean],
                values[meanflux::entry_arith_mean]);
    return 0;
}
