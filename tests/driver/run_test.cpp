// Whole runs of the program over real and made-up daily index files, as a user makes them.
#include "support/console_texts.h"
#include "support/index_lines.h"
#include "support/reference_year.h"
#include "support/run_program.h"
#include "support/yearly_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace meanflux::test {
namespace {

namespace fs = std::filesystem;

// A scratch directory holding the real daily index files of the given years.
void add_years(const scratch_dir& dir, std::initializer_list<int> years)
{
    for (const int y : years)
        dir.add(real_year(y));
}

std::string dialogue(int year)
{
    return banner + prompt +
           echo(std::to_string(year - 1), std::to_string(year), std::to_string(year + 1));
}

TEST(Run, Year1980)
{
    scratch_dir dir;
    add_years(dir, {1979, 1980, 1981});
    const program_result r = run_meanflux(dir.path(), "1980\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, dialogue(1980) + closing("1980"));
    EXPECT_EQ(r.err, "") << "nothing to warn about";

    const std::string out = read_file(dir / "1980_m.dat");
    ASSERT_EQ(out.size(), 17934u) << "366 records of 49 bytes";
    EXPECT_EQ(out.substr(0, 5), "10957");
    EXPECT_EQ(out.substr(out.size() - 49, 5), "11322");
    for (std::size_t i = 0; i < out.size(); i += 49)
        ASSERT_EQ(out.substr(i + 47, 2), "\r\n") << i;
    EXPECT_EQ(out, reference_mean_flux_file(dir.path(), 1980));
    EXPECT_EQ(dir.entries(),
              (std::vector<std::string>{"1979.dat", "1980.dat", "1980_m.dat", "1981.dat"}));

    // A second run gives the same bytes.
    ASSERT_EQ(run_meanflux(dir.path(), "1980\n").status, 0);
    EXPECT_EQ(read_file(dir / "1980_m.dat"), out);
}

TEST(Run, RealYearsAgreeWithAnIndependentComputation)
{
    // 1949: day numbers below zero and missing days; 1950: day 0 and missing days.
    for (const int year : {1949, 1950}) {
        scratch_dir dir;
        add_years(dir, {year - 1, year, year + 1});
        const program_result r = run_meanflux(dir.path(), std::to_string(year) + "\n");
        ASSERT_EQ(r.status, 0) << year << r.err;
        EXPECT_EQ(read_file(dir / (std::to_string(year) + "_m.dat")),
                  reference_mean_flux_file(dir.path(), year))
            << year;
    }
}

TEST(Run, ANextYearFileStillBeingPublished)
{
    // 2018.dat stops after 120 days.
    scratch_dir dir;
    add_years(dir, {2016, 2017, 2018});
    const program_result r = run_meanflux(dir.path(), "2017\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, dialogue(2017) + closing("2017"));
    EXPECT_EQ(r.err, "meanflux: warning: 2018.dat: 120 lines for the 365 days of 2018\n");

    const std::string out = read_file(dir / "2017_m.dat");
    EXPECT_EQ(out, reference_mean_flux_file(dir.path(), 2017));
    // Counting the unfilled positions as observed days of flux 0 would drag the means of the
    // last days of the year down; they are left out instead.
    const std::string dragged =
        reference_mean_flux_file(dir.path(), 2017, {.unloaded_positions_observed = true});
    EXPECT_NE(out, dragged);
    const double j77 = std::stod(out.substr(out.size() - 49 + 37, 5));
    const double j77_dragged = std::stod(dragged.substr(dragged.size() - 49 + 37, 5));
    EXPECT_GT(j77, j77_dragged) << "31 December 2017";
}

TEST(Run, AYearWithoutFluxObservations)
{
    // 1939 to 1941 have no flux at all: every day is missing.
    scratch_dir dir;
    add_years(dir, {1939, 1940, 1941});
    const program_result r = run_meanflux(dir.path(), "1940\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, dialogue(1940) + closing("1940"));
    EXPECT_EQ(r.err,
              "meanflux: warning: 1940_m.dat: 366 days without any observed flux in an "
              "averaging window; their undefined values are written as nan\n");
    const std::string out = read_file(dir / "1940_m.dat");
    ASSERT_EQ(out.size(), 366u * 50u) << "day numbers below zero take a sign";
    EXPECT_EQ(out.substr(0, 50),
              "-03653" + test::read_file(real_year(1940)).substr(12, 19) +
                  test::read_file(real_year(1940)).substr(55, 3) + "  nan  nan  nan  nan\r\n");
    EXPECT_EQ(out, reference_mean_flux_file(dir.path(), 1940));
}

TEST(Run, MissingFilesStopTheRunBeforeAnythingIsWritten)
{
    struct Case {
        std::initializer_list<int> present;
        int year;
        const char* missing;
    };
    const Case cases[] = {
        {{2016, 2017, 2018}, 2018, "2019.dat"},
        {{1980, 1981}, 1980, "1979.dat"},
        {{1979, 1981}, 1980, "1980.dat"},
    };
    for (const auto& c : cases) {
        scratch_dir dir;
        add_years(dir, c.present);
        const auto before = dir.entries();
        const program_result r = run_meanflux(dir.path(), std::to_string(c.year) + "\n");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, dialogue(c.year)) << "no closing message";
        EXPECT_EQ(r.err,
                  "meanflux: " + std::string(c.missing) +
                      ": cannot open: No such file or directory\n");
        EXPECT_EQ(dir.entries(), before) << "nothing written";
    }
}

TEST(Run, TooManyLines)
{
    scratch_dir dir;
    dir.write("1979.dat", constant_file(365, 100.0));
    dir.write("1980.dat", constant_file(366, 100.0));
    dir.write("1981.dat", constant_file(370, 100.0));
    const program_result r = run_meanflux(dir.path(), "1980\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "meanflux: 1981.dat: more than 1100 lines in 1979.dat, 1980.dat and "
              "1981.dat together\n");
    EXPECT_FALSE(fs::exists(dir / "1980_m.dat"));
}

TEST(Run, LineCountWarningsForEachFile)
{
    scratch_dir dir;
    dir.write("1979.dat", constant_file(364, 100.0));
    dir.write("1980.dat", constant_file(365, 100.0));
    dir.write("1981.dat", constant_file(366, 100.0));
    const program_result r = run_meanflux(dir.path(), "1980\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err,
              "meanflux: warning: 1979.dat: 364 lines for the 365 days of 1979\n"
              "meanflux: warning: 1980.dat: 365 lines for the 366 days of 1980\n"
              "meanflux: warning: 1981.dat: 366 lines for the 365 days of 1981\n");
    EXPECT_EQ(read_file(dir / "1980_m.dat").size(), 365u * 49u);
}

struct failure_case {
    const char* what;
    void (*prepare)(const scratch_dir&);
    long file_size_limit; // bytes, or -1 for none
    std::string message;
};

class RunFailure : public ::testing::TestWithParam<failure_case> {};

void PrintTo(const failure_case& c, std::ostream* os)
{
    *os << c.what;
}

TEST_P(RunFailure, ReportsAndLosesNothing)
{
    const failure_case& c = GetParam();
    scratch_dir dir;
    add_years(dir, {1979, 1980, 1981});
    dir.write("1980_m.dat", "the user's earlier file\r\n");
    c.prepare(dir);
    const auto before = dir.entries();
    run_options options;
    options.file_size_limit = c.file_size_limit;
    const program_result r = run_meanflux(dir.path(), "1980\n", options);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.out.find("successfully"), std::string::npos);
    EXPECT_EQ(r.err, c.message);
    EXPECT_EQ(dir.entries(), before) << "no temporary file is left";
    if (fs::is_regular_file(dir / "1980_m.dat")) {
        EXPECT_EQ(read_file(dir / "1980_m.dat"), "the user's earlier file\r\n");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Run, RunFailure,
    ::testing::Values(failure_case{"the disk fills",
                                   [](const scratch_dir&) {},
                                   8192,
                                   "meanflux: 1980_m.dat: cannot write: File too large\n"},
                      failure_case{"the output name is a directory",
                                   [](const scratch_dir& d) {
                                       fs::remove(d / "1980_m.dat");
                                       fs::create_directory(d / "1980_m.dat");
                                   },
                                   -1,
                                   "meanflux: 1980_m.dat: cannot replace: Is a directory\n"},
                      failure_case{"an input name is a directory",
                                   [](const scratch_dir& d) {
                                       fs::remove(d / "1981.dat");
                                       fs::create_directory(d / "1981.dat");
                                   },
                                   -1,
                                   "meanflux: 1981.dat: cannot read: Is a directory\n"}),
    [](const auto& test) { return std::to_string(test.index); });

TEST(Run, StandardOutputThatCannotBeWritten)
{
    // Standard output full (/dev/full) or closed: the failure is reported, success is not
    // claimed, and the run stops before writing anything.
    for (const bool closed : {false, true}) {
        scratch_dir dir;
        add_years(dir, {1979, 1980, 1981});
        run_options options;
        if (closed)
            options.close_stdout = true;
        else
            options.stdout_path = "/dev/full";
        const program_result r = run_meanflux(dir.path(), "1980\n", options);
        EXPECT_EQ(r.status, 1) << closed;
        EXPECT_EQ(r.err,
                  closed ? "meanflux: standard output: Bad file descriptor\n"
                         : "meanflux: standard output: No space left on device\n");
        EXPECT_FALSE(std::filesystem::exists(dir / "1980_m.dat"));
    }
}

} // namespace
} // namespace meanflux::test
