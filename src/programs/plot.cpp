// meanflux-plot: a yearly or combined mean-flux file drawn as an SVG chart.
#include "cli/command.h"
#include "cli/reports.h"
#include "io/whole_file.h"
#include "plot/chart.h"
#include "plot/chart_days.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace meanflux {

namespace {

constexpr const char* program = "meanflux-plot";

enum : int { opt_from = 'f', opt_to = 't' };

constexpr option_definition option_table[] = {
    {'o', "output", "OUTPUT.svg", "the chart to write"},
    {'d',
     "daily-index",
     "DIR",
     "the directory of the yearly daily index files <yyyy>.dat of\n"
     "the years drawn: a day whose flux qualifier (column 71) is 3\n"
     "there, or whose flux field holds no number, had no\n"
     "observation; the observed flux then has a gap, and a marker\n"
     "shows the value filled in from the J77 mean.  A day that its\n"
     "file has no line for is not marked, and a warning says how\n"
     "many there are.  Without -d no day is marked."},
    {1000 + opt_from, "from", "YYYY-MM-DD", "draw the days from this date on"},
    {1000 + opt_to, "to", "YYYY-MM-DD", "draw the days up to this date"},
};

constexpr command_definition command{
    program,
    "meanflux-plot [-d DIR] [--from YYYY-MM-DD] [--to YYYY-MM-DD] -o OUTPUT.svg FILE",
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
    "highest Ap and the highest Kp of its days.\n",
    option_table,
    "",
    "0 written, 1 the file holds no record (in the period asked for),\n"
    "2 usage or file error\n"};

// The options of a run.
struct plot_options {
    const char* input = nullptr;
    const char* output = nullptr;
    const char* index_dir = nullptr;
    int from = std::numeric_limits<int>::min(); // first and last day number drawn: all of them
    int to = std::numeric_limits<int>::max();   // unless given
};

// Why a date of --from or --to is refused: a date that does not exist is named as such, since
// its form was right.
std::string date_refusal(const char* option, std::string_view text)
{
    const std::string written(text);
    std::string problem = text.size() == 10 ? period_problem(text) : "";
    if (problem.empty())
        return std::string(option) + " " + written + ": not a date of the form YYYY-MM-DD";
    if (problem.rfind(written + ":", 0) != 0)
        problem = written + ": " + problem;
    return std::string(option) + " " + problem;
}

std::string iso_text(int day)
{
    return iso_date(date_of_day(day)).data();
}

// Read the options and the file's name.
ending read_options(const command_line& line, plot_options& options)
{
    for (const given_option& o : line.options) {
        calendar_date date{};
        switch (o.id) {
        case 'o':
            options.output = o.argument;
            break;
        case 'd':
            options.index_dir = o.argument;
            break;
        default: // --from, --to
            if (!parse_iso_date(o.argument, date))
                return usage_error(
                    stderr,
                    command,
                    date_refusal(o.id == 1000 + opt_from ? "--from" : "--to", o.argument));
            (o.id == 1000 + opt_from ? options.from : options.to) = day_number_of(date);
            break;
        }
    }
    if (options.output == nullptr)
        return usage_error(stderr, command, "no output file: name the chart with -o OUTPUT.svg");
    if (line.operands.size() != 1)
        return usage_error(stderr,
                           command,
                           line.operands.empty() ? "no input file: name the mean-flux file to draw"
                                                 : "one input file is needed, not " +
                                                       std::to_string(line.operands.size()));
    options.input = line.operands[0];
    if (options.from > options.to)
        return usage_error(stderr,
                           command,
                           "--from " + iso_text(options.from) + " is after --to " +
                               iso_text(options.to));
    return {};
}

// The files a chart reads: the mean-flux file, and the daily index file of each year drawn.
std::vector<std::string> inputs_of(const plot_options& options, const chart_source& source,
                                   const std::vector<chart_day>& days)
{
    std::vector<std::string> inputs{options.input};
    if (options.index_dir != nullptr)
        for (const chart_day& d : days) {
            const std::string file = daily_file_path(source.index_dir, date_of_day(d.day).year);
            if (inputs.back() != file)
                inputs.push_back(file);
        }
    return inputs;
}

// The program, once its command line is read.
int draw_chart(const command_line& line)
{
    plot_options options;
    if (const ending end = read_options(line, options))
        return *end;
    const char* input = options.input;
    std::FILE* const err = stderr;
    std::string bytes;
    // A combined file holds a header line and at most 100000 records (day numbers 0 to 99999);
    // a yearly file before 1950 has records one character longer.
    constexpr std::size_t max_input_bytes = 4096 + 100000 * 50;
    const whole_file_result read = read_whole_file(input, max_input_bytes, bytes);
    if (read.status != whole_file_status::read) {
        report_read_failure(err, program, input, read, max_input_bytes, "a mean-flux file");
        return exit_usage_or_file;
    }
    std::vector<chart_day> days;
    long bad_line = 0;
    if (!read_chart_days(bytes, days, bad_line)) {
        std::fprintf(err,
                     "%s: %s: line %ld is not a mean-flux record: a yearly <yyyy>_m.dat or a "
                     "combined mean-flux file is drawn\n",
                     program,
                     input,
                     bad_line);
        return exit_usage_or_file;
    }
    mark_predicted_days(bytes, days);
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
    const int file_first = days.front().day, file_last = days.back().day;
    std::erase_if(days,
                  [&](const chart_day& d) { return d.day < options.from || d.day > options.to; });
    if (days.empty()) {
        const std::string period = options.from == plot_options{}.from
                                       ? "up to " + iso_text(options.to)
                                   : options.to == plot_options{}.to
                                       ? "from " + iso_text(options.from) + " on"
                                       : iso_text(options.from) + " to " + iso_text(options.to);
        std::fprintf(err,
                     "%s: %s: no record in the period asked for (%s); its records run from %s to "
                     "%s\n",
                     program,
                     input,
                     period.c_str(),
                     iso_text(file_first).c_str(),
                     iso_text(file_last).c_str());
        return exit_not_there;
    }
    chart_source source{input, ""};
    if (options.index_dir != nullptr)
        source.index_dir = *options.index_dir != '\0' ? options.index_dir : ".";
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
    if (const ending end =
            refuse_same_files(err, program, inputs_of(options, source, days), {{options.output}}))
        return *end;
    const whole_write_result written = write_output_file(options.output, chart_svg(days, source));
    if (written.status != whole_write_status::written) {
        report_write_failure(err, program, options.output, written);
        return exit_usage_or_file;
    }
    return exit_ok;
}

} // namespace

} // namespace meanflux

int main(int argc, char** argv)
{
    return meanflux::run_program(argc, argv, meanflux::command, meanflux::draw_chart);
}
