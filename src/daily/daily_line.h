// The line of a yearly daily index file made from a day's values: the writing side of the
// layout that daily/index_line.h reads.
#pragma once

#include "daily/index_line.h"
#include "text/numbers.h"

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace meanflux {

// Characters of a daily index line, line end not counted: the columns a run reads.
inline constexpr std::size_t daily_line_length = used_columns;

// The value of a field that the source leaves empty or marks as missing: its columns stay blank.
inline constexpr int no_value = -1;

// Flux qualifiers, column 71.
inline constexpr int flux_observed = 0;           // a flux observed that day
inline constexpr int flux_estimated = 2;          // a flux estimated (predicted) for that day
inline constexpr int flux_missing = MISSING_FLUX; // no flux that day: the flux columns hold
                                                  // "  0.0"

inline constexpr std::array<int, 8> all_missing{
    no_value, no_value, no_value, no_value, no_value, no_value, no_value, no_value};

// One day's values as a daily index line holds them.  Whole numbers are no_value where missing.
struct daily_values {
    int year = 0, month = 0, day = 0;           // the date
    int rotation = no_value;                    // Bartels solar rotation number, 0 to 9999
    int rotation_day = no_value;                // day within the rotation, 1 to 99
    std::array<int, 8> kp_tenths = all_missing; // the eight Kp in tenths, 0 to 99
    int kp_sum_tenths = no_value;               // their sum in tenths, 0 to 999
    std::array<int, 8> ap = all_missing;        // the eight ap, 0 to 999
    int ap_daily = no_value;                    // Ap, 0 to 999
    double cp = -1.0;                           // Cp, 0.0 to 9.9; negative where missing
    int c9 = no_value;                          // C9, 0 to 9
    int sunspots = no_value;                    // sunspot number, 0 to 999
    double flux = 0.0;                          // F10.7 adjusted to 1 AU, 0.0 to 999.9 (sfu)
    int qualifier = flux_missing;               // 0 to 9
};

// Write the day's line.
//
// Given:    v     the values; a whole number of no_value and a negative Cp leave their columns
//                 blank
// Returned: line  the 71 characters
// Returns:  true; false when a value does not fit its columns (then `line` is not a daily index
//           line and must not be used).
// Notes:    The columns, counted from 1:
//             1-6 year (last two digits), month and day, two digits each, zero-padded;
//             7-10 Bartels rotation; 11-12 its day; 13-28 the eight Kp in tenths, two each;
//             29-31 their sum; 32-55 the eight ap, three each; 56-58 Ap; 59-61 Cp ("%3.1f");
//             62 C9; 63-65 sunspot number; 66-70 flux ("%5.1f"); 71 the qualifier.
//           Whole numbers are right-aligned and padded with blanks, as "%Nd" writes them; the
//           reals are written by format_fixed_1 (record/format.h), as the records are.
[[nodiscard]] bool format_daily_line(const daily_values& v,
                                     std::span<char, daily_line_length> line) noexcept;

} // namespace meanflux
