#include "sources/gfz.h"

#include "sources/source_lines.h"

#include <meanflux/calendar.h>

#include <cmath>

namespace meanflux {

namespace {

// Number of blank-separated fields of a data line.
constexpr int gfz_fields = 28;

// The mark of missing data.
constexpr int missing_mark = -1;
constexpr double missing_real = -1.0;

// A whole number from `low` to `high`, or the missing mark.
bool whole_or_missing(std::string_view text, int low, int high, int& value) noexcept
{
    int v = 0;
    if (!parse_whole_number(text, v) || (v != missing_mark && (v < low || v > high)))
        return false;
    value = v;
    return true;
}

// A decimal number from 0 to `high`, or the missing mark (-1, -1.0, -1.000 ...).
bool real_or_missing(std::string_view text, double high, double& value) noexcept
{
    double v = 0.0;
    if (!parse_decimal_number(text, v) || (v != missing_real && (text.front() == '-' || v > high)))
        return false;
    value = v;
    return true;
}

bool is_blank(char c) noexcept
{
    return c == ' ' || c == '\t';
}

} // namespace

gfz_line_kind parse_gfz_line(std::string_view line, gfz_day& day, std::string& problem)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.find_first_not_of(" \t") == std::string_view::npos || line.front() == '#')
        return gfz_line_kind::header;

    std::array<std::string_view, gfz_fields> f{};
    int count = 0;
    for (std::size_t at = 0; at < line.size();) {
        while (at < line.size() && is_blank(line[at]))
            ++at;
        if (at == line.size())
            break;
        std::size_t end = at;
        while (end < line.size() && !is_blank(line[end]))
            ++end;
        if (count == gfz_fields) {
            problem = "more than 28 fields";
            return gfz_line_kind::malformed;
        }
        f[static_cast<std::size_t>(count++)] = line.substr(at, end - at);
        at = end;
    }
    if (count != gfz_fields) {
        problem = std::to_string(count) + " fields, not 28";
        return gfz_line_kind::malformed;
    }
    auto bad = [&](const char* what) {
        problem = what;
        return gfz_line_kind::malformed;
    };
    gfz_day d{};
    int days = 0;
    double days_m = 0;
    if (!parse_whole_number(f[0], d.year) || !parse_whole_number(f[1], d.month) ||
        !parse_whole_number(f[2], d.day) || d.year < 1 || d.year > 9999 || d.day < 1 ||
        d.day > days_in_month(d.month, d.year))
        return bad("not a valid date");
    if (!whole_or_missing(f[3], 0, 999999999, days) || !real_or_missing(f[4], 1e9, days_m))
        return bad("the day counts are not numbers");
    if (!parse_whole_number(f[5], d.rotation) || !parse_whole_number(f[6], d.rotation_day) ||
        d.rotation < 0 || d.rotation > 9999 || d.rotation_day < 1 || d.rotation_day > 99)
        return bad("the Bartels rotation is not a number of four digits and a day of two");
    for (std::size_t i = 0; i < 8; ++i)
        if (!real_or_missing(f[7 + i], 9.0, d.kp[i]))
            return bad("a Kp is neither 0 to 9 nor -1");
    for (std::size_t i = 0; i < 8; ++i)
        if (!whole_or_missing(f[15 + i], 0, 999, d.ap[i]))
            return bad("an ap is neither 0 to 999 nor -1");
    if (!whole_or_missing(f[23], 0, 999, d.ap_daily))
        return bad("Ap is neither 0 to 999 nor -1");
    if (!whole_or_missing(f[24], 0, 999, d.sunspots))
        return bad("the sunspot number is neither 0 to 999 nor -1");
    if (!real_or_missing(f[25], 999.9, d.flux_obs) || !real_or_missing(f[26], 999.9, d.flux_adj))
        return bad("an F10.7 is neither 0 to 999.9 nor -1");
    if (!parse_whole_number(f[27], d.definitive) || d.definitive < 0 || d.definitive > 2)
        return bad("D is not 0, 1 or 2");
    day = d;
    return gfz_line_kind::day;
}

bool cp_of_ap_sum(int ap_sum, int& cp_tenths) noexcept
{
    // First sum of each step from Cp 0.0 to 1.9, contiguous up to a sum of 1117.
    constexpr std::array<int, 20> step_start{0,   23,  35,  45,  56,  67,  79,  91,  105, 121,
                                             140, 165, 191, 229, 274, 321, 380, 454, 562, 730};
    struct known_range {
        int low, high, cp;
    };
    constexpr std::array<known_range, 4> above{{
        {1120, 1395, 20},
        {1410, 1655, 21},
        {1707, 1967, 22},
        {2237, 2237, 23},
    }};
    if (ap_sum < 0)
        return false;
    if (ap_sum <= 1117) {
        int cp = 0;
        while (cp + 1 < static_cast<int>(step_start.size()) &&
               ap_sum >= step_start[static_cast<std::size_t>(cp) + 1])
            ++cp;
        cp_tenths = cp;
        return true;
    }
    for (const known_range& r : above)
        if (ap_sum >= r.low && ap_sum <= r.high) {
            cp_tenths = r.cp;
            return true;
        }
    return false;
}

int c9_of_cp(int cp_tenths) noexcept
{
    constexpr std::array<int, 20> c9{0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 6, 7, 7, 7, 7, 8};
    return cp_tenths < static_cast<int>(c9.size()) ? c9[static_cast<std::size_t>(cp_tenths)] : 9;
}

daily_values gfz_daily_values(const gfz_day& d) noexcept
{
    daily_values v;
    v.year = d.year;
    v.month = d.month;
    v.day = d.day;
    v.rotation = d.rotation;
    v.rotation_day = d.rotation_day;
    bool all_kp = true;
    double kp_sum = 0.0;
    for (std::size_t i = 0; i < 8; ++i) {
        if (d.kp[i] < 0) {
            all_kp = false;
        } else {
            kp_sum += d.kp[i];
            v.kp_tenths[i] = static_cast<int>(std::lround(d.kp[i] * 10.0));
        }
    }
    if (all_kp)
        v.kp_sum_tenths = static_cast<int>(std::lround(kp_sum * 10.0));
    bool all_ap = true;
    int ap_sum = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        all_ap = all_ap && d.ap[i] >= 0;
        ap_sum += d.ap[i];
        v.ap[i] = d.ap[i] >= 0 ? d.ap[i] : no_value;
    }
    v.ap_daily = d.ap_daily >= 0 ? d.ap_daily : no_value;
    int cp = 0;
    if (all_ap && cp_of_ap_sum(ap_sum, cp)) {
        v.cp = cp / 10.0;
        v.c9 = c9_of_cp(cp);
    }
    v.sunspots = d.sunspots >= 0 ? d.sunspots : no_value;
    if (d.flux_adj >= 0) {
        v.flux = d.flux_adj;
        v.qualifier = flux_observed;
    } else {
        v.flux = 0.0;
        v.qualifier = flux_missing;
    }
    return v;
}

bool looks_like_gfz(std::string_view first_line) noexcept
{
    if (!first_line.empty() && first_line.front() == '#')
        return true;
    int year = 0;
    return first_line.size() > 4 && parse_whole_number(first_line.substr(0, 4), year) &&
           first_line[0] != '-' && is_blank(first_line[4]);
}

source_status read_gfz(std::string_view bytes, source_days& source, source_problem& problem)
{
    source = source_days{};
    source.format = source_format::gfz_potsdam;
    // A data line has 158 characters; its daily index line 72.
    source.text.reserve(bytes.size() / 2);
    source.days.reserve(bytes.size() / 150);
    line_cursor cursor{without_byte_order_mark(bytes)};
    std::string_view line;
    calendar_date previous{};
    for (line_status status; (status = next_line(cursor, line)) != line_status::end;) {
        auto refuse = [&](std::string what) {
            problem.line = cursor.number;
            problem.what = std::move(what);
            source = source_days{};
            return source_status::malformed;
        };
        if (status == line_status::too_long)
            return refuse("longer than 4096 characters");
        gfz_day day{};
        std::string what;
        const gfz_line_kind kind = parse_gfz_line(line, day, what);
        if (kind == gfz_line_kind::header)
            continue;
        if (kind == gfz_line_kind::malformed)
            return refuse(std::move(what));
        const calendar_date date{day.year, day.month, day.day};
        if (!source.days.empty() && !follows(previous, date))
            return refuse(day_order_problem(date, previous));
        previous = date;
        if (!append_day(source, gfz_daily_values(day), false))
            return refuse("a value does not fit its columns of the daily index line");
    }
    return source_status::read;
}

} // namespace meanflux
