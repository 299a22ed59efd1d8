#include "tools/command_line.h"

#include "meanflux/output_file.h"

#include <cerrno>
#include <cstdio>

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
    if (!number(0, 4, d.year) || !number(5, 2, d.month) || !number(8, 2, d.day))
        return false;
    if (d.month < 1 || d.month > 12 || d.day < 1)
        return false;
    constexpr int length[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (d.year % 4 == 0 && d.year % 100 != 0) || d.year % 400 == 0;
    if (d.day > length[d.month - 1] + (d.month == 2 && leap))
        return false;
    date = d;
    return true;
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
