#include "input/daily_series.h"

#include "input/scan_field.h"
#include "io/file_handle.h"

#include <cerrno>

namespace meanflux {

load_status load_lines(std::FILE* file, daily_series& series, line_buffer& line_buf,
                       int& lines) noexcept
{
    lines = 0;
    for (;;) {
        errno = 0;
        switch (read_line(file, line_buf)) {
        case read_status::end_of_file:
            return load_status::loaded;
        case read_status::error:
            return load_status::read_error;
        case read_status::line:
            break;
        }
        if (series.series_len == MAX_DAYS)
            return load_status::too_many_days;
        const auto n = static_cast<std::size_t>(series.series_len);
        const std::string_view line(line_buf.data(), line_buf.size());
        static_cast<void>(scan_field(line, flux_first, flux_last, series.flux_adj[n]));
        static_cast<void>(scan_field(line, qual_position, qual_position, series.flux_qual[n]));
        ++series.series_len;
        ++lines;
    }
}

load_result load_daily_series(const std::array<const char*, 3>& names, daily_series& series,
                              line_buffer& line_buf) noexcept
{
    load_result result;
    for (int i = 0; i < 3; ++i) {
        result.file = i;
        errno = 0;
        const file_handle file = open_for_reading(names[static_cast<std::size_t>(i)]);
        if (!file) {
            result.status = load_status::cannot_open;
            result.error_number = errno;
            return result;
        }
        result.status =
            load_lines(file.get(), series, line_buf, result.lines[static_cast<std::size_t>(i)]);
        if (result.status != load_status::loaded) {
            result.error_number = errno;
            return result;
        }
    }
    return result;
}

} // namespace meanflux
