// Whole runs of the program over real and made-up daily index files, as a user makes them.
#include "support/console_texts.h"
#include "support/fifo_writer.h"
#include "support/index_lines.h"
#include "support/reference_year.h"
#include "support/run_program.h"
#include "support/yearly_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <sys/stat.h>

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
    EXPECT_EQ(r.err,
              "meanflux: warning: 2018.dat: 120 lines for the 365 days of 2018; the days it lacks "
              "take no part in the means\n");

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
        const char* archive;
    };
    // What makes the file: the archive only for the years it published.
    constexpr const char* importer =
        ": cannot open: No such file or directory; meanflux-import makes it from GFZ Potsdam's "
        "or CelesTrak's file of daily indices";
    const Case cases[] = {
        {{2016, 2017, 2018}, 2018, "2019.dat", ""},
        {{1980, 1981}, 1980, "1979.dat", ", or download the archive's file of 1979 and rename it"},
        {{1979, 1981}, 1980, "1980.dat", ", or download the archive's file of 1980 and rename it"},
    };
    for (const auto& c : cases) {
        scratch_dir dir;
        add_years(dir, c.present);
        const auto before = dir.entries();
        const program_result r = run_meanflux(dir.path(), std::to_string(c.year) + "\n");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, dialogue(c.year)) << "no closing message";
        EXPECT_EQ(r.err, "meanflux: " + std::string(c.missing) + importer + c.archive + "\n");
        EXPECT_EQ(dir.entries(), before) << "nothing written";
    }
}

TEST(Run, LineCountWarningsForEachFile)
{
    scratch_dir dir;
    dir.write("1979.dat", constant_file(364, 100.0));
    dir.write("1980.dat", constant_file(365, 100.0));
    dir.write("1981.dat", constant_file(120, 100.0));
    const program_result r = run_meanflux(dir.path(), "1980\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err,
              "meanflux: warning: 1979.dat: 364 lines for the 365 days of 1979; the days it lacks "
              "take no part in the means\n"
              "meanflux: warning: 1980.dat: 365 lines for the 366 days of 1980; the days it lacks "
              "take no part in the means\n"
              "meanflux: warning: 1981.dat: 120 lines for the 365 days of 1981; the days it lacks "
              "take no part in the means\n");
    EXPECT_EQ(read_file(dir / "1980_m.dat").size(), 365u * 49u) << "a record for every line";
}

// Change a file of the scratch directory.
template <class Change>
void edit(const scratch_dir& dir, const char* name, Change change)
{
    std::string text = read_file(dir / name);
    change(text);
    dir.write(name, text);
}

// Put `field` (six characters: the flux columns 66-70 and the qualifier) into line n (from 1)
// of a file whose lines have 71 characters and LF.
void set_flux(std::string& file, int n, const char* field)
{
    file.replace(static_cast<std::size_t>(n - 1) * 72 + 65, 6, field);
}

struct lines_case {
    const char* what;
    void (*prepare)(const scratch_dir&);
    std::string err;
    bool as_without_change; // the same file as the unchanged files give
};

void PrintTo(const lines_case& c, std::ostream* os)
{
    *os << c.what;
}

class RunLines : public ::testing::TestWithParam<lines_case> {};

TEST_P(RunLines, LinesAreDays)
{
    const lines_case& c = GetParam();
    scratch_dir plain;
    add_years(plain, {1979, 1980, 1981});
    ASSERT_EQ(run_meanflux(plain.path(), "1980\n").status, 0);
    const std::string unchanged = read_file(plain / "1980_m.dat");

    scratch_dir dir;
    add_years(dir, {1979, 1980, 1981});
    c.prepare(dir);
    const program_result r = run_meanflux(dir.path(), "1980\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, dialogue(1980) + closing("1980"));
    EXPECT_EQ(r.err, c.err) << "nothing else on standard error";
    const std::string out = read_file(dir / "1980_m.dat");
    EXPECT_EQ(out, reference_mean_flux_file(dir.path(), 1980));
    if (c.as_without_change) {
        EXPECT_EQ(out, unchanged);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Run, RunLines,
    ::testing::Values(
        lines_case{"1979.dat without a line end after its last line",
                   [](const scratch_dir& d) { edit(d, "1979.dat", [](auto& f) { f.pop_back(); }); },
                   "",
                   true},
        lines_case{"1980.dat without a line end after its last line",
                   [](const scratch_dir& d) { edit(d, "1980.dat", [](auto& f) { f.pop_back(); }); },
                   "",
                   true},
        // A CR that ends the file belongs to the line end: no raw CR in the last record.
        lines_case{"1980.dat's last line cut inside the Kp columns, with a CR at the very end",
                   [](const scratch_dir& d) {
                       edit(d, "1980.dat", [](auto& f) { f.resize(f.size() - 72 + 20); });
                       edit(d, "1980.dat", [](auto& f) { f += '\r'; });
                   },
                   "",
                   false},
        lines_case{"CR LF line ends",
                   [](const scratch_dir& d) {
                       for (const char* name : {"1979.dat", "1980.dat", "1981.dat"})
                           edit(d, name, [](std::string& f) {
                               std::string crlf;
                               for (const char ch : f)
                                   crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
                               f = crlf;
                           });
                   },
                   "",
                   true},
        lines_case{"lines of 80 characters",
                   [](const scratch_dir& d) {
                       for (const char* name : {"1979.dat", "1980.dat", "1981.dat"})
                           edit(d, name, [](std::string& f) {
                               std::string wide;
                               for (std::size_t at = 0; at < f.size(); at += 72)
                                   wide += f.substr(at, 71) + " 1 2 3 4 5\n";
                               f = wide;
                           });
                   },
                   "",
                   true},
        // Every day of 1980 keeps its own flux beside its own Kp; 31 December 1979 is missing.
        lines_case{"1979.dat one line short",
                   [](const scratch_dir& d) {
                       edit(d, "1979.dat", [](auto& f) { f.resize(f.size() - 72); });
                   },
                   "meanflux: warning: 1979.dat: 364 lines for the 365 days of 1979; the days it "
                   "lacks take no part in the means\n",
                   false},
        lines_case{
            "1980.dat with 300 lines",
            [](const scratch_dir& d) { edit(d, "1980.dat", [](auto& f) { f.resize(300 * 72); }); },
            "meanflux: warning: 1980.dat: 300 lines for the 366 days of 1980; the days it lacks "
            "take no part in the means\n",
            false},
        // Days without observation: filled from their means, and no pull toward zero.
        lines_case{"flux fields without a finite number",
                   [](const scratch_dir& d) {
                       edit(d, "1980.dat", [](std::string& f) {
                           set_flux(f, 10, "     0");
                           set_flux(f, 11, "abc.d0");
                           set_flux(f, 12, "  nan0");
                           set_flux(f, 13, "  inf0");
                           set_flux(f, 14, "1e9990");
                       });
                       edit(d, "1979.dat", [](std::string& f) { set_flux(f, 360, "     0"); });
                   },
                   "",
                   false},
        lines_case{"numbers as the field scanner reads them",
                   [](const scratch_dir& d) {
                       edit(d, "1980.dat", [](std::string& f) {
                           set_flux(f, 20, " 12ab0");
                           set_flux(f, 21, "  1e20");
                           set_flux(f, 22, "-12.50");
                       });
                   },
                   "",
                   false}),
    [](const auto& test) { return std::to_string(test.index); });

TEST(Run, TheLastYear)
{
    // 2099 is accepted, and 2100.dat has the 365 days of 2100.
    scratch_dir dir;
    dir.write("2098.dat", constant_file(365, 100.0));
    dir.write("2099.dat", constant_file(365, 100.0));
    dir.write("2100.dat", constant_file(365, 100.0));
    const program_result r = run_meanflux(dir.path(), "2100\n2099\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              banner + prompt + invalid_year + prompt + echo("2098", "2099", "2100") +
                  closing("2099"));
    EXPECT_EQ(r.err, "");
    const std::string out = read_file(dir / "2099_m.dat");
    ASSERT_EQ(out.size(), 365u * 49u);
    EXPECT_EQ(out.substr(out.size() - 49, 5), "54786") << "31 December 2099";
    EXPECT_EQ(out, reference_mean_flux_file(dir.path(), 2099));

    // A 2100.dat with a 29 February has one line too many.
    dir.write("2100.dat", constant_file(366, 100.0));
    const program_result leap = run_meanflux(dir.path(), "2099\n");
    EXPECT_EQ(leap.status, 1);
    EXPECT_EQ(leap.err, "meanflux: 2100.dat: 366 lines or more for the 365 days of 2100\n");
    EXPECT_EQ(read_file(dir / "2099_m.dat"), out) << "kept";
}

TEST(Run, TheGivenYearFromAFifo)
{
    // The file is read once: a FIFO gives its bytes only once, and they are all the run uses.
    scratch_dir plain, dir;
    add_years(plain, {1979, 1980, 1981});
    ASSERT_EQ(run_meanflux(plain.path(), "1980\n").status, 0);
    add_years(dir, {1979, 1981});
    fifo_writer writer(dir / "1980.dat", read_file(real_year(1980)), false);
    run_options options;
    options.timeout_seconds = 20;
    const program_result r = run_meanflux(dir.path(), "1980\n", options);
    writer.stop();
    EXPECT_EQ(r.signal, 0) << "the run does not hang";
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(read_file(dir / "1980_m.dat"), read_file(plain / "1980_m.dat"));
}

TEST(Run, FifosThatGiveNoDaysOrNoEnd)
{
    struct Case {
        const char* what;
        const char* name;
        std::string bytes; // what the writer writes; none at all when empty
        std::string err;
    };
    const Case cases[] = {
        {"the given year's FIFO has no writer",
         "1980.dat",
         "",
         "meanflux: 1980.dat: no lines; 1980_m.dat not written\n"},
        {"lines without end",
         "1981.dat",
         "800101\n",
         "meanflux: 1981.dat: 366 lines or more for the 365 days of 1981\n"},
        {"a line without end",
         "1979.dat",
         std::string(1000, 'x'),
         "meanflux: 1979.dat: line 1: longer than 4096 characters\n"},
    };
    for (const auto& c : cases) {
        scratch_dir dir;
        add_years(dir, {1979, 1980, 1981});
        dir.write("1980_m.dat", "the user's earlier file\r\n");
        fs::remove(dir / c.name);
        std::unique_ptr<fifo_writer> writer;
        if (c.bytes.empty())
            ASSERT_EQ(::mkfifo((dir / c.name).c_str(), 0600), 0);
        else
            writer = std::make_unique<fifo_writer>(dir / c.name, c.bytes, true);
        run_options options;
        options.timeout_seconds = 20;
        const program_result r = run_meanflux(dir.path(), "1980\n", options);
        writer.reset();
        EXPECT_EQ(r.signal, 0) << c.what << ": the run does not hang";
        EXPECT_EQ(r.status, 1) << c.what;
        EXPECT_EQ(r.err, c.err) << c.what;
        EXPECT_EQ(read_file(dir / "1980_m.dat"), "the user's earlier file\r\n") << c.what;
    }
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
    ::testing::Values(
        failure_case{"the disk fills",
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
                     "meanflux: 1981.dat: cannot read: Is a directory\n"},
        failure_case{"one line more than the days of the year",
                     [](const scratch_dir& d) {
                         edit(d, "1981.dat", [](auto& f) { f += f.substr(0, 72); });
                     },
                     -1,
                     "meanflux: 1981.dat: 366 lines or more for the 365 days of "
                     "1981\n"},
        failure_case{"an empty line after the last day",
                     [](const scratch_dir& d) { edit(d, "1979.dat", [](auto& f) { f += "\n"; }); },
                     -1,
                     "meanflux: 1979.dat: 366 lines or more for the 365 days of "
                     "1979\n"},
        failure_case{"two years in one file",
                     [](const scratch_dir& d) { edit(d, "1980.dat", [](auto& f) { f += f; }); },
                     -1,
                     "meanflux: 1980.dat: 367 lines or more for the 366 days of "
                     "1980\n"},
        failure_case{"a line longer than 4096 characters",
                     [](const scratch_dir& d) {
                         edit(d, "1980.dat", [](auto& f) {
                             f.insert(99 * 72 + 71, std::string(5000, ' '));
                         });
                     },
                     -1,
                     "meanflux: 1980.dat: line 100: longer than 4096 characters\n"},
        failure_case{"an endless input",
                     [](const scratch_dir& d) {
                         fs::remove(d / "1981.dat");
                         fs::create_symlink("/dev/zero", d / "1981.dat");
                     },
                     -1,
                     "meanflux: 1981.dat: line 1: longer than 4096 characters\n"},
        failure_case{"an empty file for the given year",
                     [](const scratch_dir& d) { d.write("1980.dat", ""); },
                     -1,
                     "meanflux: 1980.dat: no lines; 1980_m.dat not written\n"},
        failure_case{"a flux of 9999",
                     [](const scratch_dir& d) {
                         edit(d, "1980.dat", [](auto& f) { set_flux(f, 12, " 99990"); });
                     },
                     -1,
                     "meanflux: 1980.dat: line 12: flux 9999 outside -93.0 to "
                     "935.0, which the records can hold\n"},
        failure_case{"a flux that would print 1000.0 once filled",
                     [](const scratch_dir& d) {
                         edit(d, "1979.dat", [](auto& f) { set_flux(f, 300, "950.00"); });
                     },
                     -1,
                     "meanflux: 1979.dat: line 300: flux 950 outside -93.0 to "
                     "935.0, which the records can hold\n"},
        failure_case{"a flux below -99.9 once observed",
                     [](const scratch_dir& d) {
                         edit(d, "1981.dat", [](auto& f) { set_flux(f, 5, "-98.53"); });
                     },
                     -1,
                     "meanflux: 1981.dat: line 5: flux -98.5 outside -93.0 to "
                     "935.0, which the records can hold\n"}),
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
