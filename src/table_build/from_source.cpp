#include "table_build/from_source.h"

#include "calendar/date.h"
#include "cli/reports.h"
#include "daily/daily_year.h"
#include "flux/means.h"
#include "record/combined_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace meanflux {

namespace {

// How far the Gaussian window reaches: the means of a day are complete when the source holds
// every day up to this many days after it.
constexpr int window_reach = gauss_half;

int processor_count() noexcept
{
    const long n = ::sysconf(_SC_NPROCESSORS_ONLN);
    return n > 0 ? static_cast<int>(std::min(n, 64L)) : 1;
}

// Refuse predictions from a source that holds none.
build_status no_predictions(const char* source, std::FILE* err)
{
    std::fprintf(err,
                 "%s: %s: holds no predictions; of the sources only CelesTrak's SW-All.csv "
                 "has them\n",
                 build_program,
                 source);
    return build_status::source_error;
}

// Choose the years from the request and what the source holds, and check that each can be
// computed as the yearly run computes it.
build_status choose_years(const build_request& o, const source_years& years, year_span wanted,
                          std::FILE* err, year_range& r)
{
    // The source's data end with its last day: an empty file after it adds none.
    int last_with_days = 0;
    for (int year = years.first_held(); year <= years.last_held(); ++year)
        if (years.view().line_count(year) > 0)
            last_with_days = year;
    if (last_with_days == 0) {
        if (years.format == source_format::yearly_files && years.files.empty())
            std::fprintf(err,
                         "%s: %s: no daily index file <yyyy>.dat of %d to %d; meanflux-import "
                         "makes them from GFZ Potsdam's or CelesTrak's file of daily indices\n",
                         build_program,
                         o.source,
                         wanted.first,
                         wanted.last);
        else
            std::fprintf(err,
                         "%s: %s: no day of %d to %d\n",
                         build_program,
                         o.source,
                         wanted.first,
                         wanted.last);
        return build_status::not_there;
    }
    r.last_of_source = years.goes_on ? last_run_year + 2 : last_with_days;
    r.from = o.from != 0 ? o.from : std::max(years.first_held() + 1, first_combined_year);
    r.to = o.to != 0 ? o.to : std::min(last_with_days, last_run_year);
    // The source's last day, which the years asked for go past.
    const std::string last_day =
        iso_date_of(day_number(1, 1, last_with_days) + years.view().line_count(last_with_days) - 1);
    if (!years.holds(r.from - 1)) {
        std::fprintf(err,
                     "%s: %s: no days of %d, the year before %d, which its means need; its first "
                     "year is %d: --from %d at the earliest\n",
                     build_program,
                     o.source,
                     r.from - 1,
                     r.from,
                     years.first_held(),
                     years.first_held() + 1);
        return build_status::not_there;
    }
    if (r.from > r.to && o.from == 0 && o.to == 0) {
        std::fprintf(err,
                     "%s: %s: no year to build: %d is its only year, and a year built needs the "
                     "year before it\n",
                     build_program,
                     o.source,
                     last_with_days);
        return build_status::not_there;
    }
    if (r.from > r.to && o.from == 0) {
        std::fprintf(err,
                     "%s: %s: --to %d is before %d, the first year built without --from\n",
                     build_program,
                     o.source,
                     r.to,
                     r.from);
        return build_status::not_there;
    }
    if (!years.holds(r.to) || r.from > r.to) {
        const bool from_too_late = r.from > r.to;
        std::fprintf(err,
                     "%s: %s: no days of %d; its last day is %s: %s %d at the latest\n",
                     build_program,
                     o.source,
                     from_too_late ? r.from : r.to,
                     last_day.c_str(),
                     from_too_late ? "--from" : "--to",
                     std::min(last_with_days, last_run_year));
        return build_status::not_there;
    }
    r.combined_from = r.to >= first_combined_year ? std::max(r.from, first_combined_year) : 0;
    if (r.combined_from == 0 && o.combined_needed)
        return build_status::no_combined_file;

    for (int year = r.from; year <= r.to; ++year) {
        const std::string name = file_of_year(o.source, years, year);
        const int lines = years.view().line_count(year);
        if (lines == 0) {
            std::fprintf(err, "%s: %s: no lines; nothing written\n", build_program, name.c_str());
            return build_status::not_there;
        }
        // The combined file holds every day from its first to its last.
        if (r.combined_from != 0 && year >= r.combined_from && year < r.to &&
            lines < days_in_year(year)) {
            std::fprintf(err,
                         "%s: %s: %d lines for the %d days of %d: the combined file would lack "
                         "the days after them; nothing written\n",
                         build_program,
                         name.c_str(),
                         lines,
                         days_in_year(year),
                         year);
            return build_status::not_there;
        }
    }
    return build_status::built;
}

// The warnings that the yearly runs would give, once each.
void warn(const build_request& o, const source_years& years, const year_range& r,
          const std::vector<year_job>& jobs, std::FILE* err)
{
    const daily_years files = years.view();
    // A directory's file short of days, before the source's last year, which is short by
    // nature: the warning about where the data end says what that means for it.
    if (years.format == source_format::yearly_files)
        for (int year = r.from - 1; year <= r.to + 1; ++year) {
            const int lines = files.line_count(year);
            if (years.holds(year) && year < r.last_of_source && lines != days_in_year(year))
                warn_line_count(err, build_program, daily_file_path(o.source, year), lines, year);
        }
    if (r.to + 1 >= r.last_of_source) {
        // The last day of data that the windows of the last year reach: in the year after it
        // when the source goes on into that year.
        const auto last_line_of = [&](int year) {
            return day_number(1, 1, year) + files.line_count(year) - 1;
        };
        const int last_data =
            files.line_count(r.to + 1) > 0 ? last_line_of(r.to + 1) : last_line_of(r.to);
        if (last_data - window_reach < last_line_of(r.to) && years.predicted_from > 0 &&
            years.predicted_from <= last_data)
            std::fprintf(err,
                         "%s: warning: %s: the observations end on %s and the predictions on "
                         "%s; %s is the last day whose averaging windows are complete, the "
                         "means of the days after it are one-sided\n",
                         build_program,
                         o.source,
                         iso_date_of(years.predicted_from - 1).c_str(),
                         iso_date_of(last_data).c_str(),
                         iso_date_of(last_data - window_reach).c_str());
        else if (last_data - window_reach < last_line_of(r.to))
            std::fprintf(err,
                         "%s: warning: %s: the data end on %s; %s is the last day whose averaging "
                         "windows are complete, the means of the days after it are one-sided\n",
                         build_program,
                         o.source,
                         iso_date_of(last_data).c_str(),
                         iso_date_of(last_data - window_reach).c_str());
    }
    for (const year_job& job : jobs)
        if (job.result.undefined_days > 0)
            warn_undefined_days(
                err, build_program, std::to_string(job.year), job.result.undefined_days);
}

build_status build_years(const build_request& o, built_years& built, std::FILE* err)
{
    // Of a directory only the files of the years that can be needed are read.
    const year_span wanted{o.from != 0 ? o.from - 1 : first_combined_year - 1,
                           o.to != 0 ? o.to + 1 : last_daily_file_year};
    // Without --from the first year is 1950 at the earliest: an earlier --to leaves none.
    if (o.from == 0 && o.to != 0 && o.to < first_combined_year) {
        std::fprintf(err,
                     "%s: %s: --to %d is before %d, the first year built without --from\n",
                     build_program,
                     o.source,
                     o.to,
                     first_combined_year);
        return build_status::not_there;
    }
    source_years& years = built.years;
    source_problem problem;
    struct stat file {};
    if (o.predictions && ::stat(o.source, &file) == 0 && S_ISDIR(file.st_mode))
        return no_predictions(o.source, err);
    if (const source_status status = read_source_years(
            o.source, wanted, wanted, missing_years::end_data, years, problem, o.predictions);
        status != source_status::read) {
        report_source_problem(err, build_program, o.source, status, problem);
        // A year's file missing from a directory is data not there; anything else a file error.
        const bool year_missing = status == source_status::bad_year_file &&
                                  problem.daily.status == daily_status::cannot_open &&
                                  problem.daily.error_number == ENOENT;
        return year_missing ? build_status::not_there : build_status::source_error;
    }
    if (o.predictions && years.format != source_format::celestrak)
        return no_predictions(o.source, err);
    year_range& r = built.range;
    if (const build_status status = choose_years(o, years, wanted, err, r);
        status != build_status::built)
        return status;

    // Every year computed, on every core.
    compute_year_block(years.view(), r.from, r.to, r.combined_from, processor_count(), built.block);
    for (const year_job& job : built.block.jobs)
        if (job.result.status != year_status::written ||
            static_cast<std::size_t>(job.result.bytes) != job.records.size()) {
            std::fprintf(err,
                         "%s: %s: %d, day %d: a value does not fit its five columns; nothing "
                         "written\n",
                         build_program,
                         file_of_year(o.source, years, job.year).c_str(),
                         job.year,
                         job.result.day + 1);
            return build_status::source_error;
        }
    return build_status::built;
}

} // namespace

std::string file_of_year(const char* source, const source_years& years, int year)
{
    return years.format == source_format::yearly_files ? daily_file_path(source, year)
                                                       : std::string(source);
}

std::string iso_date_of(int day)
{
    return iso_date(date_of_day(day)).data();
}

build_status build_years_from_source(const build_request& request, built_years& built,
                                     std::string& message)
{
    message.clear();
    built.warnings.clear();
    {
        message_stream errors;
        const build_status status = build_years(request, built, errors.file());
        message = errors.text();
        if (status != build_status::built)
            return status;
    }
    message_stream warnings;
    warn(request, built.years, built.range, built.block.jobs, warnings.file());
    built.warnings = warnings.text();
    return build_status::built;
}

} // namespace meanflux
