#include "plot/chart_days.h"

#include "record/combined_file.h"
#include "record/records.h"

#include <memory>

namespace meanflux {

bool read_chart_days(std::string_view bytes, std::vector<chart_day>& days, long& bad_line)
{
    days.clear();
    std::vector<mean_flux_record> records;
    if (!read_mean_flux_records(bytes, records, bad_line))
        return false;
    days.reserve(records.size());
    for (const mean_flux_record& r : records) {
        chart_day day;
        day.day = r.day;
        for (std::size_t k = 0; k < day.kp.size(); ++k)
            day.kp[k] = r.values[entry_kp_first + k];
        day.ap = r.values[entry_ap];
        day.flux_obs = r.values[entry_flux_obs];
        day.flux_adj = r.values[entry_flux_adj];
        day.gauss_mean = r.values[entry_gauss_mean];
        day.arith_mean = r.values[entry_arith_mean];
        days.push_back(day);
    }
    return true;
}

int mark_predicted_days(std::string_view bytes, std::vector<chart_day>& days)
{
    combined_header header{};
    if (!parse_combined_header(bytes, header) || header.last_observed >= header.last)
        return -1;
    for (chart_day& d : days)
        d.predicted = d.day > header.last_observed;
    return header.last_observed;
}

index_result mark_days_without_observation(const std::string& dir, std::vector<chart_day>& days)
{
    const auto file = std::make_unique<daily_year>();
    index_result done;
    for (std::size_t i = 0; i < days.size();) {
        const int year = date_of_day(days[i].day).year;
        index_result result;
        result.year = year;
        result.file = daily_file_path(dir, year);
        result.problem = read_daily_file(result.file.c_str(), year, *file, false);
        if (result.problem.status != daily_status::read)
            return result;
        // Line n is the day first + n.
        const int first = day_number(1, 1, year);
        long uncovered = 0;
        for (; i < days.size() && date_of_day(days[i].day).year == year; ++i) {
            const long n = static_cast<long>(days[i].day) - first;
            days[i].observation_unknown = n >= file->lines;
            uncovered += days[i].observation_unknown ? 1 : 0;
            if (n >= 0 && n < file->lines)
                days[i].without_observation =
                    file->flux_qual[static_cast<std::size_t>(n)] == MISSING_FLUX;
        }
        if (uncovered > 0)
            done.uncovered.push_back({result.file, uncovered});
    }
    return done;
}

} // namespace meanflux
