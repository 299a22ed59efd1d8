#include "io/file_clash.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace meanflux {

namespace {

// The most symbolic links followed from one name, as the kernel allows in one path.
constexpr int max_links = 40;

// What a name stands for, as far as the check needs it.
struct file_identity {
    bool compared = false;        // a file that can be lost
    bool standard_output = false; // the output "-"
    bool exists = false;          // dev and ino are those of the file
    dev_t dev = 0;
    ino_t ino = 0;
    std::string canonical; // canonical absolute directory and last component
};

// A name that stands for one of the process's descriptors, or another thing of /proc.
bool names_a_descriptor(std::string_view path) noexcept
{
    return path.starts_with("/dev/fd/") || path.starts_with("/proc/");
}

// Follow `path` through its symbolic links to the name it finally stands for.  Returns false
// for a name that leads to one of the process's descriptors.
bool follow_links(std::string& path)
{
    for (int links = 0; links < max_links; ++links) {
        if (names_a_descriptor(path))
            return false;
        struct stat at {};
        if (::lstat(path.c_str(), &at) != 0 || !S_ISLNK(at.st_mode))
            return true;
        std::string text(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.c_str(), text.data(), text.size());
        if (n < 0)
            return true;
        text.resize(static_cast<std::size_t>(n));
        // A relative link is relative to the directory that holds the link.
        const std::size_t slash = path.rfind('/');
        path = text.starts_with('/') || slash == std::string::npos
                   ? text
                   : path.substr(0, slash + 1) + text;
    }
    return !names_a_descriptor(path);
}

// The canonical absolute path of the directory of `path`, and its last component: the same for
// every name of one file, whether the file exists or not.
std::string canonical_name(std::string path, int depth)
{
    if (!follow_links(path))
        return {};
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const std::size_t slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "."
                                  : slash == 0               ? "/"
                                                             : path.substr(0, slash);
    const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
    if (char* real = ::realpath(directory.c_str(), nullptr)) {
        std::string whole = real;
        std::free(real);
        return (whole == "/" ? "" : whole) + "/" + leaf;
    }
    // A directory not made yet (a --yearly directory): its own directory is looked at instead.
    if (depth > 64 || directory == "." || directory == "/")
        return directory + "/" + leaf;
    return canonical_name(directory, depth + 1) + "/" + leaf;
}

file_identity identity_of(const file_use& use)
{
    file_identity id;
    if (use.output && std::strcmp(use.name, "-") == 0) {
        id.standard_output = true;
        return id;
    }
    std::string final_name = use.name;
    if (!follow_links(final_name))
        return id;
    struct stat file {};
    id.exists = ::stat(use.name, &file) == 0;
    if (id.exists ? !S_ISREG(file.st_mode) : !use.output)
        return id;
    id.dev = file.st_dev;
    id.ino = file.st_ino;
    id.canonical = canonical_name(use.name, 0);
    id.compared = !id.canonical.empty();
    return id;
}

bool same_file(const file_identity& a, const file_identity& b) noexcept
{
    if (a.standard_output || b.standard_output)
        return a.standard_output && b.standard_output;
    if (!a.compared || !b.compared)
        return false;
    return (a.exists && b.exists && a.dev == b.dev && a.ino == b.ino) || a.canonical == b.canonical;
}

} // namespace

file_clash find_file_clash(std::span<const file_use> files)
{
    std::vector<file_identity> ids;
    ids.reserve(files.size());
    for (const file_use& use : files)
        ids.push_back(identity_of(use));
    for (std::size_t second = 0; second < files.size(); ++second) {
        if (!files[second].output)
            continue;
        for (std::size_t first = 0; first < files.size(); ++first)
            if (first != second && (first < second || !files[first].output) &&
                same_file(ids[first], ids[second]))
                return {true, first, second};
    }
    return {};
}

} // namespace meanflux
