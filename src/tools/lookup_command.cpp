#include "tools/lookup_command.h"

#include "io/file_handle.h"
#include "lookup/lookup_at.h"
#include "tools/command_line.h"

#include <meanflux/meanflux.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <getopt.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace meanflux {

namespace {

constexpr const char* program = "meanflux-lookup";

constexpr const char* usage = "usage: meanflux-lookup [-f FILE] [--csv] YYYY-MM-DD...\n";

constexpr const char* help =
    "usage: meanflux-lookup [-f FILE] [--csv] YYYY-MM-DD...\n"
    "\n"
    "Show, for each date, the day's values from a combined mean-flux data file: the eight\n"
    "three-hourly Kp, their sum, the daily Ap, the 10.7 cm solar flux observed and adjusted\n"
    "to 1 AU, and its Gaussian (J77) and arithmetic (J70) centred means, in solar flux units.\n"
    "\n"
    "options:\n"
    "  -f, --file FILE  the combined file (default: mean_flux.dat)\n"
    "      --csv        one CSV row per date, under a header row\n"
    "  -h, --help       show this help\n"
    "\n"
    "exit status: 0 every date found, 1 a date outside the file's range or without its\n"
    "record, 2 usage or file error\n";

// The lookup looks for the end of the header line within this many bytes of the file's start.
constexpr std::size_t header_search = 4096;

// Column headings of the table and of the CSV rows.
constexpr const char* table_heading = "date        Kp1  Kp2  Kp3  Kp4  Kp5  Kp6  Kp7  Kp8  Kp sum  "
                                      " Ap  F10.7 obs  F10.7 1AU  J77 mean  J70 mean\n";
constexpr const char* csv_heading =
    "date,kp1,kp2,kp3,kp4,kp5,kp6,kp7,kp8,kp_sum,ap,f107_obs,f107_adj,j77_mean,j70_mean\n";

// One value of the table, right-aligned in `width` columns; "-" where the record has none.
void table_value(std::FILE* out, int width, int decimals, double value)
{
    if (std::isnan(value))
        std::fprintf(out, "%*s", width, "-");
    else
        std::fprintf(out, "%*.*f", width, decimals, value);
}

void csv_value(std::FILE* out, int decimals, double value)
{
    std::fputc(',', out);
    if (!std::isnan(value))
        std::fprintf(out, "%.*f", decimals, value);
}

void show(std::FILE* out, bool csv, const char* date, const double (&v)[14])
{
    if (csv) {
        std::fputs(date, out);
        for (int i = 0; i < 9; ++i)
            csv_value(out, 1, v[i]);
        csv_value(out, 0, v[entry_ap]);
        for (int i = entry_flux_obs; i <= entry_arith_mean; ++i)
            csv_value(out, 1, v[i]);
    } else {
        std::fputs(date, out);
        for (int i = 0; i < 8; ++i)
            table_value(out, 5, 1, v[i]);
        table_value(out, 8, 1, v[entry_kp_sum]);
        table_value(out, 5, 0, v[entry_ap]);
        table_value(out, 11, 1, v[entry_flux_obs]);
        table_value(out, 11, 1, v[entry_flux_adj]);
        table_value(out, 10, 1, v[entry_gauss_mean]);
        table_value(out, 10, 1, v[entry_arith_mean]);
    }
    std::fputc('\n', out);
}

// Tell why the lookup could not use the file open on `fd`, from at most its first bytes: the
// file is not read again whole, and not opened again.
void explain_unusable(std::FILE* err, const char* file, int fd)
{
    std::array<char, header_search + 1> start{};
    ssize_t got = 0;
    do
        got = ::pread(fd, start.data(), start.size(), 0);
    while (got < 0 && errno == EINTR);
    if (got < 0)
        std::fprintf(err, "%s: %s: cannot read: %s\n", program, file, std::strerror(errno));
    else if (static_cast<std::size_t>(got) > header_search &&
             std::memchr(start.data(), '\n', header_search) == nullptr)
        std::fprintf(err,
                     "%s: %s: no line end in its first %zu bytes: not a combined mean-flux file\n",
                     program,
                     file,
                     header_search);
    else
        std::fprintf(err, "%s: %s: no day range in its header line\n", program, file);
}

} // namespace

int lookup_main(int argc, char** argv, std::FILE* out, std::FILE* err)
{
    const char* file = "mean_flux.dat";
    bool csv = false;
    static const option options[] = {
        {"file", required_argument, nullptr, 'f'},
        {"csv", no_argument, nullptr, 'c'},
        {"help", no_argument, nullptr, 'h'},
        {nullptr, 0, nullptr, 0},
    };
    optind = 0;
    for (int c; (c = getopt_long(argc, argv, "f:h", options, nullptr)) != -1;) {
        switch (c) {
        case 'f':
            file = optarg;
            break;
        case 'c':
            csv = true;
            break;
        case 'h':
            std::fputs(help, out);
            return exit_ok;
        default:
            std::fputs(usage, err);
            return exit_usage_or_file;
        }
    }
    if (optind >= argc)
        return usage_error(err, {program, usage, help}, "no date");
    std::vector<civil_day> dates;
    for (int i = optind; i < argc; ++i) {
        civil_day date{};
        if (!parse_date(argv[i], date)) {
            std::fprintf(err, "%s: %s: not a date of the form YYYY-MM-DD\n", program, argv[i]);
            return exit_usage_or_file;
        }
        dates.push_back(date);
    }

    // The file is opened once for all the dates; each lookup reads its header line and one
    // record at their offsets.
    errno = 0;
    const descriptor opened(file);
    if (!opened) {
        std::fprintf(err, "%s: %s: %s\n", program, file, std::strerror(errno));
        return exit_usage_or_file;
    }
    int status = exit_ok;
    bool headed = false;
    for (std::size_t i = 0; i < dates.size(); ++i) {
        const char* text = argv[optind + static_cast<int>(i)];
        double values[14];
        for (double& v : values)
            v = std::nan("");
        switch (
            read_mean_flux_at(opened.fd(), dates[i].day, dates[i].month, dates[i].year, values)) {
        case mean_flux_found:
            if (!headed)
                std::fputs(csv ? csv_heading : table_heading, out);
            headed = true;
            show(out, csv, text, values);
            break;
        case mean_flux_out_of_range:
            std::fprintf(err, "%s: %s: outside the range of days of %s\n", program, text, file);
            status = exit_not_there;
            break;
        case mean_flux_no_record:
            std::fprintf(err,
                         "%s: %s: %s holds no record of that day where it belongs\n",
                         program,
                         text,
                         file);
            status = exit_not_there;
            break;
        default:
            explain_unusable(err, file, opened.fd());
            return exit_usage_or_file;
        }
    }
    errno = 0;
    if (std::fflush(out) != 0 || std::ferror(out)) {
        std::fprintf(
            err, "%s: standard output: %s\n", program, std::strerror(errno != 0 ? errno : EIO));
        return exit_usage_or_file;
    }
    return status;
}

} // namespace meanflux
