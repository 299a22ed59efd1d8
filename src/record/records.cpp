#include "record/records.h"

#include "record/combined_file.h"
#include "text/numbers.h"

#include <cmath>
#include <cstdio>

namespace meanflux {

bool read_record_line(std::string_view line, mean_flux_record& record) noexcept
{
    const std::size_t shift = line.size() == record_length + 1u && line[0] == '-' ? 1 : 0;
    if (line.size() != record_length + shift)
        return false;
    const std::string_view body = line.substr(shift);
    int number = 0;
    if (!parse_digits(body.substr(0, static_cast<std::size_t>(day_field.width())), number))
        return false;
    record.values.fill(std::nan(""));
    scan_record_values(body, record.values);
    record.day = shift ? -number : number;
    return true;
}

bool read_mean_flux_records(std::string_view bytes, std::vector<mean_flux_record>& records,
                            long& bad_line)
{
    records.clear();
    long number = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t end = bytes.find('\n', at);
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view line = bytes.substr(at, end - at);
        at = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        mean_flux_record record;
        if (read_record_line(line, record)) {
            records.push_back(record);
            continue;
        }
        combined_header header{};
        if (number == 1 && parse_combined_header(bytes, header))
            continue; // the header line of a combined file
        bad_line = number;
        return false;
    }
    return true;
}

bool check_records(std::string_view bytes, int expected_day, records_check& check)
{
    check = records_check{};
    const auto stride = static_cast<std::size_t>(record_stride);
    const auto length = static_cast<std::size_t>(record_length);
    int previous = expected_day - 1;
    for (std::size_t at = 0; at < bytes.size(); at += stride) {
        const long number = check.records + 1;
        const std::string_view record = bytes.substr(at, stride);
        auto fault = [&](std::string what) {
            check.bad_record = number;
            check.fault = std::move(what);
            return false;
        };
        int day = 0;
        if (record.size() >= 5 &&
            !parse_digits(record.substr(static_cast<std::size_t>(day_field.first),
                                        static_cast<std::size_t>(day_field.width())),
                          day))
            return fault("day number \"" + std::string(record.substr(0, 5)) +
                         "\" is not five digits (0 to 99999)");
        const std::size_t end = record.find_first_of("\r\n");
        if (end != length || record.size() < stride || record.substr(length) != "\r\n") {
            if (end != std::string_view::npos && end < length)
                return fault("only " + std::to_string(end) +
                             " characters before its line end, not 47");
            if (end == length && record[length] == '\n')
                return fault("ends in LF alone; records end in CR LF");
            return fault("is not 47 characters followed by CR LF");
        }
        if (check.records == 0 && expected_day < 0)
            previous = day - 1;
        if (day != previous + 1) {
            const std::string expected = std::to_string(previous + 1);
            if (day > previous + 1)
                return fault("day " + std::to_string(day) + " where day " + expected +
                             " belongs: a gap");
            return fault("day " + std::to_string(day) + " where day " + expected +
                         " belongs: an overlap or a wrong order");
        }
        if (check.records == 0)
            check.first_day = day;
        check.last_day = day;
        previous = day;
        ++check.records;
    }
    return true;
}

} // namespace meanflux
