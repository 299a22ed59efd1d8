#include "support/reference_year.h"

#include "support/run_program.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace meanflux::test {

namespace {

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0, end;
    while ((end = text.find('\n', start)) != std::string::npos) {
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() > 71)
            throw std::runtime_error("reference: line longer than 71 characters");
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
    std::vector<double> flux;
    std::vector<int> qual;
    std::vector<std::string> given;
    for (int y = year - 1; y <= year + 1; ++y) {
        const std::string name = std::to_string(y) + ".dat";
        const std::vector<std::string> lines = lines_of(read_file(dir / name));
        if (y == year)
            given = lines;
        for (const std::string& line : lines) {
            const std::string f = field(line, 65, 5);
            const std::string q = field(line, 70, 1);
            flux.push_back(f.find_first_not_of(' ') == std::string::npos
                               ? 0.0
                               : std::strtod(f.c_str(), nullptr));
            qual.push_back(q[0] >= '0' && q[0] <= '9' ? q[0] - '0' : 0);
        }
    }
    const int len = static_cast<int>(flux.size());

    const double e = 0.0167;
    const double w = 2.0 * 3.141592654 / 365.2422;
    const double tp = 3.0 + 0.47;
    auto distance = [&](int t) {
        const double m = (t - tp) * w;
        const double h = ((1.0 - std::cos(2.0 * m)) * e) / 2.0;
        return (h - std::cos(m)) * e + 1.0;
    };
    std::vector<double> observed(1100, 0.0);
    for (int i = 0; i < len; ++i) {
        const double r = distance(i);
        observed[i] = flux[i] / r / r;
    }
    std::vector<double> weight(421);
    for (int j = 0; j < 421; ++j) {
        const double x = (j - 210) / 70.0;
        weight[j] = std::exp(-x * x);
    }
    auto takes_part = [&](int q) {
        if (q >= len)
            return options.unloaded_positions_observed && q < 1100;
        return qual[q] != 3;
    };
    auto value_at = [&](int q) { return q < len ? observed[q] : 0.0; };

    const std::int64_t first = days_from_civil(year, 1, 1) - days_from_civil(1950, 1, 1);
    const int offset =
        static_cast<int>(first - (days_from_civil(year - 1, 1, 1) - days_from_civil(1950, 1, 1)));
    std::string out;
    for (int n = 0; n < static_cast<int>(given.size()); ++n) {
        const int p = offset + n;
        double gs = 0, gt = 0, as = 0, at = 0;
        for (int k = -210; k <= 210; ++k)
            if (takes_part(p + k)) {
                gs += weight[k + 210] * value_at(p + k);
                gt += weight[k + 210];
            }
        for (int k = -81; k <= 81; ++k)
            if (takes_part(p + k)) {
                as += value_at(p + k);
                at += 1;
            }
        const double gauss = gt > 0 ? gs / gt : NAN;
        const double arith = at > 0 ? as / at : NAN;
        double obs = value_at(p), adj = p < len ? flux[p] : 0.0;
        if (p < len && qual[p] == 3) {
            const double r = distance(n);
            obs = gauss;
            adj = gauss * r * r;
        }
        char day[16];
        std::snprintf(day, sizeof day, "%.5lld", static_cast<long long>(first + n));
        out += day + field(given[n], 12, 19) + field(given[n], 55, 3) + flux_text(obs) +
               flux_text(adj) + flux_text(gauss) + flux_text(arith) + "\r\n";
    }
    return out;
}

} // namespace meanflux::test
