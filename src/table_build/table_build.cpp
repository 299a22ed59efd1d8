#include "calendar/date.h"
#include "lookup/table_data.h"
#include "record/combined_file.h"
#include "table_build/build_files.h"
#include "table_build/from_source.h"

#include <meanflux/table_build.h>

#include <cstdio>
#include <string>

namespace meanflux {

namespace {

int result_of(build_status status) noexcept
{
    switch (status) {
    case build_status::built:
        return mean_flux_found;
    case build_status::not_there:
    case build_status::no_combined_file:
        return mean_flux_year_missing;
    case build_status::source_error:
        break;
    }
    return mean_flux_no_file;
}

// The years a combined file can hold; 0 for as far as the source allows.
bool combined_year(int year) noexcept
{
    return year == 0 || (year >= first_combined_year && year <= last_run_year);
}

int build(const char* source, const mean_flux_build_options& options, mean_flux_table& table,
          std::string& message)
{
    if (!combined_year(options.from_year) || !combined_year(options.to_year)) {
        message =
            std::string(build_program) + ": " +
            std::to_string(combined_year(options.from_year) ? options.to_year : options.from_year) +
            ": a combined file holds the years from 1950 to " + std::to_string(last_run_year) +
            " only\n";
        return mean_flux_year_missing;
    }
    if (options.from_year != 0 && options.to_year != 0 && options.from_year > options.to_year) {
        message = std::string(build_program) + ": the first year is after the last\n";
        return mean_flux_year_missing;
    }
    const build_request request{
        source, options.from_year, options.to_year, options.predictions, true};
    built_years built;
    if (const build_status status = build_years_from_source(request, built, message);
        status != build_status::built)
        return result_of(status);
    message = built.warnings;
    int days = 0;
    const std::string_view file =
        combined_file_of(built.block, days, built.years.predicted_from - 1);
    const int result = load_mean_flux_table_bytes(file, table);
    if (result == mean_flux_no_memory)
        message += std::string(build_program) + ": " + source + ": not enough memory\n";
    return result;
}

// The years asked for, checked as meanflux-build checks its options; "" when they can be built.
std::string refusal_of_years(const mean_flux_build_options& options, bool combined, bool yearly)
{
    const std::string program = std::string(build_program) + ": ";
    for (const int year : {options.from_year, options.to_year})
        if (year != 0 && (year < first_run_year || year > last_run_year))
            return program + std::to_string(year) + ": not a year from " +
                   std::to_string(first_run_year) + " to " + std::to_string(last_run_year) + "\n";
    if (options.from_year != 0 && options.to_year != 0 && options.from_year > options.to_year)
        return program + "the first year is after the last\n";
    for (const int year : {options.from_year, options.to_year})
        if (!yearly && year != 0 && year < first_combined_year)
            return program + std::to_string(year) +
                   ": the combined file begins in 1950 at the earliest (day number 0); years "
                   "before 1950 need a directory for the yearly files\n";
    if (combined && options.to_year != 0 && options.to_year < first_combined_year)
        return program + "the years built end before 1950, where the combined file begins\n";
    return {};
}

int write_files(const char* source, const mean_flux_build_options& options, const char* output,
                const char* yearly_dir, std::string& message, int& error_number)
{
    if (output == nullptr && yearly_dir == nullptr) {
        message = std::string(build_program) + ": no file asked for: neither a combined file "
                                               "nor a directory for the yearly files\n";
        return mean_flux_no_file;
    }
    message = refusal_of_years(options, output != nullptr, yearly_dir != nullptr);
    if (!message.empty())
        return mean_flux_year_missing;
    const build_request request{
        source, options.from_year, options.to_year, options.predictions, output != nullptr};
    built_years built;
    if (const build_status status = build_years_from_source(request, built, message);
        status != build_status::built) {
        if (status == build_status::no_combined_file)
            message += std::string(build_program) +
                       ": the years built end before 1950, where the combined file begins\n";
        return result_of(status);
    }
    const std::vector<build_output> outputs = build_outputs_of(built, output, yearly_dir);
    message_stream err;
    if (refuse_build_overlaps(request, built, outputs, err.file())) {
        message = err.text();
        return mean_flux_no_file;
    }
    error_number = write_build_outputs(yearly_dir, outputs, err.file());
    message = built.warnings + err.text();
    return error_number == 0 ? mean_flux_found : mean_flux_no_file;
}

} // namespace

int build_mean_flux_table(const char* source, const mean_flux_build_options& options,
                          mean_flux_table& table, std::string* message) noexcept
{
    detail::mean_flux_table_access::replace(table, nullptr);
    std::string text;
    const int result = source == nullptr ? mean_flux_no_file : build(source, options, table, text);
    if (message != nullptr)
        *message = std::move(text);
    return result;
}

int build_mean_flux_files(const char* source, const mean_flux_build_options& options,
                          const char* output, const char* yearly_dir, std::string* message,
                          int* error_number) noexcept
{
    std::string text;
    int error = 0;
    const int result = source == nullptr
                           ? mean_flux_no_file
                           : write_files(source, options, output, yearly_dir, text, error);
    if (message != nullptr)
        *message = std::move(text);
    if (error_number != nullptr)
        *error_number = error;
    return result;
}

} // namespace meanflux
