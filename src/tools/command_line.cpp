#include "tools/command_line.h"

#include "input/digits.h"
#include "meanflux_version.h"

#include <meanflux/calendar.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <getopt.h>

namespace meanflux {

bool parse_date(std::string_view text, civil_day& date) noexcept
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    civil_day d{};
    if (!parse_digits(text.substr(0, 4), d.year) || !parse_digits(text.substr(5, 2), d.month) ||
        !parse_digits(text.substr(8, 2), d.day) || !gregorian_date(d.year, d.month, d.day))
        return false;
    date = d;
    return true;
}

bool gregorian_date(int year, int month, int day) noexcept
{
    return day >= 1 && day <= days_in_month(month, year);
}

int usage_error(std::FILE* err, const command_texts& texts, const char* problem) noexcept
{
    std::fprintf(err, "%s: %s\n%s", texts.program, problem, texts.usage);
    return exit_usage_or_file;
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

int read_output_option(int argc, char** argv, const command_texts& texts, std::FILE* out,
                       std::FILE* err, const char*& output)
{
    static const option options[] = {
        {"output", required_argument, nullptr, 'o'},
        {"help", no_argument, nullptr, 'h'},
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
            std::fputs(texts.help, out);
            return exit_ok;
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
