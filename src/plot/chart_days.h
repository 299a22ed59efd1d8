// The days a chart draws: the records of a yearly or combined mean-flux file, and which of them
// had no flux observation according to the yearly daily index files.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace meanflux {

// One day of the chart.  A value that the record does not give is not a number.
struct chart_day {
    int day = 0;                      // day number (days since 1 January 1950)
    std::array<double, 8> kp{};       // the eight 3-hourly Kp values, in whole units (2.3, not 23)
    double ap = 0;                    // daily Ap
    double flux_obs = 0;              // flux observed at the Earth's distance from the Sun (sfu)
    double flux_adj = 0;              // flux adjusted to 1 AU
    double gauss_mean = 0;            // J77
    double arith_mean = 0;            // J70
    bool without_observation = false; // known to have no flux observation: its fluxes were filled
    bool observation_unknown = false; // its daily index file has no line for it
};

// Read the records of a yearly or combined mean-flux file.
//
// Given:    bytes     the file's contents
// Returned: days      one entry per record, in file order; without_observation false throughout
//           bad_line  1-based number of the first line that is not a record, on failure
// Returns:  true when every line is a record, the first line of a combined file excepted (its
//           header with the first and last day numbers).
// Notes:    A record is 47 characters, or 48 with the minus sign of a day before 1950, ended by
//           CR LF or LF; a last line without a line end counts too.  A field that holds no
//           number ("nan", blanks) gives not a number.
[[nodiscard]] bool read_chart_days(std::string_view bytes, std::vector<chart_day>& days,
                                   long& bad_line);

// Longest line of a yearly daily index file, line end not counted.
inline constexpr std::size_t max_index_line = 4096;

enum class index_status {
    read,           // every file was read; the days it shows without observation are marked
    cannot_read,    // a file could not be opened or read: error_number tells why
    line_too_long,  // a line of more than max_index_line characters: line tells which
    too_many_lines, // more lines than the year has days: lines tells how many
    too_large,      // more bytes than 366 of the longest lines hold
};

// A daily index file that has no line for some of the days drawn.
struct uncovered_days {
    std::string file;
    long days = 0; // the days drawn of its year that it has no line for
};

struct index_result {
    index_status status = index_status::read;
    std::vector<uncovered_days> uncovered; // on read: the files short of some of the days
    std::string file;                      // the file concerned, on failure
    int error_number = 0;                  // errno of a failed open or read
    long line = 0;                         // 1-based number of the line that is too long
    long lines = 0;                        // lines of a file that has too many
    int year = 0;                          // the year of the file concerned
};

// Whether a line of a yearly daily index file is a day without flux observation.
//
// Given:    line  the line's characters, without its line end
// Returns:  true when its qualifier (column 71) is 3, or when its flux field (columns 66-70)
//           gives no finite number: the yearly run takes either for a day without observation
//           and fills its fluxes from the Gaussian mean.
[[nodiscard]] bool index_line_without_observation(std::string_view line) noexcept;

// Mark the days without observation, from the yearly daily index files <yyyy>.dat of the
// years the days belong to.
//
// Given:    dir   the directory that holds the files
// Given and returned:
//           days  in day order; without_observation set on every day whose line says so,
//                 observation_unknown on every day whose file has no line for it
// Returns:  the status, and on failure the file concerned; on success the files that have no
//           line for some of the days, with how many.
// Notes:    1. Line i (from 0) of <yyyy>.dat is day i + 1 of the year yyyy: one line is one
//              day, up to its LF (a CR just before the LF, or at the very end of the file,
//              belongs to the line end); a last line without a line end is a day like any other.
//           2. A file with fewer lines than its year has days says nothing of its later days:
//              whether they were observed is unknown, and they are not marked.
//           3. Each file is read whole, up to what 366 lines of the longest kind hold, so an
//              endless input stops the reading.
[[nodiscard]] index_result mark_days_without_observation(const std::string& dir,
                                                         std::vector<chart_day>& days);

} // namespace meanflux
