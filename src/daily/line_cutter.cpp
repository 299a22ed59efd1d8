#include "daily/line_cutter.h"

#include <algorithm>
#include <cstring>

namespace meanflux {

namespace {

// Add characters of the line under way: its first columns are kept, the rest only counted.
void keep(line_cutter& c, std::string_view part) noexcept
{
    if (part.empty())
        return;
    const auto kept = static_cast<std::size_t>(std::min(c.length, used_columns));
    const std::size_t more = std::min(part.size(), c.head.size() - kept);
    std::memcpy(c.head.data() + kept, part.data(), more);
    c.length += static_cast<int>(part.size());
    c.ends_in_cr = part.back() == '\r';
}

// The first columns of a line of `length` characters whose start is in the cutter.
std::string_view kept_line(const line_cutter& c, int length) noexcept
{
    return {c.head.data(), static_cast<std::size_t>(std::min(length, used_columns))};
}

void start_next(line_cutter& c) noexcept
{
    ++c.lines;
    c.length = 0;
    c.ends_in_cr = false;
}

} // namespace

cut_status cut_line(line_cutter& c, std::string_view& bytes, std::string_view& line) noexcept
{
    if (c.length > max_line_length + 1)
        return cut_status::too_long;
    if (bytes.empty())
        return cut_status::need_more;
    // The line under way has at most max_line_length + 1 characters (the last may be the CR of
    // its line end), so its LF can come no later than this.
    const auto reach = static_cast<std::size_t>(max_line_length + 2 - c.length);
    const std::size_t look = std::min(bytes.size(), reach);
    const void* lf = std::memchr(bytes.data(), '\n', look);
    if (lf == nullptr) {
        keep(c, bytes.substr(0, look));
        bytes.remove_prefix(look);
        return c.length > max_line_length + 1 ? cut_status::too_long : cut_status::need_more;
    }

    const auto n = static_cast<std::size_t>(static_cast<const char*>(lf) - bytes.data());
    const bool cr = n > 0 ? bytes[n - 1] == '\r' : c.ends_in_cr;
    const int length = c.length + static_cast<int>(n) - (cr ? 1 : 0);
    if (length > max_line_length)
        return cut_status::too_long;
    if (c.length == 0) { // the whole line is in this piece: no copy
        line = bytes.substr(0, static_cast<std::size_t>(std::min(length, used_columns)));
    } else {
        keep(c, bytes.substr(0, n));
        line = kept_line(c, length);
    }
    bytes.remove_prefix(n + 1);
    start_next(c);
    return cut_status::line;
}

cut_status cut_last_line(line_cutter& c, std::string_view& line) noexcept
{
    if (c.length == 0)
        return cut_status::no_line;
    // A CR that ends the input belongs to the line end, as one before a LF does.
    const int length = c.length - (c.ends_in_cr ? 1 : 0);
    if (length > max_line_length)
        return cut_status::too_long;
    line = kept_line(c, length);
    start_next(c);
    return cut_status::line;
}

} // namespace meanflux
