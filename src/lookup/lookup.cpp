#include "io/file_handle.h"
#include "lookup/lookup_at.h"
#include "record/record.h"

#include <meanflux/calendar.h>
#include <meanflux/lookup.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

namespace meanflux {

namespace {

// Read up to `count` bytes at `offset`, as many as the file holds there; -1 on failure.
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

// Keep what a line-by-line read would have taken: the bytes up to and including the first line
// end, and no more than `room` of them.  Zero everything after.
std::size_t cut_line(char* buf, std::size_t got, std::size_t room) noexcept
{
    std::size_t n = std::min(got, room);
    if (const void* lf = std::memchr(buf, '\n', n))
        n = static_cast<std::size_t>(static_cast<const char*>(lf) - buf) + 1;
    std::memset(buf + n, 0, room + 1 - n);
    return n;
}

// Bytes taken at a time while looking for the end of the header line.
constexpr std::size_t header_chunk = 128;
// The part of the header line scanned for the day range: at most 49 characters.
constexpr std::size_t header_room = 49;

// Read the header line: the first and last day numbers, and where the records begin, just after
// the header's line end however long the line is (or at the end of a file that has none).
bool read_header(int fd, int& first, int& last, off_t& data_start) noexcept
{
    std::array<char, header_chunk + 1> chunk{};
    ssize_t got = read_at(fd, chunk.data(), header_chunk, 0);
    if (got <= 0)
        return false;
    off_t chunk_start = 0;
    const void* lf = std::memchr(chunk.data(), '\n', static_cast<std::size_t>(got));
    std::array<char, header_room + 1> header{};
    std::memcpy(header.data(), chunk.data(), std::min(static_cast<std::size_t>(got), header_room));
    cut_line(header.data(), static_cast<std::size_t>(got), header_room);
    if (std::sscanf(header.data(), "%5d%5d", &first, &last) != 2)
        return false;
    while (lf == nullptr && got == static_cast<ssize_t>(header_chunk)) {
        chunk_start += got;
        got = read_at(fd, chunk.data(), header_chunk, chunk_start);
        if (got < 0)
            return false;
        lf = std::memchr(chunk.data(), '\n', static_cast<std::size_t>(got));
    }
    data_start = lf != nullptr ? chunk_start + (static_cast<const char*>(lf) - chunk.data()) + 1
                               : chunk_start + got;
    return true;
}

} // namespace

int read_mean_flux_file(const char* file_name, int day, int month, int year,
                        double mean_flux_values[14]) noexcept
{
    const descriptor file(file_name);
    if (!file)
        return mean_flux_no_file;
    return read_mean_flux_at(file.fd(), day, month, year, mean_flux_values);
}

int read_mean_flux_at(int fd, int day, int month, int year, double mean_flux_values[14]) noexcept
{
    int first = 0;
    int last = 0;
    off_t data_start = 0;
    if (!read_header(fd, first, last, data_start))
        return mean_flux_no_file;

    const int d = day_number(day, month, year);
    if (d < first || d > last)
        return mean_flux_out_of_range;

    // The record of day d begins (d - first) records after the header line.  It is read as a
    // line: 47 characters and the line end at most.
    const std::int64_t offset =
        static_cast<std::int64_t>(data_start) +
        (static_cast<std::int64_t>(d) - static_cast<std::int64_t>(first)) * record_stride;
    constexpr std::size_t record_read = record_length + 1;
    std::array<char, record_read + 1> buffer{};
    const ssize_t got = read_at(fd, buffer.data(), record_read, static_cast<off_t>(offset));
    if (got <= 0)
        return mean_flux_no_record; // the file ends before the day's record
    const std::string_view line(
        buffer.data(), cut_line(buffer.data(), static_cast<std::size_t>(got), record_read));
    int found = 0;
    if (!scan_record_day(line, found) || found != d)
        return mean_flux_no_record;

    std::array<double, mean_flux_entries> values{};
    std::copy_n(mean_flux_values, values.size(), values.begin());
    scan_record_values(line, values);
    std::copy(values.begin(), values.end(), mean_flux_values);
    return mean_flux_found;
}

int read_mean_flux(int day, int month, int year, double mean_flux_values[14]) noexcept
{
    return read_mean_flux_file("mean_flux.dat", day, month, year, mean_flux_values);
}

} // namespace meanflux
