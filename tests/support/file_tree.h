// What a directory holds, as a sorted list that a test can compare in one assertion.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace meanflux::test {

// Every entry under `dir`, with what it is: "name", "name -> target", "name (fifo)", ...
inline std::vector<std::string> tree(const std::filesystem::path& dir)
{
    namespace fs = std::filesystem;
    std::vector<std::string> entries;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        std::string line = e.path().lexically_relative(dir).string();
        const fs::file_status s = e.symlink_status();
        if (fs::is_symlink(s))
            line += " -> " + fs::read_symlink(e.path()).string();
        else if (fs::is_fifo(s))
            line += " (fifo)";
        else if (fs::is_character_file(s))
            line += " (device)";
        else if (fs::is_directory(s))
            line += "/";
        entries.push_back(line);
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

} // namespace meanflux::test
