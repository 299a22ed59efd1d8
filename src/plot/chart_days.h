// The days a chart draws: the records of a yearly or combined mean-flux file, and which of them
// had no flux observation according to the yearly daily index files.
#pragma once

#include "daily/daily_year.h"

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
    bool predicted = false;           // after the last observed day that the file's header names
};

// Read the records of a yearly or combined mean-flux file.
//
// Given:    bytes     the file's contents
// Returned: days      one entry per record, in file order; without_observation false throughout
//           bad_line  1-based number of the first line that is not a record, on failure
// Returns:  as read_mean_flux_records (record/records.h), whose records these are.
[[nodiscard]] bool read_chart_days(std::string_view bytes, std::vector<chart_day>& days,
                                   long& bad_line);

// Mark the predicted days: those after the last observed day that a combined file's header
// names after its day range ("0292227919 27874").
//
// Given:    bytes  the file's contents
// Given and returned:
//           days   its records; predicted set on each day after the last observed one
// Returns:  the last observed day number, or -1 when the file names none (a yearly file, or a
//           combined file without predicted days): then no day is marked.
int mark_predicted_days(std::string_view bytes, std::vector<chart_day>& days);

// A daily index file that has no line for some of the days drawn.
struct uncovered_days {
    std::string file;
    long days = 0; // the days drawn of its year that it has no line for
};

// What the marking of the days without observation found.
struct index_result {
    daily_problem problem;                 // read unless a file could not serve
    std::string file;                      // the file concerned, on failure
    int year = 0;                          // the year of the file concerned
    std::vector<uncovered_days> uncovered; // on success: the files short of some of the days
};

// Mark the days without observation, from the yearly daily index files <yyyy>.dat of the
// years the days belong to.
//
// Given:    dir   the directory that holds the files
// Given and returned:
//           days  in day order; without_observation set on every day whose line the yearly run
//                 takes for a day without observation (daily/daily_year.h), observation_unknown
//                 on every day whose file has no line for it
// Returns:  the problem of the first file that cannot serve, as the yearly run would refuse it,
//           and that file; on success the files that have no line for some of the days drawn,
//           with how many.
// Notes:    A file with fewer lines than its year has days says nothing of its later days:
//           whether they were observed is unknown, and they are not marked.
[[nodiscard]] index_result mark_days_without_observation(const std::string& dir,
                                                         std::vector<chart_day>& days);

} // namespace meanflux
