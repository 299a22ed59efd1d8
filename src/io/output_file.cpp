#include "io/output_file.h"

#include "io/paths.h"
#include "io/pending_files.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace meanflux {

namespace {

// A descriptor number written in decimal after `prefix`, as the whole rest of `path`.
bool descriptor_after(std::string_view path, std::string_view prefix, int& fd) noexcept
{
    if (!path.starts_with(prefix) || path.size() == prefix.size() ||
        path.size() - prefix.size() > 9)
        return false;
    int n = 0;
    for (const char c : path.substr(prefix.size())) {
        if (c < '0' || c > '9')
            return false;
        n = n * 10 + (c - '0');
    }
    fd = n;
    return true;
}

// Whether `path` names one of the process's own open descriptors: /dev/fd/N, /proc/self/fd/N,
// /proc/thread-self/fd/N or /proc/<its pid>/fd/N (/dev/stdout is a link to /proc/self/fd/1).
bool own_descriptor(std::string_view path, int& fd) noexcept
{
    if (descriptor_after(path, "/dev/fd/", fd) || descriptor_after(path, "/proc/self/fd/", fd) ||
        descriptor_after(path, "/proc/thread-self/fd/", fd))
        return true;
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "/proc/%ld/fd/", static_cast<long>(::getpid()));
    return descriptor_after(path, prefix, fd);
}

// What begin_output found at the end of a name.
struct found_target {
    output_way way = output_way::replace;
    int fd = -1;          // descriptor: the process's descriptor it names
    bool regular = false; // straight: the file there is a regular file (reached by a link that
                          // names no path, such as a descriptor of another process)
};

// Look at what `name` finally stands for; `path` receives the file to open or replace.
//
// Returns:  0, or an errno value (ENAMETOOLONG, ELOOP, or that of a link that cannot be read).
int find_target(const char* name, path_buffer& path, found_target& found) noexcept
{
    found = found_target{};
    if (std::strcmp(name, "-") == 0) {
        found.way = output_way::descriptor;
        found.fd = STDOUT_FILENO;
        return 0;
    }
    if (!set_path(path, name))
        return ENAMETOOLONG;
    int links = 0;
    bool exists = true;
    struct stat at {};
    for (;; ++links) {
        if (own_descriptor(path.data(), found.fd)) {
            found.way = output_way::descriptor;
            return 0;
        }
        // Nothing there (or nothing that can be looked at): the file is created at this path,
        // and creating it tells what is wrong, if anything.
        if (::lstat(path.data(), &at) != 0) {
            exists = false;
            break;
        }
        if (!S_ISLNK(at.st_mode))
            break;
        if (links == max_links)
            return ELOOP;
        if (!follow_link(path))
            return errno;
    }
    // A link whose text does not lead where the kernel takes it (a descriptor of another
    // process: "pipe:[1234]", a file since deleted) leaves no path to replace: the name itself
    // is opened and written into.
    struct stat whole {};
    if (links > 0 && ::stat(name, &whole) == 0 &&
        (!exists || whole.st_dev != at.st_dev || whole.st_ino != at.st_ino)) {
        found.way = output_way::straight;
        found.regular = S_ISREG(whole.st_mode);
        (void)set_path(path, name); // it fitted above
        return 0;
    }
    // A regular file is replaced, and so is a name not yet taken; a directory too, which the
    // rename then refuses.  Anything else (a device, a FIFO, a socket) is written straight into.
    if (exists && !S_ISREG(at.st_mode) && !S_ISDIR(at.st_mode))
        found.way = output_way::straight;
    return 0;
}

// The file-creation mask, read once: umask can only be read by setting it, which must not
// happen while another thread creates a file.
mode_t creation_mask() noexcept
{
    static const mode_t mask = [] {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    return mask;
}

// Give the new file the permissions, owner and group of the file it replaces (the owner and
// group only where the user may), or those of a newly created file.
int take_over_attributes(int fd, const char* target) noexcept
{
    struct stat existing {};
    if (::stat(target, &existing) != 0 || !S_ISREG(existing.st_mode))
        return ::fchmod(fd, 0666 & ~creation_mask()) == 0 ? 0 : errno;
    if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())
        (void)::fchown(fd, existing.st_uid, existing.st_gid); // else the user's, as a new file
    return ::fchmod(fd, existing.st_mode & 07777) == 0 ? 0 : errno;
}

int begin_replacement(output_file& file) noexcept
{
    const char* target = file.target.data();
    if (::access(target, F_OK) == 0 && ::access(target, W_OK) != 0)
        return errno;
    const int length =
        std::snprintf(file.temp_name.data(), file.temp_name.size(), "%s.XXXXXX", target);
    if (length < 0 || static_cast<std::size_t>(length) >= file.temp_name.size())
        return ENAMETOOLONG;

    int fd = -1;
    {
        // Created and entered in the list with no signal in between, so that a signal finds
        // either no file or a file it removes.
        const signals_held held;
        file.pending_entry = claim_pending_entry();
        if (file.pending_entry < 0)
            return ENOMEM;
        fd = ::mkostemp(file.temp_name.data(), O_CLOEXEC);
        if (fd < 0) {
            const int error_number = errno;
            release_pending_entry(file.pending_entry);
            file.pending_entry = -1;
            return error_number;
        }
        pending_file_created(file.pending_entry, file.temp_name.data());
    }
    file.way = output_way::replace;
    int error_number = take_over_attributes(fd, target);
    if (error_number == 0 && (file.stream = ::fdopen(fd, "wb")) == nullptr)
        error_number = errno;
    if (error_number != 0) {
        ::close(fd);
        abandon_output(file);
    }
    return error_number;
}

int begin_straight(output_file& file, bool truncate) noexcept
{
    const int fd =
        ::open(file.target.data(), O_WRONLY | O_NOCTTY | O_CLOEXEC | (truncate ? O_TRUNC : 0));
    if (fd < 0)
        return errno;
    if ((file.stream = ::fdopen(fd, "wb")) == nullptr) {
        const int error_number = errno;
        ::close(fd);
        return error_number;
    }
    file.way = output_way::straight;
    return 0;
}

int begin_descriptor(output_file& file, int fd) noexcept
{
    if (fd == STDOUT_FILENO || fd == STDERR_FILENO) {
        // Through the process's own stream, so that what it prints there stays in order.
        file.stream = fd == STDOUT_FILENO ? stdout : stderr;
        file.way = output_way::std_stream;
        return 0;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0)
        return errno;
    if ((flags & O_ACCMODE) == O_RDONLY)
        return EBADF;
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    if (copy < 0)
        return errno;
    if ((file.stream = ::fdopen(copy, "wb")) == nullptr) {
        const int error_number = errno;
        ::close(copy);
        return error_number;
    }
    file.way = output_way::descriptor;
    return 0;
}

// Flush and close the stream (standard output and error are flushed and stay open).
//
// Returns:  0, or the errno value of the first failure.
int close_stream(output_file& file) noexcept
{
    errno = 0;
    const bool flushed = std::fflush(file.stream) == 0 && !std::ferror(file.stream);
    int error_number = flushed ? 0 : errno;
    if (file.way != output_way::std_stream && std::fclose(file.stream) != 0 && flushed)
        error_number = errno;
    const bool failed = !flushed || error_number != 0;
    file.stream = nullptr;
    return failed ? (error_number != 0 ? error_number : EIO) : 0;
}

void remove_temporary(output_file& file) noexcept
{
    const signals_held held;
    ::unlink(file.temp_name.data());
    release_pending_entry(file.pending_entry);
    file.pending_entry = -1;
}

} // namespace

int begin_output(const char* name, output_file& file) noexcept
{
    file = output_file{};
    found_target found;
    if (const int error_number = find_target(name, file.target, found); error_number != 0)
        return error_number;
    switch (found.way) {
    case output_way::descriptor:
        return begin_descriptor(file, found.fd);
    case output_way::straight:
        return begin_straight(file, found.regular);
    default:
        return begin_replacement(file);
    }
}

int complete_output(output_file& file) noexcept
{
    return file.stream != nullptr ? close_stream(file) : 0;
}

finish_status finish_output(output_file& file, const char* /*name*/, int& error_number) noexcept
{
    error_number = 0;
    if (file.stream != nullptr)
        error_number = close_stream(file);
    finish_status status = error_number == 0 ? finish_status::done : finish_status::write_error;
    if (file.way == output_way::replace) {
        const signals_held held;
        if (status == finish_status::done &&
            std::rename(file.temp_name.data(), file.target.data()) != 0) {
            status = finish_status::rename_error;
            error_number = errno;
        }
        if (status != finish_status::done)
            ::unlink(file.temp_name.data());
        release_pending_entry(file.pending_entry);
        file.pending_entry = -1;
    }
    file.way = output_way::none;
    return status;
}

void abandon_output(output_file& file) noexcept
{
    if (file.stream != nullptr)
        (void)close_stream(file);
    if (file.way == output_way::replace)
        remove_temporary(file);
    file.way = output_way::none;
}

int output_directory::make(const char* path) noexcept
{
    const std::size_t length = std::strlen(path);
    if (length >= path_.size())
        return ENAMETOOLONG;
    const signals_held held;
    const int entry = claim_pending_entry();
    if (entry < 0)
        return ENOMEM;
    if (::mkdir(path, 0777) != 0) {
        const int error_number = errno;
        release_pending_entry(entry);
        return error_number == EEXIST ? 0 : error_number;
    }
    std::memcpy(path_.data(), path, length + 1);
    pending_directory_created(entry, path_.data());
    pending_entry_ = entry;
    return 0;
}

void output_directory::keep() noexcept
{
    release_pending_entry(pending_entry_);
    pending_entry_ = -1;
}

void output_directory::remove_if_empty() noexcept
{
    if (pending_entry_ < 0)
        return;
    const signals_held held;
    ::rmdir(path_.data()); // only when empty
    release_pending_entry(pending_entry_);
    pending_entry_ = -1;
}

output_directory::~output_directory()
{
    remove_if_empty();
}

const char* output_name_for_messages(const char* name) noexcept
{
    return std::strcmp(name, "-") == 0 ? "standard output" : name;
}

void remove_output_on_signals() noexcept
{
    install_pending_file_handlers();
}

} // namespace meanflux
