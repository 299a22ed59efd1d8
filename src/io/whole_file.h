// Whole files read into memory and written in one piece.
#pragma once

#include <string>
#include <string_view>

namespace meanflux {

// Read a whole file into `bytes`.
//
// Returns:  0, or the errno value that tells why it could not be read.
[[nodiscard]] int read_whole_file(const char* name, std::string& bytes);

// Write `bytes` to `name` through a temporary file that takes the name only when complete.
//
// Returns:  0, or the errno value of the step that failed; an existing file is then unchanged.
[[nodiscard]] int write_whole_file(const char* name, std::string_view bytes) noexcept;

} // namespace meanflux
