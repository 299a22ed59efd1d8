#include "support/reference_year.h"

#include "support/run_program.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace meanflux::test {

namespace {

// The lines of a daily index file: each LF ends one (a CR just before it belongs to the line
// end, as does a CR that ends the file), and a last line without LF is a line too.
std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() > 4096)
            throw std::runtime_error("reference: line longer than 4096 characters");
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// Days from 1 January 1970 of a Gregorian date (H. Hinnant's days_from_civil).
std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

std::string field(const std::string& line, std::size_t from, std::size_t count)
{
    std::string f = from < line.size() ? line.substr(from, count) : "";
    f.resize(count, ' ');
    return f;
}

std::string flux_text(double v)
{
    char buf[400];
    if (std::isnan(v))
        return "  nan";
    std::snprintf(buf, sizeof buf, "%5.1f", v);
    return buf;
}

} // namespace

std::string reference_mean_flux_file(const std::filesystem::path& dir, int year,
                                     reference_options options)
{
    const auto day0 = [](int y) { return days_from_civil(y, 1, 1); };
    const int len = static_cast<int>(day0(year + 2) - day0(year - 1));
    std::vector<double> flux(len, 0.0);
    std::vector<bool> loaded(len, false);
    std::vector<bool> observed(len, false);
    std::vector<std::string> given;
    for (int y = year - 1; y <= year + 1; ++y) {
        const std::string name = std::to_string(y) + ".dat";
        const std::vector<std::string> lines = lines_of(read_file(dir / name));
        if (y == year)
            given = lines;
        // Line i is day i + 1 of its own year.
        const int start = static_cast<int>(day0(y) - day0(year - 1));
        if (static_cast<std::int64_t>(lines.size()) > day0(y + 1) - day0(y))
            throw std::runtime_error("reference: more lines than days in " + name);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::size_t p = start + i;
            const std::string f = field(lines[i], 65, 5);
            const std::string q = field(lines[i], 70, 1);
            char* end = nullptr;
            const double v = std::strtod(f.c_str(), &end);
            const bool number = end != f.c_str() && std::isfinite(v);
            flux[p] = number ? v : 0.0;
            loaded[p] = true;
            observed[p] = number && q[0] != '3';
        }
    }

    const double e = 0.0167;
    const double w = 2.0 * 3.141592654 / 365.2422;
    const double tp = 3.0 + 0.47;
    auto distance = [&](int t) {
        const double m = (t - tp) * w;
        const double h = ((1.0 - std::cos(2.0 * m)) * e) / 2.0;
        return (h - std::cos(m)) * e + 1.0;
    };
    std::vector<double> obs(len, 0.0);
    for (int i = 0; i < len; ++i) {
        const double r = distance(i);
        obs[i] = flux[i] / r / r;
    }
    std::vector<double> weight(421);
    for (int j = 0; j < 421; ++j) {
        const double x = (j - 210) / 70.0;
        weight[j] = std::exp(-x * x);
    }
    auto takes_part = [&](int q) {
        return loaded[q] ? static_cast<bool>(observed[q]) : options.unloaded_positions_observed;
    };

    const std::int64_t first = day0(year) - day0(1950);
    const int offset = static_cast<int>(day0(year) - day0(year - 1));
    std::string out;
    for (int n = 0; n < static_cast<int>(given.size()); ++n) {
        const int p = offset + n;
        double gs = 0, gt = 0, as = 0, at = 0;
        for (int k = -210; k <= 210; ++k)
            if (p + k < len && takes_part(p + k)) {
                gs += weight[k + 210] * obs[p + k];
                gt += weight[k + 210];
            }
        for (int k = -81; k <= 81; ++k)
            if (p + k < len && takes_part(p + k)) {
                as += obs[p + k];
                at += 1;
            }
        const double gauss = gt > 0 ? gs / gt : NAN;
        const double arith = at > 0 ? as / at : NAN;
        double o = obs[p], adj = flux[p];
        if (!observed[p]) {
            const double r = distance(n);
            o = gauss;
            adj = gauss * r * r;
        }
        char day[16];
        std::snprintf(day, sizeof day, "%.5lld", static_cast<long long>(first + n));
        out += day + field(given[n], 12, 19) + field(given[n], 55, 3) + flux_text(o) +
               flux_text(adj) + flux_text(gauss) + flux_text(arith) + "\r\n";
    }
    return out;
}

} // namespace meanflux::test
