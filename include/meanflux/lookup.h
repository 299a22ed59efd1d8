// One day's solar flux and geomagnetic activity from the combined mean-flux data file.
#pragma once

#include <meanflux/values.h>

namespace meanflux {

// Results of read_mean_flux.
inline constexpr int mean_flux_found = 0;         // the day's record was found
inline constexpr int mean_flux_out_of_range = -1; // the day lies outside the file's range
inline constexpr int mean_flux_no_record = 1;     // no record of the day stands at its place
inline constexpr int mean_flux_no_file = -2;      // no file, or no range in its header line

// Look a day up in "mean_flux.dat" in the current directory.
//
// Given:    day, month, year  the calendar date, as day_number takes it
// Returned: mean_flux_values  the day's 14 values (see mean_flux_entry); Kp and the Kp sum in
//                             whole units (the record holds tenths: 17 is 1.7)
// Returns:  mean_flux_found (0): the values are those of the day's record;
//           mean_flux_out_of_range (-1): the day lies before the first or after the last day
//             number of the header line;
//           mean_flux_no_record (1): the place where the day's record belongs does not hold it
//             (a day left out or repeated, records of another length or line end, a file that
//             ends before it);
//           mean_flux_no_file (-2): the file cannot be opened or read, its header line does not
//             give two day numbers, or it is longer than 4096 bytes and holds no line end in
//             them.
// Notes:    1. The file is a header line with the first and last day numbers, each read from at
//              most five characters ("%5d%5d": "1095711322" and "10957 11322" both serve, taken
//              from the line's first 49 characters), then one 47-character record ended by CR LF
//              for every day of that range, in order.  A header line followed by the yearly
//              mean-flux files of consecutive years is such a file.  A file of at most 4096
//              bytes without a line end is a header line without records.
//           2. The day's record is found by arithmetic: it starts (d - first) * 49 bytes after the
//              header line's end.  A call opens the file, reads at most 4097 bytes of the header
//              line and then the one record, and closes the file again, on every path: its cost
//              does not depend on the file's size.
//           3. The caller's array is changed only when the result is 0, and then only in the
//              entries whose fields hold a number; a blank field keeps the caller's value.
//              A field written "nan" (a mean that could not be formed) gives not a number.
//           4. Keeps nothing between calls; a file that changes between calls is read afresh.
[[nodiscard]] int read_mean_flux(int day, int month, int year,
                                 double mean_flux_values[14]) noexcept;

// The same lookup in a file of that layout under any name.
//
// Given:    file_name         path of a combined mean-flux data file
//           day, month, year  the calendar date
// Returned: mean_flux_values  as read_mean_flux
// Returns:  as read_mean_flux.
[[nodiscard]] int read_mean_flux_file(const char* file_name, int day, int month, int year,
                                      double mean_flux_values[14]) noexcept;

// A short text for a result of the library, for messages.
//
// Given:    result  a result of any routine of the library: mean_flux_no_memory (-3) ...
//                   space_weather_partial (2)
// Returns:  a text of a few words without a final stop ("found", "outside the file's range",
//           ...), never null; "unknown result" for any other number.
[[nodiscard]] const char* mean_flux_result_text(int result) noexcept;

} // namespace meanflux
