#include "io/output_file.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace meanflux {

namespace {

// The temporary file being written, for the signal handler: a signal can only be handled with
// state outside the call in progress.
const char* volatile pending_name = nullptr;

extern "C" void remove_pending_and_end(int sig)
{
    if (const char* name = pending_name)
        ::unlink(name);
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

mode_t mode_for(const char* name) noexcept
{
    struct stat existing {};
    if (::stat(name, &existing) == 0 && S_ISREG(existing.st_mode))
        return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

int begin_output(const char* name, output_file& file) noexcept
{
    file = output_file{};
    if (::access(name, F_OK) == 0 && ::access(name, W_OK) != 0)
        return errno;
    const int length =
        std::snprintf(file.temp_name.data(), file.temp_name.size(), "%s.XXXXXX", name);
    if (length < 0 || static_cast<std::size_t>(length) >= file.temp_name.size())
        return ENAMETOOLONG;

    const int fd = ::mkstemp(file.temp_name.data());
    if (fd < 0)
        return errno;
    pending_name = file.temp_name.data();
    if (::fchmod(fd, mode_for(name)) != 0 || (file.stream = ::fdopen(fd, "wb")) == nullptr) {
        const int error_number = errno;
        ::close(fd);
        ::unlink(file.temp_name.data());
        pending_name = nullptr;
        return error_number;
    }
    return 0;
}

finish_status finish_output(output_file& file, const char* name, int& error_number) noexcept
{
    errno = 0;
    const bool written = std::fflush(file.stream) == 0 && !std::ferror(file.stream);
    error_number = errno;
    const bool closed = std::fclose(file.stream) == 0;
    if (written && !closed)
        error_number = errno;
    file.stream = nullptr;
    finish_status status = finish_status::done;
    if (!written || !closed) {
        status = finish_status::write_error;
        if (error_number == 0)
            error_number = EIO;
    } else if (std::rename(file.temp_name.data(), name) != 0) {
        status = finish_status::rename_error;
        error_number = errno;
    }
    if (status != finish_status::done)
        ::unlink(file.temp_name.data());
    pending_name = nullptr;
    return status;
}

void abandon_output(output_file& file) noexcept
{
    if (file.stream != nullptr)
        std::fclose(file.stream);
    file.stream = nullptr;
    ::unlink(file.temp_name.data());
    pending_name = nullptr;
}

void remove_output_on_signals() noexcept
{
    for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        std::signal(sig, remove_pending_and_end);
}

} // namespace meanflux
