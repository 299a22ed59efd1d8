#include "record/format.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace meanflux {

void copy_activity_text(const line_buffer& line, activity_text& text) noexcept
{
    const int length = line_text_length(line);
    std::size_t t = 0;
    auto copy = [&](int first, int last) {
        const auto count = static_cast<std::size_t>(last - first + 1);
        if (last < length) { // the line reaches every column: copied as it stands
            std::memcpy(text.data() + t, line.data() + first, count);
            t += count;
            return;
        }
        for (int p = first; p <= last; ++p)
            text[t++] = p < length ? line[static_cast<std::size_t>(p)] : ' ';
    };
    copy(kp_text_first, kp_text_last);
    copy(ap_text_first, ap_text_last);
}

namespace {

int format_flux(char* out, std::size_t room, double value) noexcept
{
    if (std::isnan(value))
        return std::snprintf(out, room, "%5s", "nan");
    return std::snprintf(out, room, "%5.1f", value);
}

} // namespace

int format_record(record_buffer& record, int day, const activity_text& text,
                  const day_values& values) noexcept
{
    if (!std::isnan(values.flux_obs) && !std::isnan(values.flux_adj) &&
        !std::isnan(values.gauss_mean) && !std::isnan(values.arith_mean))
        return std::snprintf(record.data(),
                             record.size(),
                             "%.5d%.*s%5.1f%5.1f%5.1f%5.1f\r\n",
                             day,
                             activity_text_length,
                             text.data(),
                             values.flux_obs,
                             values.flux_adj,
                             values.gauss_mean,
                             values.arith_mean);

    char* out = record.data();
    std::size_t used = static_cast<std::size_t>(
        std::snprintf(out, record.size(), "%.5d%.*s", day, activity_text_length, text.data()));
    for (const double value :
         {values.flux_obs, values.flux_adj, values.gauss_mean, values.arith_mean})
        used += static_cast<std::size_t>(format_flux(out + used, record.size() - used, value));
    used += static_cast<std::size_t>(std::snprintf(out + used, record.size() - used, "\r\n"));
    return static_cast<int>(used);
}

} // namespace meanflux
