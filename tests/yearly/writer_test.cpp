#include "yearly/writer.h"

#include "flux/distance.h"
#include "support/index_lines.h"
#include "support/run_program.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace meanflux {
namespace {

namespace fs = std::filesystem;
using test::scratch_dir;

TEST(CalendarAnchors, OfGivenYears)
{
    struct Case {
        int year, first_day, year_offset;
        const char* what;
    };
    constexpr Case cases[] = {
        {1980, 10957, 365, ""},
        {1981, 11323, 366, "after a leap year"},
        {1950, 0, 365, "the origin"},
        {1951, 365, 365, ""},
        {1949, -365, 366, "before the origin, after a leap year"},
        {2101, 55153, 366, "the day count holds a 29 February 2100"},
    };
    for (const auto& c : cases) {
        const calendar_anchors a = anchors_of(c.year, c.year - 1);
        EXPECT_EQ(a.first_day, c.first_day) << c.year << " " << c.what;
        EXPECT_EQ(a.year_offset, c.year_offset) << c.year << " " << c.what;
    }
}

// A yearly run's writing phase over files in a scratch directory.
struct writing {
    scratch_dir dir;
    daily_series series;
    gauss_table gauss_w{};
    line_buffer line_buf{};

    writing(int year, const std::string& before, const std::string& given, const std::string& after)
    {
        dir.write(std::to_string(year - 1) + ".dat", before);
        dir.write(std::to_string(year) + ".dat", given);
        dir.write(std::to_string(year + 1) + ".dat", after);
        init_gauss_w(gauss_w);
        const std::string a = path(year - 1, ".dat"), b = path(year, ".dat"),
                          c = path(year + 1, ".dat");
        EXPECT_EQ(load_daily_series({a.c_str(), b.c_str(), c.c_str()}, series, line_buf).status,
                  load_status::loaded);
        distance_pass(series);
    }
    std::string path(int year, const char* suffix) const
    {
        return (dir / (std::to_string(year) + suffix)).string();
    }
    write_result write(int year)
    {
        return write_mean_flux(year,
                               year - 1,
                               path(year, ".dat").c_str(),
                               path(year, "_m.dat").c_str(),
                               series,
                               gauss_w,
                               line_buf);
    }
};

TEST(WriteMeanFlux, DayNumbersFollowTheLinesOfTheGivenYear)
{
    struct Case {
        int year, lines;
        const char *first, *last;
        std::size_t record_length;
    };
    const Case cases[] = {
        {1950, 365, "00000", "00364", 49},
        {1951, 365, "00365", "00729", 49},
        {1949, 365, "-00365", "-00001", 50},
        {2101, 365, "55153", "55517", 49},
        {1981, 366, "11323", "11688", 49}, // one line too many: 1 January 1982
    };
    for (const auto& c : cases) {
        writing w(c.year,
                  test::constant_file(365, 90.0),
                  test::constant_file(c.lines, 90.0),
                  test::constant_file(365, 90.0));
        const write_result r = w.write(c.year);
        ASSERT_EQ(r.status, write_status::written);
        EXPECT_EQ(r.records, c.lines);
        const std::string out = test::read_file(w.path(c.year, "_m.dat"));
        ASSERT_EQ(out.size(), c.lines * c.record_length) << c.year;
        EXPECT_EQ(out.substr(0, c.record_length - 44), c.first) << c.year;
        EXPECT_EQ(out.substr(out.size() - c.record_length, c.record_length - 44), c.last) << c.year;
    }
}

TEST(WriteMeanFlux, CopiesTheActivityTextOfEachLine)
{
    const std::string given = test::index_file(
        365, [](int i) { return 70.0 + i % 30; }, [](int i) { return i % 11 == 0 ? 3 : 0; });
    writing w(1950, test::constant_file(365, 80.0), given, test::constant_file(365, 80.0));
    ASSERT_EQ(w.write(1950).status, write_status::written);
    const std::string out = test::read_file(w.path(1950, "_m.dat"));
    for (int n = 0; n < 365; ++n) {
        const std::string line = given.substr(n * 72, 71);
        const std::string record = out.substr(n * 49, 49);
        ASSERT_EQ(record.substr(5, 22), line.substr(12, 19) + line.substr(55, 3)) << n;
        ASSERT_EQ(record.substr(47), "\r\n");
        if (n % 11 == 0) {
            EXPECT_EQ(record.substr(27, 5), record.substr(37, 5)) << "a filled day, " << n;
        }
    }
}

TEST(WriteMeanFlux, ReplacesAnExistingFileWhole)
{
    writing w(1950,
              test::constant_file(365, 80.0),
              test::constant_file(365, 80.0),
              test::constant_file(365, 80.0));
    w.dir.write("1950_m.dat", std::string(40000, 'x'));
    ASSERT_EQ(w.write(1950).status, write_status::written);
    const std::string first = test::read_file(w.path(1950, "_m.dat"));
    EXPECT_EQ(first.size(), 365u * 49u);
    ASSERT_EQ(w.write(1950).status, write_status::written);
    EXPECT_EQ(test::read_file(w.path(1950, "_m.dat")), first) << "a second run writes the same";
    EXPECT_EQ(w.dir.entries(),
              (std::vector<std::string>{"1949.dat", "1950.dat", "1950_m.dat", "1951.dat"}));
}

TEST(WriteMeanFlux, FailuresLeaveTheOldFileAsItWas)
{
    struct Case {
        const char* what;
        void (*prepare)(const scratch_dir&);
        write_status status;
        int error_number;
    };
    const Case cases[] = {
        {"the given year's file is gone",
         [](const scratch_dir& d) { fs::remove(d / "1950.dat"); },
         write_status::cannot_open_input,
         ENOENT},
        {"the given year's file cannot be read",
         [](const scratch_dir& d) {
             fs::remove(d / "1950.dat");
             fs::create_directory(d / "1950.dat");
         },
         write_status::read_error,
         EISDIR},
        {"the output name is a directory",
         [](const scratch_dir& d) {
             fs::remove(d / "1950_m.dat");
             fs::create_directory(d / "1950_m.dat");
         },
         write_status::rename_error,
         EISDIR},
    };
    for (const auto& c : cases) {
        writing w(1950,
                  test::constant_file(365, 80.0),
                  test::constant_file(365, 80.0),
                  test::constant_file(365, 80.0));
        w.dir.write("1950_m.dat", "old contents\r\n");
        c.prepare(w.dir);
        const auto before = w.dir.entries();
        const write_result r = w.write(1950);
        EXPECT_EQ(r.status, c.status) << c.what;
        EXPECT_EQ(r.error_number, c.error_number) << c.what;
        EXPECT_EQ(w.dir.entries(), before) << c.what << ": no temporary file is left";
        if (fs::is_regular_file(w.dir / "1950_m.dat")) {
            EXPECT_EQ(test::read_file(w.dir / "1950_m.dat"), "old contents\r\n") << c.what;
        }
    }
}

TEST(WriteMeanFlux, AWriteProtectedFileIsNotReplaced)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser may write to any file";
    writing w(1950,
              test::constant_file(365, 80.0),
              test::constant_file(365, 80.0),
              test::constant_file(365, 80.0));
    w.dir.write("1950_m.dat", "kept\r\n");
    fs::permissions(w.dir / "1950_m.dat", fs::perms::owner_read);
    EXPECT_EQ(w.write(1950).status, write_status::cannot_create);
    EXPECT_EQ(test::read_file(w.dir / "1950_m.dat"), "kept\r\n");
}

TEST(WriteMeanFlux, KeepsThePermissionsOfTheFileItReplaces)
{
    writing w(1950,
              test::constant_file(365, 80.0),
              test::constant_file(365, 80.0),
              test::constant_file(365, 80.0));
    w.dir.write("1950_m.dat", "old\r\n");
    fs::permissions(w.dir / "1950_m.dat",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(w.write(1950).status, write_status::written);
    EXPECT_EQ(fs::status(w.dir / "1950_m.dat").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

} // namespace
} // namespace meanflux
