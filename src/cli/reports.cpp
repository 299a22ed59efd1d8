#include "cli/reports.h"

#include <meanflux/calendar.h>

#include <cstring>

namespace meanflux {

namespace {

// The date of line `line` (from 1) of the file of `year`: line i is day i of the year.
void print_date_of_line(std::FILE* err, int year, int line) noexcept
{
    const date_record d = civil_date(day_number(1, 1, year) + line - 1);
    std::fprintf(err, "%04.0f-%02.0f-%02.0f", d.year, d.month, d.day);
}

void report_year_file(std::FILE* err, const char* program, const source_problem& p) noexcept
{
    const daily_problem& d = p.daily;
    std::fprintf(err, "%s: %s: ", program, p.file.c_str());
    const bool at_a_line =
        d.status == daily_status::line_too_long || d.status == daily_status::flux_out_of_range;
    if (at_a_line) {
        if (p.by_date)
            print_date_of_line(err, p.year, d.line);
        else
            std::fprintf(err, "line %d", d.line);
        std::fputs(": ", err);
    }
    switch (d.status) {
    case daily_status::cannot_open:
        std::fprintf(err, "cannot open: %s\n", std::strerror(d.error_number));
        break;
    case daily_status::read_error:
        std::fprintf(err, "cannot read: %s\n", std::strerror(d.error_number));
        break;
    case daily_status::line_too_long:
        std::fprintf(err, "longer than %d characters\n", max_line_length);
        break;
    case daily_status::too_many_lines:
        std::fprintf(
            err, "%d lines or more for the %d days of %d\n", d.line, days_in_year(p.year), p.year);
        break;
    case daily_status::flux_out_of_range:
        std::fprintf(err,
                     "flux %g outside %.1f to %.1f, which the records can hold\n",
                     d.flux,
                     lowest_flux,
                     highest_flux);
        break;
    case daily_status::read:
        std::fputs("\n", err);
        break;
    }
}

} // namespace

void report_source_problem(std::FILE* err, const char* program, const char* path,
                           source_status status, const source_problem& problem) noexcept
{
    switch (status) {
    case source_status::bad_year_file:
        report_year_file(err, program, problem);
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
                 "%s: warning: %.*s: %d lines for the %d days of %d\n",
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

} // namespace meanflux
