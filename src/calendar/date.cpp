#include "calendar/date.h"

#include "text/numbers.h"

#include <array>
#include <cstdio>

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

iso_date_text iso_date(calendar_date date) noexcept
{
    iso_date_text text{};
    std::snprintf(text.data(), text.size(), "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

const char* month_name(int month) noexcept
{
    constexpr std::array<const char*, 12> names{"January",
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
    return month >= 1 && month <= 12 ? names[static_cast<std::size_t>(month) - 1] : "";
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
