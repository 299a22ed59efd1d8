#include "io/whole_file.h"

#include "io/file_handle.h"
#include "io/output_file.h"

#include <array>
#include <cerrno>
#include <cstdio>

namespace meanflux {

whole_file_result read_whole_file(const char* name, std::size_t limit, std::string& bytes)
{
    bytes.clear();
    whole_file_result result;
    const descriptor in(name, reading::in_order);
    if (!in) {
        result.status = whole_file_status::cannot_read;
        result.error_number = errno;
        return result;
    }
    std::array<char, 1 << 16> buf;
    for (;;) {
        const ssize_t n = ::read(in.fd(), buf.data(), buf.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            result.status = whole_file_status::cannot_read;
            result.error_number = errno;
            break;
        }
        if (n == 0)
            break;
        const auto got = static_cast<std::size_t>(n);
        if (got > limit - bytes.size()) {
            result.status = whole_file_status::too_large;
            break;
        }
        bytes.append(buf.data(), got);
    }
    if (result.status != whole_file_status::read)
        bytes.clear();
    return result;
}

whole_write_result write_output_file(const char* name, std::string_view bytes) noexcept
{
    whole_write_result result;
    output_file out;
    if ((result.error_number = begin_output(name, out)) != 0) {
        result.status = whole_write_status::cannot_create;
        return result;
    }
    errno = 0;
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), out.stream) != bytes.size()) {
        result.error_number = errno != 0 ? errno : EIO;
        result.status = whole_write_status::cannot_write;
        abandon_output(out);
        return result;
    }
    switch (finish_output(out, name, result.error_number)) {
    case finish_status::done:
        break;
    case finish_status::write_error:
        result.status = whole_write_status::cannot_write;
        break;
    case finish_status::rename_error:
        result.status = whole_write_status::cannot_rename;
        break;
    }
    return result;
}

int write_whole_file(const char* name, std::string_view bytes) noexcept
{
    return write_output_file(name, bytes).error_number;
}

} // namespace meanflux
