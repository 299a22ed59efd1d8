#include "tools/import.h"

#include "daily/daily_line.h"
#include "daily/daily_year.h"
#include "io/output_file.h"
#include "sources/source.h"
#include "tools/command_line.h"

#include <cerrno>
#include <cstring>
#include <getopt.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace meanflux {

namespace {

constexpr const char* program = "meanflux-import";

constexpr const char* usage =
    "usage: meanflux-import [-d DIR] [--from YEAR] [--to YEAR] [--predictions] FILE\n";

constexpr const char* help =
    "usage: meanflux-import [-d DIR] [--from YEAR] [--to YEAR] [--predictions] FILE\n"
    "\n"
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
    "anything is written: on any fault no file is written or replaced.\n"
    "\n"
    "options:\n"
    "  -d, --directory DIR  where to write the files, created if missing (default: the\n"
    "                       current directory)\n"
    "      --from YEAR      the first year to write (default: the first in the file)\n"
    "      --to YEAR        the last year to write (default: the last in the file)\n"
    "      --predictions    also write CelesTrak's daily predictions (PRD), with flux\n"
    "                       qualifier 2; the summary says how many days of each file\n"
    "                       are predicted\n"
    "  -h, --help           show this help\n"
    "      --version        show the version\n"
    "\n"
    "exit status: 0 written, 1 no day of the years asked for, 2 usage, file or line error\n";

bool parse_year(const char* text, int& year) noexcept
{
    int y = 0;
    if (!parse_whole_number(text, y) || y < 1 || y > 9999)
        return false;
    year = y;
    return true;
}

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

int report_source_problem(std::FILE* err, const char* input, source_status status,
                          const source_problem& problem)
{
    if (status == source_status::malformed)
        std::fprintf(
            err, "%s: %s: line %ld: %s\n", program, input, problem.line, problem.what.c_str());
    else
        std::fprintf(err, "%s: %s: %s\n", program, input, problem.what.c_str());
    return exit_usage_or_file;
}

} // namespace

int import_main(int argc, char** argv, std::FILE* out, std::FILE* err)
{
    std::string directory;
    int from = 1, to = 9999;
    bool predictions = false;
    enum { opt_from = 1000, opt_to, opt_predictions, opt_version };
    static const option options[] = {
        {"directory", required_argument, nullptr, 'd'},
        {"from", required_argument, nullptr, opt_from},
        {"to", required_argument, nullptr, opt_to},
        {"predictions", no_argument, nullptr, opt_predictions},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, opt_version},
        {nullptr, 0, nullptr, 0},
    };
    optind = 0;
    for (int c; (c = getopt_long(argc, argv, "d:h", options, nullptr)) != -1;) {
        switch (c) {
        case 'd':
            directory = optarg;
            break;
        case opt_from:
        case opt_to:
            if (!parse_year(optarg, c == opt_from ? from : to))
                return usage_error(
                    err, {program, usage, help}, (std::string(optarg) + ": not a year").c_str());
            break;
        case opt_predictions:
            predictions = true;
            break;
        case 'h':
            return show_help(out, err, {program, usage, help});
        case opt_version:
            return show_version(out, err, program);
        default:
            std::fputs(usage, err);
            return exit_usage_or_file;
        }
    }
    if (from > to)
        return usage_error(err, {program, usage, help}, "--from is after --to");
    if (argc - optind != 1)
        return usage_error(err, {program, usage, help}, "one input file is needed");
    const char* input = argv[optind];

    // The whole source is read and checked before anything is written.
    source_days source;
    source_problem problem;
    if (const source_status status = read_source_file(input, source, problem);
        status != source_status::read)
        return report_source_problem(err, input, status, problem);
    const std::size_t end = predictions ? source.days.size() : days_before_predictions(source);
    std::vector<year_file> files = files_by_year(source, end, from, to, directory);
    if (files.empty()) {
        std::fprintf(err, "%s: %s: no day of the years asked for\n", program, input);
        return exit_not_there;
    }

    // No yearly file may be the source itself, through a link or another name.
    std::vector<file_use> uses{{input, false}};
    for (const year_file& f : files)
        uses.push_back({f.path.c_str(), true});
    if (refuse_file_clash(err, program, uses))
        return exit_usage_or_file;

    // A directory made here goes again, on a signal too, unless a file takes its name in it.
    output_directory made;
    if (const int error_number = directory.empty() ? 0 : made.make(directory.c_str());
        error_number != 0) {
        std::fprintf(err,
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
        report_file_set_failure(err, program, set, written);
        return exit_usage_or_file;
    }
    made.keep();

    for (const year_file& f : files) {
        std::fprintf(out, "%s: %zu days", f.path.c_str(), f.count);
        if (predictions)
            std::fprintf(out, ", %zu predicted", f.predicted);
        if (!f.before.empty()) {
            const source_day& first = source.days[f.first];
            std::fprintf(out,
                         " from %s; the %zu days before them without data",
                         iso_date({first.year, first.month, first.day}).data(),
                         f.before.size() / (daily_line_length + 1));
        }
        std::fputc('\n', out);
    }
    errno = 0;
    if (std::fflush(out) != 0 || std::ferror(out)) {
        std::fprintf(err,
                     "%s: standard output: %s (the files were written)\n",
                     program,
                     std::strerror(errno != 0 ? errno : EIO));
        return exit_usage_or_file;
    }
    return exit_ok;
}

} // namespace meanflux
