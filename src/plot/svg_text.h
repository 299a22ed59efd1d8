// Text for an SVG document: formatted pieces and character data that is always valid XML.
#pragma once

#include <string>
#include <string_view>

namespace meanflux {

// Append printf-formatted text to `svg`.
//
// Notes:    A piece is cut at 511 bytes; the chart's pieces are coordinates and short labels.
void append_format(std::string& svg, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Text as XML character data or attribute value.
//
// Given:    text  any bytes (a file name, say)
// Returns:  the text with & < > " ' written as character references, and every byte that is
//           not part of a valid UTF-8 character, and every control character that XML 1.0
//           does not allow, replaced by U+FFFD; the result is always well-formed.
[[nodiscard]] std::string xml_text(std::string_view text);

} // namespace meanflux
