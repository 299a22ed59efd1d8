// The mean-flux record: one day of a yearly mean-flux file, and of the combined file that the
// lookup reads.
//
//   columns  1-5   day number (days since 1 January 1950), "%.5d"
//            6-21  the eight Kp values, in tenths      } copied from columns 13-31
//           22-24  sum of Kp, in tenths                } of the daily index line
//           25-27  daily Ap                              copied from its columns 56-58
//           28-32  observed flux                         "%5.1f"
//           33-37  flux adjusted to 1 AU                 "%5.1f"
//           38-42  Gaussian mean flux ("J77")            "%5.1f"
//           43-47  arithmetic mean flux ("J70")          "%5.1f"
//           then CR LF, on every platform: 49 bytes a record.
//
// This header holds the columns and the reading of a record line; record/format.h writes one.
#pragma once

#include <meanflux/values.h>

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace meanflux {

inline constexpr int record_length = 47; // characters before the line end
inline constexpr int record_stride = 49; // bytes in the file, CR LF included

// A field of a record, as positions from 0, both ends included (columns a-b are a-1..b-1).
struct field_span {
    int first;
    int last;
    constexpr int width() const noexcept { return last - first + 1; }
};

inline constexpr field_span day_field{0, 4};       // columns 1-5
inline constexpr field_span activity_field{5, 26}; // columns 6-27: the copied Kp, sum and Ap text

// The field of each entry of the values array (mean_flux_entry).
inline constexpr std::array<field_span, mean_flux_entries> value_fields{{
    {5, 6}, // the eight Kp, in tenths
    {7, 8},
    {9, 10},
    {11, 12},
    {13, 14},
    {15, 16},
    {17, 18},
    {19, 20},
    {21, 23}, // entry_kp_sum, tenths
    {24, 26}, // entry_ap
    {27, 31}, // entry_flux_obs
    {32, 36}, // entry_flux_adj
    {37, 41}, // entry_gauss_mean
    {42, 46}, // entry_arith_mean
}};
static_assert(value_fields[entry_ap].last == activity_field.last);
static_assert(value_fields[entry_arith_mean].last == record_length - 1);

// Entries held in tenths in the record: the eight Kp and their sum.
inline constexpr int kp_entries = entry_kp_sum + 1;

// Number of characters of a record line's text: those before its line end (CR or LF) or the
// first NUL.
constexpr std::size_t record_text_length(std::string_view line) noexcept
{
    std::size_t n = 0;
    while (n < line.size() && line[n] != '\0' && line[n] != '\r' && line[n] != '\n')
        ++n;
    return n;
}

// Read the day number of a record line.
//
// Given:    line  the record line as read (its line end may follow the text)
// Returned: day   the number in columns 1-5 ("%d"), when there is one
// Returns:  true when the line's text reaches column 5 and columns 1-5 give a number.
[[nodiscard]] bool scan_record_day(std::string_view line, int& day) noexcept;

// Read a record's fourteen values.
//
// Given:    line    the record line as read
// Given and returned:
//           values  each entry whose field holds a number ("%lf") is set to it, the Kp values
//                   and their sum turned from tenths into whole units (divided by 10.0); the
//                   others keep their value
void scan_record_values(std::string_view line,
                        std::span<double, mean_flux_entries> values) noexcept;

// Read a record's fourteen fields as they stand, and say which hold a number.
//
// Given:    line    the record line as read
// Returned: fields  each entry whose field holds a number ("%lf") is set to it as written: the
//                   Kp values and their sum still in tenths; the others keep their value
// Returns:  the entries set: bit i (1u << i) for entry i.
// Notes:    scan_record_values is this followed by the division of the tenths by 10.0.
[[nodiscard]] unsigned scan_record_fields(std::string_view line,
                                          std::span<double, mean_flux_entries> fields) noexcept;

} // namespace meanflux
