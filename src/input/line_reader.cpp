#include "input/line_reader.h"

#include <cstdio>
#include <cstring>

namespace meanflux {

read_status read_line(std::FILE* file, line_buffer& line_buf) noexcept
{
    // fgets takes characters up to and including a LF, or until the buffer is full, or until the
    // end of the file; the buffer is zeroed first so that the characters it stored can be told
    // from the rest.
    line_buf.fill('\0');
    if (std::fgets(line_buf.data(), static_cast<int>(line_buf.size()), file) == nullptr)
        return std::ferror(file) ? read_status::error : read_status::end_of_file;
    if (std::ferror(file))
        return read_status::error;

    char* const lf = static_cast<char*>(std::memchr(line_buf.data(), '\n', line_room));
    if (lf != nullptr) {
        if (lf != line_buf.data() && lf[-1] == '\r') { // CR LF is one line end
            lf[-1] = '\n';
            lf[0] = '\0';
        }
        return read_status::line;
    }
    if (std::feof(file)) // the read met the end of the file: no line end, no line
        return read_status::end_of_file;

    // 72 characters stored.  A CR in the last place may be the first half of a line end.
    char& last = line_buf[line_room - 1];
    if (last == '\r') {
        const int next = getc_unlocked(file);
        if (next == '\n')
            last = '\n';
        else if (next == EOF)
            return std::ferror(file) ? read_status::error : read_status::end_of_file;
        else
            std::ungetc(next, file);
    }
    return read_status::line;
}

int line_text_length(const line_buffer& line_buf) noexcept
{
    const void* lf = std::memchr(line_buf.data(), '\n', line_room);
    const std::size_t before_lf =
        lf != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lf) - line_buf.data())
                      : static_cast<std::size_t>(line_room);
    return static_cast<int>(::strnlen(line_buf.data(), before_lf));
}

} // namespace meanflux
