// The one way a year is computed: the daily index files of the year before, the year and the
// year after (as daily_year reads them) into the records of the yearly mean-flux file.  The
// dialogue, `meanflux YEAR...` and meanflux-build all compute their years here, one year or many
// at once on several threads.
#pragma once

#include "daily/daily_year.h"
#include "flux/distance.h"
#include "flux/means.h"
#include "flux/series.h"
#include "record/format.h"

#include <array>
#include <cstddef>
#include <span>

namespace meanflux {

// The tables every year's computation reads and none changes.
struct year_tables {
    gauss_table gauss_w;      // init_gauss_w
    distance_table distances; // init_distance_table
};

// Fill the tables.
void init_year_tables(year_tables& tables) noexcept;

// The calendar anchors that tie the lines of the given year's file to day numbers and to series
// positions: line n is written with day number first_day + n and takes the fluxes of position
// year_offset + n.
struct calendar_anchors {
    int first_day;   // day number of 1 January of the given year
    int year_offset; // days of the preceding year (365 or 366): where the given year begins
};

// Anchors of the given year y.
//
// Notes:    year_offset counts the days of y - 1 by the calendar, as the days are placed;
//           first_day is day_number(1, 1, y), exact up to 28 February 2100.
calendar_anchors anchors_of(int y) noexcept;

// Room for a year's records: 366 records of at most 50 bytes (a day number with a sign, or of
// six digits).
inline constexpr std::size_t year_records_room =
    static_cast<std::size_t>(max_year_days) * static_cast<std::size_t>(record_stride + 1);
using year_records = std::array<char, year_records_room>;

enum class year_status {
    written,
    no_days,         // the given year's file has no lines: there is no record to write
    record_too_wide, // a value of day `day` does not fit its five columns
};

struct year_result {
    year_status status = year_status::written;
    int records = 0;        // records formatted
    int bytes = 0;          // their length, line ends included
    int undefined_days = 0; // records with a value that is not a number
    int day = 0;            // the day (from 0) whose record is too wide
};

// Format the records of the given year's days from a series already filled.
//
// Given:    anchors   day number and series position of the year's first day
//           series    the series, with flux_obs from distance_pass
//           gauss_w   the Gaussian weights
//           activity  the activity text of each line of the given year's file: one record each
// Returned: records   the records, one after the other, each ended by CR LF
//           result    records, bytes and undefined_days; day on failure
// Returns:  written, or record_too_wide (also when `records` has no room for the next record).
// Notes:    1. Every record has the length record_bytes gives for its day: a value that would
//              need more than five columns stops the formatting.  Values from files that
//              daily_year reads always fit (see lowest_flux and highest_flux); the check keeps a
//              series made otherwise from giving a record out of its layout.
//           2. The values are those of day_fluxes, computed for all days at once (year_fluxes).
[[nodiscard]] year_status format_records(calendar_anchors anchors, const daily_series& series,
                                         const gauss_table& gauss_w,
                                         std::span<const activity_text> activity,
                                         std::span<char> records, year_result& result) noexcept;

// Compute the records of year y.
//
// Given:    y        the given year
//           files    the daily index files: at least the given year's, which must hold its
//                    activity texts; those of y - 1 and y + 1 where there are any
//           tables   from init_year_tables
// Given and returned:
//           work     a series for the computation (its contents are replaced)
// Returned: records  the records; records.size() must hold one of record_bytes(day) bytes for
//                    each line of the given year's file
//           result   as format_records gives it
// Returns:  written, no_days (a given year without lines) or record_too_wide.
// Notes:    1. The series holds the three years from 1 January of y - 1 on, each day at the
//              position of its date (line i of a year's file at that year's 1 January plus i);
//              a position that no line fills (a file short of lines, a year without a file) is
//              a day without observation.  Then the distance pass, the means and the records.
//           2. No file system, no global state, no allocation: several threads may compute
//              years at once, each with its own work series.
[[nodiscard]] year_status compute_year(int y, const daily_years& files, const year_tables& tables,
                                       daily_series& work, std::span<char> records,
                                       year_result& result) noexcept;

// One year to compute among many.
struct year_job {
    int year = 0;            // the given year
    std::span<char> records; // the caller's room for its records
    year_result result;      // as compute_year gives it
};

// Compute the records of years, on several threads.
//
// Given:    files    the daily index files of the years and of those around them
//           tables   from init_year_tables
//           threads  how many threads compute at once (1 computes on the caller's)
// Given and returned:
//           jobs     for each year, its records in its room and the result
// Notes:    Each year is compute_year's: each thread takes the next year not yet taken, with a
//           series of its own; nothing but the jobs is written.
void compute_years(const daily_years& files, const year_tables& tables, std::span<year_job> jobs,
                   int threads) noexcept;

} // namespace meanflux
