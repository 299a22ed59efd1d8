#include "io/paths.h"

#include <cerrno>
#include <unistd.h>

namespace meanflux {

std::string path_in(std::string_view directory, std::string_view name)
{
    std::string path(directory);
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path.append(name);
}

bool set_path(path_buffer& path, std::string_view text) noexcept
{
    if (text.size() >= path.size())
        return false;
    text.copy(path.data(), text.size());
    path[text.size()] = '\0';
    return true;
}

bool follow_link(path_buffer& path) noexcept
{
    path_buffer text{};
    const ssize_t n = ::readlink(path.data(), text.data(), text.size() - 1);
    if (n < 0)
        return false;
    const auto length = static_cast<std::size_t>(n);
    const std::string_view link(text.data(), length);
    errno = ENAMETOOLONG;
    if (link.starts_with('/'))
        return set_path(path, link);
    // A relative link is relative to the directory that holds the link.
    const std::string_view current(path.data());
    const std::size_t slash = current.rfind('/');
    if (slash == std::string_view::npos)
        return set_path(path, link);
    const std::size_t directory = slash + 1;
    if (directory + length >= path.size())
        return false;
    link.copy(path.data() + directory, length);
    path[directory + length] = '\0';
    return true;
}

} // namespace meanflux
