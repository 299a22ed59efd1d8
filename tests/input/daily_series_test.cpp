#include "input/daily_series.h"

#include "support/fifo_writer.h"
#include "support/index_lines.h"
#include "support/run_program.h"
#include "support/yearly_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <sys/stat.h>

namespace meanflux {
namespace {

namespace fs = std::filesystem;
using test::scratch_dir;

struct loaded_years {
    load_result result;
    daily_series series;
    given_days given;
};

// Load three files of year y from memory.
loaded_years load(int y, const std::string& before, const std::string& year,
                  const std::string& after)
{
    loaded_years l;
    l.result = load_years(y, {before, year, after}, l.series, l.given);
    return l;
}

std::string real(int year)
{
    return test::read_file(test::real_year(year));
}

// Fluxes and qualifiers of a series: equal when both days say the same.
void expect_same_days(const loaded_years& a, const loaded_years& b, const char* what)
{
    EXPECT_EQ(a.result.lines, b.result.lines) << what;
    EXPECT_EQ(a.series.series_len, b.series.series_len) << what;
    EXPECT_EQ(a.series.flux_adj, b.series.flux_adj) << what;
    EXPECT_EQ(a.series.flux_qual, b.series.flux_qual) << what;
    EXPECT_EQ(a.given.count, b.given.count) << what;
    EXPECT_EQ(a.given.activity, b.given.activity) << what;
}

TEST(LoadYears, ThreeRealYears)
{
    const loaded_years l = load(1980, real(1979), real(1980), real(1981));
    ASSERT_EQ(l.result.status, load_status::loaded);
    EXPECT_EQ(l.result.lines, (std::array<int, 3>{365, 366, 365}));
    EXPECT_EQ(l.series.series_len, 1096);
    EXPECT_EQ(l.given.count, 366);
    // 1 January 1979, 1980 and 1981, and the last day of 1981, as the files give them.
    EXPECT_EQ(l.series.flux_adj[0], 194.1);
    EXPECT_EQ(l.series.flux_adj[365], 189.1);
    EXPECT_EQ(l.series.flux_qual[365], 0);
    EXPECT_EQ(l.series.flux_adj[731], 189.7);
    EXPECT_EQ(l.series.flux_adj[1095], 182.8);
    const std::string first = real(1980).substr(0, 71);
    EXPECT_EQ(std::string(l.given.activity[0].data(), activity_text_length),
              first.substr(12, 19) + first.substr(55, 3));
    for (int p = 1096; p < MAX_DAYS; ++p)
        EXPECT_EQ(l.series.flux_qual[p], MISSING_FLUX) << "no day at " << p;
}

TEST(LoadYears, EachFilesDaysStandAtTheirOwnDates)
{
    // A short file never moves the days of the next one: 1979.dat without its last line, and
    // 1981.dat with only 120.  1980's first day stays at position 365, and the days no line
    // gives are days without observation.
    const std::string y1979 = real(1979);
    const std::string short_1979 = y1979.substr(0, y1979.size() - 72);
    const std::string short_1981 = real(1981).substr(0, 120 * 72);
    const loaded_years full = load(1980, y1979, real(1980), real(1981));
    const loaded_years l = load(1980, short_1979, real(1980), short_1981);
    ASSERT_EQ(l.result.status, load_status::loaded);
    EXPECT_EQ(l.result.lines, (std::array<int, 3>{364, 366, 120}));
    EXPECT_EQ(l.series.flux_qual[364], MISSING_FLUX) << "31 December 1979";
    for (int p = 365; p < 731 + 120; ++p) {
        EXPECT_EQ(l.series.flux_adj[p], full.series.flux_adj[p]) << p;
        EXPECT_EQ(l.series.flux_qual[p], full.series.flux_qual[p]) << p;
    }
    for (int p = 731 + 120; p < 1096; ++p)
        EXPECT_EQ(l.series.flux_qual[p], MISSING_FLUX) << p;

    // The years after a leap year: 1980's days begin at 365, 1981's at 366.
    const loaded_years after_leap = load(1981, real(1980), real(1981), real(1982));
    EXPECT_EQ(after_leap.series.series_len, 366 + 365 + 365);
    EXPECT_EQ(after_leap.series.flux_adj[366], full.series.flux_adj[731]) << "1 January 1981";
}

TEST(LoadYears, LineEndsAndFileEnds)
{
    auto flux = [](int i) { return 60.0 + i * 0.3; };
    auto qual = [](int i) { return i % 5 == 0 ? 3 : 0; };
    const std::string lf = test::index_file(365, flux, qual, "\n");
    const std::string crlf = test::index_file(365, flux, qual, "\r\n");
    const std::string lf366 = test::index_file(366, flux, qual, "\n");
    const std::string crlf366 = test::index_file(366, flux, qual, "\r\n");
    expect_same_days(load(1981, lf366, crlf, lf), load(1981, crlf366, lf, crlf), "CR LF and LF");

    // A last line without a line end is a day like any other.
    expect_same_days(load(1981, lf366.substr(0, lf366.size() - 1), lf, lf.substr(0, lf.size() - 1)),
                     load(1981, lf366, lf, lf),
                     "no line end after the last line");
    // A CR at the very end is the line end: a last line cut inside its Kp columns keeps none.
    const std::string cut_in_kp = lf.substr(0, lf.size() - 72 + 20);
    expect_same_days(load(1981, lf366, cut_in_kp + "\r", lf + "\r"),
                     load(1981, lf366, cut_in_kp, lf),
                     "a CR that ends the file");

    // Lines of 80 characters, as 1932.dat has: one day each, the columns after 71 ignored.
    std::string wide;
    for (std::size_t at = 0; at < lf.size(); at += 72)
        wide += lf.substr(at, 71) + "123456789\n";
    expect_same_days(load(1981, lf366, wide, lf), load(1981, lf366, lf, lf), "80 columns");

    // An empty year before or after adds no days.
    const loaded_years l = load(1981, "", lf, "");
    EXPECT_EQ(l.result.status, load_status::loaded);
    EXPECT_EQ(l.result.lines, (std::array<int, 3>{0, 365, 0}));
}

TEST(LoadYears, TheFilesOf1932)
{
    // The archive's 1932.dat has 80-character lines: 366 days, with their fluxes and Kp.
    const loaded_years l = load(1933, real(1932), real(1933), real(1934));
    ASSERT_EQ(l.result.status, load_status::loaded);
    EXPECT_EQ(l.result.lines, (std::array<int, 3>{366, 365, 365}));
    EXPECT_EQ(l.series.flux_qual[0], MISSING_FLUX) << "1932 has no flux";
    EXPECT_EQ(l.series.flux_qual[365], MISSING_FLUX);
}

TEST(LoadYears, DamagedFilesAreRefused)
{
    const std::string y365 = test::constant_file(365, 100.0);
    const std::string y366 = test::constant_file(366, 100.0);
    const std::string body(65, 'x');
    auto with_line = [](std::string file, int n, const std::string& line) {
        return file.replace(static_cast<std::size_t>(n - 1) * 72, 71, line);
    };
    struct Case {
        const char* what;
        std::array<std::string, 3> files;
        load_status status;
        int file, line;
    };
    const Case cases[] = {
        {"one line too many", {y365, y366, y365 + "\n"}, load_status::too_many_lines, 2, 366},
        {"a byte after the last day",
         {y365, y366 + "x", y365},
         load_status::too_many_lines,
         1,
         367},
        {"366 lines for 1981", {y365 + y365, y366, y365}, load_status::too_many_lines, 0, 366},
        {"a long line",
         {y365, with_line(y366, 100, std::string(max_line_length + 1, 'y')), y365},
         load_status::line_too_long,
         1,
         100},
        {"the longest line is fine",
         {y365, with_line(y366, 100, std::string(max_line_length, 'y')), y365},
         load_status::loaded,
         2,
         0},
        {"a flux the records cannot hold",
         {y365, with_line(y366, 12, body + " 99990"), y365},
         load_status::flux_out_of_range,
         1,
         12},
        {"in a neighbouring year",
         {y365, y366, with_line(y365, 300, body + "950.00")},
         load_status::flux_out_of_range,
         2,
         300},
        {"a given year without lines", {y365, "", y365}, load_status::no_days, 1, 0},
    };
    for (const auto& c : cases) {
        const loaded_years l = load(1980, c.files[0], c.files[1], c.files[2]);
        EXPECT_EQ(l.result.status, c.status) << c.what;
        EXPECT_EQ(l.result.file, c.file) << c.what;
        EXPECT_EQ(l.result.line, c.line) << c.what;
    }
    const loaded_years l = load(1980, y365, with_line(y366, 12, body + "-1e990"), y365);
    EXPECT_EQ(l.result.flux, -1e99);
}

TEST(LoadYears, The365DaysOf2100)
{
    const std::string y365 = test::constant_file(365, 100.0);
    const std::string y366 = test::constant_file(366, 100.0);
    EXPECT_EQ(load(2099, y365, y365, y365).result.status, load_status::loaded);
    const loaded_years l = load(2099, y365, y365, y366);
    EXPECT_EQ(l.result.status, load_status::too_many_lines);
    EXPECT_EQ(l.result.file, 2);
}

TEST(LoadYears, PiecesCutAnywhereGiveTheSameDays)
{
    // Fed a byte at a time, or in pieces of a prime length, as from a pipe.
    const std::array<std::string, 3> files{real(1979), real(1980), real(1981)};
    const loaded_years whole = load(1980, files[0], files[1], files[2]);
    for (const std::size_t piece : {std::size_t{1}, std::size_t{71}, std::size_t{997}}) {
        loaded_years l;
        start_series(1980, l.series, l.given);
        for (int i = 0; i < 3; ++i) {
            year_loading loading = start_loading(1980, i, l.given);
            const std::string& bytes = files[static_cast<std::size_t>(i)];
            for (std::size_t at = 0; at < bytes.size(); at += piece)
                ASSERT_EQ(
                    load_piece(
                        loading, std::string_view(bytes).substr(at, piece), l.series, l.result),
                    load_status::loaded);
            ASSERT_EQ(finish_loading(loading, l.series, l.result), load_status::loaded);
        }
        expect_same_days(l, whole, "pieces");
    }
}

// Loading from files in a scratch directory named 1979.dat, 1980.dat and 1981.dat.
struct year_dir {
    scratch_dir dir;
    std::string names[3];
    year_dir()
    {
        for (int i = 0; i < 3; ++i)
            names[i] = (dir / (std::to_string(1979 + i) + ".dat")).string();
    }
    loaded_years load() const
    {
        loaded_years l;
        l.result = load_year_files(
            1980, {names[0].c_str(), names[1].c_str(), names[2].c_str()}, l.series, l.given);
        return l;
    }
};

TEST(LoadYearFiles, ReadsWhatLoadingFromMemoryReads)
{
    year_dir d;
    for (int y = 1979; y <= 1981; ++y)
        d.dir.add(test::real_year(y));
    expect_same_days(d.load(), load(1980, real(1979), real(1980), real(1981)), "files");
}

TEST(LoadYearFiles, FilesThatCannotBeRead)
{
    struct Case {
        const char* what;
        void (*prepare)(const year_dir&);
        load_status status;
        int file, error_number, line;
    };
    const Case cases[] = {
        {"missing",
         [](const year_dir& d) { fs::remove(d.names[0]); },
         load_status::cannot_open,
         0,
         ENOENT,
         0},
        {"a directory",
         [](const year_dir& d) {
             fs::remove(d.names[1]);
             fs::create_directory(d.names[1]);
         },
         load_status::read_error,
         1,
         EISDIR,
         0},
        {"endless, without line ends",
         [](const year_dir& d) {
             fs::remove(d.names[2]);
             fs::create_symlink("/dev/zero", d.names[2]);
         },
         load_status::line_too_long,
         2,
         0,
         1},
        {"a FIFO without a writer: no lines",
         [](const year_dir& d) {
             fs::remove(d.names[1]);
             ASSERT_EQ(::mkfifo(d.names[1].c_str(), 0600), 0);
         },
         load_status::no_days,
         1,
         0,
         0},
    };
    for (const auto& c : cases) {
        year_dir d;
        for (int y = 1979; y <= 1981; ++y)
            d.dir.add(test::real_year(y));
        c.prepare(d);
        const loaded_years l = d.load();
        EXPECT_EQ(l.result.status, c.status) << c.what;
        EXPECT_EQ(l.result.file, c.file) << c.what;
        EXPECT_EQ(l.result.error_number, c.error_number) << c.what;
        EXPECT_EQ(l.result.line, c.line) << c.what;
    }
}

TEST(LoadYearFiles, AFifoIsReadAsItsWriterWrites)
{
    year_dir d;
    for (const int y : {1979, 1981})
        d.dir.add(test::real_year(y));
    const std::string bytes = real(1980);
    test::fifo_writer writer(d.names[1], bytes);
    const loaded_years l = d.load();
    writer.stop();
    expect_same_days(l, load(1980, real(1979), bytes, real(1981)), "FIFO");
}

} // namespace
} // namespace meanflux
