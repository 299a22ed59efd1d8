// The reading of a yearly daily index file, on any bytes.  Input: a byte that chooses the year, a
// byte that chooses a piece length, then the file.
//
// Checked against a plain reading of the line rule written here: the same status and line; every
// line's day with the flux and qualifier that sscanf reads from its columns, and its activity
// text; and the same result whether the file comes in one piece or in pieces of any length.
#include "daily/daily_year.h"
#include "fuzz_support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace meanflux;

// The lines of a file by the rule: up to each LF, without a CR just before it or at the very
// end; a last line without LF counts.
std::vector<std::string_view> lines_of(std::string_view bytes)
{
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        const std::size_t lf = bytes.find('\n');
        std::string_view line = bytes.substr(0, lf);
        if (!line.empty() && line.back() == '\r') // before a LF, or at the very end
            line.remove_suffix(1);
        lines.push_back(line);
        bytes.remove_prefix(lf == std::string_view::npos ? bytes.size() : lf + 1);
    }
    return lines;
}

// A field of a line as sscanf sees it: the columns the line has, as a C string.
std::string field(std::string_view line, std::size_t first, std::size_t count)
{
    std::string f(first < line.size() ? line.substr(first, count) : std::string_view());
    return f.substr(0, f.find('\0'));
}

struct expected_day {
    bool out_of_range = false;
    bool observed = false;
    double flux = 0.0;
    int qual = 0;
};

expected_day day_of(std::string_view line)
{
    expected_day d;
    double v = 0.0;
    const bool number = std::sscanf(field(line, 65, 5).c_str(), "%lf", &v) == 1 && std::isfinite(v);
    int q = 0;
    if (std::sscanf(field(line, 70, 1).c_str(), "%d", &q) != 1)
        q = 0;
    d.flux = number ? v : 0.0;
    d.qual = q;
    d.out_of_range = number && (v < -93.0 || v > 935.0);
    d.observed = number && q != 3;
    return d;
}

struct loaded {
    daily_problem problem;
    daily_year days;
};

// Read in pieces of `piece` bytes.
void read_in_pieces(int year, std::string_view bytes, std::size_t piece, loaded& l)
{
    l.problem = daily_problem{};
    l.days.lines = 0;
    daily_reading reading = start_daily_reading(year, true);
    daily_status s = daily_status::read;
    for (std::size_t at = 0; at < bytes.size() && s == daily_status::read; at += piece)
        s = read_daily_piece(reading, bytes.substr(at, piece), l.days, l.problem);
    if (s == daily_status::read)
        s = finish_daily_reading(reading, l.days, l.problem);
    l.problem.status = s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const int year = 1937 + data[0] % (2099 - 1937 + 1);
    const std::size_t piece = 1 + data[1];
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);

    static loaded whole, pieces;
    whole.problem = read_daily_bytes(year, bytes, whole.days);
    read_in_pieces(year, bytes, piece, pieces);
    const auto n = static_cast<std::size_t>(whole.days.lines);
    if (whole.problem.status != pieces.problem.status ||
        whole.problem.line != pieces.problem.line || whole.days.lines != pieces.days.lines ||
        !std::equal(whole.days.flux_adj.begin(),
                    whole.days.flux_adj.begin() + n,
                    pieces.days.flux_adj.begin()) ||
        !std::equal(whole.days.flux_qual.begin(),
                    whole.days.flux_qual.begin() + n,
                    pieces.days.flux_qual.begin()) ||
        !std::equal(whole.days.activity.begin(),
                    whole.days.activity.begin() + n,
                    pieces.days.activity.begin()))
        fuzz::fail("reading in pieces differs from reading at once");

    // What the rule expects.
    const int days = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0) ? 366 : 365;
    const std::vector<std::string_view> lines = lines_of(bytes);
    daily_status status = daily_status::read;
    int bad_line = 0;
    for (std::size_t i = 0; i < lines.size() && status == daily_status::read; ++i) {
        bad_line = static_cast<int>(i) + 1;
        if (static_cast<int>(i) == days)
            status = daily_status::too_many_lines;
        else if (lines[i].size() > 4096)
            status = daily_status::line_too_long;
        else if (day_of(lines[i]).out_of_range)
            status = daily_status::flux_out_of_range;
    }
    if (status != daily_status::read) {
        if (whole.problem.status != status || whole.problem.line != bad_line)
            fuzz::fail("a refusal the rule does not give, or at another place");
        return 0;
    }
    if (whole.problem.status != daily_status::read ||
        whole.days.lines != static_cast<int>(lines.size()))
        fuzz::fail("lines read and lines of the file disagree");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const expected_day d = day_of(lines[i]);
        const double flux = whole.days.flux_adj[i];
        const int qual = whole.days.flux_qual[i];
        if (flux != d.flux && !(std::isnan(flux) && std::isnan(d.flux)))
            fuzz::fail("a flux other than its columns give");
        if ((qual != MISSING_FLUX) != d.observed || (d.observed && qual != d.qual))
            fuzz::fail("a day observed or not against its columns");
        for (int c = 0; c < activity_text_length; ++c) {
            const std::size_t column = static_cast<std::size_t>(c < 19 ? 12 + c : 36 + c);
            const char want = column < lines[i].size() ? lines[i][column] : ' ';
            if (whole.days.activity[i][static_cast<std::size_t>(c)] != want)
                fuzz::fail("an activity text other than the line's columns");
        }
    }
    return 0;
}
