// Sources of daily indices: the files in which Kp, ap, Ap, the sunspot number and the 10.7 cm
// flux are published, read into the lines of the yearly daily index files.
//
// A source is read whole, checked whole and turned into one day after another, each with its
// date, its daily index line and whether it is a prediction.  Every program that makes daily
// index lines from a published file takes them from here, so that the same source always gives
// the same bytes.
//
// Each published format has its own reader (sources/gfz.h, sources/celestrak.h), which knows its
// format by the file's first line; read_source() recognises the format and calls the reader.  A
// directory of yearly daily index files that already exist is a source too: sources/years.h
// reads any of them into the years a run computes.
#pragma once

#include "sources/source_days.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace meanflux {

// Number of days that are written when predictions are left out: the days up to the last one that
// is not a prediction.
//
// Returns:  the count of days from the first up to and including the last day that is not
//           predicted; 0 when every day is predicted.
std::size_t days_before_predictions(const source_days& source) noexcept;

// The lines of the days of a year before a given day, for a yearly file whose source begins
// within the year: line i of a yearly daily index file is day i + 1 of its year.
//
// Given:    day  a day of the source (its first, CelesTrak's 1 October 1957 say)
// Returns:  one line and LF for each day from 1 January of its year to the day before it: the
//           date, every value blank and the flux "  0.0" with qualifier 3, as for a day without
//           data; "" for 1 January.
std::string lines_before(const source_day& day);

// Recognise the format of a source from its first line that is not blank.
//
// Given:    bytes  the file's contents
// Returns:  gfz_potsdam when that line starts with '#' (the GFZ header) or with a year of four
//           digits and a blank (a GFZ data line); celestrak when it starts with "DATE," (the
//           header row of SW-All.csv, after a UTF-8 byte-order mark if there is one); unknown
//           otherwise, and for a file without such a line.
[[nodiscard]] source_format recognise_source(std::string_view bytes) noexcept;

// Read a source held in memory.
//
// Given:    bytes    the file's contents
// Returned: source   its days (cleared first; left empty unless the result is `read`)
//           problem  what is wrong, unless the result is `read`
// Returns:  read, not_recognised or malformed.
// Notes:    1. Lines end with LF or CR LF; a last line without a line end is a line like any
//              other, so a line cut off in the middle is refused as the reader finds it.
//           2. The whole input is checked before `read` is returned: a caller that writes
//              nothing before that writes nothing from a faulty source.
//           3. A first line longer than max_source_line is refused as malformed, whatever the
//              format.
[[nodiscard]] source_status read_source(std::string_view bytes, source_days& source,
                                        source_problem& problem);

// Read a source file: the whole file, then read_source().
//
// Given:    name     the file (a regular file, a pipe or a device alike)
// Returned: source   as read_source()
//           problem  as read_source()
// Returns:  read, cannot_read, too_large, not_recognised or malformed.
// Notes:    At most max_source_bytes are read, so an endless input costs no more than that.
[[nodiscard]] source_status read_source_file(const char* name, source_days& source,
                                             source_problem& problem);

} // namespace meanflux
