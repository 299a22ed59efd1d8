// Names of files: a name in a directory, and the text of a symbolic link followed.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace meanflux {

// The name of a file in a directory.
//
// Given:    directory  the directory; empty for the current one (the name alone)
//           name       the file's name
// Returns:  "name", "dir/name" (for "dir" and "dir/" alike).
[[nodiscard]] std::string path_in(std::string_view directory, std::string_view name);

// A path of at most PATH_MAX characters, with its terminating NUL.
using path_buffer = std::array<char, 4096>;

// Copy `text` into `path`.
//
// Returns:  false when it does not fit.
[[nodiscard]] bool set_path(path_buffer& path, std::string_view text) noexcept;

// Replace `path`, a symbolic link, by the path of what it points to: the link's text, taken from
// the directory that holds the link when it is relative.
//
// Returns:  false when that is too long (errno ENAMETOOLONG) or the link cannot be read (errno
//           tells why).
[[nodiscard]] bool follow_link(path_buffer& path) noexcept;

// The most symbolic links followed from one name, as the kernel allows in one path.
inline constexpr int max_links = 40;

} // namespace meanflux
