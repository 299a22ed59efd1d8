#include "io/whole_file.h"

#include "io/output_file.h"

#include <array>
#include <cerrno>
#include <cstdio>

namespace meanflux {

whole_file_result read_whole_file(const char* name, std::size_t limit, std::string& bytes)
{
    bytes.clear();
    whole_file_result result;
    std::FILE* f = std::fopen(name, "rb");
    if (f == nullptr) {
        result.status = whole_file_status::cannot_read;
        result.error_number = errno;
        return result;
    }
    std::array<char, 1 << 16> buf;
    std::size_t n = 0;
    while ((n = std::fread(buf.data(), 1, buf.size(), f)) > 0) {
        if (n > limit - bytes.size()) {
            result.status = whole_file_status::too_large;
            break;
        }
        bytes.append(buf.data(), n);
    }
    if (result.status == whole_file_status::read && std::ferror(f)) {
        result.status = whole_file_status::cannot_read;
        result.error_number = errno != 0 ? errno : EIO;
    }
    std::fclose(f);
    if (result.status != whole_file_status::read)
        bytes.clear();
    return result;
}

int write_whole_file(const char* name, std::string_view bytes) noexcept
{
    output_file out;
    if (const int error_number = begin_output(name, out); error_number != 0)
        return error_number;
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), out.stream) != bytes.size()) {
        const int error_number = errno != 0 ? errno : EIO;
        abandon_output(out);
        return error_number;
    }
    int error_number = 0;
    return finish_output(out, name, error_number) == finish_status::done ? 0 : error_number;
}

} // namespace meanflux
