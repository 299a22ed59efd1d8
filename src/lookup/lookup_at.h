// The record lookup on a file that is already open, for callers that hold a descriptor.
#pragma once

namespace meanflux {

// Look a day up in the combined mean-flux data file open on `fd`.
//
// Given:    fd                a descriptor open for reading; positioned reads only, so its
//                             offset is not used or changed, and it stays open
//           day, month, year  the calendar date
// Returned: mean_flux_values  as read_mean_flux
// Returns:  as read_mean_flux.
[[nodiscard]] int read_mean_flux_at(int fd, int day, int month, int year,
                                    double mean_flux_values[14]) noexcept;

} // namespace meanflux
