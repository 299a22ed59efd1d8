// meanflux-import: the file of Kp, ap, Ap, sunspot number and F10.7 that GFZ Potsdam publishes
// ("Kp_ap_Ap_SN_F107_since_1932.txt") turned into yearly daily index files <yyyy>.dat.
#pragma once

#include <array>
#include <cstdio>
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
    header,   // a header line (starting with '#') or an empty line
    malformed // neither: `problem` says why
};

// Read one line of the GFZ file (without its line end).
//
// Given:    line     the line
// Returned: day      the day's values, for a data line
//           problem  what is wrong, for a malformed line
// Returns:  the kind of line.
// Notes:    A data line holds 28 fields separated by blanks: YYYY MM DD days days_m Bsr dB,
//           Kp1..Kp8, ap1..ap8, Ap, SN, F10.7obs, F10.7adj, D.  Each value must be a number in
//           its range (a valid date; Kp 0 to 9, ap and Ap 0 to 999, sunspot number 0 to 999,
//           F10.7 0 to 999.9), or the missing-data mark -1.
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

// The day as a line of a yearly daily index file: 71 characters and LF.
//
//   1-6 year (two digits), month, day, zero-padded; 7-10 Bartels rotation; 11-12 its day;
//   13-28 the eight Kp in tenths (Kp x 10 rounded); 29-31 10 x the sum of the Kp, rounded;
//   32-55 the eight ap; 56-58 Ap; 59-61 Cp; 62 C9; 63-65 sunspot number;
//   66-70 F10.7 adjusted to 1 AU, "%5.1f"; 71 qualifier, 0 with a flux, 3 without ("  0.0").
//   A missing value leaves its columns blank (the Kp sum too when a Kp is missing, Cp and C9
//   when an ap is missing or the sum gives no established figure).
std::string daily_index_line(const gfz_day& day);

// The command: meanflux-import [-d DIR] [--from YEAR] [--to YEAR] FILE
//
// Returns:  the exit status (0, 1 when the file has no day of the years asked for, 2 for usage
//           or file errors and malformed lines).
[[nodiscard]] int import_main(int argc, char** argv, std::FILE* out, std::FILE* err);

} // namespace meanflux
