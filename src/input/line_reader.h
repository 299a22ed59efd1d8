// The rule by which the lines of a yearly daily index file are read, for loading and for the
// second reading of the given year's file.
#pragma once

#include <array>
#include <cstdio>

namespace meanflux {

// Characters one read takes, line end included.  The lines of a daily index file have 71
// characters before their line end.
inline constexpr int line_room = 72;

// The run's line buffer: one read and its terminator.
using line_buffer = std::array<char, line_room + 1>;

enum class read_status {
    line,        // one line (one day) is in the buffer
    end_of_file, // the read met the end of the file: the file is finished
    error,       // reading failed; errno tells why
};

// Read one line into `line_buf`.
//
// Given:    file      an open input stream
// Returned: line_buf  the line's characters, its line end stored as one '\n', then zeros to the
//                     end of the buffer
// Returns:  line, end_of_file or error.
// Notes:    1. Characters are taken until a line end has been stored, or 72 characters have been
//              stored, or the end of the file is met.  LF and CR LF both end a line; a CR that is
//              not followed by LF is an ordinary character.
//           2. A read that meets the end of the file is not a line, even when it stored
//              characters: a last line without a line end is dropped, an empty file has no line.
//           3. A line of 72 characters or more before its line end does not fit: its first 72
//              characters are one line, and the rest is read as the next line.
//           4. Everything after the stored characters is zero, so a field in columns that the
//              line does not reach holds no number, never characters of an earlier line.
[[nodiscard]] read_status read_line(std::FILE* file, line_buffer& line_buf) noexcept;

// Number of characters of the line's text: those before its line end or terminator.
int line_text_length(const line_buffer& line_buf) noexcept;

} // namespace meanflux
