// meanflux-combine: yearly mean-flux files of consecutive years made into the combined file
// that read_mean_flux reads.
#include "cli/command.h"
#include "cli/reports.h"
#include "io/whole_file.h"
#include "record/combined_file.h"
#include "record/records.h"

#include <string>
#include <vector>

namespace meanflux {

namespace {

constexpr const char* program = "meanflux-combine";

constexpr option_definition option_table[] = {
    {'o',
     "output",
     "OUTPUT",
     "the combined file to write (mean_flux.dat, say); - for standard\noutput"},
};

constexpr command_definition command{
    program,
    "meanflux-combine -o OUTPUT FILE...",
    "Combine yearly mean-flux files (<yyyy>_m.dat) of consecutive years, given in order,\n"
    "into one combined mean-flux data file: a header line with the first and last day\n"
    "numbers, then every record.  read_mean_flux looks days up in such a file (under the\n"
    "name mean_flux.dat).\n"
    "\n"
    "Before anything is written, every record is checked: 47 characters and CR LF, a day\n"
    "number from 0 to 99999, each day following the one before it with no gap and no\n"
    "overlap, within and across the files.  The output replaces OUTPUT only when complete\n"
    "(through a link, the file it points to), and never one of the files it combines; a\n"
    "device or FIFO is written into.\n",
    option_table,
    "",
    "0 written, 1 the files hold no record, 2 usage or file error\n"};

// The most an input can hold: the records of every day number from 0 to 99999.
constexpr std::size_t max_input_bytes = 100000 * static_cast<std::size_t>(record_stride);

// The program, once its command line is read.
int combine_files(const command_line& line)
{
    const char* output = nullptr;
    for (const given_option& o : line.options)
        output = o.argument; // -o, the only option
    if (output == nullptr)
        return usage_error(
            stderr, command, "no output file: name the combined file with -o OUTPUT");
    if (line.operands.empty())
        return usage_error(
            stderr,
            command,
            "no input file: name the yearly mean-flux files <yyyy>_m.dat to combine");
    const std::vector<std::string> inputs(line.operands.begin(), line.operands.end());
    if (const ending end = refuse_same_files(stderr, program, inputs, {{output}}))
        return *end;

    // Everything is read and checked before anything is written.
    std::string body;
    int first_day = -1, last_day = -1;
    for (const char* input : line.operands) {
        std::string bytes;
        const whole_file_result read = read_whole_file(input, max_input_bytes, bytes);
        if (read.status != whole_file_status::read) {
            report_read_failure(stderr, program, input, read, max_input_bytes, "a combined file");
            return exit_usage_or_file;
        }
        records_check check;
        if (!check_records(bytes, last_day < 0 ? -1 : last_day + 1, check)) {
            std::fprintf(stderr,
                         "%s: %s: record %ld: %s; nothing written\n",
                         program,
                         input,
                         check.bad_record,
                         check.fault.c_str());
            return exit_usage_or_file;
        }
        if (check.records == 0)
            continue;
        if (first_day < 0)
            first_day = check.first_day;
        last_day = check.last_day;
        body += bytes;
    }
    if (first_day < 0) {
        if (line.operands.size() == 1)
            std::fprintf(stderr, "%s: %s: no record; nothing written\n", program, line.operands[0]);
        else
            std::fprintf(stderr,
                         "%s: the %zu files hold no record; nothing written\n",
                         program,
                         line.operands.size());
        return exit_not_there;
    }
    const whole_write_result written =
        write_output_file(output, combined_header_line(first_day, last_day) + body);
    if (written.status != whole_write_status::written) {
        report_write_failure(stderr, program, output, written);
        return exit_usage_or_file;
    }
    return exit_ok;
}

} // namespace

} // namespace meanflux

int main(int argc, char** argv)
{
    return meanflux::run_program(argc, argv, meanflux::command, meanflux::combine_files);
}
