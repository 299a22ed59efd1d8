#include "tools/command_line.h"

#include "meanflux/output_file.h"

#include <cerrno>
#include <cstdio>
#include <getopt.h>

namespace meanflux {

bool parse_date(std::string_view text, civil_day& date) noexcept
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    auto number = [&](std::size_t from, std::size_t count, int& value) {
        value = 0;
        for (std::size_t i = from; i < from + count; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return false;
            value = value * 10 + (text[i] - '0');
        }
        return true;
    };
    civil_day d{};
    if (!number(0, 4, d.year) || !number(5, 2, d.month) || !number(8, 2, d.day) ||
        !gregorian_date(d.year, d.month, d.day))
        return false;
    date = d;
    return true;
}

bool gregorian_date(int year, int month, int day) noexcept
{
    if (month < 1 || month > 12 || day < 1)
        return false;
    constexpr int length[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= length[month - 1] + (month == 2 && leap);
}

int usage_error(std::FILE* err, const command_texts& texts, const char* problem) noexcept
{
    std::fprintf(err, "%s: %s\n%s", texts.program, problem, texts.usage);
    return exit_usage_or_file;
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

int read_whole_file(const char* name, std::string& bytes)
{
    bytes.clear();
    std::FILE* f = std::fopen(name, "rb");
    if (f == nullptr)
        return errno;
    char buf[1 << 16];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        bytes.append(buf, n);
    const int error_number = std::ferror(f) ? (errno != 0 ? errno : EIO) : 0;
    std::fclose(f);
    return error_number;
}

int write_whole_file(const char* name, std::string_view bytes) noexcept
{
    output_file out;
    if (const int error_number = begin_output(name, out); error_number != 0)
        return error_number;
    if (std::fwrite(bytes.data(), 1, bytes.size(), out.stream) != bytes.size()) {
        const int error_number = errno != 0 ? errno : EIO;
        abandon_output(out);
        return error_number;
    }
    int error_number = 0;
    return finish_output(out, name, error_number) == finish_status::done ? 0 : error_number;
}

} // namespace meanflux
