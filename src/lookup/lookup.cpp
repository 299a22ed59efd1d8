#include "io/file_handle.h"
#include "lookup/lookup_at.h"
#include "record/combined_file.h"
#include "record/record.h"

#include <meanflux/calendar.h>
#include <meanflux/lookup.h>
#include <meanflux/space_weather.h>
#include <meanflux/table.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

namespace meanflux {

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
    combined_header header{};
    if (!read_combined_header(fd, header))
        return mean_flux_no_file;

    const int d = day_number(day, month, year);
    if (d < header.first || d > header.last)
        return mean_flux_out_of_range;

    // The record of day d begins (d - first) records after the header line.
    const std::int64_t offset =
        header.data_start +
        (static_cast<std::int64_t>(d) - static_cast<std::int64_t>(header.first)) * record_stride;
    std::array<char, record_read> buffer;
    const ssize_t got = read_at(fd, buffer.data(), buffer.size(), static_cast<off_t>(offset));
    if (got <= 0)
        return mean_flux_no_record; // the file ends before the day's record
    const std::string_view line =
        record_line(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
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

const char* mean_flux_result_text(int result) noexcept
{
    switch (result) {
    case mean_flux_found:
        return "found";
    case space_weather_partial:
        return "found, with a shortened 81-day mean or predicted days";
    case mean_flux_out_of_range:
        return "outside the file's range";
    case mean_flux_no_record:
        return "a record missing or holding no value";
    case mean_flux_no_file:
        return "no file, no day range in its header, or an empty table";
    case mean_flux_no_memory:
        return "out of memory";
    default:
        return "unknown result";
    }
}

} // namespace meanflux
