// Reading one value from fixed columns of a line.
#pragma once

#include <span>

namespace meanflux {

// Convert the characters of a line between two positions with a scan format.
//
// Given:    line    the line, a writable buffer ended by a terminator; position last + 1 must
//                   lie inside it
//           first   position of the field's first character, counted from 0
//           last    position of its last character (first <= last); column c is position c - 1
//           format  a scan format with one assigning conversion matching the target: "%lf" for a
//                   double, "%d" for an int
// Returned: target  the converted value; left as it was when the field yields none
// Returns:  what sscanf returns: 1 when a value was stored, 0 when the field's first character
//           that is not white space cannot begin the conversion, EOF (-1) for a field of white
//           space only (or one that lies beyond the text of the line).
// Notes:    1. The field is delimited in place: the character after it is replaced by a
//              terminator for the scan and put back afterwards, so the scan cannot read past
//              `last`, and the line is byte for byte unchanged when the call returns.
//           2. As in sscanf, leading white space is skipped and characters of the field after
//              the converted value are ignored: "7x" gives 7, "12 34" gives 12.
//           3. Positions outside the buffer (first < 0, first > last, or last + 1 beyond the
//              buffer's end) are taken as a field with no value: EOF, target untouched.
//           4. Not re-entrant on one line: during the call the line holds an extra terminator.
int scan_field(std::span<char> line, int first, int last, const char* format,
               double* target) noexcept;
int scan_field(std::span<char> line, int first, int last, const char* format, int* target) noexcept;

} // namespace meanflux
