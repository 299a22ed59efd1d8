// A line of a yearly daily index file <yyyy>.dat: one day, and the columns of it that a run
// uses.
//
//   columns  13-28  the eight three-hourly Kp values, in tenths     } copied into the record
//            29-31  their sum                                      }
//            56-58  daily Ap                                         copied into the record
//            66-70  10.7 cm flux referred to 1 AU, solar flux units  the day's flux
//            71     flux qualifier: 3 means no observation that day
//
// Columns after 71 are not read.  No date is read from a line: line i of <yyyy>.dat is day i + 1
// of the year yyyy.
#pragma once

#include "calendar/date.h"

#include <array>
#include <string_view>

namespace meanflux {

// Characters a line may have before its line end.  A longer line is refused, so that an input
// without line ends (/dev/zero) is given up after a few thousand bytes.
inline constexpr int max_line_length = 4096;

// Columns a day's values come from: the columns after them are ignored.
inline constexpr int used_columns = 71;

// Flux and qualifier, as positions from 0.
inline constexpr int flux_first = 65; // columns 66-70
inline constexpr int flux_last = 69;
inline constexpr int qual_position = 70; // column 71

// Flux qualifier of a day without observation; every other value marks an observed day.
inline constexpr int MISSING_FLUX = 3;

// The fluxes a line may give, in solar flux units at 1 AU.  Every value a record shows must fit
// its five columns ("%5.1f": -99.9 to 999.9).  The observed flux is the 1 AU flux divided by
// r^2, up to 3.43 % more (r = 0.98330 at perihelion); the means lie within the observed fluxes
// of their windows; and a day without observation is given its mean times r^2, up to 3.37 %
// more again (r = 1.01670 at aphelion).  A flux at 1 AU may therefore grow by 6.91 % on its way
// into a record: from -93.0 to 935.0 it stays within -99.5 to 999.7.
inline constexpr double lowest_flux = -93.0;
inline constexpr double highest_flux = 935.0;

// The activity text a record copies from a line: columns 13-31 (the eight Kp and their sum),
// then columns 56-58 (Ap); as positions from 0.
inline constexpr int kp_text_first = 12;
inline constexpr int kp_text_last = 30;
inline constexpr int ap_text_first = 55;
inline constexpr int ap_text_last = 57;
inline constexpr int activity_text_length =
    (kp_text_last - kp_text_first + 1) + (ap_text_last - ap_text_first + 1);
using activity_text = std::array<char, activity_text_length>;

// What a line says about its day's flux.
enum class flux_reading {
    observed,       // a flux observed that day
    no_observation, // qualifier 3, or a flux field without a finite number
    out_of_range,   // a number outside lowest_flux..highest_flux: the line cannot be used
};

// Read a day's flux and qualifier from its line.
//
// Given:    text      the line's characters, without its line end (only the first 71 are read)
// Returned: flux_adj  the flux from columns 66-70 as the scanner converts it ("%lf"): blanks
//                     before it are skipped and it ends where a number cannot go on, so " 12ab"
//                     gives 12.0 and "  1e2" 100.0; 0.0 when the field holds no finite number
//           qual      the qualifier from column 71 ("%d"); 0 when it holds no number
// Returns:  observed; no_observation for qualifier 3, a field from which nothing converts
//           (blank, "abc.d") and a value that is not finite ("nan", "inf"); out_of_range for a
//           finite flux outside lowest_flux..highest_flux, whatever the qualifier.
[[nodiscard]] flux_reading read_day(std::string_view text, double& flux_adj, int& qual) noexcept;

// Take a line's activity text.
//
// Given:    text      the line's characters, without its line end
// Returned: activity  its columns 13-31 and 56-58, byte for byte; a blank for each of those
//                     columns that the line does not reach, so the record keeps its layout
void copy_activity_text(std::string_view text, activity_text& activity) noexcept;

} // namespace meanflux
