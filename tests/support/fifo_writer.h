// A FIFO in place of a file, with a writer that is there before any reader comes: it holds the
// FIFO open for reading and writing, which does not wait.  A thread writes the bytes, once or,
// with `endless`, again and again until stop(), and keeps the FIFO open until a reader has
// taken all it wrote (closing earlier would drop what is still in the FIFO).
#pragma once

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace meanflux::test {

class fifo_writer {
  public:
    fifo_writer(const std::filesystem::path& path, std::string bytes, bool endless = false)
        : bytes_(std::move(bytes)), endless_(endless)
    {
        // Close-on-exec: a program started meanwhile must not hold the writing end itself.
        if (::mkfifo(path.c_str(), 0600) != 0 ||
            (fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK)) < 0)
            throw std::runtime_error("cannot make a FIFO");
        thread_ = std::thread([this] { write(); });
    }
    ~fifo_writer() { stop(); }
    fifo_writer(const fifo_writer&) = delete;
    fifo_writer& operator=(const fifo_writer&) = delete;

    // Stop writing and close the FIFO.
    void stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }

  private:
    void write()
    {
        std::size_t at = 0;
        while (!stop_ && (endless_ || at < bytes_.size())) {
            const ssize_t n = ::write(fd_, bytes_.data() + at, bytes_.size() - at);
            if (n < 0) { // full: no reader yet, or one that has stopped reading
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            at += static_cast<std::size_t>(n);
            if (endless_ && at == bytes_.size())
                at = 0;
        }
        int unread = 0;
        while (!stop_ && ::ioctl(fd_, FIONREAD, &unread) == 0 && unread > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ::close(fd_);
    }

    std::string bytes_;
    bool endless_;
    int fd_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace meanflux::test
