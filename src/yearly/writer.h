// The yearly mean-flux file: one record for every line of the given year's daily index file.
#pragma once

#include "flux/means.h"
#include "input/daily_series.h"
#include "input/line_reader.h"

#include <cstdio>

namespace meanflux {

// The calendar anchors that tie the lines of the given year's file to day numbers and to series
// positions: line n is written with day number first_day + n and takes the fluxes of position
// year_offset + n.
struct calendar_anchors {
    int first_day;   // day number of 1 January of the given year
    int year_offset; // days of the preceding year as day_number counts them (365 or 366)
};

// Anchors of year y, whose preceding year is y_before (= y - 1).
calendar_anchors anchors_of(int y, int y_before) noexcept;

enum class write_status {
    written,
    cannot_create,     // the output file could not be created
    cannot_open_input, // the given year's file could not be opened again
    read_error,        // reading the given year's file again failed
    write_error,       // writing the output failed (a full disk, say)
    rename_error,      // the finished file could not take its name
};

struct write_result {
    write_status status = write_status::written;
    int error_number = 0;   // errno of the step that failed
    int records = 0;        // records written
    int undefined_days = 0; // records with a value that is not a number
};

// Write the records of the given year's lines to an open stream.
//
// Given:    in        the given year's daily index file, open at its start
//           out       where the records go
//           anchors   day number and series position of the year's first line
//           series    the loaded series, with flux_obs from distance_pass
//           gauss_w   the Gaussian weights
// Given and returned:
//           line_buf  the run's line buffer
//           result    records and undefined_days counted; error_number set on failure
// Returns:  written, read_error or write_error.
// Notes:    Every line that the reading rule yields gives one record; a last line without a line
//           end gives none.  The first failure stops the writing.
[[nodiscard]] write_status write_records(std::FILE* in, std::FILE* out, calendar_anchors anchors,
                                         const daily_series& series, const gauss_table& gauss_w,
                                         line_buffer& line_buf, write_result& result) noexcept;

// Write the yearly mean-flux file of year y.
//
// Given:    y, y_before  the given year and the year before it
//           ano          the given year's daily index file, read a second time for its Kp and Ap
//           ano_mean     the yearly mean-flux file to write
//           series       the loaded series, with flux_obs from distance_pass
//           gauss_w      the Gaussian weights
// Given and returned:
//           line_buf     the run's line buffer
// Returns:  the status and counts.
// Notes:    The records go to a temporary file beside ano_mean, which replaces ano_mean only
//           when everything has been written and closed without error; on any failure an
//           existing ano_mean is left exactly as it was and no temporary file remains.
[[nodiscard]] write_result write_mean_flux(int y, int y_before, const char* ano,
                                           const char* ano_mean, const daily_series& series,
                                           const gauss_table& gauss_w,
                                           line_buffer& line_buf) noexcept;

} // namespace meanflux
