#include "driver/run.h"

#include "driver/dialogue.h"
#include "flux/distance.h"
#include "flux/means.h"
#include "input/daily_series.h"
#include "io/file_clash.h"
#include "yearly/writer.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace meanflux {

namespace {

constexpr const char* program = "meanflux";

// Everything the phases of a run share, owned by the run to its end.  All of it starts zero-filled
// but the room for the records, which is written before it is read: a page of memory the run need
// not touch is time saved.
struct run_data {
    gauss_table gauss_w{};
    daily_series series;
    given_days given;
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

int fail_loading(std::FILE* err, const load_result& loaded, int y, const year_names& names) noexcept
{
    const char* name = names.inputs[static_cast<std::size_t>(loaded.file)];
    const int year = y - 1 + loaded.file;
    switch (loaded.status) {
    case load_status::cannot_open:
        std::fprintf(
            err, "%s: %s: cannot open: %s\n", program, name, std::strerror(loaded.error_number));
        break;
    case load_status::read_error:
        std::fprintf(
            err, "%s: %s: cannot read: %s\n", program, name, std::strerror(loaded.error_number));
        break;
    case load_status::line_too_long:
        std::fprintf(err,
                     "%s: %s: line %d: longer than %d characters\n",
                     program,
                     name,
                     loaded.line,
                     max_line_length);
        break;
    case load_status::too_many_lines:
        std::fprintf(err,
                     "%s: %s: %d lines or more for the %d days of %d\n",
                     program,
                     name,
                     loaded.line,
                     days_in_year(year),
                     year);
        break;
    case load_status::flux_out_of_range:
        std::fprintf(err,
                     "%s: %s: line %d: flux %g outside %.1f to %.1f, which the records can hold\n",
                     program,
                     name,
                     loaded.line,
                     loaded.flux,
                     lowest_flux,
                     highest_flux);
        break;
    case load_status::no_days:
        std::fprintf(err, "%s: %s: no lines; %s not written\n", program, name, names.output);
        break;
    case load_status::loaded:
        break;
    }
    return exit_failure;
}

// A file with fewer lines than its year has days lacks the days after its last line; the run
// goes on without them, but the user is told.
void warn_about_line_counts(std::FILE* err, int y, const year_names& names,
                            const std::array<int, 3>& lines) noexcept
{
    for (int i = 0; i < 3; ++i) {
        const int year = y - 1 + i;
        const int days = days_in_year(year);
        const int got = lines[static_cast<std::size_t>(i)];
        if (got != days)
            std::fprintf(err,
                         "%s: warning: %s: %d lines for the %d days of %d\n",
                         program,
                         names.inputs[static_cast<std::size_t>(i)],
                         got,
                         days,
                         year);
    }
}

int fail_writing(std::FILE* err, const write_result& written, const year_names& names) noexcept
{
    const char* reason = std::strerror(written.error_number);
    const char* ano_mean = names.output;
    switch (written.status) {
    case write_status::cannot_create:
        std::fprintf(err, "%s: %s: cannot create: %s\n", program, ano_mean, reason);
        break;
    case write_status::record_too_wide:
        std::fprintf(err,
                     "%s: %s: line %d: a value does not fit its five columns; %s not written\n",
                     program,
                     names.inputs[1],
                     written.day + 1,
                     ano_mean);
        break;
    case write_status::write_error:
        std::fprintf(err, "%s: %s: cannot write: %s\n", program, ano_mean, reason);
        break;
    case write_status::rename_error:
        std::fprintf(err, "%s: %s: cannot replace: %s\n", program, ano_mean, reason);
        break;
    case write_status::written:
        break;
    }
    return exit_failure;
}

} // namespace

year_result compute_year(int y, const year_names& names, std::FILE* err) noexcept
{
    // A link can make the yearly file one of the daily index files: it would replace it.
    const std::array<file_use, 4> uses{{{names.output, true},
                                        {names.inputs[0], false},
                                        {names.inputs[1], false},
                                        {names.inputs[2], false}}};
    if (const file_clash clash = find_file_clash(uses); clash.found) {
        std::fprintf(err,
                     "%s: %s: the same file as %s, which the run reads; %s not written\n",
                     program,
                     names.output,
                     uses[clash.first].name,
                     names.output);
        return {exit_failure, 0};
    }

    run_data run;
    init_gauss_w(run.gauss_w);

    // Each file is read once; everything written comes from that reading.
    const load_result loaded = load_year_files(y, names.inputs, run.series, run.given);
    if (loaded.status != load_status::loaded)
        return {fail_loading(err, loaded, y, names), 0};
    warn_about_line_counts(err, y, names, loaded.lines);

    distance_pass(run.series);

    const write_result written =
        write_mean_flux(y, names.output, run.series, run.gauss_w, run.given, run.records);
    if (written.status != write_status::written)
        return {fail_writing(err, written, names), 0};
    if (written.undefined_days > 0)
        std::fprintf(err,
                     "%s: warning: %s: %d days without any observed flux in an averaging window; "
                     "their undefined values are written as nan\n",
                     program,
                     names.output,
                     written.undefined_days);
    return {exit_success, written.records};
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

    const year_names names{{files.ano_bef.data(), files.ano.data(), files.ano_aft.data()},
                           files.ano_mean.data()};
    const year_result computed = compute_year(files.i_ano, names, err);
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
