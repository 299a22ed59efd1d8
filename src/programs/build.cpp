// meanflux-build: from a source of daily indices (GFZ Potsdam's file, CelesTrak's SW-All.csv or
// a directory of yearly daily index files) to the combined mean-flux file in one command.
#include "cli/command.h"
#include "cli/reports.h"
#include "io/file_set.h"
#include "io/output_file.h"
#include "record/combined_file.h"
#include "record/format.h"
#include "sources/years.h"
#include "yearly/year_block.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <malloc.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace meanflux {

namespace {

constexpr const char* program = "meanflux-build";

enum : int { opt_yearly = 1000, opt_from, opt_to, opt_predictions };

constexpr option_spec option_table[] = {
    {'o', "output", "FILE", "the combined file (default: mean_flux.dat); - for standard\noutput"},
    {opt_yearly,
     "yearly",
     "DIR",
     "also write each year's <yyyy>_m.dat into DIR (created if\nmissing)"},
    {opt_from,
     "from",
     "YEAR",
     "the first year (default: the first whose preceding year the\nsource holds, 1950 at the "
     "earliest)"},
    {opt_to, "to", "YEAR", "the last year (default: the last the source holds)"},
    {opt_predictions,
     "predictions",
     nullptr,
     "also take CelesTrak's daily predictions (PRD) as days with\n"
     "flux qualifier 2, as meanflux-import --predictions writes\n"
     "them: the combined file ends with the last predicted day and\n"
     "its header line adds the last observed day number\n"
     "(\"0292227919 27874\"); a GFZ file or a directory holds none"},
};

constexpr command_spec command{
    program,
    "meanflux-build [-o FILE|-] [--yearly DIR] [--from YEAR] [--to YEAR] [--predictions] SOURCE",
    "Make the combined mean-flux data file, which read_mean_flux and meanflux-lookup\n"
    "read, from a source of daily indices in one command.  SOURCE is one of:\n"
    "  - GFZ Potsdam's Kp_ap_Ap_SN_F107_since_1932.txt (or an excerpt of it);\n"
    "  - CelesTrak's SW-All.csv (its observed days; its daily predictions, which must\n"
    "    come after the last observed day, are left out unless --predictions is given);\n"
    "  - a directory of yearly daily index files <yyyy>.dat.\n"
    "Every record is the one meanflux writes for its year from the daily index files\n"
    "that meanflux-import writes from the same source: each year is computed in its\n"
    "own window of the year before, the year and the year after.\n"
    "\n"
    "The source's last year is usually incomplete: its records are the days the source\n"
    "holds, and the year after it counts as an empty file, so that days without data\n"
    "take no part in the means.  A warning names the last day whose averaging windows\n"
    "are complete (210 days before the last day of data).  A directory's data end with\n"
    "its last file: a year missing before a later year's file is refused.\n"
    "\n"
    "The whole source is read and every year computed before anything is written; then\n"
    "every output is written in full under a temporary name before any takes its name.\n"
    "No output may be the source, one of the files read, or another output.\n",
    option_table,
    "Years run from 1937 to 2099, as for meanflux.  The combined file holds day numbers\n"
    "from 0 (1 January 1950) on: years before 1950 go into the yearly files only, and\n"
    "--from before 1950 needs --yearly.\n",
    "0 written, 1 a year needed is not in the source or has no lines,\n"
    "2 usage, source or output error\n"};

// How far the Gaussian window reaches: the means of a day are complete when the source holds
// every day up to this many days after it.
constexpr int window_reach = gauss_half;

struct build_options {
    const char* output = "mean_flux.dat";
    bool output_given = false;
    const char* yearly_dir = nullptr;
    int from = 0, to = 0; // 0: not given
    const char* source = nullptr;
    bool predictions = false; // CelesTrak's daily predictions after the last observed day
};

ending read_options(const command_line& line, build_options& o)
{
    for (const given_option& g : line.options)
        switch (g.id) {
        case 'o':
            o.output = g.argument;
            o.output_given = true;
            break;
        case opt_yearly:
            o.yearly_dir = g.argument;
            break;
        case opt_predictions:
            o.predictions = true;
            break;
        case opt_from:
        case opt_to:
            if (!parse_run_year(g.argument, g.id == opt_from ? o.from : o.to))
                return usage_error(stderr,
                                   command,
                                   std::string(g.id == opt_from ? "--from " : "--to ") +
                                       g.argument + ": not a year from " +
                                       std::to_string(first_run_year) + " to " +
                                       std::to_string(last_run_year));
            break;
        }
    if (line.operands.size() != 1)
        return usage_error(stderr, command, "one SOURCE is needed");
    o.source = line.operands[0];
    if (o.from != 0 && o.to != 0 && o.from > o.to)
        return usage_error(stderr, command, "--from is after --to");
    // Years before 1950 only go into yearly files: asked for without them, they are refused
    // rather than left out unnoticed.
    for (const auto& [name, year] : {std::pair{"--from ", o.from}, std::pair{"--to ", o.to}})
        if (o.yearly_dir == nullptr && year != 0 && year < first_combined_year)
            return usage_error(stderr,
                               command,
                               name + std::to_string(year) +
                                   ": the combined file begins in 1950 at the earliest (day "
                                   "number 0); years before 1950 need --yearly DIR");
    if (o.output_given && o.to != 0 && o.to < first_combined_year)
        return usage_error(stderr, command, "-o: the years built end before 1950");
    return {};
}

// A day number's date as YYYY-MM-DD.
std::string iso_date_of(int day)
{
    return iso_date(date_of_day(day)).data();
}

// The name by which messages speak of the file of a year: a directory's file, or the source.
std::string file_of_year(const build_options& o, const source_years& years, int year)
{
    return years.format == source_format::yearly_files ? daily_file_path(o.source, year)
                                                       : std::string(o.source);
}

// The years a build computes, and what the source holds around them.
struct year_range {
    int from = 0, to = 0;   // the years computed
    int last_of_source = 0; // the source's last year with days; beyond every year when the
                            // source goes on after the years read
    int combined_from = 0;  // the first year of the combined file; 0 for none
};

// Choose the years from the options and what the source holds, and check that each can be
// computed as the yearly run computes it.
ending choose_years(const build_options& o, const source_years& years, year_range& r)
{
    // The source's data end with its last day: an empty file after it adds none.
    int last_with_days = 0;
    for (int year = years.first_held(); year <= years.last_held(); ++year)
        if (years.view().lines_of(year) > 0)
            last_with_days = year;
    if (last_with_days == 0) {
        std::fprintf(stderr, "%s: %s: no day of the years asked for\n", program, o.source);
        return exit_not_there;
    }
    r.last_of_source = years.goes_on ? last_run_year + 2 : last_with_days;
    r.from = o.from != 0 ? o.from : std::max(years.first_held() + 1, first_combined_year);
    r.to = o.to != 0 ? o.to : std::min(last_with_days, last_run_year);
    if (!years.holds(r.from - 1)) {
        std::fprintf(stderr,
                     "%s: %s: no days of %d, the year before %d, which its means need\n",
                     program,
                     o.source,
                     r.from - 1,
                     r.from);
        return exit_not_there;
    }
    if (!years.holds(r.to) || r.from > r.to) {
        std::fprintf(
            stderr, "%s: %s: no days of %d\n", program, o.source, r.from > r.to ? r.from : r.to);
        return exit_not_there;
    }
    r.combined_from = r.to >= first_combined_year ? std::max(r.from, first_combined_year) : 0;
    if (r.combined_from == 0 && o.output_given)
        return usage_error(stderr, command, "-o: the years built end before 1950");

    for (int year = r.from; year <= r.to; ++year) {
        const std::string name = file_of_year(o, years, year);
        const int lines = years.view().lines_of(year);
        if (lines == 0) {
            std::fprintf(stderr, "%s: %s: no lines; nothing written\n", program, name.c_str());
            return exit_not_there;
        }
        // The combined file holds every day from its first to its last.
        if (r.combined_from != 0 && year >= r.combined_from && year < r.to &&
            lines < days_in_year(year)) {
            std::fprintf(stderr,
                         "%s: %s: %d lines for the %d days of %d: the combined file would lack "
                         "the days after them; nothing written\n",
                         program,
                         name.c_str(),
                         lines,
                         days_in_year(year),
                         year);
            return exit_not_there;
        }
    }
    return {};
}

// The warnings that the yearly runs would give, once each.
void warn(const build_options& o, const source_years& years, const year_range& r,
          const std::vector<year_job>& jobs)
{
    const daily_years files = years.view();
    // A directory's file short of days, before the source's last year, which is short by
    // nature: the warning about where the data end says what that means for it.
    if (years.format == source_format::yearly_files)
        for (int year = r.from - 1; year <= r.to + 1; ++year) {
            const int lines = files.lines_of(year);
            if (years.holds(year) && year < r.last_of_source && lines != days_in_year(year))
                warn_line_count(stderr, program, daily_file_path(o.source, year), lines, year);
        }
    if (r.to + 1 >= r.last_of_source) {
        // The last day of data that the windows of the last year reach: in the year after it
        // when the source goes on into that year.
        const auto last_line_of = [&](int year) {
            return day_number(1, 1, year) + files.lines_of(year) - 1;
        };
        const int last_data =
            files.lines_of(r.to + 1) > 0 ? last_line_of(r.to + 1) : last_line_of(r.to);
        if (last_data - window_reach < last_line_of(r.to) && years.predicted_from > 0 &&
            years.predicted_from <= last_data)
            std::fprintf(stderr,
                         "%s: warning: %s: the observations end on %s and the predictions on "
                         "%s; %s is the last day whose averaging windows are complete, the "
                         "means of the days after it are one-sided\n",
                         program,
                         o.source,
                         iso_date_of(years.predicted_from - 1).c_str(),
                         iso_date_of(last_data).c_str(),
                         iso_date_of(last_data - window_reach).c_str());
        else if (last_data - window_reach < last_line_of(r.to))
            std::fprintf(stderr,
                         "%s: warning: %s: the data end on %s; %s is the last day whose averaging "
                         "windows are complete, the means of the days after it are one-sided\n",
                         program,
                         o.source,
                         iso_date_of(last_data).c_str(),
                         iso_date_of(last_data - window_reach).c_str());
    }
    for (const year_job& job : jobs)
        if (job.result.undefined_days > 0)
            warn_undefined_days(
                stderr, program, std::to_string(job.year), job.result.undefined_days);
}

// One output to write: a yearly file or the combined file.
struct output_plan {
    std::string path;
    std::string_view bytes;
    int days = 0;
};

// The outputs that the block holds: each year's yearly file with --yearly, then the combined
// file.
std::vector<output_plan> outputs_of(const build_options& o, const source_years& years,
                                    year_block& block)
{
    std::vector<output_plan> outputs;
    if (o.yearly_dir != nullptr)
        for (const year_job& job : block.jobs)
            outputs.push_back({mean_flux_file_path(o.yearly_dir, job.year),
                               std::string_view(job.records.data(), job.records.size()),
                               job.result.records});
    if (block.combined_from != 0) {
        int days = 0;
        const std::string_view combined = combined_file_of(block, days, years.predicted_from - 1);
        outputs.push_back({o.output, combined, days});
    }
    return outputs;
}

// No output may be read, or be another output.
ending refuse_overlaps(const build_options& o, const source_years& years,
                       const std::vector<output_plan>& outputs)
{
    std::vector<std::string> inputs, written;
    if (years.format == source_format::yearly_files)
        for (int year = years.first_held(); year <= years.last_held(); ++year)
            inputs.push_back(daily_file_path(o.source, year));
    else
        inputs.emplace_back(o.source);
    for (const output_plan& p : outputs)
        written.push_back(p.path);
    return refuse_same_files(stderr, program, inputs, written);
}

// Write the outputs into the yearly directory (made if missing) and the combined file, all or
// nothing.
ending write_all(const build_options& o, const std::vector<output_plan>& outputs)
{
    // A directory made here goes again, on a signal too, unless a file takes its name in it.
    output_directory yearly;
    if (o.yearly_dir != nullptr)
        if (const int error_number = yearly.make(o.yearly_dir); error_number != 0) {
            std::fprintf(stderr,
                         "%s: %s: cannot create the directory: %s; nothing written\n",
                         program,
                         o.yearly_dir,
                         std::strerror(error_number));
            return exit_usage_or_file;
        }
    std::vector<file_to_write> files;
    for (const output_plan& p : outputs)
        files.push_back({p.path.c_str(), {}, p.bytes});
    const file_set_result written = write_files_together(files);
    if (written.status == file_set_status::written) {
        yearly.keep();
        return {};
    }
    report_file_set_failure(stderr, program, files, written);
    return exit_usage_or_file;
}

// The summary, a line for each file written, unless standard output holds the combined file.
int summarise(const build_options& o, const year_range& r, const std::vector<output_plan>& outputs)
{
    if (r.combined_from != 0 && std::strcmp(o.output, "-") == 0)
        return exit_ok;
    for (const output_plan& p : outputs) {
        if (r.combined_from != 0 && &p == &outputs.back()) {
            const int first_day = day_number(1, 1, r.combined_from);
            std::fprintf(stdout,
                         "%s: %d days, %s to %s\n",
                         p.path.c_str(),
                         p.days,
                         iso_date_of(first_day).c_str(),
                         iso_date_of(first_day + p.days - 1).c_str());
        } else {
            std::fprintf(stdout, "%s: %d days\n", p.path.c_str(), p.days);
        }
    }
    return output_reached(stdout, stderr, program, "the files were written") ? exit_ok
                                                                             : exit_usage_or_file;
}

int processor_count() noexcept
{
    const long n = ::sysconf(_SC_NPROCESSORS_ONLN);
    return n > 0 ? static_cast<int>(std::min(n, 64L)) : 1;
}

// Refuse --predictions for a source that holds none.
int no_predictions(const build_options& o)
{
    std::fprintf(stderr, "%s: %s: holds no predictions\n", program, o.source);
    return exit_usage_or_file;
}

// The program, once its command line is read.
int build(const command_line& line)
{
    // Memory that is given back stays with the process for the next allocation: every page the
    // kernel hands out afresh costs far more than the work done in it.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);

    build_options o;
    if (const ending end = read_options(line, o))
        return *end;
    // The source: of a directory only the files of the years that can be needed are read.
    const year_span wanted{o.from != 0 ? o.from - 1 : first_combined_year - 1,
                           o.to != 0 ? o.to + 1 : last_daily_file_year};
    source_years years;
    source_problem problem;
    struct stat file {};
    if (o.predictions && ::stat(o.source, &file) == 0 && S_ISDIR(file.st_mode))
        return no_predictions(o);
    if (const source_status status = read_source_years(
            o.source, wanted, wanted, missing_years::end_data, years, problem, o.predictions);
        status != source_status::read) {
        report_source_problem(stderr, program, o.source, status, problem);
        // A year's file missing from a directory is data not there; anything else a file error.
        const bool year_missing = status == source_status::bad_year_file &&
                                  problem.daily.status == daily_status::cannot_open &&
                                  problem.daily.error_number == ENOENT;
        return year_missing ? exit_not_there : exit_usage_or_file;
    }
    if (o.predictions && years.format != source_format::celestrak)
        return no_predictions(o);
    year_range r;
    if (const ending end = choose_years(o, years, r))
        return *end;

    // Every year computed, on every core.
    year_block block;
    compute_year_block(years.view(), r.from, r.to, r.combined_from, processor_count(), block);
    for (const year_job& job : block.jobs)
        if (job.result.status != year_status::written ||
            static_cast<std::size_t>(job.result.bytes) != job.records.size()) {
            std::fprintf(stderr,
                         "%s: %s: %d, day %d: a value does not fit its five columns; nothing "
                         "written\n",
                         program,
                         file_of_year(o, years, job.year).c_str(),
                         job.year,
                         job.result.day + 1);
            return exit_usage_or_file;
        }
    const std::vector<output_plan> outputs = outputs_of(o, years, block);
    if (const ending end = refuse_overlaps(o, years, outputs))
        return *end;
    warn(o, years, r, block.jobs);
    if (const ending end = write_all(o, outputs))
        return *end;
    return summarise(o, r, outputs);
}

} // namespace

} // namespace meanflux

int main(int argc, char** argv)
{
    return meanflux::run_program(argc, argv, meanflux::command, meanflux::build);
}
