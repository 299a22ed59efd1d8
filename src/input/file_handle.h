// Ownership of an open C stream, so that every path out of a function closes what it opened.
#pragma once

#include <cstdio>
#include <memory>

namespace meanflux {

struct file_closer {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

// An input stream that is closed when its owner goes out of scope.  Streams that were written to
// are closed explicitly instead, since only fclose can tell whether the last bytes reached the
// file.
using file_handle = std::unique_ptr<std::FILE, file_closer>;

inline file_handle open_for_reading(const char* name) noexcept
{
    return file_handle(std::fopen(name, "r"));
}

} // namespace meanflux
