// The yearly mean-flux records of many years in one pass: each year computed in its own
// three-year window, exactly as the yearly run computes it, the years shared out among threads.
#pragma once

#include "flux/distance.h"
#include "flux/means.h"
#include "input/index_line.h"
#include "yearly/writer.h"

#include <span>
#include <string_view>

namespace meanflux {

// The daily index file of one year as the yearly run loads it: for each of its lines, in order,
// the flux and qualifier the loader stores and the activity text a record copies.  The three
// spans have one entry per line; line i is day i + 1 of the year.  A year without a file, or
// with an empty one, has no lines.
struct index_file {
    std::span<const double> flux_adj;        // as read_day gives it (0.0 where no number)
    std::span<const int> flux_qual;          // MISSING_FLUX for a day without observation
    std::span<const activity_text> activity; // columns 13-31 and 56-58
};

// Read a line as the loader reads it.
//
// Given:    line      the line's characters, without its line end
// Returned: flux_adj  the flux the loader stores
//           qual      the qualifier it stores: MISSING_FLUX for a day without observation
//           activity  the line's activity text
// Returns:  as read_day; out_of_range is a line that the yearly run refuses.
[[nodiscard]] flux_reading read_index_line(std::string_view line, double& flux_adj, int& qual,
                                           activity_text& activity) noexcept;

// One year to compute.
struct year_job {
    int year = 0;            // the given year
    std::span<char> records; // the caller's room for its records: lines x record_bytes(its
                             // first day) bytes
    write_result result;     // as format_records gives it
};

// Compute the records of years.
//
// Given:    files            the daily index files of consecutive years, the first of them of
//                          year first_file_year; a year outside them counts as without lines
//           first_file_year  the year of files[0]
//           gauss_w          the Gaussian weights (init_gauss_w)
//           distances        the distance table (init_distance_table)
//           threads          how many threads compute at once (1 computes on the caller's)
// Given and returned:
//           jobs             for each year, its records in its room and the result; the given
//                          year's file must have lines, and the records fit the room
// Notes:    1. Each year is computed from the days of its own file and of those of the years
//              before and after it, as the yearly run loads them (load_years), with the same
//              distance pass, means and records: every record is byte for byte the yearly
//              run's from the same files.
//           2. The years are independent: each thread takes the next year not yet taken, with a
//              series of its own; nothing but the jobs is written.
void compute_years(std::span<const index_file> files, int first_file_year,
                   const gauss_table& gauss_w, const distance_table& distances,
                   std::span<year_job> jobs, int threads) noexcept;

} // namespace meanflux
