// The loading of the three daily index files of a year, on any bytes.  Input: a byte that
// chooses the year, a byte that chooses a piece length, then the three files separated by 0x1E.
//
// Checked against a plain reading of the line rule written here: the same status, file and
// line; every line's day at the position of its date, with the flux and qualifier that sscanf
// reads from its columns; the given year's activity texts; no other position touched; and the
// same result whether the files come in one piece or in pieces of any length.
#include "fuzz_support.h"
#include "input/daily_series.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace meanflux;

// The lines of a file by the rule: up to each LF, without a CR just before it; a last line
// without LF counts.
std::vector<std::string_view> lines_of(std::string_view bytes)
{
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        const std::size_t lf = bytes.find('\n');
        std::string_view line = bytes.substr(0, lf);
        if (lf != std::string_view::npos && !line.empty() && line.back() == '\r')
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
    load_result result;
    daily_series series;
    given_days given;
};

// Load in pieces of `piece` bytes.
void load_in_pieces(int year, const std::vector<std::string_view>& files, std::size_t piece,
                    loaded& l)
{
    l.result = load_result{};
    start_series(year, l.series, l.given);
    for (int i = 0; i < 3; ++i) {
        l.result.file = i;
        year_loading loading = start_loading(year, i, l.given);
        const std::string_view bytes = files[static_cast<std::size_t>(i)];
        load_status s = load_status::loaded;
        for (std::size_t at = 0; at < bytes.size() && s == load_status::loaded; at += piece)
            s = load_piece(loading, bytes.substr(at, piece), l.series, l.result);
        if (s == load_status::loaded)
            s = finish_loading(loading, l.series, l.result);
        if (s == load_status::loaded && i == 1 && l.given.count == 0)
            s = load_status::no_days;
        l.result.status = s;
        if (s != load_status::loaded)
            return;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const int year = 1937 + data[0] % (2099 - 1937 + 1);
    const std::size_t piece = 1 + data[1];
    const std::string_view input(reinterpret_cast<const char*>(data) + 2, size - 2);
    const auto files = fuzz::split_files(input, 3);

    static loaded whole, pieces;
    whole.result = load_years(year, {files[0], files[1], files[2]}, whole.series, whole.given);
    load_in_pieces(year, files, piece, pieces);
    if (whole.series.flux_adj != pieces.series.flux_adj ||
        whole.series.flux_qual != pieces.series.flux_qual ||
        whole.series.series_len != pieces.series.series_len ||
        whole.given.count != pieces.given.count || whole.given.activity != pieces.given.activity ||
        whole.result.status != pieces.result.status || whole.result.file != pieces.result.file ||
        whole.result.line != pieces.result.line || whole.result.lines != pieces.result.lines)
        fuzz::fail("loading in pieces differs from loading at once");

    // What the rule expects, file by file.
    const daily_series& s = whole.series;
    const load_result& r = whole.result;
    std::vector<bool> given_by_a_line(MAX_DAYS, false);
    int position = 0;
    for (int i = 0; i < 3; ++i) {
        const int days =
            (year - 1 + i) % 4 == 0 && ((year - 1 + i) % 100 != 0 || (year - 1 + i) % 400 == 0)
                ? 366
                : 365;
        const std::vector<std::string_view> lines = lines_of(files[static_cast<std::size_t>(i)]);
        load_status status = load_status::loaded;
        int bad_line = 0;
        for (std::size_t n = 0; n < lines.size() && status == load_status::loaded; ++n) {
            bad_line = static_cast<int>(n) + 1;
            if (static_cast<int>(n) == days)
                status = load_status::too_many_lines;
            else if (lines[n].size() > 4096)
                status = load_status::line_too_long;
            else if (day_of(lines[n]).out_of_range)
                status = load_status::flux_out_of_range;
        }
        if (status == load_status::loaded && i == 1 && lines.empty())
            status = load_status::no_days;
        if (status != load_status::loaded) {
            if (r.status != status || r.file != i ||
                (status != load_status::no_days && r.line != bad_line))
                fuzz::fail("a refusal the rule does not give, or at another place");
            return 0;
        }
        if (r.file < i || r.lines[static_cast<std::size_t>(i)] != static_cast<int>(lines.size()))
            fuzz::fail("lines loaded and lines of the file disagree");
        for (std::size_t n = 0; n < lines.size(); ++n) {
            const auto p = static_cast<std::size_t>(position) + n;
            const expected_day d = day_of(lines[n]);
            given_by_a_line[p] = true;
            if (s.flux_adj[p] != d.flux && !(std::isnan(s.flux_adj[p]) && std::isnan(d.flux)))
                fuzz::fail("a flux other than its columns give");
            if ((s.flux_qual[p] != MISSING_FLUX) != d.observed ||
                (d.observed && s.flux_qual[p] != d.qual))
                fuzz::fail("a day observed or not against its columns");
            if (i == 1) {
                const std::string_view line = lines[n];
                for (int c = 0; c < activity_text_length; ++c) {
                    const std::size_t column = static_cast<std::size_t>(c < 19 ? 12 + c : 36 + c);
                    const char want = column < line.size() ? line[column] : ' ';
                    if (whole.given.activity[n][static_cast<std::size_t>(c)] != want)
                        fuzz::fail("an activity text other than the line's columns");
                }
            }
        }
        if (i == 1 && whole.given.count != static_cast<int>(lines.size()))
            fuzz::fail("given days and lines disagree");
        position += days;
    }
    if (r.status != load_status::loaded || position != s.series_len)
        fuzz::fail("loaded, yet not so");
    for (std::size_t p = 0; p < MAX_DAYS; ++p)
        if (!given_by_a_line[p] && (s.flux_qual[p] != MISSING_FLUX || s.flux_adj[p] != 0.0))
            fuzz::fail("a day no line gives is not a day without observation");
    return 0;
}
