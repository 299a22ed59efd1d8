#include "sources/source_lines.h"

#include <cstring>

namespace meanflux {

line_status next_line(line_cursor& cursor, std::string_view& line) noexcept
{
    const std::string_view bytes = cursor.bytes;
    if (cursor.at >= bytes.size())
        return line_status::end;
    const std::size_t left = bytes.size() - cursor.at;
    const void* const lf = std::memchr(bytes.data() + cursor.at, '\n', left);
    const std::size_t end =
        lf != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lf) - bytes.data())
                      : bytes.size();
    std::size_t length = end - cursor.at;
    if (length > 0 && bytes[end - 1] == '\r' && (lf != nullptr || end == bytes.size()))
        --length; // the CR of a CR LF belongs to the line end
    ++cursor.number;
    const std::size_t start = cursor.at;
    cursor.at = lf != nullptr ? end + 1 : end;
    if (length > max_source_line)
        return line_status::too_long;
    line = bytes.substr(start, length);
    return line_status::line;
}

bool append_day(source_days& source, const daily_values& values, bool predicted)
{
    const std::size_t offset = source.text.size();
    source.text.resize(offset + daily_line_length + 1);
    if (!format_daily_line(
            values,
            std::span<char, daily_line_length>(source.text.data() + offset, daily_line_length))) {
        source.text.resize(offset);
        return false;
    }
    source.text[offset + daily_line_length] = '\n';
    source.days.push_back(
        {values.year, values.month, values.day, predicted, offset, daily_line_length});
    return true;
}

std::string day_order_problem(calendar_date date, calendar_date previous)
{
    return "day " + std::string(iso_date(date).data()) + " does not follow the day before it, " +
           iso_date(previous).data() + " (a day missing, repeated or out of order)";
}

} // namespace meanflux
