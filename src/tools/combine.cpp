#include "tools/combine.h"

#include "io/output_file.h"
#include "io/whole_file.h"
#include "record/combined_file.h"
#include "record/records.h"
#include "tools/command_line.h"

#include <cerrno>
#include <cstring>
#include <getopt.h>
#include <vector>

namespace meanflux {

namespace {

constexpr const char* program = "meanflux-combine";

constexpr const char* usage = "usage: meanflux-combine -o OUTPUT FILE...\n";

constexpr const char* help =
    "usage: meanflux-combine -o OUTPUT FILE...\n"
    "\n"
    "Combine yearly mean-flux files (<yyyy>_m.dat) of consecutive years, given in order,\n"
    "into one combined mean-flux data file: a header line with the first and last day\n"
    "numbers, then every record.  read_mean_flux looks days up in such a file (under the\n"
    "name mean_flux.dat).\n"
    "\n"
    "Before anything is written, every record is checked: 47 characters and CR LF, a day\n"
    "number from 0 to 99999, each day following the one before it with no gap and no\n"
    "overlap, within and across the files.  The output replaces OUTPUT only when complete\n"
    "(through a link, the file it points to); a device or FIFO is written into.\n"
    "\n"
    "options:\n"
    "  -o, --output OUTPUT  the combined file to write (mean_flux.dat, say); - for standard\n"
    "                       output\n"
    "  -h, --help           show this help\n"
    "      --version        show the version\n"
    "\n"
    "exit status: 0 written, 1 the files hold no record, 2 usage or file error\n";

// The most an input can hold: the records of every day number from 0 to 99999.
constexpr std::size_t max_input_bytes = 100000 * static_cast<std::size_t>(record_stride);

} // namespace

int combine_main(int argc, char** argv, std::FILE* out, std::FILE* err)
{
    const command_texts texts{program, usage, help};
    const char* output = nullptr;
    if (const int status = read_output_option(argc, argv, texts, out, err, output); status >= 0)
        return status;
    if (optind >= argc)
        return usage_error(err, texts, "no input file");
    // The combined file may not replace one of the files it is made of.
    std::vector<file_use> uses{{output, true}};
    for (int i = optind; i < argc; ++i)
        uses.push_back({argv[i], false});
    if (refuse_file_clash(err, program, uses))
        return exit_usage_or_file;

    // Everything is read and checked before anything is written.
    std::string body;
    int first_day = -1, last_day = -1;
    for (int i = optind; i < argc; ++i) {
        std::string bytes;
        const whole_file_result read = read_whole_file(argv[i], max_input_bytes, bytes);
        if (read.status == whole_file_status::too_large) {
            std::fprintf(err,
                         "%s: %s: more than %zu bytes, more than a combined file can hold; "
                         "nothing written\n",
                         program,
                         argv[i],
                         max_input_bytes);
            return exit_usage_or_file;
        }
        if (read.status != whole_file_status::read) {
            std::fprintf(err, "%s: %s: %s\n", program, argv[i], std::strerror(read.error_number));
            return exit_usage_or_file;
        }
        records_check check;
        if (!check_records(bytes, last_day < 0 ? -1 : last_day + 1, check)) {
            std::fprintf(err,
                         "%s: %s: record %ld: %s; nothing written\n",
                         program,
                         argv[i],
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
        std::fprintf(err, "%s: the files hold no record; nothing written\n", program);
        return exit_not_there;
    }

    const std::string combined = combined_header_line(first_day, last_day) + body;
    if (const int error_number = write_whole_file(output, combined); error_number != 0) {
        std::fprintf(err,
                     "%s: %s: cannot write: %s\n",
                     program,
                     output_name_for_messages(output),
                     std::strerror(error_number));
        return exit_usage_or_file;
    }
    return exit_ok;
}

} // namespace meanflux
