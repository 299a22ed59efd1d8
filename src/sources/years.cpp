#include "sources/years.h"

#include <meanflux/calendar.h>

#include <string>
#include <sys/stat.h>

namespace meanflux {

namespace {

source_status read_published_years(const char* path, year_span years, year_span given,
                                   source_years& out, source_problem& problem, bool predictions)
{
    source_days source;
    if (const source_status s = read_source_file(path, source, problem); s != source_status::read)
        return s;
    out.format = source.format;
    const std::size_t end = predictions ? source.days.size() : days_before_predictions(source);
    std::size_t i = 0;
    while (i < end && source.days[i].year < years.first)
        ++i;
    out.first_year = i < end ? source.days[i].year : 0;
    while (i < end && source.days[i].year <= years.last) {
        const int year = source.days[i].year;
        const std::size_t begin = i;
        while (i < end && source.days[i].year == year) {
            const source_day& d = source.days[i];
            if (d.predicted && out.predicted_from == 0)
                out.predicted_from = day_number(d.day, d.month, d.year);
            ++i;
        }
        // The year's file as meanflux-import writes it: a source that begins within the year
        // has the days before its first as days without data.
        const std::string before = begin == 0 ? lines_before(source.days[0]) : std::string();
        out.files.emplace_back();
        daily_year& days = out.files.back();
        daily_reading reading = start_daily_reading(year, given.contains(year));
        daily_problem daily;
        daily.status = read_daily_piece(reading, before, days, daily);
        if (daily.status == daily_status::read)
            daily.status =
                read_daily_piece(reading, lines_of(source, begin, i - begin), days, daily);
        if (daily.status == daily_status::read)
            daily.status = finish_daily_reading(reading, days, daily);
        if (daily.status != daily_status::read) {
            problem.file = path;
            problem.year = year;
            problem.by_date = true;
            problem.daily = daily;
            return source_status::bad_year_file;
        }
    }
    out.goes_on = i < end;
    return source_status::read;
}

} // namespace

source_status read_source_years(const char* path, year_span years, year_span given,
                                missing_years policy, source_years& years_read,
                                source_problem& problem, bool predictions)
{
    struct stat file {};
    if (::stat(path, &file) == 0 && S_ISDIR(file.st_mode))
        return read_directory_years(path, years, given, policy, years_read, problem);
    return detail::read_afresh(years_read, problem, [&] {
        return read_published_years(path, years, given, years_read, problem, predictions);
    });
}

} // namespace meanflux
