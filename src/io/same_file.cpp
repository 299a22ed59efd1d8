#include "io/same_file.h"

#include "io/paths.h"

#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace meanflux {

namespace {

// An absolute path without "." and "..": ".." takes the name before it away.
std::string lexically_absolute(std::string_view path, const std::string& cwd)
{
    std::string whole = path.starts_with('/') ? std::string() : cwd + "/";
    whole.append(path);
    std::vector<std::string_view> names;
    const std::string_view all(whole);
    for (std::size_t at = 0; at < all.size();) {
        std::size_t end = all.find('/', at);
        if (end == std::string_view::npos)
            end = all.size();
        const std::string_view name = all.substr(at, end - at);
        if (name == "..") {
            if (!names.empty())
                names.pop_back();
        } else if (!name.empty() && name != ".") {
            names.push_back(name);
        }
        at = end + 1;
    }
    std::string normal;
    for (const std::string_view name : names)
        normal.append("/").append(name);
    return normal.empty() ? "/" : normal;
}

// The directories resolved so far: their lexical path and where they really are.
struct resolved_directories {
    std::vector<std::pair<std::string, std::string>> known;

    // The path with its directory's links resolved where the directory exists.
    std::string resolve(const std::string& absolute)
    {
        const std::size_t slash = absolute.rfind('/');
        const std::string directory = slash == 0 ? "/" : absolute.substr(0, slash);
        const std::string name = absolute.substr(slash + 1);
        for (const auto& [lexical, real] : known)
            if (lexical == directory)
                return real + name;
        char real[PATH_MAX];
        std::string where = ::realpath(directory.c_str(), real) != nullptr ? real : directory;
        if (where != "/")
            where += '/';
        known.emplace_back(directory, where);
        return where + name;
    }
};

// The file a name stands for, its links followed; its path as the links leave it.
file_identity identify(const std::string& name)
{
    file_identity identity{name};
    path_buffer path{};
    if (!set_path(path, name))
        return identity;
    struct stat at {};
    for (int links = 0; links < max_links && ::lstat(path.data(), &at) == 0 &&
                        S_ISLNK(at.st_mode) && follow_link(path);
         ++links) {}
    identity.path = path.data();
    struct stat file {};
    if (::stat(path.data(), &file) == 0) {
        identity.exists = true;
        identity.regular = S_ISREG(file.st_mode);
        identity.device = file.st_dev;
        identity.inode = file.st_ino;
    }
    return identity;
}

} // namespace

std::vector<file_identity> identify_files(std::span<const std::string> names)
{
    std::vector<file_identity> identities;
    identities.reserve(names.size());
    std::size_t absent = 0;
    for (const std::string& name : names) {
        identities.push_back(identify(name));
        absent += identities.back().exists ? 0 : 1;
    }
    // Files that exist are told apart by device and inode; one that exists and one that does not
    // are never the same path.  Only names of files not there yet are compared by path, and need
    // it made whole.
    if (absent < 2)
        return identities;
    path_buffer cwd{};
    const std::string working = ::getcwd(cwd.data(), cwd.size()) != nullptr ? cwd.data() : "";
    resolved_directories directories;
    for (file_identity& identity : identities)
        if (!identity.exists)
            identity.path = directories.resolve(lexically_absolute(identity.path, working));
    return identities;
}

bool same_file(const file_identity& a, const file_identity& b) noexcept
{
    if ((a.exists && !a.regular) || (b.exists && !b.regular))
        return false;
    if (a.exists && b.exists)
        return a.device == b.device && a.inode == b.inode;
    return !a.exists && !b.exists && a.path == b.path;
}

} // namespace meanflux
