#include "daily/daily_year.h"

#include "support/fifo_writer.h"
#include "support/index_lines.h"
#include "support/run_program.h"
#include "support/yearly_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/stat.h>

namespace meanflux {
namespace {

namespace fs = std::filesystem;
using test::scratch_dir;

struct read_year {
    daily_problem problem;
    std::unique_ptr<daily_year> days = std::make_unique<daily_year>();
};

read_year read(int year, const std::string& bytes)
{
    read_year r;
    r.problem = read_daily_bytes(year, bytes, *r.days);
    return r;
}

std::string real(int year)
{
    return test::read_file(test::real_year(year));
}

// The days two readings took: equal when every line says the same.
void expect_same_days(const read_year& a, const read_year& b, const char* what)
{
    EXPECT_EQ(a.problem.status, b.problem.status) << what;
    ASSERT_EQ(a.days->lines, b.days->lines) << what;
    for (std::size_t i = 0; i < static_cast<std::size_t>(a.days->lines); ++i) {
        ASSERT_EQ(a.days->flux_adj[i], b.days->flux_adj[i]) << what << ", line " << i + 1;
        ASSERT_EQ(a.days->flux_qual[i], b.days->flux_qual[i]) << what << ", line " << i + 1;
        ASSERT_EQ(a.days->activity[i], b.days->activity[i]) << what << ", line " << i + 1;
    }
}

TEST(DailyYear, RealYears)
{
    const read_year y1980 = read(1980, real(1980));
    ASSERT_EQ(y1980.problem.status, daily_status::read);
    EXPECT_EQ(y1980.days->lines, 366);
    // 1 January and 31 December 1980, as the file gives them.
    EXPECT_EQ(y1980.days->flux_adj[0], 189.1);
    EXPECT_EQ(y1980.days->flux_qual[0], 0);
    const std::string first = real(1980).substr(0, 71);
    EXPECT_EQ(std::string(y1980.days->activity[0].data(), activity_text_length),
              first.substr(12, 19) + first.substr(55, 3));

    // The archive's 1932.dat has 80-character lines: 366 days, none with a flux.
    const read_year y1932 = read(1932, real(1932));
    ASSERT_EQ(y1932.problem.status, daily_status::read);
    EXPECT_EQ(y1932.days->lines, 366);
    EXPECT_EQ(y1932.days->flux_qual[0], MISSING_FLUX) << "1932 has no flux";
}

TEST(DailyYear, LineEndsAndFileEnds)
{
    auto flux = [](int i) { return 60.0 + i * 0.3; };
    auto qual = [](int i) { return i % 5 == 0 ? 3 : 0; };
    const std::string lf = test::index_file(365, flux, qual, "\n");
    const std::string crlf = test::index_file(365, flux, qual, "\r\n");
    expect_same_days(read(1981, crlf), read(1981, lf), "CR LF and LF");

    // A last line without a line end is a day like any other.
    expect_same_days(read(1981, lf.substr(0, lf.size() - 1)), read(1981, lf), "no line end");
    // A CR at the very end is the line end: a last line cut inside its Kp columns keeps none,
    // and a last line of 4096 characters with it is within the limit.
    const std::string cut_in_kp = lf.substr(0, lf.size() - 72 + 20);
    expect_same_days(
        read(1981, cut_in_kp + "\r"), read(1981, cut_in_kp), "a CR that ends the file");
    const read_year long_last = read(1981, lf.substr(0, 72) + std::string(4096, 'x') + "\r");
    EXPECT_EQ(long_last.problem.status, daily_status::read);
    EXPECT_EQ(long_last.days->lines, 2);

    // Lines of 80 characters, as 1932.dat has: one day each, the columns after 71 ignored.
    std::string wide;
    for (std::size_t at = 0; at < lf.size(); at += 72)
        wide += lf.substr(at, 71) + "123456789\n";
    expect_same_days(read(1981, wide), read(1981, lf), "80 columns");

    // An empty file has no days.
    const read_year empty = read(1981, "");
    EXPECT_EQ(empty.problem.status, daily_status::read);
    EXPECT_EQ(empty.days->lines, 0);
}

TEST(DailyYear, DamagedFilesAreRefused)
{
    const std::string y365 = test::constant_file(365, 100.0);
    const std::string y366 = test::constant_file(366, 100.0);
    const std::string body(65, 'x');
    auto with_line = [](std::string file, int n, const std::string& line) {
        return file.replace(static_cast<std::size_t>(n - 1) * 72, 71, line);
    };
    struct Case {
        const char* what;
        int year;
        std::string file;
        daily_status status;
        int line;
    };
    const Case cases[] = {
        {"one line too many", 1981, y365 + "\n", daily_status::too_many_lines, 366},
        {"a byte after the last day", 1980, y366 + "x", daily_status::too_many_lines, 367},
        {"366 lines for 1981", 1981, y366, daily_status::too_many_lines, 366},
        {"366 lines for 2100, not a leap year", 2100, y366, daily_status::too_many_lines, 366},
        {"365 lines for 2100", 2100, y365, daily_status::read, 0},
        {"a long line",
         1980,
         with_line(y366, 100, std::string(max_line_length + 1, 'y')),
         daily_status::line_too_long,
         100},
        {"the longest line is fine",
         1980,
         with_line(y366, 100, std::string(max_line_length, 'y')),
         daily_status::read,
         0},
        {"a flux the records cannot hold",
         1980,
         with_line(y366, 12, body + " 99990"),
         daily_status::flux_out_of_range,
         12},
        {"another",
         1981,
         with_line(y365, 300, body + "950.00"),
         daily_status::flux_out_of_range,
         300},
    };
    for (const auto& c : cases) {
        const read_year r = read(c.year, c.file);
        EXPECT_EQ(r.problem.status, c.status) << c.what;
        EXPECT_EQ(r.problem.line, c.line) << c.what;
    }
    EXPECT_EQ(read(1980, with_line(y366, 12, body + "-1e990")).problem.flux, -1e99);
}

TEST(DailyYear, PiecesCutAnywhereGiveTheSameDays)
{
    // Fed a byte at a time, or in pieces of a prime length, as from a pipe.
    const std::string bytes = real(1980);
    const read_year whole = read(1980, bytes);
    for (const std::size_t piece : {std::size_t{1}, std::size_t{71}, std::size_t{997}}) {
        read_year r;
        daily_reading reading = start_daily_reading(1980, true);
        for (std::size_t at = 0; at < bytes.size(); at += piece)
            ASSERT_EQ(read_daily_piece(
                          reading, std::string_view(bytes).substr(at, piece), *r.days, r.problem),
                      daily_status::read);
        ASSERT_EQ(finish_daily_reading(reading, *r.days, r.problem), daily_status::read);
        expect_same_days(r, whole, "pieces");
    }
}

TEST(DailyYear, FilesAsTheyAreFoundOnDisk)
{
    struct Case {
        const char* what;
        void (*prepare)(const fs::path&);
        daily_status status;
        int error_number, line, lines;
    };
    const Case cases[] = {
        {"the file", [](const fs::path&) {}, daily_status::read, 0, 0, 366},
        {"missing",
         [](const fs::path& f) { fs::remove(f); },
         daily_status::cannot_open,
         ENOENT,
         0,
         0},
        {"a directory",
         [](const fs::path& f) {
             fs::remove(f);
             fs::create_directory(f);
         },
         daily_status::read_error,
         EISDIR,
         0,
         0},
        {"endless, without line ends",
         [](const fs::path& f) {
             fs::remove(f);
             fs::create_symlink("/dev/zero", f);
         },
         daily_status::line_too_long,
         0,
         1,
         0},
        {"a FIFO without a writer: no lines",
         [](const fs::path& f) {
             fs::remove(f);
             ASSERT_EQ(::mkfifo(f.c_str(), 0600), 0);
         },
         daily_status::read,
         0,
         0,
         0},
    };
    for (const auto& c : cases) {
        scratch_dir dir;
        dir.add(test::real_year(1980));
        c.prepare(dir / "1980.dat");
        read_year r;
        r.problem = read_daily_file((dir / "1980.dat").c_str(), 1980, *r.days);
        EXPECT_EQ(r.problem.status, c.status) << c.what;
        EXPECT_EQ(r.problem.error_number, c.error_number) << c.what;
        EXPECT_EQ(r.problem.line, c.line) << c.what;
        EXPECT_EQ(r.days->lines, c.lines) << c.what;
        if (c.lines > 0)
            expect_same_days(r, read(1980, real(1980)), c.what);
    }

    // A FIFO is read as its writer writes.
    scratch_dir dir;
    const std::string bytes = real(1980);
    test::fifo_writer writer((dir / "1980.dat").string(), bytes);
    read_year r;
    r.problem = read_daily_file((dir / "1980.dat").c_str(), 1980, *r.days);
    writer.stop();
    expect_same_days(r, read(1980, bytes), "FIFO");
}

TEST(DailyYear, FileNames)
{
    EXPECT_EQ(daily_file_path("", 1980), "1980.dat");
    EXPECT_EQ(daily_file_path("data", 1937), "data/1937.dat");
    EXPECT_EQ(daily_file_path("data/", 999), "data/0999.dat");
    struct Case {
        const char* name;
        bool yearly;
        int year;
    };
    const Case cases[] = {
        {"1980.dat", true, 1980},
        {"0999.dat", true, 999},
        {"2099.dat", true, 2099},
        {"1980_m.dat", false, 0},
        {"980.dat", false, 0},
        {"19800.dat", false, 0},
        {"1980.dat~", false, 0},
        {"1980.DAT", false, 0},
        {"19a0.dat", false, 0},
        {"-980.dat", false, 0},
        {"mean_flux.dat", false, 0},
        {"", false, 0},
    };
    for (const auto& c : cases) {
        int year = 0;
        EXPECT_EQ(daily_file_year(c.name, year), c.yearly) << c.name;
        EXPECT_EQ(year, c.year) << c.name;
    }
}

} // namespace
} // namespace meanflux
