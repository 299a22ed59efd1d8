// meanflux: the yearly mean-flux file of a year, the daily solar flux means and geomagnetic
// activity that thermosphere density models take as input.  Without arguments it asks for the
// year on the console; with years on the command line it computes each of them.
#include "cli/command.h"
#include "cli/reports.h"
#include "daily/daily_year.h"
#include "io/whole_file.h"
#include "programs/meanflux_dialogue.h"
#include "record/format.h"
#include "sources/years.h"
#include "yearly/pipeline.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace meanflux {

namespace {

constexpr const char* program = "meanflux";

constexpr option_definition option_table[] = {
    {'C', "directory", "DIR", "where the daily index files are (default: the current\ndirectory)"},
    {'d',
     "destination",
     "DIR",
     "where the yearly files go (default: where the daily index\nfiles are)"},
    {'q', "quiet", nullptr, "no line on standard output for the years written"},
};

constexpr command_definition command{
    program,
    "meanflux\n"
    "       meanflux [-C DIR] [-d DIR] [-q] YEAR...",
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
    "the yearly files there (or into the directory of -d), and says on standard output what\n"
    "it wrote, one line per year (DIR/1980_m.dat: 366 days).  A year that fails is named on\n"
    "standard error and does not stop the others.  A YEAR is four digits, from 1937 to 2099.\n"
    "A yearly file replaces an existing one only when complete, and never one of the files\n"
    "it is made from.\n",
    option_table,
    "",
    "0 every year written, 1 a year's daily index file missing or without\n"
    "lines, 2 usage or file error (a file that cannot be read or written, standard output\n"
    "not writable)\n"};

// What a year's computation works in, owned by the run to its end: a page of memory the run need
// not touch is time saved, so none of it is filled before it is written.
struct run_data {
    year_tables tables;
    daily_series series;
    year_records records;
};

struct year_run {
    int status;  // exit_ok when the yearly file was written
    int records; // records written: one for each line of the given year's file
};

// Compute year y from the daily index files of y - 1, y and y + 1 in `input`, into its yearly
// file `output`: everything the run does after the dialogue but its closing message.  On
// failure nothing is written and an existing yearly file is kept.
year_run run_year(int y, std::string_view input, const std::string& output, std::FILE* err)
{
    const std::string inputs[] = {
        daily_file_path(input, y - 1), daily_file_path(input, y), daily_file_path(input, y + 1)};
    if (const ending refused = refuse_same_files(err, program, inputs, {&output, 1}))
        return {*refused, 0};

    // Each file is read once; everything written comes from that reading.
    const std::string dir(input);
    source_years years;
    source_problem problem;
    const source_status read = read_directory_years(
        dir.c_str(), {y - 1, y + 1}, {y, y}, missing_years::refused, years, problem);
    if (read != source_status::read) {
        report_source_problem(err, program, dir.c_str(), read, problem);
        const bool missing = problem.daily.status == daily_status::cannot_open &&
                             problem.daily.error_number == ENOENT;
        return {missing ? exit_not_there : exit_usage_or_file, 0};
    }
    if (years.view().line_count(y) == 0) {
        std::fprintf(
            err, "%s: %s: no lines; %s not written\n", program, inputs[1].c_str(), output.c_str());
        return {exit_not_there, 0};
    }
    // A file with fewer lines than its year has days lacks the days after its last line; the
    // run goes on without them, but the user is told.
    for (int year = y - 1; year <= y + 1; ++year)
        if (const int lines = years.view().line_count(year); lines != days_in_year(year))
            warn_line_count(err, program, inputs[year - y + 1], lines, year);

    static run_data run; // the run's one computation: kept off the stack
    init_year_tables(run.tables);
    year_result result;
    if (compute_year(y, years.view(), run.tables, run.series, run.records, result) !=
        year_status::written) {
        std::fprintf(err,
                     "%s: %s: line %d: a value does not fit its five columns; %s not written\n",
                     program,
                     inputs[1].c_str(),
                     result.day + 1,
                     output.c_str());
        return {exit_usage_or_file, 0};
    }
    const whole_write_result written = write_output_file(
        output.c_str(),
        std::string_view(run.records.data(), static_cast<std::size_t>(result.bytes)));
    if (written.status != whole_write_status::written) {
        report_write_failure(err, program, output.c_str(), written);
        return {exit_usage_or_file, 0};
    }
    if (result.undefined_days > 0)
        warn_undefined_days(err, program, output, result.undefined_days);
    return {exit_ok, result.records};
}

// The console run: banner, year, file names, the year's computation and the closing message.
// Exit status 0 when the run reached its end, 1 otherwise.
int run_dialogue(std::FILE* in, std::FILE* out, std::FILE* err)
{
    constexpr int failure = 1;
    year_files files;
    print_banner(out);
    errno = 0;
    const dialogue_status asked = ask_year(in, out, files);
    switch (asked) {
    case dialogue_status::accepted:
        break;
    case dialogue_status::end_of_input:
        std::fprintf(err,
                     "%s: standard input: ended before a year from %d to %d was accepted\n",
                     program,
                     first_run_year,
                     last_run_year);
        return failure;
    case dialogue_status::input_error:
        std::fprintf(err, "%s: standard input: %s\n", program, std::strerror(errno));
        return failure;
    case dialogue_status::output_error:
        report_standard_output(err, program, errno);
        return failure;
    }
    if (run_year(files.i_ano, "", files.ano_mean.data(), err).status != exit_ok)
        return failure;
    std::fputs("\n", out);
    std::fprintf(out, " Output file '%8s' successfully generated\n", files.ano_mean.data());
    return output_reached(out, err, program) ? exit_ok : failure;
}

// Compute the years in turn, a line on `out` for each one written.  A year that fails does not
// stop the others, and neither does a standard output that cannot be written: the files are
// what was asked for, and that failure is reported once, at the end.
int run_years(std::string_view input, std::string_view output, bool quiet,
              const std::vector<int>& years, std::FILE* out, std::FILE* err)
{
    int status = exit_ok;
    bool out_failed = false;
    for (const int y : years) {
        const std::string file = mean_flux_file_path(output, y);
        const year_run computed = run_year(y, input, file, err);
        status = std::max(status, computed.status);
        if (computed.status != exit_ok || quiet || out_failed)
            continue;
        // Each line is out as soon as its year is written, for a script that follows them.
        std::fprintf(out,
                     "%s: %d %s\n",
                     file.c_str(),
                     computed.records,
                     computed.records == 1 ? "day" : "days");
        errno = 0;
        out_failed = std::fflush(out) != 0 || std::ferror(out);
        if (out_failed)
            report_standard_output(err, program, errno != 0 ? errno : EIO);
    }
    return out_failed ? exit_usage_or_file : status;
}

// A directory given with -C or -d (`option`): it must be one, before the first year is computed.
ending check_directory(const char* option, const char* directory, std::FILE* err)
{
    struct stat place {};
    errno = 0;
    const int error_number = ::stat(directory, &place) != 0 ? errno
                             : !S_ISDIR(place.st_mode)      ? ENOTDIR
                                                            : 0;
    if (error_number == 0)
        return {};
    std::fprintf(err, "%s: %s %s: %s\n", program, option, directory, std::strerror(error_number));
    return exit_usage_or_file;
}

// The program: the dialogue without arguments, the years given with them.
int meanflux_main(const command_line& line)
{
    if (line.options.empty() && line.operands.empty())
        return run_dialogue(stdin, stdout, stderr);
    const char* input = "";
    const char* output = nullptr;
    bool quiet = false;
    for (const given_option& o : line.options)
        switch (o.id) {
        case 'C':
            input = o.argument;
            break;
        case 'd':
            output = o.argument;
            break;
        case 'q':
            quiet = true;
            break;
        }
    if (line.operands.empty())
        return usage_error(stderr,
                           command,
                           "no YEAR: give years from " + std::to_string(first_run_year) + " to " +
                               std::to_string(last_run_year) +
                               ", or no argument for the console dialogue");
    // Every year is checked, and every directory looked at, before the first year is computed:
    // a usage error leaves every file as it was.
    std::vector<int> years;
    for (const char* operand : line.operands) {
        int y = 0;
        if (!parse_run_year(operand, y))
            return usage_error(stderr,
                               command,
                               std::string(operand) + ": not a year from " +
                                   std::to_string(first_run_year) + " to " +
                                   std::to_string(last_run_year));
        years.push_back(y);
    }
    for (const auto& [option, directory] : {std::pair{"-C", input}, std::pair{"-d", output}})
        if (directory != nullptr && *directory != '\0')
            if (const ending end = check_directory(option, directory, stderr))
                return *end;
    return run_years(input, output != nullptr ? output : input, quiet, years, stdout, stderr);
}

} // namespace

} // namespace meanflux

int main(int argc, char** argv)
{
    return meanflux::run_program(argc, argv, meanflux::command, meanflux::meanflux_main);
}
