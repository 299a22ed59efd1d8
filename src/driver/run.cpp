#include "driver/run.h"

#include "cli/reports.h"
#include "driver/dialogue.h"
#include "io/file_clash.h"
#include "io/whole_file.h"
#include "sources/years.h"
#include "yearly/pipeline.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace meanflux {

namespace {

constexpr const char* program = "meanflux";

// What the computation of a year works in, owned by the run to its end: a page of memory the
// run need not touch is time saved, so none of it is filled before it is written.
struct run_data {
    year_tables tables;
    daily_series series;
    year_records records;
};

int fail_console(std::FILE* err, dialogue_status status, int error_number) noexcept
{
    switch (status) {
    case dialogue_status::end_of_input:
        std::fprintf(err, "%s: standard input: ended before a year was accepted\n", program);
        break;
    case dialogue_status::input_error:
        std::fprintf(err, "%s: standard input: %s\n", program, std::strerror(error_number));
        break;
    case dialogue_status::output_error:
        std::fprintf(err, "%s: standard output: %s\n", program, std::strerror(error_number));
        break;
    case dialogue_status::accepted:
        break;
    }
    return exit_failure;
}

int fail_writing(std::FILE* err, const whole_write_result& written, const char* output) noexcept
{
    const char* reason = std::strerror(written.error_number);
    switch (written.status) {
    case whole_write_status::cannot_create:
        std::fprintf(err, "%s: %s: cannot create: %s\n", program, output, reason);
        break;
    case whole_write_status::cannot_write:
        std::fprintf(err, "%s: %s: cannot write: %s\n", program, output, reason);
        break;
    case whole_write_status::cannot_rename:
        std::fprintf(err, "%s: %s: cannot replace: %s\n", program, output, reason);
        break;
    case whole_write_status::written:
        break;
    }
    return exit_failure;
}

// The given year's file has no lines: there is no day to write.
int fail_without_days(std::FILE* err, std::string_view directory, int y,
                      const char* output) noexcept
{
    std::fprintf(err,
                 "%s: %s: no lines; %s not written\n",
                 program,
                 daily_file_path(directory, y).c_str(),
                 output);
    return exit_failure;
}

} // namespace

year_run run_year(int y, std::string_view directory, const char* output, std::FILE* err) noexcept
{
    // A link can make the yearly file one of the daily index files: it would replace it.
    const std::array<std::string, 3> inputs{daily_file_path(directory, y - 1),
                                            daily_file_path(directory, y),
                                            daily_file_path(directory, y + 1)};
    const std::array<file_use, 4> uses{{{output, true},
                                        {inputs[0].c_str(), false},
                                        {inputs[1].c_str(), false},
                                        {inputs[2].c_str(), false}}};
    if (const file_clash clash = find_file_clash(uses); clash.found) {
        std::fprintf(err,
                     "%s: %s: the same file as %s, which the run reads; %s not written\n",
                     program,
                     output,
                     uses[clash.first].name,
                     output);
        return {exit_failure, 0};
    }

    // Each file is read once; everything written comes from that reading.
    const std::string dir(directory);
    source_years years;
    source_problem problem;
    const source_status read = read_directory_years(
        dir.c_str(), {y - 1, y + 1}, {y, y}, missing_years::refused, years, problem);
    if (read != source_status::read) {
        report_source_problem(err, program, dir.c_str(), read, problem);
        return {exit_failure, 0};
    }
    if (years.view().lines_of(y) == 0)
        return {fail_without_days(err, directory, y, output), 0};
    // A file with fewer lines than its year has days lacks the days after its last line; the
    // run goes on without them, but the user is told.
    for (int year = y - 1; year <= y + 1; ++year)
        if (const int lines = years.view().lines_of(year); lines != days_in_year(year))
            warn_line_count(err, program, daily_file_path(directory, year), lines, year);

    static run_data run; // the run's one computation: kept off the stack
    init_year_tables(run.tables);
    year_result result;
    switch (compute_year(y, years.view(), run.tables, run.series, run.records, result)) {
    case year_status::written:
        break;
    case year_status::no_days:
        return {fail_without_days(err, directory, y, output), 0};
    case year_status::record_too_wide:
        std::fprintf(err,
                     "%s: %s: line %d: a value does not fit its five columns; %s not written\n",
                     program,
                     daily_file_path(directory, y).c_str(),
                     result.day + 1,
                     output);
        return {exit_failure, 0};
    }
    const whole_write_result written = write_output_file(
        output, std::string_view(run.records.data(), static_cast<std::size_t>(result.bytes)));
    if (written.status != whole_write_status::written)
        return {fail_writing(err, written, output), 0};
    if (result.undefined_days > 0)
        warn_undefined_days(err, program, output, result.undefined_days);
    return {exit_success, result.records};
}

int run_meanflux(std::FILE* in, std::FILE* out, std::FILE* err) noexcept
{
    // The dialogue: banner, year, file names.
    year_files files;
    print_banner(out);
    errno = 0;
    const dialogue_status asked = ask_year(in, out, files);
    if (asked != dialogue_status::accepted)
        return fail_console(err, asked, errno);

    const year_run computed = run_year(files.i_ano, "", files.ano_mean.data(), err);
    if (computed.status != exit_success)
        return computed.status;

    std::fputs("\n", out);
    std::fprintf(out, " Output file '%8s' successfully generated\n", files.ano_mean.data());
    errno = 0;
    if (std::fflush(out) != 0)
        return fail_console(err, dialogue_status::output_error, errno);
    return exit_success;
}

} // namespace meanflux
