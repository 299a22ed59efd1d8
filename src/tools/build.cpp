#include "tools/build.h"

#include "io/output_file.h"
#include "sources/daily_line.h"
#include "sources/source.h"
#include "sources/yearly_files.h"
#include "tools/combine.h"
#include "tools/command_line.h"
#include "yearly/years.h"

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

// The years a yearly run accepts, and the first the combined file can hold (day number 0).
constexpr int first_run_year = 1937;
constexpr int last_run_year = 2099;
constexpr int first_combined_year = 1950;

// Bytes of the combined file's header line: two day numbers of five digits and CR LF.
constexpr std::size_t combined_header_bytes = 12;

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
            if (!parse_whole_number(optarg, year) || year < first_run_year || year > last_run_year)
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

std::string iso_date(int year, int month, int day)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

std::string iso_date(int day_number_of_day)
{
    const date_record d = civil_date(day_number_of_day);
    return iso_date(static_cast<int>(d.year), static_cast<int>(d.month), static_cast<int>(d.day));
}

std::string yearly_file_name(const char* directory, int year, const char* suffix)
{
    char name[32];
    std::snprintf(name, sizeof name, "%.4d%s", year, suffix);
    return std::string(directory) + "/" + name;
}

// The daily index files of consecutive years, as the yearly run loads them: the lines of every
// file, read and converted once.
struct year_files {
    bool directory = false;          // read from a directory of yearly files
    bool goes_on = false;            // the source holds days after the years read
    int first_year = 0;              // the year of the first file
    std::vector<std::size_t> starts; // where each year's lines begin; one more for the end
    std::vector<double> flux_adj;    // the lines of all files, one after another
    std::vector<int> flux_qual;
    std::vector<activity_text> activity;
    std::vector<index_file> files; // each year's lines, once all are read
};

int years_read(const year_files& f)
{
    return f.starts.empty() ? 0 : static_cast<int>(f.starts.size()) - 1;
}

std::size_t lines_of_year(const year_files& f, int year)
{
    const long i = static_cast<long>(year) - f.first_year;
    if (i < 0 || i >= years_read(f))
        return 0;
    return f.starts[static_cast<std::size_t>(i) + 1] - f.starts[static_cast<std::size_t>(i)];
}

// Add the lines of the next year: days [begin, end) of `source`, all of year `year`.
//
// Returns:  true; false at a line whose flux no record can hold, after a message naming its
//           file and line (a directory's file) or its date.
bool add_year(const char* source_path, const source_days& source, std::size_t begin,
              std::size_t end, int year, std::FILE* err, year_files& f)
{
    if (f.starts.empty())
        f.first_year = year;
    f.starts.push_back(f.flux_adj.size());
    auto take = [&](std::string_view text) {
        double flux = 0.0;
        int qual = 0;
        activity_text activity;
        const flux_reading reading = read_index_line(text, flux, qual, activity);
        f.flux_adj.push_back(flux);
        f.flux_qual.push_back(qual);
        f.activity.push_back(activity);
        return reading != flux_reading::out_of_range;
    };
    // A source that begins within its first year: the days before it as days without data, as
    // meanflux-import writes them.
    if (begin < end && !f.directory &&
        (source.days[begin].month != 1 || source.days[begin].day != 1)) {
        const std::string before = lines_before(source.days[begin]);
        for (std::size_t at = 0; at < before.size(); at += daily_line_length + 1)
            (void)take(std::string_view(before).substr(at, daily_line_length));
    }
    for (std::size_t i = begin; i < end; ++i) {
        if (take(line_of(source, source.days[i])))
            continue;
        const source_day& day = source.days[i];
        const std::string place =
            f.directory ? yearly_file_name(source_path, year, ".dat") + ": line " +
                              std::to_string(f.flux_adj.size() - f.starts.back())
                        : std::string(source_path) + ": " + iso_date(day.year, day.month, day.day);
        std::fprintf(err,
                     "%s: %s: flux %g outside %.1f to %.1f, which the records can hold; nothing "
                     "written\n",
                     program,
                     place.c_str(),
                     f.flux_adj.back(),
                     lowest_flux,
                     highest_flux);
        return false;
    }
    return true;
}

int report_source_problem(std::FILE* err, const char* source_path, source_status status,
                          const source_problem& problem)
{
    const std::string file = problem.file.empty() ? source_path : problem.file;
    if (status == source_status::malformed && problem.line > 0)
        std::fprintf(err,
                     "%s: %s: line %ld: %s\n",
                     program,
                     file.c_str(),
                     problem.line,
                     problem.what.c_str());
    else
        std::fprintf(err, "%s: %s: %s\n", program, file.c_str(), problem.what.c_str());
    // A year's file missing from a directory is data not there; anything else a file error.
    const bool year_missing = status == source_status::cannot_read && !problem.file.empty() &&
                              problem.error_number == ENOENT;
    return year_missing ? exit_not_there : exit_usage_or_file;
}

// Read the source's lines of the years wanted into `f`, each line converted once: the lines of
// the files that meanflux-import writes from a published file (CelesTrak's predictions left out,
// as it leaves them out), or of a directory's files.
//
// Returns:  -1 when done, or the exit status after a message.
int read_years(const char* source_path, year_span wanted, std::FILE* err, year_files& f)
{
    source_days source;
    source_problem problem;
    struct stat file {};
    f.directory = ::stat(source_path, &file) == 0 && S_ISDIR(file.st_mode);
    if (f.directory) {
        // One file at a time, into the same memory: the years are converted as they come.
        std::vector<int> found;
        if (const source_status status = list_yearly_files(source_path, wanted, found, problem);
            status != source_status::read)
            return report_source_problem(err, source_path, status, problem);
        const std::size_t room = found.size() * static_cast<std::size_t>(max_year_days);
        f.flux_adj.reserve(room);
        f.flux_qual.reserve(room);
        f.activity.reserve(room);
        for (const int year : found) {
            source.text.clear();
            source.days.clear();
            if (const source_status status = read_yearly_file(source_path, year, source, problem);
                status != source_status::read)
                return report_source_problem(err, source_path, status, problem);
            if (!add_year(source_path, source, 0, source.days.size(), year, err, f))
                return exit_usage_or_file;
        }
        struct stat next {};
        f.goes_on =
            wanted.last < 9999 &&
            ::stat(yearly_file_name(source_path, wanted.last + 1, ".dat").c_str(), &next) == 0;
    } else {
        if (const source_status status = read_source_file(source_path, source, problem);
            status != source_status::read)
            return report_source_problem(err, source_path, status, problem);
        const std::size_t end = days_before_predictions(source);
        std::size_t i = 0;
        while (i < end && source.days[i].year < wanted.first)
            ++i;
        while (i < end && source.days[i].year <= wanted.last) {
            const int year = source.days[i].year;
            const std::size_t begin = i;
            while (i < end && source.days[i].year == year)
                ++i;
            if (!add_year(source_path, source, begin, i, year, err, f))
                return exit_usage_or_file;
        }
        f.goes_on = i < end;
    }
    f.starts.push_back(f.flux_adj.size());
    for (int y = 0; y < years_read(f); ++y) {
        const std::size_t at = f.starts[static_cast<std::size_t>(y)];
        const std::size_t count = f.starts[static_cast<std::size_t>(y) + 1] - at;
        f.files.push_back({std::span<const double>(f.flux_adj).subspan(at, count),
                           std::span<const int>(f.flux_qual).subspan(at, count),
                           std::span<const activity_text>(f.activity).subspan(at, count)});
    }
    return -1;
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
    int first_held = 0, last_held = 0;       // the first and last years read that have days
    int last_of_source = 0;                  // the source's last year; beyond every year when
                                             // the source goes on after the years read
    bool combined = false;                   // a combined file is written: a year from 1950 on
    int combined_from = first_combined_year; // its first year
};

// Choose the years from the options and what the source holds, and check that each can be
// computed as the yearly run computes it.
//
// Returns:  -1 to go on, or the exit status after a message.
int choose_years(const build_options& o, const year_files& files, std::FILE* err, year_range& r)
{
    r.last_held = -1;
    for (int year = files.first_year; year < files.first_year + years_read(files); ++year) {
        // A directory's file is data the user gave, even empty: the yearly run takes it with a
        // warning.  The data end with the last year that has days.
        if (r.first_held == 0 && (files.directory || lines_of_year(files, year) > 0))
            r.first_held = year;
        if (lines_of_year(files, year) > 0)
            r.last_held = year;
    }
    if (r.last_held < 0) {
        std::fprintf(err, "%s: %s: no day of the years asked for\n", program, o.source);
        return exit_not_there;
    }
    r.last_of_source = files.goes_on ? last_run_year + 2 : r.last_held;
    r.from = o.from != 0 ? o.from : std::max(r.first_held + 1, first_combined_year);
    r.to = o.to != 0 ? o.to : std::min(r.last_held, last_run_year);
    if (r.from - 1 < r.first_held || r.from - 1 > r.last_held) {
        std::fprintf(err,
                     "%s: %s: no days of %d, the year before %d, which its means need\n",
                     program,
                     o.source,
                     r.from - 1,
                     r.from);
        return exit_not_there;
    }
    if (r.to > r.last_held || r.from > r.to) {
        std::fprintf(
            err, "%s: %s: no days of %d\n", program, o.source, r.from > r.to ? r.from : r.to);
        return exit_not_there;
    }
    r.combined = r.to >= first_combined_year;
    r.combined_from = std::max(r.from, first_combined_year);
    if (!r.combined && o.output_given)
        return usage_error(err, {program, usage, help}, "-o: the years built end before 1950");

    for (int year = r.from; year <= r.to; ++year) {
        const std::string name =
            files.directory ? yearly_file_name(o.source, year, ".dat") : std::string(o.source);
        const auto lines = static_cast<int>(lines_of_year(files, year));
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
bool refuse_clash(const build_options& o, const year_files& files, const year_range& r,
                  std::FILE* err)
{
    std::vector<std::string> inputs, outputs;
    if (files.directory)
        for (int year = files.first_year; year < files.first_year + years_read(files); ++year)
            inputs.push_back(yearly_file_name(o.source, year, ".dat"));
    else
        inputs.emplace_back(o.source);
    if (o.yearly_dir != nullptr)
        for (int year = r.from; year <= r.to; ++year)
            outputs.push_back(yearly_file_name(o.yearly_dir, year, "_m.dat"));
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

void lay_out_records(const year_files& files, const year_range& r, record_block& block)
{
    std::vector<std::size_t> rooms;
    block.size = 0;
    for (int year = r.from; year <= r.to; ++year) {
        if (r.combined && year == r.combined_from) {
            block.header_at = block.size;
            block.size += combined_header_bytes;
        }
        rooms.push_back(lines_of_year(files, year) *
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
void warn(const build_options& o, const year_files& files, const year_range& r,
          const std::vector<year_job>& jobs, std::FILE* err)
{
    // A directory's file short of days, before the source's last year, which is short by
    // nature: the warning about where the data end says what that means for it.
    if (files.directory)
        for (int year = r.from - 1; year <= r.to + 1; ++year) {
            const auto lines = static_cast<int>(lines_of_year(files, year));
            if (year >= r.first_held && year < r.last_of_source && lines != days_in_year(year))
                std::fprintf(err,
                             "%s: warning: %s: %d lines for the %d days of %d\n",
                             program,
                             yearly_file_name(o.source, year, ".dat").c_str(),
                             lines,
                             days_in_year(year),
                             year);
        }
    if (r.to + 1 >= r.last_of_source) {
        // The last day of data that the windows of the last year reach: in the year after it
        // when the source goes on into that year.
        const auto last_line_of = [&](int year) {
            return day_number(1, 1, year) + static_cast<int>(lines_of_year(files, year)) - 1;
        };
        const int last_data =
            lines_of_year(files, r.to + 1) > 0 ? last_line_of(r.to + 1) : last_line_of(r.to);
        if (last_data - window_reach < last_line_of(r.to))
            std::fprintf(err,
                         "%s: warning: %s: the data end on %s; %s is the last day whose averaging "
                         "windows are complete, the means of the days after it are one-sided\n",
                         program,
                         o.source,
                         iso_date(last_data).c_str(),
                         iso_date(last_data - window_reach).c_str());
    }
    for (const year_job& job : jobs)
        if (job.result.undefined_days > 0)
            std::fprintf(err,
                         "%s: warning: %d: %d days without any observed flux in an averaging "
                         "window; their undefined values are written as nan\n",
                         program,
                         job.year,
                         job.result.undefined_days);
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
                           o.to != 0 ? o.to + 1 : 9999};
    year_files files;
    if (const int status = read_years(o.source, wanted, err, files); status >= 0)
        return status;
    year_range r;
    if (const int status = choose_years(o, files, err, r); status >= 0)
        return status;
    if (refuse_clash(o, files, r, err))
        return exit_usage_or_file;

    // Every year computed, on every core.
    record_block block;
    lay_out_records(files, r, block);
    gauss_table gauss_w{};
    init_gauss_w(gauss_w);
    distance_table distances{};
    init_distance_table(distances);
    compute_years(files.files, files.first_year, gauss_w, distances, block.jobs, processor_count());
    for (const year_job& job : block.jobs)
        if (job.result.status != write_status::written ||
            static_cast<std::size_t>(job.result.bytes) != job.records.size()) {
            const std::string where = files.directory ? yearly_file_name(o.source, job.year, ".dat")
                                                      : std::string(o.source);
            std::fprintf(err,
                         "%s: %s: %d, day %d: a value does not fit its five columns; nothing "
                         "written\n",
                         program,
                         where.c_str(),
                         job.year,
                         job.result.day + 1);
            return exit_usage_or_file;
        }
    warn(o, files, r, block.jobs, err);

    // The outputs: the yearly files, then the combined file, whose header now has its range.
    std::vector<output_plan> outputs;
    if (o.yearly_dir != nullptr)
        for (const year_job& job : block.jobs)
            outputs.push_back({yearly_file_name(o.yearly_dir, job.year, "_m.dat"),
                               std::string_view(job.records.data(), job.records.size()),
                               job.result.records});
    const int first_day = day_number(1, 1, r.combined_from);
    if (r.combined) {
        int days = 0;
        for (const year_job& job : block.jobs)
            days += job.year >= r.combined_from ? job.result.records : 0;
        const std::string header = combined_header(first_day, first_day + days - 1);
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
                         iso_date(first_day).c_str(),
                         iso_date(first_day + p.days - 1).c_str());
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
