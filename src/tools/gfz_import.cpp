#include "tools/gfz_import.h"

#include "io/whole_file.h"
#include "tools/command_line.h"

#include <meanflux/calendar.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <getopt.h>
#include <sys/stat.h>

namespace meanflux {

namespace {

constexpr const char* program = "meanflux-import";

constexpr const char* usage = "usage: meanflux-import [-d DIR] [--from YEAR] [--to YEAR] FILE\n";

constexpr const char* help =
    "usage: meanflux-import [-d DIR] [--from YEAR] [--to YEAR] FILE\n"
    "\n"
    "Turn the daily geomagnetic and solar indices that GFZ Potsdam publishes\n"
    "(Kp_ap_Ap_SN_F107_since_1932.txt, its nowcast file, or an excerpt of the same layout)\n"
    "into yearly daily index files <yyyy>.dat, the input of meanflux.  Header lines\n"
    "(starting with #) are skipped.  The flux written is F10.7 adjusted to 1 AU; a day\n"
    "without flux gets 0.0 and qualifier 3.  A year the file holds only in part is written\n"
    "with the days it has.  Each file is replaced only when complete.\n"
    "\n"
    "options:\n"
    "  -d, --directory DIR  where to write the files, created if missing (default: the\n"
    "                       current directory)\n"
    "      --from YEAR      the first year to write (default: the first in the file)\n"
    "      --to YEAR        the last year to write (default: the last in the file)\n"
    "  -h, --help           show this help\n"
    "\n"
    "exit status: 0 written, 1 no day of the years asked for, 2 usage, file or line error\n";

// Number of blank-separated fields of a data line.
constexpr int gfz_fields = 28;

bool to_int(std::string_view text, long low, long high, int& value)
{
    if (text.empty() || text.size() > 12)
        return false;
    char buf[16];
    std::memcpy(buf, text.data(), text.size());
    buf[text.size()] = '\0';
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(buf, &end, 10);
    if (errno != 0 || *end != '\0' || (v != -1 && (v < low || v > high)))
        return false;
    value = static_cast<int>(v);
    return true;
}

bool to_real(std::string_view text, double high, double& value)
{
    if (text.empty() || text.size() > 20)
        return false;
    char buf[24];
    std::memcpy(buf, text.data(), text.size());
    buf[text.size()] = '\0';
    char* end = nullptr;
    const double v = std::strtod(buf, &end);
    if (*end != '\0' || !std::isfinite(v) || (v != -1.0 && (v < 0.0 || v > high)))
        return false;
    value = v;
    return true;
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
        at = line.find_first_not_of(" \t", at);
        if (at == std::string_view::npos)
            break;
        const std::size_t end = std::min(line.find_first_of(" \t", at), line.size());
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
    if (!to_int(f[0], 1, 9999, d.year) || !to_int(f[1], 1, 12, d.month) ||
        !to_int(f[2], 1, 31, d.day) || d.year < 1 || !gregorian_date(d.year, d.month, d.day))
        return bad("not a valid date");
    if (!to_int(f[3], 0, INT_MAX, days) || !to_real(f[4], 1e9, days_m))
        return bad("the day counts are not numbers");
    if (!to_int(f[5], 0, 9999, d.rotation) || !to_int(f[6], 1, 99, d.rotation_day) ||
        d.rotation < 0 || d.rotation_day < 1)
        return bad("the Bartels rotation is not a number of four digits and a day of two");
    for (std::size_t i = 0; i < 8; ++i)
        if (!to_real(f[7 + i], 9.0, d.kp[i]))
            return bad("a Kp is neither 0 to 9 nor -1");
    for (std::size_t i = 0; i < 8; ++i)
        if (!to_int(f[15 + i], 0, 999, d.ap[i]))
            return bad("an ap is neither 0 to 999 nor -1");
    if (!to_int(f[23], 0, 999, d.ap_daily))
        return bad("Ap is neither 0 to 999 nor -1");
    if (!to_int(f[24], 0, 999, d.sunspots))
        return bad("the sunspot number is neither 0 to 999 nor -1");
    if (!to_real(f[25], 999.9, d.flux_obs) || !to_real(f[26], 999.9, d.flux_adj))
        return bad("an F10.7 is neither 0 to 999.9 nor -1");
    if (!to_int(f[27], 0, 2, d.definitive) || d.definitive < 0)
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

std::string daily_index_line(const gfz_day& d)
{
    char line[128];
    auto room = [&](int used) { return sizeof line - static_cast<std::size_t>(used); };
    int n = std::snprintf(line,
                          sizeof line,
                          "%02d%02d%02d%4d%2d",
                          d.year % 100,
                          d.month,
                          d.day,
                          d.rotation,
                          d.rotation_day);
    bool all_kp = true;
    double kp_sum = 0.0;
    for (const double kp : d.kp) {
        if (kp < 0) {
            all_kp = false;
            n += std::snprintf(line + n, room(n), "  ");
        } else {
            kp_sum += kp;
            n += std::snprintf(line + n, room(n), "%2ld", std::lround(kp * 10.0));
        }
    }
    n += all_kp ? std::snprintf(line + n, room(n), "%3ld", std::lround(kp_sum * 10.0))
                : std::snprintf(line + n, room(n), "   ");
    bool all_ap = true;
    int ap_sum = 0;
    for (const int ap : d.ap) {
        all_ap = all_ap && ap >= 0;
        ap_sum += ap;
        n += ap >= 0 ? std::snprintf(line + n, room(n), "%3d", ap)
                     : std::snprintf(line + n, room(n), "   ");
    }
    n += d.ap_daily >= 0 ? std::snprintf(line + n, room(n), "%3d", d.ap_daily)
                         : std::snprintf(line + n, room(n), "   ");
    int cp = 0;
    if (all_ap && cp_of_ap_sum(ap_sum, cp))
        n += std::snprintf(line + n, room(n), "%d.%d%d", cp / 10, cp % 10, c9_of_cp(cp));
    else
        n += std::snprintf(line + n, room(n), "    ");
    n += d.sunspots >= 0 ? std::snprintf(line + n, room(n), "%3d", d.sunspots)
                         : std::snprintf(line + n, room(n), "   ");
    if (d.flux_adj >= 0)
        std::snprintf(line + n, room(n), "%5.1f0\n", d.flux_adj);
    else
        std::snprintf(line + n, room(n), "%5.1f3\n", 0.0);
    return line;
}

namespace {

bool parse_year(const char* text, int& year)
{
    return to_int(text, 1, 9999, year) && year >= 1;
}

// The yearly files being written: one year's lines at a time.
struct year_writer {
    std::FILE* out = nullptr;
    std::FILE* err = nullptr;
    std::string directory;
    int year = 0;
    int days = 0;
    std::string lines;
    int written = 0;

    bool flush()
    {
        if (days == 0)
            return true;
        char name[16];
        std::snprintf(name, sizeof name, "%.4d.dat", year);
        const std::string path = directory.empty() ? name : directory + "/" + name;
        if (const int error_number = write_whole_file(path.c_str(), lines); error_number != 0) {
            std::fprintf(err,
                         "%s: %s: cannot write: %s\n",
                         program,
                         path.c_str(),
                         std::strerror(error_number));
            return false;
        }
        std::fprintf(out, "%s: %d days\n", path.c_str(), days);
        ++written;
        days = 0;
        lines.clear();
        return true;
    }
};

} // namespace

int import_main(int argc, char** argv, std::FILE* out, std::FILE* err)
{
    std::string directory;
    int from = 1, to = 9999;
    enum { opt_from = 1000, opt_to };
    static const option options[] = {
        {"directory", required_argument, nullptr, 'd'},
        {"from", required_argument, nullptr, opt_from},
        {"to", required_argument, nullptr, opt_to},
        {"help", no_argument, nullptr, 'h'},
        {nullptr, 0, nullptr, 0},
    };
    optind = 0;
    for (int c; (c = getopt_long(argc, argv, "d:h", options, nullptr)) != -1;) {
        switch (c) {
        case 'd':
            directory = optarg;
            break;
        case opt_from:
        case opt_to:
            if (!parse_year(optarg, c == opt_from ? from : to))
                return usage_error(
                    err, {program, usage, help}, (std::string(optarg) + ": not a year").c_str());
            break;
        case 'h':
            std::fputs(help, out);
            return exit_ok;
        default:
            std::fputs(usage, err);
            return exit_usage_or_file;
        }
    }
    if (argc - optind != 1)
        return usage_error(err, {program, usage, help}, "one input file is needed");
    const char* input = argv[optind];
    if (!directory.empty() && ::mkdir(directory.c_str(), 0777) != 0 && errno != EEXIST) {
        std::fprintf(err,
                     "%s: %s: cannot create the directory: %s\n",
                     program,
                     directory.c_str(),
                     std::strerror(errno));
        return exit_usage_or_file;
    }
    std::FILE* file = std::fopen(input, "r");
    if (file == nullptr) {
        std::fprintf(err, "%s: %s: %s\n", program, input, std::strerror(errno));
        return exit_usage_or_file;
    }

    year_writer writer;
    writer.out = out;
    writer.err = err;
    writer.directory = directory;
    int previous = INT_MIN; // day number of the previous data line
    long number = 0;
    char* text = nullptr;
    std::size_t room = 0;
    ssize_t length;
    int status = exit_ok;
    while ((length = ::getline(&text, &room, file)) >= 0) {
        ++number;
        std::string_view line(text, static_cast<std::size_t>(length));
        if (!line.empty() && line.back() == '\n')
            line.remove_suffix(1);
        gfz_day day{};
        std::string problem;
        const gfz_line_kind kind = parse_gfz_line(line, day, problem);
        if (kind == gfz_line_kind::header)
            continue;
        if (kind == gfz_line_kind::day) {
            const int n = day_number(day.day, day.month, day.year);
            if (previous != INT_MIN && n != previous + 1) {
                problem = "day " + std::to_string(day.year) + "-" + std::to_string(day.month) +
                          "-" + std::to_string(day.day) +
                          " does not follow the day before it (a day missing, repeated or out "
                          "of order)";
            }
            previous = n;
        }
        if (!problem.empty()) {
            std::fprintf(err, "%s: %s: line %ld: %s\n", program, input, number, problem.c_str());
            status = exit_usage_or_file;
            break;
        }
        if (day.year < from || day.year > to)
            continue;
        if (day.year != writer.year && !writer.flush()) {
            status = exit_usage_or_file;
            break;
        }
        writer.year = day.year;
        writer.lines += daily_index_line(day);
        ++writer.days;
    }
    std::free(text);
    if (status == exit_ok && std::ferror(file)) {
        std::fprintf(err, "%s: %s: %s\n", program, input, std::strerror(errno));
        status = exit_usage_or_file;
    }
    std::fclose(file);
    if (status != exit_ok)
        return status;
    if (!writer.flush())
        return exit_usage_or_file;
    if (writer.written == 0) {
        std::fprintf(err, "%s: %s: no day of the years asked for\n", program, input);
        return exit_not_there;
    }
    return std::fflush(out) == 0 ? exit_ok : exit_usage_or_file;
}

} // namespace meanflux
