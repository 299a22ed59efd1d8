// The day-by-day series of 10.7 cm solar flux over three years, and its loading from the yearly
// daily index files of the year before, the given year and the year after.
#pragma once

#include "input/line_reader.h"

#include <array>
#include <cstdio>

namespace meanflux {

// Room of the series: three consecutive years hold at most 1096 days.
inline constexpr int MAX_DAYS = 1100;

// Flux qualifier of a day without observation; every other value marks an observed day.
inline constexpr int MISSING_FLUX = 3;

// Position 0 is the first line of the preceding year's file, 1 January of the year before the
// given year; positions count lines in reading order across the three files.  Everything starts
// at zero, and positions from series_len on are never written.
struct daily_series {
    std::array<double, MAX_DAYS> flux_adj{}; // flux referred to 1 AU, as read
    std::array<int, MAX_DAYS> flux_qual{};   // flux qualifier digit
    std::array<double, MAX_DAYS> flux_obs{}; // flux at the Earth's distance (distance_pass)
    int series_len = 0;                      // days loaded
};

// Columns of a daily index line that hold the flux and its qualifier, as positions from 0.
inline constexpr int flux_first = 65; // columns 66-70
inline constexpr int flux_last = 69;
inline constexpr int qual_position = 70; // column 71

enum class load_status {
    loaded,
    cannot_open,   // a file could not be opened
    read_error,    // reading a file failed
    too_many_days, // the files hold more than MAX_DAYS lines together
};

struct load_result {
    load_status status = load_status::loaded;
    int file = 0;         // the file concerned: 0 the year before, 1 the year, 2 the year after
    int error_number = 0; // errno of a failed open or read
    std::array<int, 3> lines{}; // days loaded from each file
};

// Load the days of one open daily index file onto the end of the series.
//
// Given:    file      an open daily index file
// Given and returned:
//           series    days are added from position series_len on; series_len grows with them
//           line_buf  the run's line buffer
// Returned: lines     number of days added
// Returns:  loaded, read_error (errno tells why) or too_many_days.
// Notes:    Each line is one day: the flux from columns 66-70 ("%lf") into flux_adj, then the
//           qualifier from column 71 ("%d") into flux_qual.  A field without a number leaves the
//           entry at zero.  No date is read: a day's position is the number of lines before it.
[[nodiscard]] load_status load_lines(std::FILE* file, daily_series& series, line_buffer& line_buf,
                                     int& lines) noexcept;

// Load the three yearly daily index files, in order, into an empty series.
//
// Given:    names     file names of the year before, the given year and the year after
// Returned: series    flux_adj, flux_qual and series_len
//           line_buf  the run's line buffer
// Returns:  the status, the file it concerns, and the days loaded from each file.
// Notes:    Each file is opened, read to its end and closed before the next is opened.  A file
//           that cannot be opened or read, or more than MAX_DAYS lines in all, stops the loading.
[[nodiscard]] load_result load_daily_series(const std::array<const char*, 3>& names,
                                            daily_series& series, line_buffer& line_buf) noexcept;

} // namespace meanflux
