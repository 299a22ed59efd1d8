// meanflux-import: a published file of daily indices (GFZ Potsdam's Kp_ap_Ap_SN_F107 file or
// CelesTrak's SW-All.csv) turned into yearly daily index files <yyyy>.dat.
#include "cli/command.h"
#include "cli/reports.h"
#include "daily/daily_line.h"
#include "daily/daily_year.h"
#include "io/output_file.h"
#include "sources/source.h"
#include "text/numbers.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace meanflux {

namespace {

constexpr const char* program = "meanflux-import";

enum : int { opt_from = 1000, opt_to, opt_predictions };

constexpr option_definition option_table[] = {
    {'d',
     "directory",
     "DIR",
     "where to write the files, created if missing (default: the\ncurrent directory)"},
    {opt_from, "from", "YEAR", "the first year to write (default: the first in the file)"},
    {opt_to, "to", "YEAR", "the last year to write (default: the last in the file)"},
    {opt_predictions,
     "predictions",
     nullptr,
     "also write CelesTrak's daily predictions (PRD), with flux\nqualifier 2; the summary says "
     "how many days of each file\nare predicted"},
};

constexpr command_definition command{
    program,
    "meanflux-import [-d DIR] [--from YEAR] [--to YEAR] [--predictions] FILE",
    "Turn a published file of daily geomagnetic and solar indices into yearly daily\n"
    "index files <yyyy>.dat, the input of meanflux.  Two formats are read, told apart by\n"
    "their first line:\n"
    "  - GFZ Potsdam's Kp_ap_Ap_SN_F107_since_1932.txt (its nowcast file, or an excerpt\n"
    "    of the same layout): header lines starting with #, then one line per day;\n"
    "  - CelesTrak's SW-All.csv: the header row DATE,BSRN,ND,KP1,..., then one row per\n"
    "    day, its columns found by their names.\n"
    "The flux written is F10.7 adjusted to 1 AU; a day without an observed flux\n"
    "(CelesTrak's interpolated days among them) gets 0.0 and qualifier 3.  CelesTrak's\n"
    "daily predictions are left out unless --predictions is given (a prediction\n"
    "followed by an observed or interpolated day is refused); its monthly\n"
    "predictions never go in.  A file begins on 1 January: when the source begins\n"
    "within a year, the days before its first are written as days without data; the\n"
    "last year ends with the source's last day.  The whole file is checked before\n"
    "anything is written: on any fault no file is written or replaced.\n",
    option_table,
    "",
    "0 written, 1 no day of the years asked for, 2 usage, file or line error\n"};

// One yearly daily index file to write: a stretch of the source's days.
struct year_file {
    int year = 0;
    std::size_t first = 0;     // its first day in the source
    std::size_t count = 0;     // its days
    std::size_t predicted = 0; // how many of them are predictions
    std::string before;        // lines of the days of the year before the source's first day
    std::string path;
};

// Split the days [0, end) of the years from `from` to `to` into one file per year.
std::vector<year_file> files_by_year(const source_days& source, std::size_t end, int from, int to,
                                     const std::string& directory)
{
    std::vector<year_file> files;
    for (std::size_t i = 0; i < end; ++i) {
        const source_day& day = source.days[i];
        if (day.year < from || day.year > to)
            continue;
        if (files.empty() || files.back().year != day.year) {
            year_file f;
            f.year = day.year;
            f.first = i;
            f.path = daily_file_path(directory, day.year);
            if (i == 0)
                f.before = lines_before(day);
            files.push_back(std::move(f));
        }
        ++files.back().count;
        files.back().predicted += day.predicted ? 1 : 0;
    }
    return files;
}

// The summary: a line for each file written.
void summarise(const source_days& source, const std::vector<year_file>& files, bool predictions)
{
    for (const year_file& f : files) {
        std::fprintf(stdout, "%s: %zu days", f.path.c_str(), f.count);
        if (predictions)
            std::fprintf(stdout, ", %zu predicted", f.predicted);
        if (!f.before.empty()) {
            const source_day& first = source.days[f.first];
            std::fprintf(stdout,
                         " from %s; the %zu days before them without data",
                         iso_date({first.year, first.month, first.day}).data(),
                         f.before.size() / (daily_line_length + 1));
        }
        std::fputc('\n', stdout);
    }
}

// No day of the years from `from` to `to` among the days [0, end) of the source: the years asked
// for, and the days the source holds, or that it holds none.
void report_no_day(const source_days& source, std::size_t end, int from, int to, const char* input)
{
    std::fprintf(stderr, "%s: %s: ", program, input);
    if (end == 0) {
        std::fputs(source.days.empty() ? "holds no day\n"
                                       : "holds no observed day; its predictions are written "
                                         "with --predictions\n",
                   stderr);
        return;
    }
    const source_day& first = source.days.front();
    const source_day& last = source.days[end - 1];
    if (from == to)
        std::fprintf(stderr, "no day of %d", from);
    else
        std::fprintf(stderr, "no day of %d to %d", from, to);
    std::fprintf(stderr,
                 "; its days run from %s to %s\n",
                 iso_date({first.year, first.month, first.day}).data(),
                 iso_date({last.year, last.month, last.day}).data());
}

// The program, once its command line is read.
int import_files(const command_line& line)
{
    std::string directory;
    int from = 1, to = 9999;
    bool predictions = false;
    for (const given_option& o : line.options) {
        int year = 0;
        switch (o.id) {
        case 'd':
            directory = o.argument;
            break;
        case opt_from:
        case opt_to:
            if (!parse_whole_number(o.argument, year) || year < 1 || year > 9999)
                return usage_error(stderr,
                                   command,
                                   std::string(o.id == opt_from ? "--from " : "--to ") +
                                       o.argument + ": not a year from 1 to 9999");
            (o.id == opt_from ? from : to) = year;
            break;
        case opt_predictions:
            predictions = true;
            break;
        }
    }
    if (line.operands.empty())
        return usage_error(stderr,
                           command,
                           "no FILE: name GFZ Potsdam's Kp_ap_Ap_SN_F107 file or CelesTrak's "
                           "SW-All.csv");
    if (line.operands.size() > 1)
        return usage_error(stderr,
                           command,
                           std::to_string(line.operands.size()) +
                               " FILEs given: one is imported at a time");
    if (from > to)
        return usage_error(stderr,
                           command,
                           "--from " + std::to_string(from) + " is after --to " +
                               std::to_string(to));
    const char* input = line.operands[0];

    // The whole source is read and checked before anything is written.
    source_days source;
    source_problem problem;
    if (const source_status status = read_source_file(input, source, problem);
        status != source_status::read) {
        report_source_problem(stderr, program, input, status, problem);
        return exit_usage_or_file;
    }
    const std::size_t end = predictions ? source.days.size() : days_before_predictions(source);
    std::vector<year_file> files = files_by_year(source, end, from, to, directory);
    if (files.empty()) {
        report_no_day(source, end, from, to, input);
        return exit_not_there;
    }
    std::vector<std::string> outputs;
    for (const year_file& f : files)
        outputs.push_back(f.path);
    if (const ending refused = refuse_same_files(stderr, program, {{input}}, outputs))
        return *refused;

    // A directory made here goes again, on a signal too, unless a file takes its name in it.
    output_directory made;
    if (const int error_number = directory.empty() ? 0 : made.make(directory.c_str());
        error_number != 0) {
        std::fprintf(stderr,
                     "%s: %s: cannot create the directory: %s\n",
                     program,
                     directory.c_str(),
                     std::strerror(error_number));
        return exit_usage_or_file;
    }
    // Every file is written in full under its temporary name before any takes its name.
    std::vector<file_to_write> set;
    set.reserve(files.size());
    for (const year_file& f : files)
        set.push_back({f.path.c_str(), f.before, lines_of(source, f.first, f.count)});
    if (const file_set_result written = write_files_together(set);
        written.status != file_set_status::written) {
        report_file_set_failure(stderr, program, set, written);
        return exit_usage_or_file;
    }
    made.keep();

    summarise(source, files, predictions);
    return output_reached(stdout, stderr, program, "the files were written") ? exit_ok
                                                                             : exit_usage_or_file;
}

} // namespace

} // namespace meanflux

int main(int argc, char** argv)
{
    return meanflux::run_program(argc, argv, meanflux::command, meanflux::import_files);
}
