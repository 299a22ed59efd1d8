// What the fuzz targets share: splitting one input into several files, and streams over memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace meanflux::fuzz {

// The byte that separates the files of one input (ASCII record separator, never in the data).
inline constexpr char file_separator = '\x1e';

// Split the input into `count` parts at the first count - 1 separators; missing parts are empty.
inline std::vector<std::string_view> split_files(std::string_view input, std::size_t count)
{
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < count) {
        const std::size_t at = input.find(file_separator);
        if (at == std::string_view::npos)
            break;
        parts.push_back(input.substr(0, at));
        input.remove_prefix(at + 1);
    }
    parts.push_back(input);
    parts.resize(count);
    return parts;
}

// A read-only stream over the bytes (which must outlive it); an empty stream for no bytes.
inline std::FILE* open_memory(std::string_view bytes)
{
    if (bytes.empty())
        return std::fopen("/dev/null", "r");
    return fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "r");
}

// Stop the fuzzer: a property that must hold did not.
[[noreturn]] inline void fail(const char* what)
{
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
}

} // namespace meanflux::fuzz
