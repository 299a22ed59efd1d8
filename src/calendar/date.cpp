#include "calendar/date.h"

#include "text/numbers.h"

#include <array>
#include <cstdio>
#include <string>

namespace meanflux {

bool parse_iso_date(std::string_view text, calendar_date& date) noexcept
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    calendar_date d{};
    if (!parse_digits(text.substr(0, 4), d.year) || !parse_digits(text.substr(5, 2), d.month) ||
        !parse_digits(text.substr(8, 2), d.day) || !is_date(d))
        return false;
    date = d;
    return true;
}

namespace {

// The fields of a date, a month or a year written with digits in their places; a month or a day
// that the text does not give is -1.
struct written_fields {
    int year = -1, month = -1, day = -1;
};

bool read_fields(std::string_view text, written_fields& f) noexcept
{
    const bool month = text.size() >= 7, day = text.size() == 10;
    if ((text.size() != 4 && text.size() != 7 && !day) || (month && text[4] != '-') ||
        (day && text[7] != '-'))
        return false;
    return parse_digits(text.substr(0, 4), f.year) &&
           (!month || parse_digits(text.substr(5, 2), f.month)) &&
           (!day || parse_digits(text.substr(8, 2), f.day));
}

constexpr const char* month_names[] = {"January",
                                       "February",
                                       "March",
                                       "April",
                                       "May",
                                       "June",
                                       "July",
                                       "August",
                                       "September",
                                       "October",
                                       "November",
                                       "December"};

// 29th, 30th, 31st, 32nd, 33rd ...: the days a month lacks are 29 to 99.
std::string ordinal(int n)
{
    const int units = n % 10;
    const char* suffix = n / 10 == 1  ? "th"
                         : units == 1 ? "st"
                         : units == 2 ? "nd"
                         : units == 3 ? "rd"
                                      : "th";
    return std::to_string(n) + suffix;
}

} // namespace

bool parse_period(std::string_view text, calendar_period& period) noexcept
{
    written_fields f;
    if (!read_fields(text, f))
        return false;
    calendar_period p{{f.year, f.month < 0 ? 1 : f.month, f.day < 0 ? 1 : f.day},
                      {f.year, f.month < 0 ? 12 : f.month, f.day}};
    if (p.first.month < 1 || p.first.month > 12 || !is_date(p.first))
        return false;
    if (f.day < 0)
        p.last.day = days_in_month(p.last.month, p.last.year);
    period = p;
    return true;
}

std::string period_problem(std::string_view text)
{
    written_fields f;
    calendar_period p{};
    if (!read_fields(text, f) || parse_period(text, p))
        return "";
    const std::string written(text);
    if (f.month < 1 || f.month > 12)
        return written + ": a year has the months 01 to 12";
    if (f.day == 0)
        return written + ": the days of a month count from 01";
    return std::string(month_names[f.month - 1]) + " " + std::to_string(f.year) + " has no " +
           ordinal(f.day) + " day";
}

iso_date_text iso_date(calendar_date date) noexcept
{
    iso_date_text text{};
    std::snprintf(text.data(), text.size(), "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

const char* month_name(int month) noexcept
{
    return month >= 1 && month <= 12 ? month_names[month - 1] : "";
}

bool parse_run_year(std::string_view text, int& year) noexcept
{
    int value = 0;
    if (text.size() != 4 || !parse_digits(text, value) || !is_run_year(value))
        return false;
    year = value;
    return true;
}

} // namespace meanflux
