// Reading one value from fixed columns of a line.
#pragma once

#include <string_view>

namespace meanflux {

// What a scan of one field found, with the values that sscanf returns for each case.
enum class scan_result {
    blank = -1,    // nothing but white space (or no characters at all): EOF from sscanf
    no_number = 0, // the first character that is not white space cannot begin a number
    converted = 1, // a value was converted and stored
};

// Convert the characters of a line between two positions, as sscanf would with "%lf" (for a
// double) or "%d" (for an int).
//
// Given:    line    the line's characters (its line end may be among them)
//           first   position of the field's first character, counted from 0
//           last    position of its last character (first <= last); column c is position c - 1
// Returned: target  the converted value; left as it was when the field yields none
// Returns:  converted, no_number or blank, exactly as sscanf on the field's text would return
//           1, 0 or EOF.
// Notes:    1. The field is the characters at positions first..last that the line has, up to the
//              first NUL among them: positions beyond the end of the line are no characters, so
//              a field that lies wholly beyond it is blank.  first < 0 or first > last is a
//              blank field too.
//           2. As in sscanf, leading white space is skipped and characters of the field after
//              the converted value are ignored: "7x" gives 7, "12 34" gives 12.  The digits that
//              follow the field in the line are never taken: "12345678" scanned over positions
//              0..4 gives 12345.
//           3. The line is only read.  Plain decimal fields, which is what the data files hold,
//              are converted without sscanf, with the same result bit for bit; anything else
//              (exponents, hexadecimal, nan, infinity, very long numbers) goes to sscanf on a
//              copy of the field.
[[nodiscard]] scan_result scan_field(std::string_view line, int first, int last,
                                     double& target) noexcept;
[[nodiscard]] scan_result scan_field(std::string_view line, int first, int last,
                                     int& target) noexcept;

} // namespace meanflux
