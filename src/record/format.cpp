#include "record/format.h"

#include "io/paths.h"
#include "text/numbers.h"

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

// The record as printf writes it, for any day number and any values.
int format_record_by_printf(record_buffer& record, int day, record_activity text,
                            const record_fluxes& values) noexcept
{
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

} // namespace

int format_record(record_buffer& record, int day, record_activity text,
                  const record_fluxes& values) noexcept
{
    // The usual record: a day number of five digits (with a sign before 1950) and four values
    // that fit their columns.  Anything else is written by printf.
    if (day >= -99999 && day <= 99999) {
        char* const out = record.data();
        std::size_t at = 0;
        if (day < 0)
            out[at++] = '-';
        unsigned number = day < 0 ? static_cast<unsigned>(-day) : static_cast<unsigned>(day);
        for (std::size_t i = 5; i-- > 0; number /= 10)
            out[at + i] = static_cast<char>('0' + number % 10);
        at += 5;
        std::memcpy(out + at, text.data(), text.size());
        at += text.size();
        bool fits = true;
        for (const double value :
             {values.flux_obs, values.flux_adj, values.gauss_mean, values.arith_mean}) {
            const std::span<char> field(out + at, 5);
            if (std::isnan(value))
                std::memcpy(field.data(), "  nan", field.size());
            else
                fits = fits && format_fixed_1(value, field);
            at += field.size();
        }
        if (fits) {
            out[at++] = '\r';
            out[at++] = '\n';
            out[at] = '\0';
            return static_cast<int>(at);
        }
    }
    return format_record_by_printf(record, day, text, values);
}

std::string mean_flux_file_path(std::string_view directory, int year)
{
    char name[16];
    std::snprintf(name, sizeof name, "%.4d_m.dat", year);
    return path_in(directory, name);
}

} // namespace meanflux
