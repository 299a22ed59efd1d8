#include "driver/command.h"

#include "driver/dialogue.h"
#include "driver/run.h"
#include "record/records.h"
#include "tools/command_line.h"

#include <cerrno>
#include <cstring>
#include <getopt.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace meanflux {

namespace {

constexpr const char* program = "meanflux";

constexpr const char* usage = "usage: meanflux\n"
                              "       meanflux [-C DIR] [-q] YEAR...\n";

constexpr const char* help =
    "usage: meanflux\n"
    "       meanflux [-C DIR] [-q] YEAR...\n"
    "\n"
    "Compute yearly mean-flux files, the daily solar flux means and geomagnetic activity\n"
    "that thermosphere density models take as input.  The file <yyyy>_m.dat of a year is\n"
    "made from the yearly daily index files of the year before, the year and the year\n"
    "after (<yyyy>.dat): for every day its day number, the eight three-hourly Kp, their\n"
    "sum, the daily Ap, the 10.7 cm solar flux observed at the Earth's distance and\n"
    "adjusted to 1 AU, and its Gaussian (J77) and arithmetic (J70) centred means.  Days\n"
    "without observation take no part in the means.\n"
    "\n"
    "Without arguments, meanflux asks for the year on the console and works in the current\n"
    "directory.  With years, it computes each of them in turn from the files in DIR, writes\n"
    "the yearly files there, and says on standard output what it wrote, one line per year\n"
    "(DIR/1980_m.dat: 366 days).  A year that fails is named on standard error and does not\n"
    "stop the others.  A YEAR is four digits, from 1937 to 2099.  A yearly file replaces an\n"
    "existing one only when complete.\n"
    "\n"
    "options:\n"
    "  -C, --directory DIR  where the daily index files are and the yearly files go\n"
    "                       (default: the current directory)\n"
    "  -q, --quiet          no line on standard output for the years written\n"
    "  -h, --help           show this help\n"
    "      --version        show the version\n"
    "\n"
    "exit status: 0 every year written, 1 a year not written (or standard output not\n"
    "writable), 2 usage error\n";

// Report a standard output that cannot be written.  Returns exit_failure.
int fail_output(std::FILE* err, int error_number) noexcept
{
    std::fprintf(err, "%s: standard output: %s\n", program, std::strerror(error_number));
    return exit_failure;
}

} // namespace

int run_years(std::string_view directory, bool quiet, std::span<const int> years, std::FILE* out,
              std::FILE* err)
{
    int status = exit_success;
    int output_error = 0;
    for (const int y : years) {
        const std::string output = mean_flux_file_path(directory, y);
        const year_run computed = run_year(y, directory, output.c_str(), err);
        if (computed.status != exit_success) {
            status = exit_failure;
            continue;
        }
        if (quiet || output_error != 0)
            continue;
        // Each line is out as soon as its year is written, for a script that follows them.
        errno = 0;
        std::fprintf(out,
                     "%s: %d %s\n",
                     output.c_str(),
                     computed.records,
                     computed.records == 1 ? "day" : "days");
        if (std::fflush(out) != 0 || std::ferror(out))
            output_error = errno != 0 ? errno : EIO;
    }
    // A standard output that cannot be written does not stop the years: their files are what
    // was asked for.  It is reported once, at the end.
    if (output_error != 0)
        return fail_output(err, output_error);
    return status;
}

int meanflux_main(int argc, char** argv, std::FILE* in, std::FILE* out, std::FILE* err)
{
    if (argc <= 1)
        return run_meanflux(in, out, err);

    const command_texts texts{program, usage, help};
    const char* directory = "";
    bool quiet = false;
    enum { opt_version = 1000 };
    static const option options[] = {
        {"directory", required_argument, nullptr, 'C'},
        {"quiet", no_argument, nullptr, 'q'},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, opt_version},
        {nullptr, 0, nullptr, 0},
    };
    optind = 0;
    for (int c; (c = getopt_long(argc, argv, "C:qh", options, nullptr)) != -1;) {
        switch (c) {
        case 'C':
            directory = optarg;
            break;
        case 'q':
            quiet = true;
            break;
        case 'h':
            return show_help(out, err, texts) == exit_ok ? exit_success : exit_failure;
        case opt_version:
            return show_version(out, err, program) == exit_ok ? exit_success : exit_failure;
        default:
            std::fputs(usage, err);
            return exit_usage;
        }
    }
    if (optind >= argc) {
        std::fprintf(err, "%s: no year\n%s", program, usage);
        return exit_usage;
    }
    std::vector<int> years;
    for (int i = optind; i < argc; ++i) {
        int y = 0;
        if (!parse_run_year(argv[i], y)) {
            std::fprintf(err,
                         "%s: %s: not a year from %d to %d\n%s",
                         program,
                         argv[i],
                         first_run_year,
                         last_run_year,
                         usage);
            return exit_usage;
        }
        years.push_back(y);
    }
    // The directory is looked at first: a name that is not one fails every year alike.
    struct stat place {};
    if (directory[0] != '\0') {
        if (::stat(directory, &place) != 0) {
            std::fprintf(err, "%s: %s: %s\n", program, directory, std::strerror(errno));
            return exit_usage;
        }
        if (!S_ISDIR(place.st_mode)) {
            std::fprintf(err, "%s: %s: %s\n", program, directory, std::strerror(ENOTDIR));
            return exit_usage;
        }
    }
    return run_years(directory, quiet, years, out, err);
}

} // namespace meanflux
