// meanflux with years on the command line, as a script uses it: the same files as the console
// run, a line per year, and a year that fails stopping no other.
#include "support/index_lines.h"
#include "support/reference_year.h"
#include "support/run_program.h"
#include "support/yearly_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace meanflux::test {
namespace {

namespace fs = std::filesystem;

// A daily index file not there, and what makes it, up to the year.
const std::string missing_help =
    ": cannot open: No such file or directory; meanflux-import makes it from GFZ Potsdam's or "
    "CelesTrak's file of daily indices, or download the archive's file of ";

const std::string usage = "usage: meanflux\n"
                          "       meanflux [-C DIR] [-d DIR] [-q] YEAR...\n";

void add_years(const scratch_dir& dir, int first, int last)
{
    for (int y = first; y <= last; ++y)
        dir.add(real_year(y));
}

program_result meanflux(const std::vector<std::string>& args, const fs::path& dir,
                        const run_options& options = {})
{
    return run_program(command_path("meanflux"), args, dir, "", options);
}

struct same_case {
    const char* what;
    int year;
    void (*prepare)(const scratch_dir&);
    int status = 0; // of the command; the dialogue's is 1 for any failure
};

void PrintTo(const same_case& c, std::ostream* os)
{
    *os << c.what;
}

class AsTheDialogue : public ::testing::TestWithParam<same_case> {};

// The year typed at the prompt and the year given on the command line make the same file, the
// same warnings and failures, and the same exit status in the words of each: the dialogue's 1
// for any failure, the command's 1 for data not there and 2 for a file that cannot serve.
TEST_P(AsTheDialogue, SameFileSameMessages)
{
    const same_case& c = GetParam();
    scratch_dir asked, given;
    for (const scratch_dir* dir : {&asked, &given}) {
        add_years(*dir, c.year - 1, c.year + 1);
        c.prepare(*dir);
    }
    const std::string year = std::to_string(c.year);
    const program_result dialogue = run_meanflux(asked.path(), year + "\n");
    const program_result command = meanflux({year}, given.path());

    EXPECT_EQ(command.status, c.status);
    EXPECT_EQ(dialogue.status, c.status == 0 ? 0 : 1);
    EXPECT_EQ(command.err, dialogue.err);
    EXPECT_EQ(asked.entries(), given.entries());
    const std::string output = year + "_m.dat";
    EXPECT_EQ(fs::exists(given / output), fs::exists(asked / output));
    if (fs::exists(asked / output)) {
        const std::string bytes = read_file(asked / output);
        EXPECT_EQ(read_file(given / output), bytes);
        EXPECT_EQ(bytes, reference_mean_flux_file(asked.path(), c.year));
        const auto records = std::count(bytes.begin(), bytes.end(), '\n');
        EXPECT_EQ(command.out, output + ": " + std::to_string(records) + " days\n");
    } else {
        EXPECT_EQ(command.out, "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Command, AsTheDialogue,
    ::testing::Values(
        same_case{"1980", 1980, [](const scratch_dir&) {}},
        // The next year's file stops after 120 days: a warning.
        same_case{"2017 with 2018 still being published", 2017, [](const scratch_dir&) {}},
        // No flux in any window: undefined values and their warning.
        same_case{"1940 without flux", 1940, [](const scratch_dir&) {}},
        // Day numbers below zero: records one character longer.
        same_case{"1949", 1949, [](const scratch_dir&) {}},
        same_case{"a missing next year's file",
                  1980,
                  [](const scratch_dir& d) { fs::remove(d / "1981.dat"); },
                  1},
        same_case{"a given year's file of 300 lines",
                  1980,
                  [](const scratch_dir& d) { d.write("1980.dat", constant_file(300, 150.0)); }},
        same_case{"a flux no record can hold",
                  1980,
                  [](const scratch_dir& d) { d.write("1979.dat", constant_file(365, 950.0)); },
                  2}),
    [](const auto& test) { return std::to_string(test.index); });

TEST(Command, SeveralYearsOneFailingDoesNotStopTheOthers)
{
    // 1978.dat and 1983.dat are not there: 1979 and 1982 fail, 1980 and 1981 are written.
    scratch_dir dir;
    add_years(dir, 1979, 1982);
    dir.write("1979_m.dat", "the user's earlier file\r\n");
    const program_result r = meanflux({"1979", "1980", "1981", "1982"}, dir.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "1980_m.dat: 366 days\n1981_m.dat: 365 days\n");
    EXPECT_EQ(r.err,
              "meanflux: 1978.dat" + missing_help + "1978 and rename it\n" + "meanflux: 1983.dat" +
                  missing_help + "1983 and rename it\n");
    EXPECT_EQ(read_file(dir / "1979_m.dat"), "the user's earlier file\r\n");
    EXPECT_FALSE(fs::exists(dir / "1982_m.dat"));
    for (const int y : {1980, 1981})
        EXPECT_EQ(read_file(dir / (std::to_string(y) + "_m.dat")),
                  reference_mean_flux_file(dir.path(), y))
            << y;

    // All of them there: exit status 0.
    dir.add(real_year(1978));
    dir.add(real_year(1983));
    const program_result all = meanflux({"-q", "1982", "1979"}, dir.path());
    EXPECT_EQ(all.status, 0);
    EXPECT_EQ(all.out, "");
    EXPECT_EQ(all.err, "");
    EXPECT_EQ(read_file(dir / "1979_m.dat"), reference_mean_flux_file(dir.path(), 1979));
    EXPECT_EQ(read_file(dir / "1982_m.dat"), reference_mean_flux_file(dir.path(), 1982));
}

TEST(Command, ADirectoryToWorkIn)
{
    // The files are read from and written into DIR, and named with it, wherever the program
    // runs.
    scratch_dir elsewhere;
    fs::create_directory(elsewhere / "data");
    const fs::path data = elsewhere / "data";
    for (const int y : {1979, 1980, 1981})
        fs::copy_file(real_year(y), data / (std::to_string(y) + ".dat"));

    struct Case {
        std::vector<std::string> args;
        std::string out;
    };
    const Case cases[] = {
        {{"-C", "data", "1980"}, "data/1980_m.dat: 366 days\n"},
        {{"--directory=data/", "1980"}, "data/1980_m.dat: 366 days\n"},
        {{"-C", data.string(), "1980"}, data.string() + "/1980_m.dat: 366 days\n"},
        {{"-q", "-C", "data", "1980"}, ""},
    };
    for (const auto& c : cases) {
        fs::remove(data / "1980_m.dat");
        const program_result r = meanflux(c.args, elsewhere.path());
        EXPECT_EQ(r.status, 0) << c.args[0] << r.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(read_file(data / "1980_m.dat"), reference_mean_flux_file(data, 1980));
        EXPECT_EQ(elsewhere.entries(), std::vector<std::string>{"data"}) << "nothing beside it";
    }

    // Read from one directory, written into another: only the yearly file goes there.
    fs::remove(data / "1980_m.dat");
    fs::create_directory(elsewhere / "out");
    const program_result into = meanflux({"-C", "data", "-d", "out", "1980"}, elsewhere.path());
    EXPECT_EQ(into.status, 0) << into.err;
    EXPECT_EQ(into.out, "out/1980_m.dat: 366 days\n");
    EXPECT_EQ(read_file(elsewhere / "out/1980_m.dat"), reference_mean_flux_file(data, 1980));
    EXPECT_FALSE(fs::exists(data / "1980_m.dat"));
    EXPECT_EQ(std::distance(fs::directory_iterator(elsewhere / "out"), {}), 1);

    // Messages name the files as they are found from where the program runs.
    fs::remove(data / "1981.dat");
    const program_result r = meanflux({"-C", "data", "1980"}, elsewhere.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "meanflux: data/1981.dat" + missing_help + "1981 and rename it\n");
}

TEST(Command, UsageErrorsChangeNothing)
{
    scratch_dir dir;
    add_years(dir, 1979, 1981);
    dir.write("a file", "");
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const std::string no_year =
        "meanflux: no YEAR: give years from 1937 to 2099, or no argument for the console "
        "dialogue\n";
    const Case cases[] = {
        {{"-q"}, no_year + usage},
        {{"-C", "."}, no_year + usage},
        // The years the console run accepts, written in four digits.
        {{"1936"}, "meanflux: 1936: not a year from 1937 to 2099\n" + usage},
        {{"2100"}, "meanflux: 2100: not a year from 1937 to 2099\n" + usage},
        {{"19800"}, "meanflux: 19800: not a year from 1937 to 2099\n" + usage},
        {{"980"}, "meanflux: 980: not a year from 1937 to 2099\n" + usage},
        {{"1980x"}, "meanflux: 1980x: not a year from 1937 to 2099\n" + usage},
        {{"+980"}, "meanflux: +980: not a year from 1937 to 2099\n" + usage},
        {{" 980"}, "meanflux:  980: not a year from 1937 to 2099\n" + usage},
        {{""}, "meanflux: : not a year from 1937 to 2099\n" + usage},
        // One bad year among good ones: no year is computed.
        {{"1980", "abc"}, "meanflux: abc: not a year from 1937 to 2099\n" + usage},
        {{"-C", "missing", "1980"}, "meanflux: -C missing: No such file or directory\n"},
        {{"-d", "missing", "1980"}, "meanflux: -d missing: No such file or directory\n"},
        {{"-C", "a file", "1980"}, "meanflux: -C a file: Not a directory\n"},
        {{"-C", "1980.dat/", "1980"}, "meanflux: -C 1980.dat/: Not a directory\n"},
    };
    const auto before = dir.entries();
    for (const auto& c : cases) {
        const program_result r = meanflux(c.args, dir.path());
        EXPECT_EQ(r.status, 2) << c.err;
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(dir.entries(), before) << c.err;
    }
    // Options getopt refuses: its own message, then the usage.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-x", "1980"}, {"1980", "-C"}, {"--year=1980"}}) {
        const program_result r = meanflux(args, dir.path());
        EXPECT_EQ(r.status, 2) << args[0];
        EXPECT_TRUE(r.err.ends_with(usage)) << r.err;
        EXPECT_EQ(dir.entries(), before);
    }
}

TEST(Command, StandardOutputThatCannotBeWritten)
{
    // The yearly files are what was asked for: they are all written, and the failure to say so
    // is reported once, with exit status 2.
    for (const bool closed : {false, true}) {
        scratch_dir dir;
        add_years(dir, 1979, 1982);
        run_options options;
        if (closed)
            options.close_stdout = true;
        else
            options.stdout_path = "/dev/full";
        const program_result r = meanflux({"1980", "1981"}, dir.path(), options);
        EXPECT_EQ(r.status, 2) << closed;
        EXPECT_EQ(r.err,
                  closed ? "meanflux: standard output: Bad file descriptor\n"
                         : "meanflux: standard output: No space left on device\n");
        EXPECT_EQ(read_file(dir / "1980_m.dat"), reference_mean_flux_file(dir.path(), 1980));
        EXPECT_EQ(read_file(dir / "1981_m.dat"), reference_mean_flux_file(dir.path(), 1981));

        // Nothing to say, nothing that fails.
        const program_result quiet = meanflux({"-q", "1980"}, dir.path(), options);
        EXPECT_EQ(quiet.status, 0) << closed;
        EXPECT_EQ(quiet.err, "");
    }
}

} // namespace
} // namespace meanflux::test
