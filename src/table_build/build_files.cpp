#include "table_build/build_files.h"

#include "cli/command.h"
#include "cli/reports.h"
#include "daily/daily_year.h"
#include "io/file_set.h"
#include "io/output_file.h"
#include "record/combined_file.h"
#include "record/format.h"

#include <cerrno>
#include <cstring>

namespace meanflux {

std::vector<build_output> build_outputs_of(built_years& built, const char* output,
                                           const char* yearly_dir)
{
    std::vector<build_output> outputs;
    year_block& block = built.block;
    if (yearly_dir != nullptr)
        for (const year_job& job : block.jobs)
            outputs.push_back({mean_flux_file_path(yearly_dir, job.year),
                               std::string_view(job.records.data(), job.records.size()),
                               job.result.records});
    if (output != nullptr && block.combined_from != 0) {
        int days = 0;
        const std::string_view combined =
            combined_file_of(block, days, built.years.predicted_from - 1);
        outputs.push_back({output, combined, days});
    }
    return outputs;
}

bool refuse_build_overlaps(const build_request& request, const built_years& built,
                           std::span<const build_output> outputs, std::FILE* err)
{
    const source_years& years = built.years;
    std::vector<std::string> inputs, written;
    if (years.format == source_format::yearly_files)
        for (int year = years.first_held(); year <= years.last_held(); ++year)
            inputs.push_back(daily_file_path(request.source, year));
    else
        inputs.emplace_back(request.source);
    for (const build_output& o : outputs)
        written.push_back(o.path);
    return refuse_same_files(err, build_program, inputs, written).has_value();
}

int write_build_outputs(const char* yearly_dir, std::span<const build_output> outputs,
                        std::FILE* err)
{
    // A directory made here goes again, on a signal too, unless a file takes its name in it.
    output_directory yearly;
    if (yearly_dir != nullptr)
        if (const int e = yearly.make(yearly_dir); e != 0) {
            std::fprintf(err,
                         "%s: %s: cannot create the directory: %s; nothing written\n",
                         build_program,
                         yearly_dir,
                         std::strerror(e));
            return e;
        }
    std::vector<file_to_write> files;
    for (const build_output& o : outputs)
        files.push_back({o.path.c_str(), {}, o.bytes});
    const file_set_result result = write_files_together(files);
    if (result.status == file_set_status::written) {
        yearly.keep();
        return 0;
    }
    report_file_set_failure(err, build_program, files, result);
    return result.error_number != 0 ? result.error_number : EIO;
}

} // namespace meanflux
