#include "record/combined_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace meanflux {

namespace {

// Bytes read first while looking for the header's line end: enough for any ordinary header.
constexpr std::size_t header_chunk = 128;
// The part of the header line scanned for the day range: at most 49 characters.
constexpr std::size_t header_room = 49;

} // namespace

ssize_t read_at(int fd, char* buf, std::size_t count, off_t offset) noexcept
{
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n = ::pread(fd, buf + got, count - got, offset + static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

bool parse_combined_header(std::string_view bytes, combined_header& header) noexcept
{
    if (bytes.empty())
        return false;
    const std::size_t searched = std::min(bytes.size(), header_search_limit);
    const char* lf = static_cast<const char*>(std::memchr(bytes.data(), '\n', searched));
    if (lf == nullptr && bytes.size() > header_search_limit)
        return false;
    const std::size_t line_length =
        lf != nullptr ? static_cast<std::size_t>(lf - bytes.data()) + 1 : bytes.size();

    // The header as a line-by-line read into a 50-character buffer takes it: a C string.
    std::array<char, header_room + 1> text{};
    std::memcpy(text.data(), bytes.data(), std::min(line_length, header_room));
    if (std::sscanf(text.data(), "%5d%5d", &header.first, &header.last) != 2)
        return false;
    header.data_start = static_cast<std::int64_t>(line_length);
    return true;
}

bool read_combined_header(int fd, combined_header& header) noexcept
{
    // One byte beyond the searched bytes tells whether the file goes on past them.
    std::array<char, header_search_limit + 1> bytes;
    ssize_t got = read_at(fd, bytes.data(), header_chunk, 0);
    if (got <= 0)
        return false;
    if (got == static_cast<ssize_t>(header_chunk) &&
        std::memchr(bytes.data(), '\n', header_chunk) == nullptr) {
        const ssize_t more =
            read_at(fd, bytes.data() + got, bytes.size() - header_chunk, static_cast<off_t>(got));
        if (more < 0)
            return false;
        got += more;
    }
    return parse_combined_header(std::string_view(bytes.data(), static_cast<std::size_t>(got)),
                                 header);
}

std::string combined_header_line(int first_day, int last_day)
{
    char header[32];
    std::snprintf(header, sizeof header, "%05d%05d\r\n", first_day, last_day);
    return header;
}

} // namespace meanflux
