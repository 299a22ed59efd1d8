// Ownership of open files, so that every path out of a function closes what it opened.
#pragma once

#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

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

// A file descriptor open for positioned reading (pread), closed when its owner goes out of
// scope.  fd is negative when the file could not be opened (errno tells why).
// Opening never waits: a FIFO without a writer opens at once, and since a FIFO cannot be read at
// an offset its reads then fail (ESPIPE) instead of the open hanging.
class descriptor {
  public:
    explicit descriptor(const char* name) noexcept
        : fd_(::open(name, O_RDONLY | O_CLOEXEC | O_NONBLOCK))
    {}
    ~descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    descriptor(const descriptor&) = delete;
    descriptor& operator=(const descriptor&) = delete;

    int fd() const noexcept { return fd_; }
    explicit operator bool() const noexcept { return fd_ >= 0; }

  private:
    int fd_;
};

} // namespace meanflux
