#include "lookup/table_data.h"

#include <meanflux/calendar.h>
#include <meanflux/space_weather.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace meanflux {

namespace {

constexpr double seconds_per_interval = 10800.0; // three hours
// Days of the 81-day mean on each side of the epoch's day: they hold every other day needed.
constexpr int days_each_side = 40;
constexpr int mean81_whole = 2 * days_each_side + 1;
// Three-hour intervals needed: the epoch's and the nineteen before it, back to 57 hours before.
constexpr int intervals_needed = 20;

// Whether the entries in `mask` of a found day hold finite numbers.
bool holds(const table_day& day, unsigned mask) noexcept
{
    if (!day.found || (day.present & mask) != mask)
        return false;
    for (std::size_t i = 0; i < day.values.size(); ++i)
        if ((mask >> i & 1u) != 0 && !std::isfinite(day.values[i]))
            return false;
    return true;
}

constexpr unsigned entry_bit(int entry) noexcept
{
    return 1u << entry;
}

// Results of parse_epoch.
constexpr int epoch_read = 0;
constexpr int epoch_unreadable = -1;

// The dates whose day numbers follow the Gregorian calendar: 1900-03-01 .. 2100-02-28.
constexpr int epoch_first_day = day_number(1, 3, 1900);
constexpr int epoch_last_day = day_number(28, 2, 2100);

// Fraction digits kept when the time of day is formed from hours, minutes and the seconds' text.
// From one second on, the doubles and the halfway points between them are multiples of 2^-53 s,
// which have at most 53 decimal places: the first 60 digits, followed by a 1 when any digit
// beyond them is not 0, round as the whole fraction does.
constexpr std::size_t fraction_kept = 60;

// The number written with `count` decimal digits at `at`; -1 when the text is shorter or one of
// them is no digit.
int digits(std::string_view text, std::size_t at, std::size_t count) noexcept
{
    if (text.size() < at + count)
        return -1;
    int value = 0;
    for (std::size_t k = at; k < at + count; ++k) {
        if (text[k] < '0' || text[k] > '9')
            return -1;
        value = 10 * value + (text[k] - '0');
    }
    return value;
}

bool all_digits(std::string_view text) noexcept
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The time of day whole_seconds + 0.fraction, correctly rounded to a double.
// Given:    whole_seconds  1 .. 86 400
//           fraction       one or more decimal digits
double time_of_day(int whole_seconds, std::string_view fraction) noexcept
{
    std::array<char, 8 + fraction_kept + 1> text;
    char* end = std::to_chars(text.data(), text.data() + 8, whole_seconds).ptr;
    *end++ = '.';
    const std::string_view kept = fraction.substr(0, fraction_kept);
    end = std::copy(kept.begin(), kept.end(), end);
    if (fraction.find_first_not_of('0', kept.size()) != std::string_view::npos)
        *end++ = '1';
    double seconds = 0.0;
    (void)std::from_chars(text.data(), end, seconds);
    return seconds;
}

} // namespace

int space_weather_at(const mean_flux_table& table, int epoch_day, double seconds_of_day,
                     space_weather& out) noexcept
{
    const detail::mean_flux_table_data* data = detail::mean_flux_table_access::data(table);
    if (data == nullptr)
        return mean_flux_no_file;

    // The epoch's three-hour interval counted from 0 h of epoch_day, and the days it moves by:
    // seconds / 86 400 is exactly (seconds / 10 800) / 8, so both floors agree.
    const double interval = std::floor(seconds_of_day / seconds_per_interval);
    const double day_shift = std::floor(interval / 8.0);
    const double d_real = static_cast<double>(epoch_day) + day_shift;
    if (!(d_real - 1 >= data->first && d_real <= data->last))
        return mean_flux_out_of_range; // also an epoch that is not finite
    const auto d = static_cast<std::int64_t>(d_real);
    const auto j = static_cast<std::int64_t>(interval - 8.0 * day_shift); // 0..7
    // Intervals counted from 0 h of the table's first day; the oldest needed lies 19 before the
    // epoch's, two or three days back.
    const std::int64_t i = d - data->first;
    const std::int64_t now = 8 * i + j;
    const std::int64_t oldest = now - (intervals_needed - 1);
    if (oldest < 0)
        return mean_flux_out_of_range;

    // The 81-day window: the days d - 40 .. d + 40 within the range.  Its mean is known only when
    // all of them have their records; they hold every other day needed.
    const std::int64_t range = std::int64_t{data->last} - data->first + 1;
    const std::int64_t lo = std::max<std::int64_t>(i - days_each_side, 0);
    const std::int64_t hi = std::min<std::int64_t>(i + days_each_side, range - 1);
    if (i >= data->stored)
        return mean_flux_no_record;
    const table_day* days = data->days.get();
    const table_day& today = days[i];
    const table_day& yesterday = days[i - 1];
    if (!today.obs_mean81_known ||
        !holds(yesterday, entry_bit(entry_flux_obs) | entry_bit(entry_flux_adj)) ||
        !holds(today,
               entry_bit(entry_ap) | entry_bit(entry_gauss_mean) | entry_bit(entry_arith_mean)))
        return mean_flux_no_record;

    for (std::int64_t g = oldest; g <= now; ++g)
        if ((days[g / 8].ap_known >> (g % 8) & 1u) == 0)
            return mean_flux_no_record;
    const auto ap = [days](std::int64_t g) {
        return days[g / 8].ap[static_cast<std::size_t>(g % 8)];
    };
    const auto mean_ap = [&ap](std::int64_t from) {
        double sum = 0.0;
        for (std::int64_t g = from; g < from + 8; ++g)
            sum += ap(g);
        return sum / 8.0;
    };

    // Every byte set, padding included, so that results compare whole.
    space_weather sw;
    std::memset(&sw, 0, sizeof sw);
    sw.f107_obs_prev_day = yesterday.values[entry_flux_obs];
    sw.f107_adj_prev_day = yesterday.values[entry_flux_adj];
    sw.f107_gauss_mean = today.values[entry_gauss_mean];
    sw.f107_arith_mean = today.values[entry_arith_mean];
    sw.f107_obs_mean81 = today.obs_mean81;
    for (std::int64_t k = 0; k < 8; ++k)
        sw.kp[k] = days[(now - k) / 8].values[static_cast<std::size_t>((now - k) % 8)];
    sw.ap_daily = today.values[entry_ap];
    sw.ap_history[0] = today.values[entry_ap];
    for (std::int64_t k = 0; k < 4; ++k)
        sw.ap_history[1 + k] = ap(now - k);
    sw.ap_history[5] = mean_ap(now - 11); // 33 down to 12 hours before
    sw.ap_history[6] = mean_ap(now - 19); // 57 down to 36 hours before
    sw.mean81_days = static_cast<int>(hi - lo + 1);
    sw.predicted = data->first + hi > data->last_observed;
    std::memcpy(&out, &sw, sizeof out);
    return sw.mean81_days == mean81_whole && !sw.predicted ? mean_flux_found
                                                           : space_weather_partial;
}

int parse_epoch(std::string_view text, int& day_number_out, double& seconds_of_day) noexcept
{
    if (text.ends_with('Z') || text.ends_with('z'))
        text.remove_suffix(1);

    // YYYY-MM-DD, a date within the calendar's span.
    if (text.size() < 10 || text[4] != '-' || text[7] != '-')
        return epoch_unreadable;
    const int year = digits(text, 0, 4), month = digits(text, 5, 2), day = digits(text, 8, 2);
    if (year < 0 || month < 1 || day < 1 || day > days_in_month(month, year))
        return epoch_unreadable;
    const int n = day_number(day, month, year);
    if (n < epoch_first_day || n > epoch_last_day)
        return epoch_unreadable;

    // THH:MM, then :SS, then .fraction, each optional after the one before.
    int hour = 0, minute = 0, second = 0;
    std::string_view seconds_text, fraction;
    std::string_view rest = text.substr(10);
    if (!rest.empty()) {
        if ((rest[0] != 'T' && rest[0] != 't') || rest.size() < 6 || rest[3] != ':')
            return epoch_unreadable;
        hour = digits(rest, 1, 2);
        minute = digits(rest, 4, 2);
        rest.remove_prefix(6);
        if (!rest.empty()) {
            second = digits(rest, 1, 2);
            if (rest[0] != ':' || second < 0)
                return epoch_unreadable;
            seconds_text = rest.substr(1);
            rest.remove_prefix(3);
            if (!rest.empty()) {
                fraction = rest.substr(1);
                if (rest[0] != '.' || fraction.empty() || !all_digits(fraction))
                    return epoch_unreadable;
            }
        }
    }
    const bool leap_second = second == 60 && hour == 23 && minute == 59;
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || (second > 59 && !leap_second))
        return epoch_unreadable;

    // Whole hours and minutes are exact; the seconds' fraction is rounded once, with them.
    const int whole = 3600 * hour + 60 * minute + second;
    double seconds = whole;
    if (!fraction.empty()) {
        if (whole == 0) {
            // The seconds' text alone is the time of day, however small its fraction.
            (void)std::from_chars(
                seconds_text.data(), seconds_text.data() + seconds_text.size(), seconds);
        } else {
            seconds = time_of_day(whole, fraction);
        }
    }
    day_number_out = n;
    seconds_of_day = seconds;
    return epoch_read;
}

} // namespace meanflux
