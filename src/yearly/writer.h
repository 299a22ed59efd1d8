// The yearly mean-flux file: one record for every line of the given year's daily index file.
#pragma once

#include "flux/means.h"
#include "input/daily_series.h"
#include "record/format.h"

#include <array>
#include <cstddef>
#include <span>

namespace meanflux {

// The calendar anchors that tie the lines of the given year's file to day numbers and to series
// positions: line n is written with day number first_day + n and takes the fluxes of position
// year_offset + n.
struct calendar_anchors {
    int first_day;   // day number of 1 January of the given year
    int year_offset; // days of the preceding year (365 or 366): where the given year begins
};

// Anchors of the given year y.
//
// Notes:    year_offset counts the days of y - 1 by the calendar, as the loader places the days;
//           first_day is day_number(1, 1, y), exact up to 28 February 2100.
calendar_anchors anchors_of(int y) noexcept;

// Room for a year's records: 366 records of at most 50 bytes (a day number with a sign, or of
// six digits).
inline constexpr std::size_t year_records_room =
    static_cast<std::size_t>(max_year_days) * static_cast<std::size_t>(record_stride + 1);
using year_records = std::array<char, year_records_room>;

enum class write_status {
    written,
    record_too_wide, // a value of day `day` does not fit its five columns: nothing is written
    cannot_create,   // the output file could not be created
    write_error,     // writing the output failed (a full disk, say)
    rename_error,    // the finished file could not take its name
};

struct write_result {
    write_status status = write_status::written;
    int error_number = 0;   // errno of the step that failed
    int records = 0;        // records formatted
    int bytes = 0;          // their length, line ends included
    int undefined_days = 0; // records with a value that is not a number
    int day = 0;            // the day (from 0) whose record is too wide
};

// Format the records of the given year's days.
//
// Given:    anchors   day number and series position of the year's first day
//           series    the loaded series, with flux_obs from distance_pass
//           gauss_w   the Gaussian weights
//           activity  the activity text of each line of the given year's file: one record each
// Returned: records   the records, one after the other, each ended by CR LF
//           result    records, bytes and undefined_days; day on failure
// Returns:  written, or record_too_wide (also when `records` has no room for the next record).
// Notes:    1. Every record has the length record_bytes gives for its day: a value that would
//              need more than five columns stops the formatting.  Values from a loaded series
//              always fit (see lowest_flux and highest_flux); the check keeps a series made
//              otherwise from giving a record out of its layout.
//           2. The values are those of day_fluxes, computed for all days at once (year_fluxes).
//           3. No file system, no global state, no allocation: several threads may format
//              years at once, each with its own series and records.
[[nodiscard]] write_status format_records(calendar_anchors anchors, const daily_series& series,
                                          const gauss_table& gauss_w,
                                          std::span<const activity_text> activity,
                                          std::span<char> records, write_result& result) noexcept;

// The same, for the given year's days as loaded, into the room of one year.
[[nodiscard]] write_status format_records(calendar_anchors anchors, const daily_series& series,
                                          const gauss_table& gauss_w, const given_days& given,
                                          year_records& records, write_result& result) noexcept;

// Write the yearly mean-flux file of year y.
//
// Given:    y         the given year
//           ano_mean  the yearly mean-flux file to write
//           series    the loaded series, with flux_obs from distance_pass
//           gauss_w   the Gaussian weights
//           given     the given year's days
// Returned: records   the caller's room for the records
// Returns:  the status and counts.
// Notes:    The records are formatted first; only then is the file begun.  They go to a
//           temporary file beside ano_mean, which replaces ano_mean only when everything has
//           been written and closed without error; on any failure an existing ano_mean is left
//           exactly as it was and no temporary file remains.
[[nodiscard]] write_result write_mean_flux(int y, const char* ano_mean, const daily_series& series,
                                           const gauss_table& gauss_w, const given_days& given,
                                           year_records& records) noexcept;

} // namespace meanflux
