#include "daily/daily_year.h"

#include "io/file_handle.h"
#include "io/paths.h"

#include "text/numbers.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace meanflux {

daily_reading start_daily_reading(int year, bool keep_activity) noexcept
{
    daily_reading reading;
    reading.days = days_in_year(year);
    reading.keep_activity = keep_activity;
    return reading;
}

namespace {

// The day of the line just cut.
daily_status take_line(const daily_reading& r, std::string_view text, daily_year& days,
                       daily_problem& problem) noexcept
{
    const int i = r.cutter.lines - 1;
    const auto at = static_cast<std::size_t>(i);
    double flux = 0.0;
    int qual = 0;
    switch (read_day(text, flux, qual)) {
    case flux_reading::observed:
        break;
    case flux_reading::no_observation:
        qual = MISSING_FLUX;
        break;
    case flux_reading::out_of_range:
        problem.line = i + 1;
        problem.flux = flux;
        return daily_status::flux_out_of_range;
    }
    days.flux_adj[at] = flux;
    days.flux_qual[at] = static_cast<signed char>(qual); // column 71 holds one character
    if (r.keep_activity)
        copy_activity_text(text, days.activity[at]);
    days.lines = i + 1;
    return daily_status::read;
}

daily_status refuse_long_line(const daily_reading& r, daily_problem& problem) noexcept
{
    problem.line = r.cutter.lines + 1;
    return daily_status::line_too_long;
}

} // namespace

daily_status read_daily_piece(daily_reading& r, std::string_view bytes, daily_year& days,
                              daily_problem& problem) noexcept
{
    while (!bytes.empty()) {
        if (r.cutter.lines == r.days) { // a byte past the last day begins one line too many
            problem.line = r.days + 1;
            return daily_status::too_many_lines;
        }
        std::string_view text;
        switch (cut_line(r.cutter, bytes, text)) {
        case cut_status::line:
            break;
        case cut_status::need_more:
        case cut_status::no_line:
            continue;
        case cut_status::too_long:
            return refuse_long_line(r, problem);
        }
        if (const daily_status s = take_line(r, text, days, problem); s != daily_status::read)
            return s;
    }
    return daily_status::read;
}

daily_status finish_daily_reading(daily_reading& r, daily_year& days,
                                  daily_problem& problem) noexcept
{
    std::string_view text;
    switch (cut_last_line(r.cutter, text)) {
    case cut_status::line:
        return take_line(r, text, days, problem);
    case cut_status::too_long:
        return refuse_long_line(r, problem);
    case cut_status::need_more:
    case cut_status::no_line:
        break;
    }
    return daily_status::read;
}

daily_problem read_daily_bytes(int year, std::string_view bytes, daily_year& days,
                               bool keep_activity) noexcept
{
    daily_problem problem;
    days.lines = 0;
    daily_reading reading = start_daily_reading(year, keep_activity);
    problem.status = read_daily_piece(reading, bytes, days, problem);
    if (problem.status == daily_status::read)
        problem.status = finish_daily_reading(reading, days, problem);
    return problem;
}

daily_problem read_daily_file(const char* name, int year, daily_year& days,
                              bool keep_activity) noexcept
{
    daily_problem problem;
    days.lines = 0;
    errno = 0;
    const descriptor in(name, reading::in_order);
    if (in.fd() < 0) {
        problem.status = daily_status::cannot_open;
        problem.error_number = errno;
        return problem;
    }
    daily_reading r = start_daily_reading(year, keep_activity);
    // One page at a time: a larger buffer made whole runs measurably slower (fresh stack pages
    // cost more than the few more reads), and a yearly file of 26 KB is read in seven.
    std::array<char, 1 << 12> piece;
    for (;;) {
        const ssize_t n = ::read(in.fd(), piece.data(), piece.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            problem.status = daily_status::read_error;
            problem.error_number = errno;
            return problem;
        }
        if (n == 0) {
            problem.status = finish_daily_reading(r, days, problem);
            return problem;
        }
        problem.status = read_daily_piece(
            r, std::string_view(piece.data(), static_cast<std::size_t>(n)), days, problem);
        if (problem.status != daily_status::read)
            return problem;
    }
}

std::string daily_file_path(std::string_view directory, int year)
{
    char name[16];
    std::snprintf(name, sizeof name, "%.4d.dat", year);
    return path_in(directory, name);
}

bool daily_file_year(std::string_view name, int& year) noexcept
{
    return name.size() == 8 && name.substr(4) == ".dat" && parse_digits(name.substr(0, 4), year);
}

} // namespace meanflux
