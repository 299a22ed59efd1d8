#include "tools/plot.h"

#include "cli/reports.h"
#include "io/whole_file.h"
#include "plot/chart.h"
#include "plot/chart_days.h"
#include "tools/command_line.h"

#include <meanflux/calendar.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <getopt.h>
#include <string>
#include <vector>

namespace meanflux {

namespace {

constexpr const char* program = "meanflux-plot";

constexpr const char* usage =
    "usage: meanflux-plot [-d DIR] [--from YYYY-MM-DD] [--to YYYY-MM-DD] -o OUTPUT.svg FILE\n";

constexpr const char* help =
    "usage: meanflux-plot [-d DIR] [--from YYYY-MM-DD] [--to YYYY-MM-DD] -o OUTPUT.svg FILE\n"
    "\n"
    "Draw a yearly (<yyyy>_m.dat) or combined mean-flux file as an SVG chart of two panels on\n"
    "one date axis.  Above: the daily 10.7 cm solar flux observed and adjusted to 1 AU, and its\n"
    "J77 and J70 centred means.  Below: the daily Ap as bars (scale \"Ap\", left) and the eight\n"
    "3-hourly Kp values as a step line (scale \"Kp\", 0 to 9, right); the storm level, Kp 5 or\n"
    "more, is shaded, and where every day has a bar of its own, storm days' Ap bars are red.\n"
    "Values that are not a number leave a gap; a panel without any value says \"no data\".\n"
    "\n"
    "Scales: the flux axis starts at 0 when the data would still fill two thirds of its height\n"
    "(the smallest flux drawn is at most half the difference between the largest and the\n"
    "smallest), and otherwise spans the data; the Ap axis starts at 0.  Ticks are round steps\n"
    "(1, 2 or 5 times a power of ten), at most ten intervals.  Dates are ticked by days,\n"
    "months or years (1, 2, 5, 10 ... years), whichever gives about ten.  A range longer than\n"
    "the drawing's 800 columns is thinned: each column shows the lowest and highest flux, the\n"
    "highest Ap and the highest Kp of its days.\n"
    "\n"
    "options:\n"
    "  -o, --output OUTPUT.svg  the chart to write\n"
    "  -d, --daily-index DIR    the directory of the yearly daily index files <yyyy>.dat of\n"
    "                           the years drawn: a day whose flux qualifier (column 71) is 3\n"
    "                           there, or whose flux field holds no number, had no\n"
    "                           observation; the observed flux then has a gap, and a marker\n"
    "                           shows the value filled in from the J77 mean.  A day that\n"
    "                           its file has no line for is not marked, and a warning says\n"
    "                           how many there are.  Without -d no day is marked.\n"
    "      --from YYYY-MM-DD    draw the days from this date on\n"
    "      --to YYYY-MM-DD      draw the days up to this date\n"
    "  -h, --help               show this help\n"
    "      --version            show the version\n"
    "\n"
    "exit status: 0 written, 1 the file holds no record (in the period asked for),\n"
    "2 usage or file error\n";

// The options of a run.
struct plot_options {
    const char* output = nullptr;
    const char* index_dir = nullptr;
    int from = -2147483647 - 1; // first and last day number drawn
    int to = 2147483647;
};

// Read the options.  Returns -1 to go on with the arguments from optind, otherwise the exit
// status to end with.
int read_options(int argc, char** argv, std::FILE* out, std::FILE* err, plot_options& options)
{
    const command_texts texts{program, usage, help};
    static const option long_options[] = {
        {"output", required_argument, nullptr, 'o'},
        {"daily-index", required_argument, nullptr, 'd'},
        {"from", required_argument, nullptr, 'f'},
        {"to", required_argument, nullptr, 't'},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},
        {nullptr, 0, nullptr, 0},
    };
    optind = 0;
    for (int c; (c = getopt_long(argc, argv, "o:d:h", long_options, nullptr)) != -1;) {
        calendar_date date{};
        switch (c) {
        case 'o':
            options.output = optarg;
            break;
        case 'd':
            options.index_dir = optarg;
            break;
        case 'f':
        case 't':
            if (!parse_iso_date(optarg, date)) {
                const std::string problem = std::string("not a date (YYYY-MM-DD): ") + optarg;
                return usage_error(err, texts, problem.c_str());
            }
            (c == 'f' ? options.from : options.to) = day_number_of(date);
            break;
        case 'h':
            return show_help(out, err, texts);
        case 'V':
            return show_version(out, err, program);
        default:
            std::fputs(usage, err);
            return exit_usage_or_file;
        }
    }
    if (options.output == nullptr)
        return usage_error(err, texts, "no output file (-o)");
    if (argc - optind != 1)
        return usage_error(err, texts, "one input file is needed");
    if (options.from > options.to)
        return usage_error(err, texts, "--from is after --to");
    return -1;
}

} // namespace

int plot_main(int argc, char** argv, std::FILE* out, std::FILE* err)
{
    plot_options options;
    if (const int status = read_options(argc, argv, out, err, options); status >= 0)
        return status;
    const char* input = argv[optind];
    std::string bytes;
    // A combined file holds a header line and at most 100000 records (day numbers 0 to 99999);
    // a yearly file before 1950 has records one character longer.
    constexpr std::size_t max_input_bytes = 4096 + 100000 * 50;
    const whole_file_result read = read_whole_file(input, max_input_bytes, bytes);
    if (read.status == whole_file_status::too_large) {
        std::fprintf(err,
                     "%s: %s: more than %zu bytes, more than a mean-flux file can hold\n",
                     program,
                     input,
                     max_input_bytes);
        return exit_usage_or_file;
    }
    if (read.status != whole_file_status::read) {
        std::fprintf(err, "%s: %s: %s\n", program, input, std::strerror(read.error_number));
        return exit_usage_or_file;
    }
    std::vector<chart_day> days;
    long bad_line = 0;
    if (!read_chart_days(bytes, days, bad_line)) {
        std::fprintf(err, "%s: %s: line %ld is not a mean-flux record\n", program, input, bad_line);
        return exit_usage_or_file;
    }
    bytes = std::string();
    if (days.empty()) {
        std::fprintf(err, "%s: %s: no record to draw\n", program, input);
        return exit_not_there;
    }
    for (std::size_t i = 1; i < days.size(); ++i)
        if (days[i].day <= days[i - 1].day) {
            std::fprintf(err,
                         "%s: %s: records are not in day order (day %d after day %d)\n",
                         program,
                         input,
                         days[i].day,
                         days[i - 1].day);
            return exit_usage_or_file;
        }
    std::erase_if(days,
                  [&](const chart_day& d) { return d.day < options.from || d.day > options.to; });
    if (days.empty()) {
        std::fprintf(err, "%s: %s: no record in the period asked for\n", program, input);
        return exit_not_there;
    }
    chart_source source{input, ""};
    // The chart may not replace the file it draws, nor a daily index file it reads.
    std::vector<std::string> index_files;
    if (options.index_dir != nullptr) {
        source.index_dir = *options.index_dir != '\0' ? options.index_dir : ".";
        for (const chart_day& d : days) {
            const std::string name = daily_file_path(source.index_dir, date_of_day(d.day).year);
            if (index_files.empty() || index_files.back() != name)
                index_files.push_back(name);
        }
    }
    std::vector<file_use> uses{{options.output, true}, {input, false}};
    for (const std::string& name : index_files)
        uses.push_back({name.c_str(), false});
    if (refuse_file_clash(err, program, uses))
        return exit_usage_or_file;
    if (options.index_dir != nullptr) {
        const index_result r = mark_days_without_observation(source.index_dir, days);
        if (r.problem.status != daily_status::read) {
            report_daily_problem(err, program, r.file, r.year, r.problem);
            return exit_usage_or_file;
        }
        for (const uncovered_days& u : r.uncovered)
            std::fprintf(err,
                         "%s: warning: %s: no line for %ld of the days drawn: whether they "
                         "were observed is unknown, they are not marked\n",
                         program,
                         u.file.c_str(),
                         u.days);
    }
    if (const int error_number = write_whole_file(options.output, chart_svg(days, source));
        error_number != 0) {
        std::fprintf(err,
                     "%s: %s: cannot write: %s\n",
                     program,
                     options.output,
                     std::strerror(error_number));
        return exit_usage_or_file;
    }
    return exit_ok;
}

} // namespace meanflux
