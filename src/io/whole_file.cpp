#include "io/whole_file.h"

#include "io/output_file.h"

#include <cerrno>
#include <cstdio>

namespace meanflux {

int read_whole_file(const char* name, std::string& bytes)
{
    bytes.clear();
    std::FILE* f = std::fopen(name, "rb");
    if (f == nullptr)
        return errno;
    char buf[1 << 16];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        bytes.append(buf, n);
    const int error_number = std::ferror(f) ? (errno != 0 ? errno : EIO) : 0;
    std::fclose(f);
    return error_number;
}

int write_whole_file(const char* name, std::string_view bytes) noexcept
{
    output_file out;
    if (const int error_number = begin_output(name, out); error_number != 0)
        return error_number;
    if (std::fwrite(bytes.data(), 1, bytes.size(), out.stream) != bytes.size()) {
        const int error_number = errno != 0 ? errno : EIO;
        abandon_output(out);
        return error_number;
    }
    int error_number = 0;
    return finish_output(out, name, error_number) == finish_status::done ? 0 : error_number;
}

} // namespace meanflux
