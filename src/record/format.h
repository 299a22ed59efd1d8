// Writing a mean-flux record (record/record.h gives its columns): the day number, the activity
// text copied from the day's daily index line, and the four fluxes.
#pragma once

#include "record/record.h"

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace meanflux {

// The activity text of a record, columns 6-27: copied from the day's daily index line.
using record_activity = std::span<const char, static_cast<std::size_t>(activity_field.width())>;

// The four fluxes of a record, in the order written.
struct record_fluxes {
    double flux_obs;   // observed flux
    double flux_adj;   // flux adjusted to 1 AU
    double gauss_mean; // Gaussian centred mean ("J77")
    double arith_mean; // arithmetic centred mean ("J70")
};

// Room for the longest record: the widths are minimum widths, so a day number takes up to 11
// characters and a flux of any size up to 312 ("%5.1f" of -1.8e308).
inline constexpr std::size_t record_room = 11 + record_activity::extent + 4 * 312 + 2 + 1;
using record_buffer = std::array<char, record_room>;

// Format one record with its CR LF.
//
// Given:    day     the day number
//           text    the activity text
//           values  observed flux, adjusted flux, Gaussian mean, arithmetic mean
// Returned: record  the record, terminated
// Returns:  its length in bytes, line end included: record_bytes(day) when every value fits
//           its five columns.
// Notes:    1. The text is exactly what printf writes with "%.5d", "%5.1f" and the activity
//              text copied byte for byte, whatever bytes it holds: a day number of five digits
//              and values that fit their columns are written by format_fixed_1, anything else
//              by printf itself.
//           2. A value that is not a number (a mean without any observed day in its window) is
//              written "  nan": five columns, like the numbers around it.
int format_record(record_buffer& record, int day, record_activity text,
                  const record_fluxes& values) noexcept;

// Length of the record of a day whose four values each fit their five columns.
//
// Given:    day  the day number
// Returns:  record_stride (49) for day numbers 0 to 99999; one more for -99999 to -1 (1937 to
//           1949), whose number takes a sign; more again for longer day numbers.
constexpr int record_bytes(int day) noexcept
{
    long long magnitude = day < 0 ? -static_cast<long long>(day) : day;
    int digits = 1;
    while (magnitude >= 10) {
        magnitude /= 10;
        ++digits;
    }
    const int day_width = (digits > 5 ? digits : 5) + (day < 0 ? 1 : 0);
    return record_stride - 5 + day_width;
}

// The name of a year's mean-flux file: <yyyy>_m.dat, in `directory`.
//
// Given:    directory  the directory; empty for the current one (the name alone)
//           year       the year, 0 to 9999
// Returns:  "1980_m.dat", "out/1980_m.dat" (for "out" and "out/" alike).
[[nodiscard]] std::string mean_flux_file_path(std::string_view directory, int year);

} // namespace meanflux
