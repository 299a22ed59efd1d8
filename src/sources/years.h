// Every source of daily indices behind one door: a directory of yearly daily index files
// <yyyy>.dat, a GFZ Potsdam file or CelesTrak's SW-All.csv, read into the days of the years
// asked for, each year as its daily index file (daily_year).
//
// A directory's files are read as they are; a published file is read and checked whole, and its
// years are the daily index files that meanflux-import writes from it (the days before its
// first day as days without data, CelesTrak's predictions left out).  Every year then goes
// through the same reading of daily index lines, so that the same days give the same series
// whatever their source.
#pragma once

#include "daily/daily_year.h"
#include "sources/source.h"

#include <vector>

namespace meanflux {

// What a year asked for that the source does not hold means.
enum class missing_years {
    refused,  // each year asked for must be there: the yearly run's three files
    end_data, // the data end where the source ends: a directory's years after its last file
              // are not held; a year missing before a later file is refused (a gap)
};

// The years read from a source.
struct source_years {
    source_format format = source_format::unknown;
    int first_year = 0;            // the year of files[0]
    std::vector<daily_year> files; // each year held, consecutive: a year of a directory with its
                                   // file (even an empty one), of a published file with a day
    bool goes_on = false;          // the source holds days after the last year asked for
    int predicted_from = 0;        // the day number of the first predicted day read; 0 when
                                   // no predicted day is read

    daily_years view() const noexcept { return {first_year, files}; }
    int first_held() const noexcept { return first_year; }
    int last_held() const noexcept { return first_year + static_cast<int>(files.size()) - 1; }
    bool holds(int year) const noexcept { return year >= first_held() && year <= last_held(); }
};

// Files of years after this one are never read: no run reads past the year after the last it
// accepts.
inline constexpr int last_daily_file_year = last_run_year + 1;

// Read the years of a source.
//
// Given:    path     a directory of yearly daily index files, or a published file
//           years    the years wanted
//           given    the years whose activity texts are kept (those whose records are made)
//           policy   what a year wanted that is not held means (for a directory)
//           predictions  whether a published file's predicted days after its last observed day
//                    are read too (as meanflux-import --predictions writes them)
// Returned: years_read  the years held among those wanted, from the first to the last held
//           problem     what is wrong, unless the result is `read`
// Returns:  read; for a directory: cannot_read (the directory cannot be listed), bad_year_file
//           (a file that cannot be opened, read or taken as the yearly run takes it; for
//           `refused` also a year without a file; for `end_data` a year without a file before
//           a later year's file, ENOENT); for a published file as read_source_file, and
//           bad_year_file for a day whose line the yearly run refuses.
// Notes:    1. Of a directory only the files of the years wanted are read, one after another,
//              and only names <yyyy>.dat up to last_daily_file_year count.
//           2. goes_on: for a directory a later year's file exists; for a published file it
//              holds days after the years wanted.
[[nodiscard]] source_status read_source_years(const char* path, year_span years, year_span given,
                                              missing_years policy, source_years& years_read,
                                              source_problem& problem, bool predictions = false);

namespace detail {

// Read into fresh years and problem, and keep no year of a source that failed.
template <class Read>
source_status read_afresh(source_years& years, source_problem& problem, Read read)
{
    years = source_years{};
    problem = source_problem{};
    const source_status status = read();
    if (status != source_status::read)
        years.files.clear();
    return status;
}

} // namespace detail

// The same for a directory: read_source_years without looking at what `directory` is.
//
// Notes:    An empty `directory` is the current one, and its files are named without a
//           directory ("1980.dat").
[[nodiscard]] source_status read_directory_years(const char* directory, year_span years,
                                                 year_span given, missing_years policy,
                                                 source_years& years_read, source_problem& problem);

} // namespace meanflux
