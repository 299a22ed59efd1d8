#include "tools/command_line.h"

#include "io/output_file.h"
#include "meanflux_version.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <getopt.h>

namespace meanflux {

range_status parse_date_range(std::string_view text, date_range& range) noexcept
{
    constexpr std::string_view separator = "..";
    const std::size_t dots = text.find(separator);
    date_range r{};
    if (dots == std::string_view::npos) {
        if (!parse_iso_date(text, r.first))
            return range_status::not_a_date;
        r.last = r.first;
    } else if (!parse_iso_date(text.substr(0, dots), r.first) ||
               !parse_iso_date(text.substr(dots + separator.size()), r.last)) {
        return range_status::not_a_date;
    }
    if (r.last < r.first)
        return range_status::reversed;
    range = r;
    return range_status::valid;
}

int usage_error(std::FILE* err, const command_texts& texts, const char* problem) noexcept
{
    std::fprintf(err, "%s: %s\n%s", texts.program, problem, texts.usage);
    return exit_usage_or_file;
}

int show_help(std::FILE* out, std::FILE* err, const command_texts& texts) noexcept
{
    std::fputs(texts.help, out);
    errno = 0;
    if (std::fflush(out) != 0 || std::ferror(out)) {
        std::fprintf(err,
                     "%s: standard output: %s\n",
                     texts.program,
                     std::strerror(errno != 0 ? errno : EIO));
        return exit_usage_or_file;
    }
    return exit_ok;
}

int show_version(std::FILE* out, std::FILE* err, const char* program) noexcept
{
    std::fprintf(out, "%s (meanflux) %s\n", program, meanflux_version);
    errno = 0;
    if (std::fflush(out) != 0 || std::ferror(out)) {
        std::fprintf(
            err, "%s: standard output: %s\n", program, std::strerror(errno != 0 ? errno : EIO));
        return exit_usage_or_file;
    }
    return exit_ok;
}

bool refuse_file_clash(std::FILE* err, const char* program, std::span<const file_use> files)
{
    const file_clash clash = find_file_clash(files);
    if (!clash.found)
        return false;
    const file_use& first = files[clash.first];
    std::fprintf(err,
                 "%s: %s: the same file as the %s %s; nothing written\n",
                 program,
                 output_name_for_messages(files[clash.second].name),
                 first.output ? "output" : "input",
                 first.output ? output_name_for_messages(first.name) : first.name);
    return true;
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

int read_output_option(int argc, char** argv, const command_texts& texts, std::FILE* out,
                       std::FILE* err, const char*& output)
{
    enum { opt_version = 1000 };
    static const option options[] = {
        {"output", required_argument, nullptr, 'o'},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, opt_version},
        {nullptr, 0, nullptr, 0},
    };
    output = nullptr;
    optind = 0;
    for (int c; (c = getopt_long(argc, argv, "o:h", options, nullptr)) != -1;) {
        switch (c) {
        case 'o':
            output = optarg;
            break;
        case 'h':
            return show_help(out, err, texts);
        case opt_version:
            return show_version(out, err, texts.program);
        default:
            std::fputs(texts.usage, err);
            return exit_usage_or_file;
        }
    }
    if (output == nullptr)
        return usage_error(err, texts, "no output file (-o)");
    return -1;
}

} // namespace meanflux
