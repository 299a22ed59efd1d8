#include "io/streamed_input.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace meanflux {

int memory_file(std::string_view bytes) noexcept
{
    const int fd = ::memfd_create("meanflux", MFD_CLOEXEC);
    if (fd < 0)
        return -1;
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0) {
            const int error_number = wrote < 0 ? errno : EIO;
            ::close(fd);
            errno = error_number;
            return -1;
        }
        done += static_cast<std::size_t>(wrote);
    }
    return fd;
}

int read_until(int fd, std::string& bytes, std::size_t size)
{
    std::array<char, 1 << 16> buffer{};
    while (bytes.size() < size) {
        const ssize_t got = ::read(fd, buffer.data(), std::min(buffer.size(), size - bytes.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return errno;
        if (got == 0)
            break;
        bytes.append(buffer.data(), static_cast<std::size_t>(got));
    }
    return 0;
}

bool input_lines::next(std::string& line, bool& too_long)
{
    line.clear();
    too_long = false;
    if (stopped_)
        return false;
    bool started = false;
    for (;;) {
        if (at_ == end_ && !fill())
            break;
        started = true;
        const char* from = buffer_.data() + at_;
        const auto* lf = static_cast<const char*>(std::memchr(from, '\n', end_ - at_));
        const std::size_t size = lf != nullptr ? static_cast<std::size_t>(lf - from) : end_ - at_;
        // One character more than the longest line is kept: it tells a line that is too long.
        line.append(from, std::min(size, longest + 1 - line.size()));
        at_ += size + (lf != nullptr ? 1 : 0);
        if (lf != nullptr || line.size() > longest)
            break;
    }
    if (!line.empty() && line.back() == '\r' && line.size() <= longest)
        line.pop_back();
    if (line.size() > longest) {
        too_long = stopped_ = true;
        line.resize(longest);
    }
    if (started)
        ++number_;
    return started;
}

bool input_lines::fill()
{
    at_ = end_ = 0;
    for (;;) {
        const ssize_t got = ::read(fd_, buffer_.data(), buffer_.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            error_number_ = errno;
        if (got <= 0)
            return false;
        end_ = static_cast<std::size_t>(got);
        return true;
    }
}

} // namespace meanflux
