// The day-by-day series of 10.7 cm solar flux over three years, and its loading from the yearly
// daily index files of the year before, the given year and the year after: from files, or from
// their bytes in memory.
#pragma once

#include "input/index_line.h"
#include "input/line_cutter.h"

#include <array>
#include <string_view>

namespace meanflux {

// Room of the series: three consecutive years hold at most 1096 days.
inline constexpr int MAX_DAYS = 1100;

// Position 0 is 1 January of the year before the given year, and every day stands at the
// position of its date: line i of a year's file at that year's 1 January plus i.  A position
// that no line fills is a day without observation.
struct daily_series {
    std::array<double, MAX_DAYS> flux_adj{}; // flux referred to 1 AU, as read (0.0 if none)
    std::array<int, MAX_DAYS> flux_qual{};   // flux qualifier; MISSING_FLUX for every day
                                             // without observation
    std::array<double, MAX_DAYS> flux_obs{}; // flux at the Earth's distance (distance_pass)
    int series_len = 0;                      // positions of the three years
};

// The given year's days, in the order of the lines of its file.
struct given_days {
    std::array<activity_text, max_year_days> activity{}; // each line's Kp and Ap text
    int count = 0;                                       // lines: one record each
};

enum class load_status {
    loaded,
    cannot_open,       // a file could not be opened: error_number tells why
    read_error,        // reading a file failed: error_number tells why
    line_too_long,     // `line` has more than max_line_length characters
    too_many_lines,    // the file has more lines than its year has days; `line` is the first
                       // line too many
    flux_out_of_range, // `line` gives the flux `flux`, outside lowest_flux..highest_flux
    no_days,           // the given year's file has no lines
};

struct load_result {
    load_status status = load_status::loaded;
    int file = 0;         // the file concerned: 0 the year before, 1 the year, 2 the year after
    int line = 0;         // the line concerned, counted from 1
    double flux = 0.0;    // the flux refused
    int error_number = 0; // errno of a failed open or read
    std::array<int, 3> lines{}; // lines loaded from each file
};

// Prepare an empty series for the given year y.
//
// Returned: series  every position a day without observation (flux 0.0, MISSING_FLUX);
//                   series_len the days of y - 1, y and y + 1
//           given   no days
void start_series(int y, daily_series& series, given_days& given) noexcept;

// One of the three daily index files on its way into the series.
struct year_loading {
    int file = 0;                // 0 the year before, 1 the given year, 2 the year after
    int days = 0;                // days of its year: the most lines it may have
    int first_position = 0;      // series position of its year's 1 January
    given_days* given = nullptr; // where the given year's lines leave their activity text
    line_cutter cutter;
};

// Prepare the loading of one of the three files of year y.
//
// Given:    y      the given year
//           file   0 for the file of y - 1, 1 for that of y, 2 for that of y + 1
//           given  where the given year's file leaves its days (used only for file 1)
// Returns:  the loading, before its first byte.
year_loading start_loading(int y, int file, given_days& given) noexcept;

// Load a piece of a file: the next bytes after those loaded before.
//
// Given and returned:
//           loading  the file's loading so far
//           series   each line's flux and qualifier at its position
//           result   lines[loading.file] counts the lines loaded; on failure line (and flux)
// Returns:  loaded, line_too_long, too_many_lines or flux_out_of_range.
// Notes:    1. Each line is one day (the line rule of line_cutter.h): its flux and qualifier
//              are read as read_day does; a day without observation is marked MISSING_FLUX.
//              Of the given year's file each line's activity text is kept as well.
//           2. A file is refused as soon as a byte beyond its year's last day arrives, and as
//              soon as a line is too long: the loading never reads more than the year's days
//              of lines of at most max_line_length characters, whatever the input.
//           3. The pieces may be cut anywhere: loading a file in one piece or in many gives the
//              same result.
[[nodiscard]] load_status load_piece(year_loading& loading, std::string_view bytes,
                                     daily_series& series, load_result& result) noexcept;

// Finish a file: its last line, if the file does not end with a line end.
//
// Returns:  as load_piece.
[[nodiscard]] load_status finish_loading(year_loading& loading, daily_series& series,
                                         load_result& result) noexcept;

// Load the three daily index files of year y from memory.
//
// Given:    y       the given year
//           files   the bytes of the files of y - 1, y and y + 1
// Returned: series  flux_adj, flux_qual and series_len
//           given   the given year's activity texts and its count of lines
// Returns:  the status, the file and line it concerns, and the lines loaded from each file.
// Notes:    No file system, no global state and no allocation: everything lives in the
//           caller's series and given.  A given year's file without lines is refused
//           (no_days), since it has no day to write.
[[nodiscard]] load_result load_years(int y, const std::array<std::string_view, 3>& files,
                                     daily_series& series, given_days& given) noexcept;

// Load the three daily index files of year y from the files of these names.
//
// Given:    y       the given year
//           names   the files of y - 1, y and y + 1
// Returned: series, given as for load_years
// Returns:  as load_years, and cannot_open or read_error with errno in error_number.
// Notes:    1. Each file is opened, read once from start to end and closed before the next is
//              opened, and what is read is all that the run uses of it.
//           2. The opening never waits: a FIFO without a writer reads as an empty file, one
//              with a writer is read as its writer writes, like a pipe.
[[nodiscard]] load_result load_year_files(int y, const std::array<const char*, 3>& names,
                                          daily_series& series, given_days& given) noexcept;

} // namespace meanflux
