#include "sources/celestrak.h"

#include "sources/source_lines.h"

#include "text/numbers.h"

#include <meanflux/calendar.h>

#include <cstdio>

namespace meanflux {

namespace {

constexpr std::array<const char*, 8> kp_names{
    "KP1", "KP2", "KP3", "KP4", "KP5", "KP6", "KP7", "KP8"};
constexpr std::array<const char*, 8> ap_names{
    "AP1", "AP2", "AP3", "AP4", "AP5", "AP6", "AP7", "AP8"};

// The fields of a row, split at its commas.
struct row_fields {
    std::array<std::string_view, max_celestrak_columns> field{};
    std::size_t count = 0; // fields of the row, which may be more than max_celestrak_columns
};

void split_row(std::string_view row, row_fields& fields) noexcept
{
    fields.count = 0;
    for (std::size_t at = 0;;) {
        const std::size_t comma = row.find(',', at);
        const std::size_t end = comma == std::string_view::npos ? row.size() : comma;
        if (fields.count < max_celestrak_columns)
            fields.field[fields.count] = row.substr(at, end - at);
        ++fields.count;
        if (comma == std::string_view::npos)
            return;
        at = comma + 1;
    }
}

// A field's text for a message: itself when short, or how long it is.
std::string shown(std::string_view field)
{
    std::string text;
    if (field.size() <= 24) {
        text.append(1, '\'').append(field).append(1, '\'');
    } else {
        text.append("of ").append(std::to_string(field.size())).append(" characters");
    }
    return text;
}

// The conversions of one row, each naming its column in the message when it fails.
struct row_reader {
    const row_fields& fields;
    std::string& problem;

    bool whole(std::size_t column, const char* name, int low, int high, int& value)
    {
        const std::string_view text = fields.field[column];
        if (text.empty()) {
            value = no_value;
            return true;
        }
        int v = 0;
        if (!parse_whole_number(text, v)) {
            problem = std::string(name) + " is not a whole number: " + shown(text);
            return false;
        }
        if (v < low || v > high) {
            problem = std::string(name) + " is " + std::string(text) + ", not " +
                      std::to_string(low) + " to " + std::to_string(high);
            return false;
        }
        value = v;
        return true;
    }

    bool real(std::size_t column, const char* name, double high, const char* range, double& value)
    {
        const std::string_view text = fields.field[column];
        if (text.empty()) {
            value = -1.0;
            return true;
        }
        double v = 0.0;
        if (!parse_decimal_number(text, v)) {
            problem = std::string(name) + " is not a number: " + shown(text);
            return false;
        }
        if (text.front() == '-' || v > high) {
            problem = std::string(name) + " is " + std::string(text) + ", not " + range;
            return false;
        }
        value = v;
        return true;
    }
};

} // namespace

bool looks_like_celestrak(std::string_view first_line) noexcept
{
    return first_line.starts_with("DATE,");
}

bool read_celestrak_header(std::string_view header, celestrak_columns& columns,
                           std::string& problem)
{
    row_fields fields;
    split_row(header, fields);
    if (fields.count > max_celestrak_columns) {
        problem =
            "the header row has more than " + std::to_string(max_celestrak_columns) + " columns";
        return false;
    }
    celestrak_columns c;
    c.count = fields.count;
    bool found = true;
    auto find = [&](const char* name, std::size_t& column) {
        if (!found)
            return;
        for (std::size_t i = 0; i < fields.count; ++i)
            if (fields.field[i] == name) {
                column = i;
                return;
            }
        found = false;
        problem = std::string("the header row has no column ") + name;
    };
    find("DATE", c.date);
    find("BSRN", c.rotation);
    find("ND", c.rotation_day);
    for (std::size_t i = 0; i < 8; ++i)
        find(kp_names[i], c.kp[i]);
    find("KP_SUM", c.kp_sum);
    for (std::size_t i = 0; i < 8; ++i)
        find(ap_names[i], c.ap[i]);
    find("AP_AVG", c.ap_daily);
    find("CP", c.cp);
    find("C9", c.c9);
    find("ISN", c.sunspots);
    find("F10.7_ADJ", c.flux_adjusted);
    find("F10.7_DATA_TYPE", c.data_type);
    if (!found)
        return false;
    columns = c;
    return true;
}

bool parse_celestrak_row(std::string_view row, const celestrak_columns& columns,
                         celestrak_row& result, std::string& problem)
{
    row_fields fields;
    split_row(row, fields);
    if (fields.count != columns.count) {
        problem = std::to_string(fields.count) + " fields, not " + std::to_string(columns.count) +
                  " as in the header row";
        return false;
    }
    celestrak_row r;
    calendar_date date{};
    if (!parse_iso_date(fields.field[columns.date], date) || date.year < 1) {
        problem = "DATE is not a date YYYY-MM-DD: " + shown(fields.field[columns.date]);
        return false;
    }
    r.values.year = date.year;
    r.values.month = date.month;
    r.values.day = date.day;

    const std::string_view type = fields.field[columns.data_type];
    if (type == "OBS")
        r.type = flux_data_type::observed;
    else if (type == "INT")
        r.type = flux_data_type::interpolated;
    else if (type == "PRD")
        r.type = flux_data_type::predicted;
    else if (type == "PRM")
        r.type = flux_data_type::monthly_predicted;
    else {
        problem = "F10.7_DATA_TYPE is " + shown(type) + ", not OBS, INT, PRD or PRM";
        return false;
    }

    row_reader read{fields, problem};
    daily_values& v = r.values;
    bool good = read.whole(columns.rotation, "BSRN", 0, 9999, v.rotation) &&
                read.whole(columns.rotation_day, "ND", 1, 99, v.rotation_day);
    for (std::size_t i = 0; i < 8; ++i)
        good = good && read.whole(columns.kp[i], kp_names[i], 0, 90, v.kp_tenths[i]);
    good = good && read.whole(columns.kp_sum, "KP_SUM", 0, 720, v.kp_sum_tenths);
    for (std::size_t i = 0; i < 8; ++i)
        good = good && read.whole(columns.ap[i], ap_names[i], 0, 999, v.ap[i]);
    double flux = -1.0;
    good = good && read.whole(columns.ap_daily, "AP_AVG", 0, 999, v.ap_daily) &&
           read.real(columns.cp, "CP", 2.5, "0.0 to 2.5", v.cp) &&
           read.whole(columns.c9, "C9", 0, 9, v.c9) &&
           read.whole(columns.sunspots, "ISN", 0, 999, v.sunspots) &&
           read.real(columns.flux_adjusted, "F10.7_ADJ", 999.9, "0.0 to 999.9", flux);
    if (!good)
        return false;

    // An interpolated flux is not an observation: the day is one without flux.
    const bool has_flux = flux >= 0.0 && r.type != flux_data_type::interpolated;
    v.flux = has_flux ? flux : 0.0;
    v.qualifier = !has_flux                            ? flux_missing
                  : r.type == flux_data_type::observed ? flux_observed
                                                       : flux_estimated;
    result = r;
    return true;
}

source_status read_celestrak(std::string_view bytes, source_days& source, source_problem& problem)
{
    source = source_days{};
    source.format = source_format::celestrak;
    bytes = without_byte_order_mark(bytes);
    // A row has about 115 characters; its daily index line 72.
    source.text.reserve(bytes.size() / 3 * 2);
    source.days.reserve(bytes.size() / 100);
    line_cursor cursor{bytes};
    std::string_view line;
    celestrak_columns columns;
    bool header_read = false;
    calendar_date previous{};
    bool predictions_begun = false; // a daily prediction (PRD) has been read
    for (line_status status; (status = next_line(cursor, line)) != line_status::end;) {
        auto refuse = [&](std::string what) {
            problem.line = cursor.number;
            problem.what = std::move(what);
            source = source_days{};
            return source_status::malformed;
        };
        if (status == line_status::too_long)
            return refuse("longer than 4096 characters");
        if (line.find_first_not_of(" \t") == std::string_view::npos)
            continue;
        std::string what;
        if (!header_read) {
            if (!looks_like_celestrak(line))
                return refuse("not the header row DATE,BSRN,ND,KP1,...");
            if (!read_celestrak_header(line, columns, what))
                return refuse(std::move(what));
            header_read = true;
            continue;
        }
        celestrak_row row;
        if (!parse_celestrak_row(line, columns, row, what))
            return refuse(std::move(what));
        if (row.type == flux_data_type::monthly_predicted)
            continue;
        const calendar_date date{row.values.year, row.values.month, row.values.day};
        if (!source.days.empty() && !follows(previous, date))
            return refuse(day_order_problem(date, previous));
        // The daily predictions follow the last day of the record; a day of the record after a
        // prediction would pass for a prediction's continuation, or a prediction for a day of
        // the record.
        const bool predicted = row.type == flux_data_type::predicted;
        if (predictions_begun && !predicted) {
            char text[64];
            std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
            return refuse(
                std::string("day ") + text + " is " +
                (row.type == flux_data_type::observed ? "observed (OBS)" : "interpolated (INT)") +
                " but follows a daily prediction (PRD): predictions come after the "
                "last observed day");
        }
        predictions_begun = predictions_begun || predicted;
        previous = date;
        if (!append_day(source, row.values, predicted))
            return refuse("a value does not fit its columns of the daily index line");
    }
    return source_status::read;
}

} // namespace meanflux
