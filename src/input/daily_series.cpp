#include "input/daily_series.h"

#include "io/file_handle.h"

#include <array>
#include <cerrno>
#include <unistd.h>

namespace meanflux {

void start_series(int y, daily_series& series, given_days& given) noexcept
{
    series.flux_adj.fill(0.0);
    series.flux_qual.fill(MISSING_FLUX);
    series.flux_obs.fill(0.0);
    series.series_len = days_in_year(y - 1) + days_in_year(y) + days_in_year(y + 1);
    given.count = 0;
}

year_loading start_loading(int y, int file, given_days& given) noexcept
{
    year_loading loading;
    loading.file = file;
    loading.days = days_in_year(y - 1 + file);
    loading.first_position = file == 0 ? 0 : days_in_year(y - 1);
    if (file == 2)
        loading.first_position += days_in_year(y);
    loading.given = file == 1 ? &given : nullptr;
    return loading;
}

namespace {

// The day of the line just cut.
load_status take_line(year_loading& l, std::string_view text, daily_series& series,
                      load_result& result) noexcept
{
    const int i = l.cutter.lines - 1;
    const auto p = static_cast<std::size_t>(l.first_position + i);
    double flux = 0.0;
    int qual = 0;
    switch (read_day(text, flux, qual)) {
    case flux_reading::observed:
        break;
    case flux_reading::no_observation:
        qual = MISSING_FLUX;
        break;
    case flux_reading::out_of_range:
        result.line = i + 1;
        result.flux = flux;
        return load_status::flux_out_of_range;
    }
    series.flux_adj[p] = flux;
    series.flux_qual[p] = qual;
    if (l.given != nullptr) {
        copy_activity_text(text, l.given->activity[static_cast<std::size_t>(i)]);
        l.given->count = i + 1;
    }
    result.lines[static_cast<std::size_t>(l.file)] = i + 1;
    return load_status::loaded;
}

load_status refuse_long_line(const year_loading& l, load_result& result) noexcept
{
    result.line = l.cutter.lines + 1;
    return load_status::line_too_long;
}

} // namespace

load_status load_piece(year_loading& l, std::string_view bytes, daily_series& series,
                       load_result& result) noexcept
{
    while (!bytes.empty()) {
        if (l.cutter.lines == l.days) { // a byte past the last day begins one line too many
            result.line = l.days + 1;
            return load_status::too_many_lines;
        }
        std::string_view text;
        switch (cut_line(l.cutter, bytes, text)) {
        case cut_status::line:
            break;
        case cut_status::need_more:
        case cut_status::no_line:
            continue;
        case cut_status::too_long:
            return refuse_long_line(l, result);
        }
        if (const load_status s = take_line(l, text, series, result); s != load_status::loaded)
            return s;
    }
    return load_status::loaded;
}

load_status finish_loading(year_loading& l, daily_series& series, load_result& result) noexcept
{
    std::string_view text;
    switch (cut_last_line(l.cutter, text)) {
    case cut_status::line:
        return take_line(l, text, series, result);
    case cut_status::too_long:
        return refuse_long_line(l, result);
    case cut_status::need_more:
    case cut_status::no_line:
        break;
    }
    return load_status::loaded;
}

load_result load_years(int y, const std::array<std::string_view, 3>& files, daily_series& series,
                       given_days& given) noexcept
{
    load_result result;
    start_series(y, series, given);
    for (int i = 0; i < 3; ++i) {
        result.file = i;
        year_loading loading = start_loading(y, i, given);
        result.status = load_piece(loading, files[static_cast<std::size_t>(i)], series, result);
        if (result.status == load_status::loaded)
            result.status = finish_loading(loading, series, result);
        if (result.status == load_status::loaded && i == 1 && given.count == 0)
            result.status = load_status::no_days;
        if (result.status != load_status::loaded)
            return result;
    }
    return result;
}

namespace {

// Read one file into the series, a piece at a time.
load_status load_file(const char* name, year_loading& loading, daily_series& series,
                      load_result& result) noexcept
{
    errno = 0;
    const descriptor in(name, reading::in_order);
    if (in.fd() < 0) {
        result.error_number = errno;
        return load_status::cannot_open;
    }
    // One page at a time: a larger buffer made whole runs measurably slower (fresh stack pages
    // cost more than the few more reads), and a yearly file of 26 KB is read in seven.
    std::array<char, 1 << 12> piece;
    for (;;) {
        const ssize_t n = ::read(in.fd(), piece.data(), piece.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            result.error_number = errno;
            return load_status::read_error;
        }
        if (n == 0)
            return finish_loading(loading, series, result);
        const load_status status = load_piece(
            loading, std::string_view(piece.data(), static_cast<std::size_t>(n)), series, result);
        if (status != load_status::loaded)
            return status;
    }
}

} // namespace

load_result load_year_files(int y, const std::array<const char*, 3>& names, daily_series& series,
                            given_days& given) noexcept
{
    load_result result;
    start_series(y, series, given);
    for (int i = 0; i < 3; ++i) {
        result.file = i;
        year_loading loading = start_loading(y, i, given);
        result.status = load_file(names[static_cast<std::size_t>(i)], loading, series, result);
        if (result.status == load_status::loaded && i == 1 && given.count == 0)
            result.status = load_status::no_days;
        if (result.status != load_status::loaded)
            return result;
    }
    return result;
}

} // namespace meanflux
