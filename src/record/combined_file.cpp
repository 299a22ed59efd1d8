#include "record/combined_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <unistd.h>

namespace meanflux {

namespace {

// Bytes read first while looking for the header's line end: enough for any ordinary header.
constexpr std::size_t header_chunk = 128;
// The part of the header line scanned for the day range: at most 49 characters.
constexpr std::size_t header_room = 49;
// Characters of the last observed day number after the two of the range ("%05d").
constexpr std::size_t observed_width = 5;

// The last observed day that the rest of a header line after its two day numbers states.
//
// Given:    rest           the header line after the second day number, line end included
//           first, last    the header's range
// Returns:  the last observed day, kept within first - 1 .. last; `last` when the rest is not
//           one blank, a number of five characters and the line end (or the file's end).
int last_observed_day(std::string_view rest, int first, int last) noexcept
{
    if (rest.ends_with("\r\n"))
        rest.remove_suffix(2);
    else if (rest.ends_with('\n'))
        rest.remove_suffix(1);
    if (rest.size() != 1 + observed_width || rest[0] != ' ')
        return last;
    const char* const begin = rest.data() + 1;
    const char* const end = rest.data() + rest.size();
    int observed = 0;
    const auto [stop, error] = std::from_chars(begin, end, observed);
    if (error != std::errc{} || stop != end)
        return last;
    // A range whose first day is after its last holds no day: nothing is predicted in it.
    if (first > last)
        return last;
    return std::clamp(observed, first - 1, last);
}

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
    int scanned = -1;
    if (std::sscanf(text.data(), "%5d%5d%n", &header.first, &header.last, &scanned) != 2)
        return false;
    const auto after = static_cast<std::size_t>(scanned);
    header.last_observed = last_observed_day(
        std::string_view(bytes.data() + after, line_length - after), header.first, header.last);
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

std::string combined_header_line(int first_day, int last_day, int last_observed)
{
    char header[32];
    if (last_observed >= 0 && last_observed < last_day)
        std::snprintf(
            header, sizeof header, "%05d%05d %05d\r\n", first_day, last_day, last_observed);
    else
        std::snprintf(header, sizeof header, "%05d%05d\r\n", first_day, last_day);
    return header;
}

} // namespace meanflux
