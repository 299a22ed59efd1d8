#include "sources/source.h"

#include "sources/source_lines.h"

#include "io/whole_file.h"
#include "sources/celestrak.h"
#include "sources/gfz.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

namespace meanflux {

std::size_t days_before_predictions(const source_days& source) noexcept
{
    std::size_t count = source.days.size();
    while (count > 0 && source.days[count - 1].predicted)
        --count;
    return count;
}

namespace {

// The first line that is not blank.
line_status first_line(std::string_view bytes, line_cursor& cursor, std::string_view& line) noexcept
{
    cursor = line_cursor{without_byte_order_mark(bytes)};
    line_status status;
    while ((status = next_line(cursor, line)) == line_status::line &&
           line.find_first_not_of(" \t") == std::string_view::npos) {}
    return status;
}

} // namespace

std::string lines_before(const source_day& day)
{
    std::string text;
    for (calendar_date date{day.year, 1, 1}; date.month != day.month || date.day != day.day;
         date = next_day(date)) {
        daily_values none;
        none.year = date.year;
        none.month = date.month;
        none.day = date.day;
        const std::size_t at = text.size();
        text.resize(at + daily_line_length + 1);
        // A date and nothing else always fits.
        (void)format_daily_line(
            none, std::span<char, daily_line_length>(text.data() + at, daily_line_length));
        text[at + daily_line_length] = '\n';
    }
    return text;
}

source_format recognise_source(std::string_view bytes) noexcept
{
    line_cursor cursor;
    std::string_view line;
    if (first_line(bytes, cursor, line) != line_status::line)
        return source_format::unknown;
    if (looks_like_celestrak(line))
        return source_format::celestrak;
    if (looks_like_gfz(line))
        return source_format::gfz_potsdam;
    return source_format::unknown;
}

source_status read_source(std::string_view bytes, source_days& source, source_problem& problem)
{
    source = source_days{};
    problem = source_problem{};
    switch (recognise_source(bytes)) {
    case source_format::gfz_potsdam:
        return read_gfz(bytes, source, problem);
    case source_format::celestrak:
        return read_celestrak(bytes, source, problem);
    case source_format::yearly_files: // a directory, never one file's bytes
    case source_format::unknown:
        break;
    }
    line_cursor cursor;
    std::string_view line;
    if (first_line(bytes, cursor, line) == line_status::too_long) {
        // No line end within the first line's room: not text of either format.
        problem.line = cursor.number;
        problem.what = "longer than 4096 characters";
        return source_status::malformed;
    }
    problem.what = not_a_source;
    return source_status::not_recognised;
}

source_status read_source_file(const char* name, source_days& source, source_problem& problem)
{
    source = source_days{};
    problem = source_problem{};
    std::string bytes;
    // Room for a regular file's bytes up front, so that reading it never moves them.
    struct stat file {};
    if (::stat(name, &file) == 0 && S_ISREG(file.st_mode) && file.st_size > 0)
        bytes.reserve(std::min(static_cast<std::size_t>(file.st_size), max_source_bytes) + 1);
    const whole_file_result whole = read_whole_file(name, max_source_bytes, bytes);
    switch (whole.status) {
    case whole_file_status::read:
        return read_source(bytes, source, problem);
    case whole_file_status::cannot_read:
        problem.error_number = whole.error_number;
        problem.what = std::strerror(whole.error_number);
        return source_status::cannot_read;
    case whole_file_status::too_large:
        problem.what = "more than " + std::to_string(max_source_bytes) +
                       " bytes, more than a GFZ Potsdam or CelesTrak file can hold";
        return source_status::too_large;
    }
    return source_status::cannot_read;
}

} // namespace meanflux
