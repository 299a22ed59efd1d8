#include "driver/run.h"

#include "driver/dialogue.h"
#include "flux/distance.h"
#include "flux/means.h"
#include "input/daily_series.h"
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
    year_files files;
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

int fail_loading(std::FILE* err, const load_result& loaded, const year_files& files,
                 const std::array<const char*, 3>& names) noexcept
{
    const char* name = names[static_cast<std::size_t>(loaded.file)];
    const int year = files.year_before + loaded.file;
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
        std::fprintf(
            err, "%s: %s: no lines; %s not written\n", program, name, files.ano_mean.data());
        break;
    case load_status::loaded:
        break;
    }
    return exit_failure;
}

// A file with fewer lines than its year has days lacks the days after its last line; the run
// goes on without them, but the user is told.
void warn_about_line_counts(std::FILE* err, const year_files& files,
                            const std::array<const char*, 3>& names,
                            const std::array<int, 3>& lines) noexcept
{
    for (int i = 0; i < 3; ++i) {
        const int year = files.year_before + i;
        const int days = days_in_year(year);
        const int got = lines[static_cast<std::size_t>(i)];
        if (got != days)
            std::fprintf(err,
                         "%s: warning: %s: %d lines for the %d days of %d\n",
                         program,
                         names[static_cast<std::size_t>(i)],
                         got,
                         days,
                         year);
    }
}

int fail_writing(std::FILE* err, const write_result& written, const year_files& files) noexcept
{
    const char* reason = std::strerror(written.error_number);
    const char* ano_mean = files.ano_mean.data();
    switch (written.status) {
    case write_status::cannot_create:
        std::fprintf(err, "%s: %s: cannot create: %s\n", program, ano_mean, reason);
        break;
    case write_status::record_too_wide:
        std::fprintf(err,
                     "%s: %s: line %d: a value does not fit its five columns; %s not written\n",
                     program,
                     files.ano.data(),
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

int run_meanflux(std::FILE* in, std::FILE* out, std::FILE* err) noexcept
{
    run_data run;

    // The dialogue: banner, year, file names.
    print_banner(out);
    errno = 0;
    const dialogue_status asked = ask_year(in, out, run.files);
    if (asked != dialogue_status::accepted)
        return fail_console(err, asked, errno);
    const year_files& files = run.files;
    const std::array<const char*, 3> names{
        files.ano_bef.data(), files.ano.data(), files.ano_aft.data()};

    init_gauss_w(run.gauss_w);

    // Each file is read once; everything written comes from that reading.
    const load_result loaded = load_year_files(files.i_ano, names, run.series, run.given);
    if (loaded.status != load_status::loaded)
        return fail_loading(err, loaded, files, names);
    warn_about_line_counts(err, files, names, loaded.lines);

    distance_pass(run.series);

    const write_result written = write_mean_flux(
        files.i_ano, files.ano_mean.data(), run.series, run.gauss_w, run.given, run.records);
    if (written.status != write_status::written)
        return fail_writing(err, written, files);
    if (written.undefined_days > 0)
        std::fprintf(err,
                     "%s: warning: %s: %d days without any observed flux in an averaging window; "
                     "their undefined values are written as nan\n",
                     program,
                     files.ano_mean.data(),
                     written.undefined_days);

    std::fputs("\n", out);
    std::fprintf(out, " Output file '%8s' successfully generated\n", files.ano_mean.data());
    errno = 0;
    if (std::fflush(out) != 0)
        return fail_console(err, dialogue_status::output_error, errno);
    return exit_success;
}

} // namespace meanflux
