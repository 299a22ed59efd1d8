// The file of Kp, ap, Ap, sunspot number and F10.7 that GFZ Potsdam publishes
// ("Kp_ap_Ap_SN_F107_since_1932.txt", its nowcast file, or an excerpt of the same layout).
#pragma once

#include "daily/daily_line.h"
#include "sources/source_days.h"

#include <array>
#include <string>
#include <string_view>

namespace meanflux {

// One day of the GFZ file.  A value of -1 marks missing data.
struct gfz_day {
    int year, month, day;
    int rotation;     // Bartels solar rotation number
    int rotation_day; // day within the rotation
    std::array<double, 8> kp;
    std::array<int, 8> ap;
    int ap_daily;
    int sunspots;
    double flux_obs; // F10.7 observed, sfu
    double flux_adj; // F10.7 adjusted to 1 AU, sfu
    int definitive;  // 0, 1 or 2
};

enum class gfz_line_kind {
    day,      // a data line
    header,   // a header line (starting with '#') or a blank line
    malformed // neither: `problem` says why
};

// Read one line of the GFZ file (without its line end).
//
// Given:    line     the line
// Returned: day      the day's values, for a data line
//           problem  what is wrong, for a malformed line
// Returns:  the kind of line.
// Notes:    A data line holds 28 fields separated by blanks: YYYY MM DD days days_m Bsr dB,
//           Kp1..Kp8, ap1..ap8, Ap, SN, F10.7obs, F10.7adj, D.  Each value must be a plain
//           decimal number (no exponent, no hexadecimal, nothing after it) in its range (a valid
//           date; Kp 0 to 9, ap and Ap 0 to 999, sunspot number 0 to 999, F10.7 0 to 999.9), or
//           the missing-data mark -1.
[[nodiscard]] gfz_line_kind parse_gfz_line(std::string_view line, gfz_day& day,
                                           std::string& problem);

// Cp, the daily planetary character figure, in tenths, from the sum of the day's eight ap.
//
// Returns:  true and the figure where the archive's files establish it; false elsewhere.
// Notes:    In the yearly daily index files of 1932 to 2018, Cp is a step function of the sum of
//           the eight ap values: every one of the 31 000 days agrees with it.  The steps are
//           fixed by the data for every sum up to 1117 (Cp 1.9); above that only the sums the
//           data holds are known: 1120-1395 give 2.0, 1410-1655 give 2.1, 1707-1967 give 2.2,
//           2237 gives 2.3.  Other sums are left without a figure rather than guessed.
[[nodiscard]] bool cp_of_ap_sum(int ap_sum, int& cp_tenths) noexcept;

// C9, Cp on a scale of 0 to 9, as the archive's files pair them.
int c9_of_cp(int cp_tenths) noexcept;

// The values of the day's daily index line.
//
// Returns:  the Kp in tenths (Kp x 10 rounded: 2.333 gives 23), 10 x their sum rounded (blank
//           when a Kp is missing), ap, Ap, Cp and C9 where cp_of_ap_sum establishes them (blank
//           when an ap is missing or the sum gives no established figure), the sunspot number,
//           and F10.7 adjusted to 1 AU with qualifier 0, or 0.0 with qualifier 3 on a day without
//           flux; a missing value is left blank.
daily_values gfz_daily_values(const gfz_day& day) noexcept;

// Whether a file's first line that is not blank is one of a GFZ file: a '#' header line, or a
// data line (a year of four digits and a blank).
[[nodiscard]] bool looks_like_gfz(std::string_view first_line) noexcept;

// Read a whole GFZ file.
//
// Given:    bytes    the file's contents
// Returned: source   its days, from the first data line to the last
//           problem  the line at fault and what is wrong with it
// Returns:  read or malformed.
// Notes:    Header lines ('#') and blank lines are skipped wherever they stand.  The dates of the
//           data lines must follow each other day by day in the Gregorian calendar; a day
//           missing, repeated or out of order is refused.  No day is predicted.
[[nodiscard]] source_status read_gfz(std::string_view bytes, source_days& source,
                                     source_problem& problem);

} // namespace meanflux
