#include "plot/chart_days.h"

#include "input/daily_series.h"
#include "input/digits.h"
#include "input/scan_field.h"
#include "io/whole_file.h"
#include "record/record.h"

#include <meanflux/calendar.h>

#include <cmath>
#include <cstdio>

namespace meanflux {

namespace {

// A record line without its line end: 47 characters, or 48 for a day number before 1950 with
// its minus sign.
bool read_record(std::string_view line, chart_day& day)
{
    const std::size_t shift = line.size() == record_length + 1u && line[0] == '-' ? 1 : 0;
    if (line.size() != record_length + shift)
        return false;
    const std::string_view body = line.substr(shift);
    int number = 0;
    if (!parse_digits(body.substr(0, static_cast<std::size_t>(day_field.width())), number))
        return false;
    std::array<double, mean_flux_entries> values;
    values.fill(std::nan(""));
    scan_record_values(body, values);
    day.day = shift ? -number : number;
    for (std::size_t k = 0; k < day.kp.size(); ++k)
        day.kp[k] = values[entry_kp_first + k];
    day.ap = values[entry_ap];
    day.flux_obs = values[entry_flux_obs];
    day.flux_adj = values[entry_flux_adj];
    day.gauss_mean = values[entry_gauss_mean];
    day.arith_mean = values[entry_arith_mean];
    day.without_observation = false;
    return true;
}

// The lines of a text: each up to its LF, a CR just before the LF or at the very end taken off;
// a last line without a line end counts too.
std::vector<std::string_view> lines_of(std::string_view bytes)
{
    std::vector<std::string_view> lines;
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t end = bytes.find('\n', at);
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view line = bytes.substr(at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

} // namespace

bool read_chart_days(std::string_view bytes, std::vector<chart_day>& days, long& bad_line)
{
    days.clear();
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
        chart_day day;
        if (read_record(line, day)) {
            days.push_back(day);
            continue;
        }
        int first = 0, last = 0;
        const std::string head(line.substr(0, 48));
        if (number == 1 && std::sscanf(head.c_str(), "%5d%5d", &first, &last) == 2)
            continue; // the header line of a combined file
        bad_line = number;
        return false;
    }
    return true;
}

bool index_line_without_observation(std::string_view line) noexcept
{
    if (line.size() > static_cast<std::size_t>(qual_position) && line[qual_position] == '3')
        return true;
    double flux = 0;
    return scan_field(line, flux_first, flux_last, flux) != scan_result::converted ||
           !std::isfinite(flux);
}

index_result mark_days_without_observation(const std::string& dir, std::vector<chart_day>& days)
{
    // 366 lines of the longest kind, each with a CR LF.
    constexpr std::size_t max_index_bytes = 366 * (max_index_line + 2);
    const std::string folder = dir.empty() || dir.back() == '/' ? dir : dir + "/";
    index_result done;
    std::string bytes;
    for (std::size_t i = 0; i < days.size();) {
        const int year = static_cast<int>(civil_date(days[i].day).year);
        index_result result;
        result.year = year;
        result.file = folder + std::to_string(year) + ".dat";
        const whole_file_result read = read_whole_file(result.file.c_str(), max_index_bytes, bytes);
        if (read.status == whole_file_status::too_large) {
            result.status = index_status::too_large;
            return result;
        }
        if (read.status != whole_file_status::read) {
            result.status = index_status::cannot_read;
            result.error_number = read.error_number;
            return result;
        }
        const std::vector<std::string_view> lines = lines_of(bytes);
        for (std::size_t n = 0; n < lines.size(); ++n)
            if (lines[n].size() > max_index_line) {
                result.status = index_status::line_too_long;
                result.line = static_cast<long>(n) + 1;
                return result;
            }
        const int year_length = is_leap_year(year) ? 366 : 365;
        if (lines.size() > static_cast<std::size_t>(year_length)) {
            result.status = index_status::too_many_lines;
            result.lines = static_cast<long>(lines.size());
            return result;
        }
        // Line n is the day first + n.
        const int first = day_number(1, 1, year);
        long uncovered = 0;
        for (; i < days.size() && static_cast<int>(civil_date(days[i].day).year) == year; ++i) {
            const long n = static_cast<long>(days[i].day) - first;
            days[i].observation_unknown = n >= static_cast<long>(lines.size());
            uncovered += days[i].observation_unknown ? 1 : 0;
            if (n >= 0 && n < static_cast<long>(lines.size()))
                days[i].without_observation =
                    index_line_without_observation(lines[static_cast<std::size_t>(n)]);
        }
        if (uncovered > 0)
            done.uncovered.push_back({result.file, uncovered});
    }
    return done;
}

} // namespace meanflux
