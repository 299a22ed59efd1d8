#include "yearly/pipeline.h"

#include <meanflux/calendar.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace meanflux {

static_assert(activity_text_length == activity_field.width(),
              "a record copies the activity text of its daily index line whole");

void init_year_tables(year_tables& tables) noexcept
{
    init_gauss_w(tables.gauss_w);
    init_distance_table(tables.distances);
}

calendar_anchors anchors_of(int y) noexcept
{
    return {day_number(1, 1, y), days_in_year(y - 1)};
}

year_status format_records(calendar_anchors anchors, const daily_series& series,
                           const gauss_table& gauss_w, std::span<const activity_text> activity,
                           std::span<char> records, year_result& result) noexcept
{
    // A year's days at once; days past a year's length (no file read has them) one by one.
    std::array<day_values, max_year_days> values;
    const std::size_t at_once = std::min(values.size(), activity.size());
    year_fluxes(
        series, gauss_w, anchors.year_offset, std::span<day_values>(values.data(), at_once));
    record_buffer record;
    std::size_t used = 0;
    for (std::size_t i = 0; i < activity.size(); ++i) {
        const int n = static_cast<int>(i);
        const int day = anchors.first_day + n;
        const day_values v =
            i < at_once ? values[i] : day_fluxes(series, gauss_w, anchors.year_offset, n);
        const int length = format_record(
            record, day, activity[i], {v.flux_obs, v.flux_adj, v.gauss_mean, v.arith_mean});
        const auto size = static_cast<std::size_t>(length);
        if (length != record_bytes(day) || size > records.size() - used) {
            result.day = n;
            return year_status::record_too_wide;
        }
        std::memcpy(records.data() + used, record.data(), size);
        used += size;
        ++result.records;
        if (std::isnan(v.flux_obs) || std::isnan(v.flux_adj) || std::isnan(v.gauss_mean) ||
            std::isnan(v.arith_mean))
            ++result.undefined_days;
    }
    result.bytes = static_cast<int>(used);
    return year_status::written;
}

year_status compute_year(int y, const daily_years& files, const year_tables& tables,
                         daily_series& work, std::span<char> records, year_result& result) noexcept
{
    result = year_result{};
    const daily_year* given = files.of(y);
    if (given == nullptr || given->lines == 0)
        return result.status = year_status::no_days;

    work.flux_adj.fill(0.0);
    work.flux_qual.fill(MISSING_FLUX);
    work.flux_obs.fill(0.0);
    work.series_len = days_in_year(y - 1) + days_in_year(y) + days_in_year(y + 1);
    std::size_t position = 0;
    for (int year = y - 1; year <= y + 1; ++year) {
        if (const daily_year* file = files.of(year)) {
            const auto lines = static_cast<std::size_t>(file->lines);
            std::copy_n(file->flux_adj.begin(), lines, work.flux_adj.begin() + position);
            std::copy_n(file->flux_qual.begin(), lines, work.flux_qual.begin() + position);
        }
        position += static_cast<std::size_t>(days_in_year(year));
    }
    distance_pass(work, tables.distances);
    return result.status =
               format_records(anchors_of(y),
                              work,
                              tables.gauss_w,
                              std::span<const activity_text>(
                                  given->activity.data(), static_cast<std::size_t>(given->lines)),
                              records,
                              result);
}

} // namespace meanflux
