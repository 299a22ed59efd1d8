// Ownership of open files, so that every path out of a function closes what it opened.
#pragma once

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace meanflux {

// How a file is to be read.
enum class reading {
    positioned, // at offsets (pread): a FIFO, which has none, fails at its first read (ESPIPE)
    in_order,   // from start to end (read): a FIFO is read as its writer writes
};

// An open descriptor, closed when its owner goes out of scope; -1 when it holds none.
class owned_descriptor {
  public:
    owned_descriptor() noexcept = default;
    explicit owned_descriptor(int fd) noexcept : fd_(fd) {}
    ~owned_descriptor() { reset(-1); }
    owned_descriptor(const owned_descriptor&) = delete;
    owned_descriptor& operator=(const owned_descriptor&) = delete;

    int fd() const noexcept { return fd_; }
    // Close what is held, if anything, and hold fd instead.
    void reset(int fd) noexcept
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }

  private:
    int fd_ = -1;
};

// A file descriptor open for reading, closed when its owner goes out of scope.  fd is negative
// when the file could not be opened (errno tells why).
//
// Opening never waits: opening a FIFO for reading would otherwise wait for a writer, forever if
// none comes.  Read in order, a FIFO without a writer then reads as an empty file; read at
// offsets it fails at once.
class descriptor {
  public:
    explicit descriptor(const char* name, reading way = reading::positioned) noexcept
        : owner_(::open(name, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK))
    {
        if (owner_.fd() < 0 || way == reading::positioned)
            return;
        // Reading in order waits for data again, as reading a pipe does.
        const int flags = ::fcntl(owner_.fd(), F_GETFL);
        if (flags == -1 || ::fcntl(owner_.fd(), F_SETFL, flags & ~O_NONBLOCK) == -1) {
            const int error_number = errno;
            owner_.reset(-1);
            errno = error_number;
        }
    }

    int fd() const noexcept { return owner_.fd(); }
    explicit operator bool() const noexcept { return owner_.fd() >= 0; }

  private:
    owned_descriptor owner_;
};

} // namespace meanflux
