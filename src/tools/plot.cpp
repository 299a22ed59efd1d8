#include "tools/plot.h"

#include "input/digits.h"
#include "io/whole_file.h"
#include "record/record.h"
#include "tools/command_line.h"

#include <meanflux/calendar.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <getopt.h>

namespace meanflux {

namespace {

constexpr const char* program = "meanflux-plot";

constexpr const char* usage = "usage: meanflux-plot -o OUTPUT.svg FILE\n";

constexpr const char* help =
    "usage: meanflux-plot -o OUTPUT.svg FILE\n"
    "\n"
    "Draw a yearly (<yyyy>_m.dat) or combined mean-flux file as an SVG chart: the daily\n"
    "10.7 cm solar flux observed and adjusted to 1 AU, and its J77 and J70 centred means,\n"
    "against the date.  Days without observation, whose fluxes the yearly run took from\n"
    "their J77 mean, are marked; values that are not a number leave a gap.\n"
    "\n"
    "options:\n"
    "  -o, --output OUTPUT.svg  the chart to write\n"
    "  -h, --help               show this help\n"
    "\n"
    "exit status: 0 written, 1 the file holds no record, 2 usage or file error\n";

constexpr std::array<const char*, 12> month_names{
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char*, 12> month_full{"January",
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

// Append printf-formatted text.
void add(std::string& s, const char* format, ...) __attribute__((format(printf, 2, 3)));
void add(std::string& s, const char* format, ...)
{
    char buf[512];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    s.append(buf, static_cast<std::size_t>(std::min<int>(n, sizeof buf - 1)));
}

// A record line: 47 characters, or 48 for a day number before 1950 with its minus sign.
bool read_record(std::string_view line, chart_day& day)
{
    const std::size_t shift = line.size() == 48 && line[0] == '-' ? 1 : 0;
    if (line.size() != static_cast<std::size_t>(record_length) + shift)
        return false;
    const std::string_view body = line.substr(shift);
    int number = 0;
    if (!parse_digits(body.substr(0, static_cast<std::size_t>(day_field.width())), number))
        return false;
    std::array<double, mean_flux_entries> values;
    values.fill(std::nan(""));
    scan_record_values(body, values);
    auto field = [&](int entry) {
        const field_span f = value_fields[static_cast<std::size_t>(entry)];
        return body.substr(static_cast<std::size_t>(f.first), static_cast<std::size_t>(f.width()));
    };
    day = {shift ? -number : number,
           values[entry_flux_obs],
           values[entry_flux_adj],
           values[entry_gauss_mean],
           values[entry_arith_mean],
           field(entry_flux_obs) == field(entry_gauss_mean) && !std::isnan(values[entry_flux_obs])};
    return true;
}

struct axes {
    double x0 = 80, x1 = 940, y0 = 60, y1 = 390; // plot area
    int first = 0, span = 1;                     // days shown
    double top = 100;                            // flux at the top of the plot
    double x(double day) const { return x0 + (day - first + 0.5) / span * (x1 - x0); }
    double y(double flux) const { return y1 - flux / top * (y1 - y0); }
};

std::string date_text(int day)
{
    const date_record& d = day_to_date(day);
    return std::to_string(static_cast<int>(d.day)) + " " +
           month_full[static_cast<std::size_t>(d.month) - 1] + " " +
           std::to_string(static_cast<int>(d.year));
}

std::string title_of(int first, int last)
{
    const date_record a = day_to_date(first);
    const date_record b = day_to_date(last);
    const bool whole_years = a.day == 1 && a.month == 1 && b.day == 31 && b.month == 12;
    std::string period;
    if (whole_years && a.year == b.year)
        period = std::to_string(static_cast<int>(a.year));
    else if (whole_years)
        period = std::to_string(static_cast<int>(a.year)) + "\u2013" +
                 std::to_string(static_cast<int>(b.year));
    else
        period = date_text(first) + " to " + date_text(last);
    return "10.7 cm solar radio flux F10.7 and its centred means, " + period;
}

// One series as a path, broken where a value is not a number.
void add_series(std::string& svg, const axes& a, const std::vector<chart_day>& days,
                double chart_day::*value, const char* style)
{
    std::string path;
    bool pen_down = false;
    for (const chart_day& d : days) {
        const double v = d.*value;
        if (std::isnan(v) || std::isinf(v)) {
            pen_down = false;
            continue;
        }
        add(path, "%c%.1f %.1f ", pen_down ? 'L' : 'M', a.x(d.day), a.y(std::max(0.0, v)));
        pen_down = true;
    }
    if (!path.empty()) {
        path.pop_back();
        add(svg, "<path %s d=\"", style);
        svg += path;
        svg += "\"/>\n";
    }
}

void add_time_axis(std::string& svg, const axes& a, int last)
{
    const date_record start = day_to_date(a.first);
    const int first_year = static_cast<int>(start.year);
    const int last_year = static_cast<int>(day_to_date(last).year);
    auto tick = [&](int day, const std::string& label, const std::string& second) {
        const double x = a.x(day - 0.5);
        add(svg,
            "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" class=\"grid\"/>\n",
            x,
            a.y0,
            x,
            a.y1);
        add(svg,
            "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" class=\"axis\"/>\n",
            x,
            a.y1,
            x,
            a.y1 + 5);
        add(svg,
            "<text x=\"%.1f\" y=\"%.1f\" class=\"tick\">%s</text>\n",
            x,
            a.y1 + 18,
            label.c_str());
        if (!second.empty())
            add(svg,
                "<text x=\"%.1f\" y=\"%.1f\" class=\"tick\">%s</text>\n",
                x,
                a.y1 + 32,
                second.c_str());
    };
    if (a.span <= 800) {
        bool first_tick = true;
        for (int y = first_year; y <= last_year; ++y)
            for (int m = 1; m <= 12; ++m) {
                const int day = day_number(1, m, y);
                if (day < a.first || day > last)
                    continue;
                tick(day,
                     month_names[static_cast<std::size_t>(m) - 1],
                     m == 1 || first_tick ? std::to_string(y) : "");
                first_tick = false;
            }
    } else {
        const int years = last_year - first_year + 1;
        const int step = years > 80 ? 10 : years > 30 ? 5 : years > 12 ? 2 : 1;
        for (int y = first_year; y <= last_year; ++y) {
            const int day = day_number(1, 1, y);
            if (y % step == 0 && day >= a.first && day <= last)
                tick(day, std::to_string(y), "");
        }
    }
    add(svg,
        "<text x=\"%.1f\" y=\"%.1f\" class=\"label\">Date (UT)</text>\n",
        (a.x0 + a.x1) / 2,
        a.y1 + 52);
}

void add_flux_axis(std::string& svg, const axes& a)
{
    const double step = a.top <= 400 ? 50 : 100;
    for (double f = 0; f <= a.top + 0.5; f += step) {
        add(svg,
            "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" class=\"grid\"/>\n",
            a.x0,
            a.y(f),
            a.x1,
            a.y(f));
        add(svg,
            "<text x=\"%.1f\" y=\"%.1f\" class=\"ytick\">%.0f</text>\n",
            a.x0 - 8,
            a.y(f) + 4,
            f);
    }
    add(svg,
        "<text transform=\"translate(24 %.1f) rotate(-90)\" class=\"label\">"
        "Solar radio flux F10.7 (sfu)</text>\n",
        (a.y0 + a.y1) / 2);
}

void add_legend(std::string& svg, const axes& a)
{
    // Two columns of entries under the time axis.
    struct item {
        int column, row;
        const char* style;
        const char* text;
    };
    constexpr item items[] = {
        {0, 0, "class=\"obs\"", "Observed daily flux"},
        {1, 0, "class=\"adj\"", "Daily flux adjusted to 1 AU"},
        {0, 1, "class=\"j77\"", "Gaussian centred mean (J77)"},
        {1, 1, "class=\"j70\"", "Arithmetic centred mean (J70)"},
    };
    auto place = [&](int column, int row, double& x, double& y) {
        x = a.x0 + column * 330.0;
        y = a.y1 + 72 + row * 20.0;
    };
    double x = 0, y = 0;
    for (const item& i : items) {
        place(i.column, i.row, x, y);
        add(svg, "<path %s d=\"M%.1f %.1fL%.1f %.1f\"/>\n", i.style, x, y, x + 26, y);
        add(svg, "<text x=\"%.1f\" y=\"%.1f\" class=\"legend\">%s</text>\n", x + 32, y + 4, i.text);
    }
    place(0, 2, x, y);
    add(svg, "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"3\" class=\"filled\"/>\n", x + 13, y);
    add(svg,
        "<text x=\"%.1f\" y=\"%.1f\" class=\"legend\">%s</text>\n",
        x + 32,
        y + 4,
        "Day without observation: its fluxes are taken from its J77 mean");
}

} // namespace

bool read_chart_days(std::string_view bytes, std::vector<chart_day>& days, long& bad_line)
{
    days.clear();
    long number = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t end = bytes.find('\n', at);
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view line = bytes.substr(at, end - at);
        at = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        chart_day day{};
        if (read_record(line, day)) {
            days.push_back(day);
            continue;
        }
        int first = 0, last = 0;
        const std::string head(line.substr(0, 48));
        if (number == 1 && std::sscanf(head.c_str(), "%5d%5d", &first, &last) == 2)
            continue; // the header line of a combined file
        bad_line = number;
        return false;
    }
    return true;
}

std::string chart_svg(const std::vector<chart_day>& days)
{
    axes a;
    a.first = days.front().day;
    const int last = days.back().day;
    a.span = std::max(1, last - a.first + 1);
    double highest = 0;
    for (const chart_day& d : days)
        for (const double v : {d.flux_obs, d.flux_adj, d.gauss_mean, d.arith_mean})
            if (std::isfinite(v))
                highest = std::max(highest, v);
    a.top = std::max(50.0, std::ceil(highest / 50.0) * 50.0);

    std::string svg;
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"960\" height=\"520\" "
           "viewBox=\"0 0 960 520\" font-family=\"sans-serif\">\n";
    svg += "<style>\n"
           ".grid { stroke: #e3e3e3; stroke-width: 1 }\n"
           ".axis { stroke: #444; stroke-width: 1 }\n"
           ".tick { font-size: 11px; text-anchor: middle; fill: #333 }\n"
           ".ytick { font-size: 11px; text-anchor: end; fill: #333 }\n"
           ".label { font-size: 13px; text-anchor: middle; fill: #222 }\n"
           ".legend { font-size: 12px; fill: #222 }\n"
           ".title { font-size: 16px; text-anchor: middle; fill: #111 }\n"
           ".obs { fill: none; stroke: #4a90c8; stroke-width: 1 }\n"
           ".adj { fill: none; stroke: #9a9a9a; stroke-width: 1 }\n"
           ".j77 { fill: none; stroke: #c0392b; stroke-width: 2.2 }\n"
           ".j70 { fill: none; stroke: #1e8449; stroke-width: 2.2; stroke-dasharray: 6 3 }\n"
           ".filled { fill: #f39c12; stroke: none }\n"
           "</style>\n";
    add(svg, "<rect x=\"0\" y=\"0\" width=\"960\" height=\"520\" fill=\"white\"/>\n");
    add(svg,
        "<text x=\"%.1f\" y=\"32\" class=\"title\">%s</text>\n",
        (a.x0 + a.x1) / 2,
        title_of(a.first, last).c_str());
    add_flux_axis(svg, a);
    add_time_axis(svg, a, last);
    add(svg,
        "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"none\" "
        "class=\"axis\"/>\n",
        a.x0,
        a.y0,
        a.x1 - a.x0,
        a.y1 - a.y0);
    add_series(svg, a, days, &chart_day::flux_adj, "class=\"adj\"");
    add_series(svg, a, days, &chart_day::flux_obs, "class=\"obs\"");
    add_series(svg, a, days, &chart_day::arith_mean, "class=\"j70\"");
    add_series(svg, a, days, &chart_day::gauss_mean, "class=\"j77\"");
    for (const chart_day& d : days)
        if (d.filled && std::isfinite(d.flux_obs))
            add(svg,
                "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"2.5\" class=\"filled\"/>\n",
                a.x(d.day),
                a.y(std::max(0.0, d.flux_obs)));
    add_legend(svg, a);
    svg += "</svg>\n";
    return svg;
}

int plot_main(int argc, char** argv, std::FILE* out, std::FILE* err)
{
    const command_texts texts{program, usage, help};
    const char* output = nullptr;
    if (const int status = read_output_option(argc, argv, texts, out, err, output); status >= 0)
        return status;
    if (argc - optind != 1)
        return usage_error(err, texts, "one input file is needed");
    const char* input = argv[optind];
    std::string bytes;
    // A combined file holds a header line and at most 100000 records (day numbers 0 to 99999);
    // a yearly file before 1950 has records one character longer.
    constexpr std::size_t max_input_bytes = 4096 + 100000 * 50;
    const whole_file_result read = read_whole_file(input, max_input_bytes, bytes);
    if (read.status == whole_file_status::too_large) {
        std::fprintf(err,
                     "%s: %s: more than %zu bytes, more than a mean-flux file can hold\n",
                     program,
                     input,
                     max_input_bytes);
        return exit_usage_or_file;
    }
    if (read.status != whole_file_status::read) {
        std::fprintf(err, "%s: %s: %s\n", program, input, std::strerror(read.error_number));
        return exit_usage_or_file;
    }
    std::vector<chart_day> days;
    long bad_line = 0;
    if (!read_chart_days(bytes, days, bad_line)) {
        std::fprintf(err, "%s: %s: line %ld is not a mean-flux record\n", program, input, bad_line);
        return exit_usage_or_file;
    }
    if (days.empty()) {
        std::fprintf(err, "%s: %s: no record to draw\n", program, input);
        return exit_not_there;
    }
    for (std::size_t i = 1; i < days.size(); ++i)
        if (days[i].day <= days[i - 1].day) {
            std::fprintf(err,
                         "%s: %s: records are not in day order (day %d after day %d)\n",
                         program,
                         input,
                         days[i].day,
                         days[i - 1].day);
            return exit_usage_or_file;
        }
    if (const int error_number = write_whole_file(output, chart_svg(days)); error_number != 0) {
        std::fprintf(
            err, "%s: %s: cannot write: %s\n", program, output, std::strerror(error_number));
        return exit_usage_or_file;
    }
    return exit_ok;
}

} // namespace meanflux
