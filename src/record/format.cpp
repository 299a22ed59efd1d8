#include "record/format.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace meanflux {

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
    // The usual record, in one call; "%.*s" stops at a NUL, so a text that holds one is copied
    // by the general way below.
    if (!std::isnan(values.flux_obs) && !std::isnan(values.flux_adj) &&
        !std::isnan(values.gauss_mean) && !std::isnan(values.arith_mean) &&
        std::memchr(text.data(), '\0', text.size()) == nullptr)
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
    auto used = static_cast<std::size_t>(std::snprintf(out, record.size(), "%.5d", day));
    std::memcpy(out + used, text.data(), text.size());
    used += text.size();
    for (const double value :
         {values.flux_obs, values.flux_adj, values.gauss_mean, values.arith_mean})
        used += static_cast<std::size_t>(format_flux(out + used, record.size() - used, value));
    used += static_cast<std::size_t>(std::snprintf(out + used, record.size() - used, "\r\n"));
    return static_cast<int>(used);
}

} // namespace meanflux
