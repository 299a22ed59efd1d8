#include "cli/reports.h"

#include <meanflux/calendar.h>

#include "io/output_file.h"

#include <cerrno>
#include <cstring>

namespace meanflux {

namespace {

// The date of line `line` (from 1) of the file of `year`: line i is day i of the year.
void print_date_of_line(std::FILE* err, int year, int line) noexcept
{
    std::fputs(iso_date(date_of_day(day_number(1, 1, year) + line - 1)).data(), err);
}

// The last year of which the archive of yearly daily index files published a file.
constexpr int last_archive_year = 2018;

// What makes a year's daily index file that is not there: meanflux-import, from today's
// publishers, or for the years it covers the archive's file of the year under its new name.
void print_missing_file_help(std::FILE* err, int year) noexcept
{
    std::fputs("; meanflux-import makes it from GFZ Potsdam's or CelesTrak's file of daily indices",
               err);
    if (year <= last_archive_year)
        std::fprintf(err, ", or download the archive's file of %d and rename it", year);
}

// The problem of a daily index file, without the line end.
void print_daily_problem(std::FILE* err, const char* program, std::string_view file, int year,
                         const daily_problem& d, bool by_date) noexcept
{
    std::fprintf(err, "%s: %.*s: ", program, static_cast<int>(file.size()), file.data());
    if (d.status == daily_status::line_too_long || d.status == daily_status::flux_out_of_range) {
        if (by_date)
            print_date_of_line(err, year, d.line);
        else
            std::fprintf(err, "line %d", d.line);
        std::fputs(": ", err);
    }
    switch (d.status) {
    case daily_status::cannot_open:
        std::fprintf(err, "cannot open: %s", std::strerror(d.error_number));
        break;
    case daily_status::read_error:
        std::fprintf(err, "cannot read: %s", std::strerror(d.error_number));
        break;
    case daily_status::line_too_long:
        std::fprintf(err, "longer than %d characters", max_line_length);
        break;
    case daily_status::too_many_lines:
        std::fprintf(
            err, "%d lines or more for the %d days of %d", d.line, days_in_year(year), year);
        break;
    case daily_status::flux_out_of_range:
        std::fprintf(err,
                     "flux %g outside %.1f to %.1f, which the records can hold",
                     d.flux,
                     lowest_flux,
                     highest_flux);
        break;
    case daily_status::read:
        std::fputs("read", err);
        break;
    }
}

} // namespace

void report_daily_problem(std::FILE* err, const char* program, std::string_view file, int year,
                          const daily_problem& d, bool by_date) noexcept
{
    print_daily_problem(err, program, file, year, d, by_date);
    if (d.status == daily_status::cannot_open && d.error_number == ENOENT)
        print_missing_file_help(err, year);
    std::fputc('\n', err);
}

void report_source_problem(std::FILE* err, const char* program, const char* path,
                           source_status status, const source_problem& problem) noexcept
{
    switch (status) {
    case source_status::bad_year_file:
        report_daily_problem(
            err, program, problem.file, problem.year, problem.daily, problem.by_date);
        break;
    case source_status::malformed:
        if (problem.line > 0) {
            std::fprintf(
                err, "%s: %s: line %ld: %s\n", program, path, problem.line, problem.what.c_str());
            break;
        }
        [[fallthrough]];
    case source_status::cannot_read:
    case source_status::too_large:
    case source_status::not_recognised:
    case source_status::read:
        std::fprintf(err, "%s: %s: %s\n", program, path, problem.what.c_str());
        break;
    }
}

void warn_line_count(std::FILE* err, const char* program, std::string_view file, int lines,
                     int year) noexcept
{
    std::fprintf(err,
                 "%s: warning: %.*s: %d lines for the %d days of %d; the days it lacks take "
                 "no part in the means\n",
                 program,
                 static_cast<int>(file.size()),
                 file.data(),
                 lines,
                 days_in_year(year),
                 year);
}

void warn_undefined_days(std::FILE* err, const char* program, std::string_view what,
                         int days) noexcept
{
    std::fprintf(err,
                 "%s: warning: %.*s: %d days without any observed flux in an averaging window; "
                 "their undefined values are written as nan\n",
                 program,
                 static_cast<int>(what.size()),
                 what.data(),
                 days);
}

void report_file_set_failure(std::FILE* err, const char* program,
                             std::span<const file_to_write> files,
                             const file_set_result& result) noexcept
{
    const char* name = output_name_for_messages(files[result.file].name);
    const char* reason = std::strerror(result.error_number);
    switch (result.status) {
    case file_set_status::written:
        break;
    case file_set_status::is_a_directory:
        std::fprintf(err, "%s: %s: cannot write: %s\n", program, name, reason);
        break;
    case file_set_status::cannot_write:
        std::fprintf(err, "%s: %s: cannot write: %s; nothing written\n", program, name, reason);
        break;
    case file_set_status::cannot_finish:
        std::fprintf(err, "%s: %s: cannot write: %s\n", program, name, reason);
        if (result.file > 0)
            std::fprintf(err,
                         "%s: %s to %s were written; the later files were left as they were\n",
                         program,
                         output_name_for_messages(files.front().name),
                         output_name_for_messages(files[result.file - 1].name));
        break;
    }
}

void report_read_failure(std::FILE* err, const char* program, const char* name,
                         const whole_file_result& read, std::size_t limit,
                         const char* kind) noexcept
{
    if (read.status == whole_file_status::too_large)
        std::fprintf(err,
                     "%s: %s: more than %zu bytes, more than %s can hold\n",
                     program,
                     name,
                     limit,
                     kind);
    else
        std::fprintf(err, "%s: %s: %s\n", program, name, std::strerror(read.error_number));
}

void report_write_failure(std::FILE* err, const char* program, const char* output,
                          const whole_write_result& written) noexcept
{
    const char* reason = std::strerror(written.error_number);
    const char* name = output_name_for_messages(output);
    switch (written.status) {
    case whole_write_status::cannot_create:
        std::fprintf(err, "%s: %s: cannot create: %s\n", program, name, reason);
        break;
    case whole_write_status::cannot_write:
        std::fprintf(err, "%s: %s: cannot write: %s\n", program, name, reason);
        break;
    case whole_write_status::cannot_rename:
        std::fprintf(err, "%s: %s: cannot replace: %s\n", program, name, reason);
        break;
    case whole_write_status::written:
        break;
    }
}

void report_standard_output(std::FILE* err, const char* program, int error_number,
                            std::string_view note) noexcept
{
    std::fprintf(err, "%s: standard output: %s", program, std::strerror(error_number));
    if (!note.empty())
        std::fprintf(err, " (%.*s)", static_cast<int>(note.size()), note.data());
    std::fputc('\n', err);
}

} // namespace meanflux
