#include "yearly/writer.h"

#include "io/output_file.h"

#include <meanflux/calendar.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace meanflux {

calendar_anchors anchors_of(int y) noexcept
{
    return {day_number(1, 1, y), days_in_year(y - 1)};
}

write_status format_records(calendar_anchors anchors, const daily_series& series,
                            const gauss_table& gauss_w, std::span<const activity_text> activity,
                            std::span<char> records, write_result& result) noexcept
{
    // A year's days at once; days past a year's length (no loaded file has them) one by one.
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
        const int length = format_record(record, day, activity[i], v);
        const auto size = static_cast<std::size_t>(length);
        if (length != record_bytes(day) || size > records.size() - used) {
            result.day = n;
            return write_status::record_too_wide;
        }
        std::memcpy(records.data() + used, record.data(), size);
        used += size;
        ++result.records;
        if (std::isnan(v.flux_obs) || std::isnan(v.flux_adj) || std::isnan(v.gauss_mean) ||
            std::isnan(v.arith_mean))
            ++result.undefined_days;
    }
    result.bytes = static_cast<int>(used);
    return write_status::written;
}

write_status format_records(calendar_anchors anchors, const daily_series& series,
                            const gauss_table& gauss_w, const given_days& given,
                            year_records& records, write_result& result) noexcept
{
    const auto count = static_cast<std::size_t>(std::clamp(given.count, 0, max_year_days));
    return format_records(anchors,
                          series,
                          gauss_w,
                          std::span<const activity_text>(given.activity.data(), count),
                          records,
                          result);
}

write_result write_mean_flux(int y, const char* ano_mean, const daily_series& series,
                             const gauss_table& gauss_w, const given_days& given,
                             year_records& records) noexcept
{
    write_result result;
    result.status = format_records(anchors_of(y), series, gauss_w, given, records, result);
    if (result.status != write_status::written)
        return result;

    output_file out;
    if ((result.error_number = begin_output(ano_mean, out)) != 0) {
        result.status = write_status::cannot_create;
        return result;
    }
    const auto size = static_cast<std::size_t>(result.bytes);
    errno = 0;
    if (std::fwrite(records.data(), 1, size, out.stream) != size) {
        result.error_number = errno != 0 ? errno : EIO;
        result.status = write_status::write_error;
        abandon_output(out);
        return result;
    }
    switch (finish_output(out, ano_mean, result.error_number)) {
    case finish_status::done:
        break;
    case finish_status::write_error:
        result.status = write_status::write_error;
        break;
    case finish_status::rename_error:
        result.status = write_status::rename_error;
        break;
    }
    return result;
}

} // namespace meanflux
