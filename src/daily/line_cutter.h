// The line rule of the daily index files, for bytes that come in pieces (a file read a block at
// a time) or all at once (a file held in memory).
//
// One physical line, up to a LF, is one day.  A CR just before the LF belongs to the line end,
// and so does a CR that ends the input; a CR anywhere else is an ordinary character.  A last line
// without a line end is a line like any other.  A line may have up to max_line_length characters,
// of which only the first used_columns are kept.
#pragma once

#include "daily/index_line.h"

#include <array>
#include <string_view>

namespace meanflux {

// The state of the cutting between two pieces: the line under way and the count of lines.
struct line_cutter {
    std::array<char, used_columns> head{}; // first columns of a line begun in an earlier piece
    int length = 0;                        // its characters so far (0: no line under way)
    bool ends_in_cr = false;               // its last character so far is a CR
    int lines = 0;                         // lines cut so far
};

enum class cut_status {
    line,      // `line` holds the next line
    need_more, // the piece is used up: give the next one, or end with cut_last_line
    too_long,  // line number lines + 1 is longer than max_line_length
    no_line,   // (cut_last_line) the input ended with a line end, or held nothing
};

// Cut the next line from a piece of the input.
//
// Given and returned:
//           cutter  the cutting so far; lines counts the line cut
//           bytes   the rest of the piece; on `line` the line and its line end are taken from
//                   its front, on need_more all of it is
// Returned: line    on `line`: the line's first used_columns characters (all of them when it
//                   is shorter), without its line end.  It points into `bytes` or into the
//                   cutter, and stays valid until the next call.
// Returns:  line, need_more or too_long.
// Notes:    The search for the line end stops max_line_length + 2 characters into a line, so
//           an input without line ends is given up after that many bytes, whatever the size
//           of the piece.  After too_long the cutting cannot go on.
[[nodiscard]] cut_status cut_line(line_cutter& cutter, std::string_view& bytes,
                                  std::string_view& line) noexcept;

// Cut the line that the input's end finishes, if one is under way.
//
// Given and returned:
//           cutter  the cutting so far
// Returned: line    as for cut_line, without a CR that ends the input
// Returns:  line, no_line or too_long.
[[nodiscard]] cut_status cut_last_line(line_cutter& cutter, std::string_view& line) noexcept;

} // namespace meanflux
