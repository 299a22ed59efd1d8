// meanflux-build: from a source of daily indices (GFZ Potsdam's file, CelesTrak's SW-All.csv or
// a directory of yearly daily index files) to the combined mean-flux file in one command.
#include "cli/command.h"
#include "cli/reports.h"
#include "record/combined_file.h"
#include "record/format.h"
#include "sources/years.h"
#include "table_build/build_files.h"
#include "table_build/from_source.h"

#include <algorithm>
#include <cstring>
#include <malloc.h>
#include <string>
#include <vector>

namespace meanflux {

namespace {

constexpr const char* program = "meanflux-build";

enum : int { opt_yearly = 1000, opt_from, opt_to, opt_predictions };

constexpr option_definition option_table[] = {
    {'o', "output", "FILE", "the combined file (default: mean_flux.dat); - for standard\noutput"},
    {opt_yearly,
     "yearly",
     "DIR",
     "also write each year's <yyyy>_m.dat into DIR (created if\nmissing)"},
    {opt_from,
     "from",
     "YEAR",
     "the first year (default: the first whose preceding year the\nsource holds, 1950 at the "
     "earliest)"},
    {opt_to, "to", "YEAR", "the last year (default: the last the source holds)"},
    {opt_predictions,
     "predictions",
     nullptr,
     "also take CelesTrak's daily predictions (PRD) as days with\n"
     "flux qualifier 2, as meanflux-import --predictions writes\n"
     "them: the combined file ends with the last predicted day and\n"
     "its header line adds the last observed day number\n"
     "(\"0292227919 27874\"); a GFZ file or a directory holds none"},
};

constexpr command_definition command{
    program,
    "meanflux-build [-o FILE|-] [--yearly DIR] [--from YEAR] [--to YEAR] [--predictions] SOURCE",
    "Make the combined mean-flux data file, which read_mean_flux and meanflux-lookup\n"
    "read, from a source of daily indices in one command.  SOURCE is one of:\n"
    "  - GFZ Potsdam's Kp_ap_Ap_SN_F107_since_1932.txt (or an excerpt of it);\n"
    "  - CelesTrak's SW-All.csv (its observed days; its daily predictions, which must\n"
    "    come after the last observed day, are left out unless --predictions is given);\n"
    "  - a directory of yearly daily index files <yyyy>.dat.\n"
    "Every record is the one meanflux writes for its year from the daily index files\n"
    "that meanflux-import writes from the same source: each year is computed in its\n"
    "own window of the year before, the year and the year after.\n"
    "\n"
    "The source's last year is usually incomplete: its records are the days the source\n"
    "holds, and the year after it counts as an empty file, so that days without data\n"
    "take no part in the means.  A warning names the last day whose averaging windows\n"
    "are complete (210 days before the last day of data).  A directory's data end with\n"
    "its last file: a year missing before a later year's file is refused.\n"
    "\n"
    "The whole source is read and every year computed before anything is written; then\n"
    "every output is written in full under a temporary name before any takes its name.\n"
    "No output may be the source, one of the files read, or another output.\n",
    option_table,
    "Years run from 1937 to 2099, as for meanflux.  The combined file holds day numbers\n"
    "from 0 (1 January 1950) on: years before 1950 go into the yearly files only, and\n"
    "--from before 1950 needs --yearly.\n",
    "0 written, 1 a year needed is not in the source or has no lines,\n"
    "2 usage, source or output error\n"};

struct build_options {
    const char* output = "mean_flux.dat";
    bool output_given = false;
    const char* yearly_dir = nullptr;
    int from = 0, to = 0; // 0: not given
    const char* source = nullptr;
    bool predictions = false; // CelesTrak's daily predictions after the last observed day
};

// -o with years that end before the combined file's first: there is nothing to write there.
int no_combined_file(const build_options& o, int last_year)
{
    return usage_error(stderr,
                       command,
                       std::string("-o ") + o.output + ": the years built end with " +
                           std::to_string(last_year) + ", and the combined file begins in " +
                           std::to_string(first_combined_year) +
                           "; without -o only the --yearly files are written");
}

ending read_options(const command_line& line, build_options& o)
{
    for (const given_option& g : line.options)
        switch (g.id) {
        case 'o':
            o.output = g.argument;
            o.output_given = true;
            break;
        case opt_yearly:
            o.yearly_dir = g.argument;
            break;
        case opt_predictions:
            o.predictions = true;
            break;
        case opt_from:
        case opt_to:
            if (!parse_run_year(g.argument, g.id == opt_from ? o.from : o.to))
                return usage_error(stderr,
                                   command,
                                   std::string(g.id == opt_from ? "--from " : "--to ") +
                                       g.argument + ": not a year from " +
                                       std::to_string(first_run_year) + " to " +
                                       std::to_string(last_run_year));
            break;
        }
    if (line.operands.empty())
        return usage_error(stderr,
                           command,
                           "no SOURCE: name GFZ Potsdam's file, CelesTrak's SW-All.csv or a "
                           "directory of yearly daily index files");
    if (line.operands.size() > 1)
        return usage_error(stderr,
                           command,
                           std::to_string(line.operands.size()) +
                               " SOURCEs given: one is built at a time");
    o.source = line.operands[0];
    if (o.from != 0 && o.to != 0 && o.from > o.to)
        return usage_error(stderr,
                           command,
                           "--from " + std::to_string(o.from) + " is after --to " +
                               std::to_string(o.to));
    // Years before 1950 only go into yearly files: asked for without them, they are refused
    // rather than left out unnoticed.
    for (const auto& [name, year] : {std::pair{"--from ", o.from}, std::pair{"--to ", o.to}})
        if (o.yearly_dir == nullptr && year != 0 && year < first_combined_year)
            return usage_error(stderr,
                               command,
                               name + std::to_string(year) +
                                   ": the combined file begins in 1950 at the earliest (day "
                                   "number 0); years before 1950 need --yearly DIR");
    if (o.output_given && o.to != 0 && o.to < first_combined_year)
        return no_combined_file(o, o.to);
    return {};
}

// The summary, a line for each file written, unless standard output holds the combined file.
int summarise(const build_options& o, const year_range& r, const std::vector<build_output>& outputs)
{
    if (r.combined_from != 0 && std::strcmp(o.output, "-") == 0)
        return exit_ok;
    for (const build_output& p : outputs) {
        if (r.combined_from != 0 && &p == &outputs.back()) {
            const int first_day = day_number(1, 1, r.combined_from);
            std::fprintf(stdout,
                         "%s: %d days, %s to %s\n",
                         p.path.c_str(),
                         p.days,
                         iso_date_of(first_day).c_str(),
                         iso_date_of(first_day + p.days - 1).c_str());
        } else {
            std::fprintf(stdout, "%s: %d days\n", p.path.c_str(), p.days);
        }
    }
    return output_reached(stdout, stderr, program, "the files were written") ? exit_ok
                                                                             : exit_usage_or_file;
}

// The program, once its command line is read.
int build(const command_line& line)
{
    // Memory that is given back stays with the process for the next allocation: every page the
    // kernel hands out afresh costs far more than the work done in it.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);

    build_options o;
    if (const ending end = read_options(line, o))
        return *end;
    // The source read and every year computed, as build_mean_flux_table does.
    const build_request request{o.source, o.from, o.to, o.predictions, o.output_given};
    built_years built;
    std::string message;
    const build_status status = build_years_from_source(request, built, message);
    std::fputs(message.c_str(), stderr);
    switch (status) {
    case build_status::built:
        break;
    case build_status::not_there:
        return exit_not_there;
    case build_status::no_combined_file:
        return no_combined_file(o, built.range.to);
    case build_status::source_error:
        return exit_usage_or_file;
    }
    const std::vector<build_output> outputs = build_outputs_of(built, o.output, o.yearly_dir);
    if (refuse_build_overlaps(request, built, outputs, stderr))
        return exit_usage_or_file;
    std::fputs(built.warnings.c_str(), stderr);
    if (write_build_outputs(o.yearly_dir, outputs, stderr) != 0)
        return exit_usage_or_file;
    return summarise(o, built.range, outputs);
}

} // namespace

} // namespace meanflux

int main(int argc, char** argv)
{
    return meanflux::run_program(argc, argv, meanflux::command, meanflux::build);
}
