#include "tools/build.h"

#include "cli/reports.h"
#include "io/file_clash.h"
#include "io/output_file.h"
#include "record/combined_file.h"
#include "record/records.h"
#include "sources/years.h"
#include "tools/command_line.h"
#include "yearly/pipeline.h"

#include <meanflux/calendar.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <getopt.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace meanflux {

namespace {

constexpr const char* program = "meanflux-build";

constexpr const char* usage =
    "usage: meanflux-build [-o FILE|-] [--yearly DIR] [--from YEAR] [--to YEAR] SOURCE\n";

constexpr const char* help =
    "usage: meanflux-build [-o FILE|-] [--yearly DIR] [--from YEAR] [--to YEAR] SOURCE\n"
    "\n"
    "Make the combined mean-flux data file, which read_mean_flux and meanflux-lookup\n"
    "read, from a source of daily indices in one command.  SOURCE is one of:\n"
    "  - GFZ Potsdam's Kp_ap_Ap_SN_F107_since_1932.txt (or an excerpt of it);\n"
    "  - CelesTrak's SW-All.csv (its observed days; predictions, which must come\n"
    "    after the last observed day, are left out);\n"
    "  - a directory of yearly daily index files <yyyy>.dat.\n"
    "Every record is the one meanflux writes for its year from the daily index files\n"
    "that meanflux-import writes from the same source: each year is computed in its\n"
    "own window of the year before, the year and the year after.\n"
    "\n"
    "The source's last year is usually incomplete: its records are the days the source\n"
    "holds, and the year after it counts as an empty file, so that days without data\n"
    "take no part in the means.  A warning names the last day whose averaging windows\n"
    "are complete (210 days before the last day of data).  A directory's data end only\n"
    "where no later year's file follows: a year needed that is missing before one is a\n"
    "gap, as it is for meanflux.\n"
    "\n"
    "The whole source is read and every year computed before anything is written; then\n"
    "every output is written in full under a temporary name before any takes its name.\n"
    "An output that is the source, a file read, or another output (by its name or a\n"
    "link) is refused before anything is written.\n"
    "\n"
    "options:\n"
    "  -o, --output FILE  the combined file (default: mean_flux.dat); - for standard\n"
    "                     output\n"
    "      --yearly DIR   also write each year's <yyyy>_m.dat into DIR (created if\n"
    "                     missing)\n"
    "      --from YEAR    the first year (default: the first whose preceding year the\n"
    "                     source holds, 1950 at the earliest)\n"
    "      --to YEAR      the last year (default: the last the source holds)\n"
    "  -h, --help         show this help\n"
    "      --version      show the version\n"
    "\n"
    "Years run from 1937 to 2099, as for meanflux.  The combined file holds day numbers\n"
    "from 0 (1 January 1950) on: years before 1950 go into the yearly files only, and\n"
    "--from before 1950 needs --yearly.\n"
    "\n"
    "exit status: 0 written, 1 a year needed is not in the source or has no lines,\n"
    "2 usage, source or output error\n";

constexpr const char* default_output = "mean_flux.dat";

// How far the Gaussian window reaches: the means of a day are complete when the source holds
// every day up to this many days after it.
constexpr int window_reach = gauss_half;

struct build_options {
    const char* output = default_output;
    bool output_given = false;
    const char* yearly_dir = nullptr;
    int from = 0, to = 0; // 0: not given
    const char* source = nullptr;
};

int parse_options(int argc, char** argv, std::FILE* out, std::FILE* err, build_options& o)
{
    const command_texts texts{program, usage, help};
    enum { opt_yearly = 1000, opt_from, opt_to, opt_version };
    static const option options[] = {
        {"output", required_argument, nullptr, 'o'},
        {"yearly", required_argument, nullptr, opt_yearly},
        {"from", required_argument, nullptr, opt_from},
        {"to", required_argument, nullptr, opt_to},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, opt_version},
        {nullptr, 0, nullptr, 0},
    };
    optind = 0;
    for (int c; (c = getopt_long(argc, argv, "o:h", options, nullptr)) != -1;) {
        switch (c) {
        case 'o':
            o.output = optarg;
            o.output_given = true;
            break;
        case opt_yearly:
            o.yearly_dir = optarg;
            break;
        case opt_from:
        case opt_to: {
            int year = 0;
            if (!parse_run_year(optarg, year))
                return usage_error(err,
                                   texts,
                                   (std::string(c == opt_from ? "--from " : "--to ") + optarg +
                                    ": not a year from 1937 to 2099")
                                       .c_str());
            (c == opt_from ? o.from : o.to) = year;
            break;
        }
        case 'h':
            return show_help(out, err, texts);
        case opt_version:
            return show_version(out, err, program);
        default:
            std::fputs(usage, err);
            return exit_usage_or_file;
        }
    }
    if (argc - optind != 1)
        return usage_error(err, texts, "one SOURCE is needed");
    o.source = argv[optind];
    if (o.from != 0 && o.to != 0 && o.from > o.to)
        return usage_error(err, texts, "--from is after --to");
    // Years before 1950 only go into yearly files: asked for without them, they are refused
    // rather than left out unnoticed.
    if (o.yearly_dir == nullptr)
        for (const auto& [name, year] : {std::pair{"--from ", o.from}, std::pair{"--to ", o.to}})
            if (year != 0 && year < first_combined_year) {
                const std::string problem =
                    name + std::to_string(year) +
                    ": the combined file begins in 1950 at the earliest (day number 0); years "
                    "before 1950 need --yearly DIR";
                return usage_error(err, texts, problem.c_str());
            }
    if (o.output_given && o.to != 0 && o.to < first_combined_year)
        return usage_error(err, texts, "-o: the years built end before 1950");
    return -1;
}

// A day number's date as YYYY-MM-DD.
std::string iso_date_of(int day) noexcept
{
    return iso_date(date_of_day(day)).data();
}

// The name by which messages speak of the file of a year: a directory's file, or the source.
std::string file_of_year(const build_options& o, const source_years& years, int year)
{
    return years.format == source_format::yearly_files ? daily_file_path(o.source, year)
                                                       : std::string(o.source);
}

// One output to write: a yearly file or the combined file.
struct output_plan {
    std::string path;
    std::string_view bytes;
    int days = 0;
};

// Write every output in full under its temporary name, then give each its name.
//
// Returns:  -1 when all are written, or the exit status after a message.
int write_outputs(const std::vector<output_plan>& outputs, std::FILE* err)
{
    std::vector<file_to_write> files;
    files.reserve(outputs.size());
    for (const output_plan& o : outputs)
        files.push_back({o.path.c_str(), {}, o.bytes});
    const file_set_result written = write_files_together(files);
    if (written.status == file_set_status::written)
        return -1;
    report_file_set_failure(err, program, files, written);
    return exit_usage_or_file;
}

int processor_count() noexcept
{
    const long n = ::sysconf(_SC_NPROCESSORS_ONLN);
    return n > 0 ? static_cast<int>(std::min(n, 64L)) : 1;
}

// The years a build computes, and what the source holds around them.
struct year_range {
    int from = 0, to = 0;                    // the years computed
    int last_of_source = 0;                  // the source's last year; beyond every year when
                                             // the source goes on after the years read
    bool combined = false;                   // a combined file is written: a year from 1950 on
    int combined_from = first_combined_year; // its first year
};

// Choose the years from the options and what the source holds, and check that each can be
// computed as the yearly run computes it.
//
// Returns:  -1 to go on, or the exit status after a message.
int choose_years(const build_options& o, const source_years& years, std::FILE* err, year_range& r)
{
    // The source's data end with its last day: an empty file after it adds none.
    int last_with_days = 0;
    for (int year = years.first_held(); year <= years.last_held(); ++year)
        if (years.view().lines_of(year) > 0)
            last_with_days = year;
    if (last_with_days == 0) {
        std::fprintf(err, "%s: %s: no day of the years asked for\n", program, o.source);
        return exit_not_there;
    }
    r.last_of_source = years.goes_on ? last_run_year + 2 : last_with_days;
    r.from = o.from != 0 ? o.from : std::max(years.first_held() + 1, first_combined_year);
    r.to = o.to != 0 ? o.to : std::min(last_with_days, last_run_year);
    if (!years.holds(r.from - 1)) {
        std::fprintf(err,
                     "%s: %s: no days of %d, the year before %d, which its means need\n",
                     program,
                     o.source,
                     r.from - 1,
                     r.from);
        return exit_not_there;
    }
    if (!years.holds(r.to) || r.from > r.to) {
        std::fprintf(
            err, "%s: %s: no days of %d\n", program, o.source, r.from > r.to ? r.from : r.to);
        return exit_not_there;
    }
    r.combined = r.to >= first_combined_year;
    r.combined_from = std::max(r.from, first_combined_year);
    if (!r.combined && o.output_given)
        return usage_error(err, {program, usage, help}, "-o: the years built end before 1950");

    for (int year = r.from; year <= r.to; ++year) {
        const std::string name = file_of_year(o, years, year);
        const int lines = years.view().lines_of(year);
        if (lines == 0) {
            std::fprintf(err, "%s: %s: no lines; nothing written\n", program, name.c_str());
            return exit_not_there;
        }
        // The combined file holds every day from its first to its last.
        if (year >= first_combined_year && year < r.to && lines < days_in_year(year)) {
            std::fprintf(err,
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
    return -1;
}

// Refuse outputs that would replace the source, a yearly file read, or one another.
//
// Returns:  true after a message naming both files.
bool refuse_clash(const build_options& o, const source_years& years, const year_range& r,
                  std::FILE* err)
{
    std::vector<std::string> inputs, outputs;
    if (years.format == source_format::yearly_files)
        for (int year = years.first_held(); year <= years.last_held(); ++year)
            inputs.push_back(daily_file_path(o.source, year));
    else
        inputs.emplace_back(o.source);
    if (o.yearly_dir != nullptr)
        for (int year = r.from; year <= r.to; ++year)
            outputs.push_back(mean_flux_file_path(o.yearly_dir, year));
    if (r.combined)
        outputs.emplace_back(o.output);
    std::vector<file_use> uses;
    for (const std::string& name : inputs)
        uses.push_back({name.c_str(), false});
    for (const std::string& name : outputs)
        uses.push_back({name.c_str(), true});
    return refuse_file_clash(err, program, uses);
}

// The records of every year in one block of memory: the years before 1950 first, then the
// combined file's header line and its years, so that the combined file is one stretch of the
// block and each year's file another.
struct record_block {
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
    std::size_t header_at = 0; // where the combined file begins
    std::vector<year_job> jobs;
};

void lay_out_records(const daily_years& files, const year_range& r, record_block& block)
{
    std::vector<std::size_t> rooms;
    block.size = 0;
    for (int year = r.from; year <= r.to; ++year) {
        if (r.combined && year == r.combined_from) {
            block.header_at = block.size;
            block.size += combined_header_bytes;
        }
        rooms.push_back(static_cast<std::size_t>(files.lines_of(year)) *
                        static_cast<std::size_t>(record_bytes(day_number(1, 1, year))));
        block.size += rooms.back();
    }
    // Not filled first: each page is first touched by the thread that formats its records, so
    // that the kernel's handing out of fresh pages is shared among the threads too.
    block.bytes.reset(new char[block.size]);
    std::size_t at = 0;
    for (int year = r.from; year <= r.to; ++year) {
        if (r.combined && year == r.combined_from)
            at += combined_header_bytes;
        const std::size_t room = rooms[static_cast<std::size_t>(year - r.from)];
        block.jobs.push_back({year, std::span<char>(block.bytes.get() + at, room), {}});
        at += room;
    }
}

// The warnings that the yearly runs would give, once each.
void warn(const build_options& o, const source_years& years, const year_range& r,
          const std::vector<year_job>& jobs, std::FILE* err)
{
    const daily_years files = years.view();
    // A directory's file short of days, before the source's last year, which is short by
    // nature: the warning about where the data end says what that means for it.
    if (years.format == source_format::yearly_files)
        for (int year = r.from - 1; year <= r.to + 1; ++year) {
            const int lines = files.lines_of(year);
            if (years.holds(year) && year < r.last_of_source && lines != days_in_year(year))
                warn_line_count(err, program, daily_file_path(o.source, year), lines, year);
        }
    if (r.to + 1 >= r.last_of_source) {
        // The last day of data that the windows of the last year reach: in the year after it
        // when the source goes on into that year.
        const auto last_line_of = [&](int year) {
            return day_number(1, 1, year) + files.lines_of(year) - 1;
        };
        const int last_data =
            files.lines_of(r.to + 1) > 0 ? last_line_of(r.to + 1) : last_line_of(r.to);
        if (last_data - window_reach < last_line_of(r.to))
            std::fprintf(err,
                         "%s: warning: %s: the data end on %s; %s is the last day whose averaging "
                         "windows are complete, the means of the days after it are one-sided\n",
                         program,
                         o.source,
                         iso_date_of(last_data).c_str(),
                         iso_date_of(last_data - window_reach).c_str());
    }
    for (const year_job& job : jobs)
        if (job.result.undefined_days > 0)
            warn_undefined_days(err, program, std::to_string(job.year), job.result.undefined_days);
}

// Write the outputs into the yearly directory (made if missing) and the combined file, all or
// nothing.
//
// Returns:  -1 when all are written, or the exit status after a message.
int write_all(const build_options& o, const std::vector<output_plan>& outputs, std::FILE* err)
{
    // A directory made here goes again, on a signal too, unless a file takes its name in it.
    output_directory yearly;
    if (o.yearly_dir != nullptr)
        if (const int error_number = yearly.make(o.yearly_dir); error_number != 0) {
            std::fprintf(err,
                         "%s: %s: cannot create the directory: %s; nothing written\n",
                         program,
                         o.yearly_dir,
                         std::strerror(error_number));
            return exit_usage_or_file;
        }
    const int status = write_outputs(outputs, err);
    if (status < 0)
        yearly.keep();
    return status;
}

} // namespace

int build_main(int argc, char** argv, std::FILE* out, std::FILE* err)
{
    build_options o;
    if (const int status = parse_options(argc, argv, out, err, o); status >= 0)
        return status;

    // The source: of a directory only the files of the years that can be needed are read.
    const year_span wanted{o.from != 0 ? o.from - 1 : first_combined_year - 1,
                           o.to != 0 ? o.to + 1 : last_daily_file_year};
    source_years years;
    source_problem problem;
    if (const source_status status =
            read_source_years(o.source, wanted, wanted, missing_years::end_data, years, problem);
        status != source_status::read) {
        report_source_problem(err, program, o.source, status, problem);
        // A year's file missing from a directory is data not there; anything else a file error.
        const bool year_missing = status == source_status::bad_year_file &&
                                  problem.daily.status == daily_status::cannot_open &&
                                  problem.daily.error_number == ENOENT;
        return year_missing ? exit_not_there : exit_usage_or_file;
    }
    year_range r;
    if (const int status = choose_years(o, years, err, r); status >= 0)
        return status;
    if (refuse_clash(o, years, r, err))
        return exit_usage_or_file;

    // Every year computed, on every core.
    record_block block;
    lay_out_records(years.view(), r, block);
    static year_tables tables;
    init_year_tables(tables);
    compute_years(years.view(), tables, block.jobs, processor_count());
    for (const year_job& job : block.jobs)
        if (job.result.status != year_status::written ||
            static_cast<std::size_t>(job.result.bytes) != job.records.size()) {
            std::fprintf(err,
                         "%s: %s: %d, day %d: a value does not fit its five columns; nothing "
                         "written\n",
                         program,
                         file_of_year(o, years, job.year).c_str(),
                         job.year,
                         job.result.day + 1);
            return exit_usage_or_file;
        }
    warn(o, years, r, block.jobs, err);

    // The outputs: the yearly files, then the combined file, whose header now has its range.
    std::vector<output_plan> outputs;
    if (o.yearly_dir != nullptr)
        for (const year_job& job : block.jobs)
            outputs.push_back({mean_flux_file_path(o.yearly_dir, job.year),
                               std::string_view(job.records.data(), job.records.size()),
                               job.result.records});
    const int first_day = day_number(1, 1, r.combined_from);
    if (r.combined) {
        int days = 0;
        for (const year_job& job : block.jobs)
            days += job.year >= r.combined_from ? job.result.records : 0;
        const std::string header = combined_header_line(first_day, first_day + days - 1);
        std::memcpy(block.bytes.get() + block.header_at, header.data(), combined_header_bytes);
        outputs.push_back(
            {o.output,
             std::string_view(block.bytes.get() + block.header_at, block.size - block.header_at),
             days});
    }
    if (const int status = write_all(o, outputs, err); status >= 0)
        return status;

    // The summary, unless standard output holds the combined file.
    if (r.combined && std::strcmp(o.output, "-") == 0)
        return exit_ok;
    for (const output_plan& p : outputs) {
        if (r.combined && &p == &outputs.back())
            std::fprintf(out,
                         "%s: %d days, %s to %s\n",
                         p.path.c_str(),
                         p.days,
                         iso_date_of(first_day).c_str(),
                         iso_date_of(first_day + p.days - 1).c_str());
        else
            std::fprintf(out, "%s: %d days\n", p.path.c_str(), p.days);
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
