// The space-weather file that CelesTrak publishes, SW-All.csv: one row per day since
// 1 October 1957 with Kp, ap, Ap, Cp, C9, the sunspot number and F10.7, then 45 days of daily
// predictions and monthly predictions.
#pragma once

#include "daily/daily_line.h"
#include "sources/source_days.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace meanflux {

// The most fields a header row may have.
inline constexpr std::size_t max_celestrak_columns = 64;

// Where the fields that a daily index line takes stand in a row, found by their names in the
// header row.
struct celestrak_columns {
    std::size_t count = 0;           // fields of the header row, which every row must have
    std::size_t date = 0;            // DATE
    std::size_t rotation = 0;        // BSRN
    std::size_t rotation_day = 0;    // ND
    std::array<std::size_t, 8> kp{}; // KP1 ... KP8, in tenths
    std::size_t kp_sum = 0;          // KP_SUM, in tenths
    std::array<std::size_t, 8> ap{}; // AP1 ... AP8
    std::size_t ap_daily = 0;        // AP_AVG
    std::size_t cp = 0;              // CP
    std::size_t c9 = 0;              // C9
    std::size_t sunspots = 0;        // ISN
    std::size_t flux_adjusted = 0;   // F10.7_ADJ
    std::size_t data_type = 0;       // F10.7_DATA_TYPE
};

// What F10.7_DATA_TYPE says about a row.
enum class flux_data_type {
    observed,          // OBS: the flux was observed that day
    interpolated,      // INT: no observation that day; the row's flux is interpolated
    predicted,         // PRD: a daily prediction, for the 45 days after the last observed one
    monthly_predicted, // PRM: a monthly prediction, one row per month, without Kp and ap
};

// One row of the file.
struct celestrak_row {
    flux_data_type type = flux_data_type::observed;
    daily_values values; // the daily index line's values (for a PRM row, what the row holds)
};

// Whether a file's first line that is not blank is the header row of SW-All.csv.
[[nodiscard]] bool looks_like_celestrak(std::string_view first_line) noexcept;

// Find the columns by their names.
//
// Given:    header   the header row, without its line end
// Returned: columns  where each column stands
//           problem  what is wrong, when the result is false
// Returns:  true when every column named in celestrak_columns is there; the header may hold
//           other columns, in any order.
[[nodiscard]] bool read_celestrak_header(std::string_view header, celestrak_columns& columns,
                                         std::string& problem);

// Convert one row.
//
// Given:    row      the row, without its line end
//           columns  from the header row
// Returned: result   the row's data type and the values of its daily index line
//           problem  what is wrong, when the result is false
// Returns:  true for a row of the header's number of fields, a date YYYY-MM-DD, numbers in their
//           ranges or empty fields, and a known data type.
// Notes:    1. An empty field leaves its columns of the daily index line blank.
//           2. Kp and their sum are in tenths already (43 is Kp 4.3): 0 to 90 and 0 to 720.
//              ap and Ap are 0 to 999, Cp 0.0 to 2.5, C9 0 to 9, the sunspot number 0 to 999,
//              BSRN 0 to 9999, ND 1 to 99, F10.7 0.0 to 999.9.
//           3. The flux and its qualifier: OBS gives F10.7_ADJ and 0; PRD gives F10.7_ADJ and 2;
//              INT, and OBS or PRD without F10.7_ADJ, give 0.0 and 3 (no observation: the
//              yearly run fills such a day from its Gaussian mean).
[[nodiscard]] bool parse_celestrak_row(std::string_view row, const celestrak_columns& columns,
                                       celestrak_row& result, std::string& problem);

// Read a whole SW-All.csv.
//
// Given:    bytes    the file's contents
// Returned: source   its days: every OBS, INT and PRD row, with PRD rows marked predicted; PRM
//                    rows are left out
//           problem  the line at fault and what is wrong with it
// Returns:  read or malformed.
// Notes:    Every row is checked, PRM rows too.  The dates of the rows other than PRM must follow
//           each other day by day in the Gregorian calendar.  Lines may end with LF or CR LF;
//           blank lines are skipped.
[[nodiscard]] source_status read_celestrak(std::string_view bytes, source_days& source,
                                           source_problem& problem);

} // namespace meanflux
