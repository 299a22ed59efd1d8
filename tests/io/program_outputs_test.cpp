// The files the programs write, when their names are links, devices, FIFOs or standard output,
// and standard output that is a closed pipe: what every program that writes a file does.
#include "support/file_tree.h"
#include "support/run_program.h"
#include "support/yearly_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

namespace meanflux::test {
namespace {

namespace fs = std::filesystem;

const fs::path gfz_1979_1981 = test_data("gfz/Kp_ap_Ap_SN_F107_1979-1981.txt");

std::vector<std::string> with(std::vector<std::string> entries,
                              const std::vector<std::string>& more)
{
    for (const std::string& e : more)
        if (std::find(entries.begin(), entries.end(), e) == entries.end())
            entries.push_back(e);
    std::sort(entries.begin(), entries.end());
    return entries;
}

// `entries` without those named (whether a program that failed wrote its other files or not).
std::vector<std::string> without(std::vector<std::string> entries,
                                 const std::vector<std::string>& less)
{
    std::erase_if(entries, [&](const std::string& e) {
        return std::find(less.begin(), less.end(), e) != less.end();
    });
    return entries;
}

// A program that writes a file, as a user runs it in a directory.
struct writer {
    const char* label;
    const char* output;                   // the file it writes, in its directory
    const char* input;                    // a file it reads there
    std::vector<std::string> also_writes; // other files it writes there
    int failure_status;                   // its exit status when the output cannot be written
    std::function<void(const scratch_dir&)> prepare;
    std::function<program_result(const scratch_dir&, const run_options&)> run;
};

void PrintTo(const writer& w, std::ostream* os)
{
    *os << w.label;
}

// The yearly mean-flux file of 1980, made once, for the commands that read one.
const std::string& yearly_1980()
{
    static const std::string bytes = [] {
        scratch_dir d;
        return yearly_mean_flux(d.path(), 1980);
    }();
    return bytes;
}

const writer writers[] = {
    {"meanflux",
     "1980_m.dat",
     "1980.dat",
     {},
     1,
     [](const scratch_dir& d) {
         for (int y = 1979; y <= 1981; ++y)
             d.add(real_year(y));
     },
     [](const scratch_dir& d, const run_options& o) {
         return run_meanflux(d.path(), "1980\n", o);
     }},
    {"combine",
     "mean_flux.dat",
     "1980_m.dat",
     {},
     2,
     [](const scratch_dir& d) { d.write("1980_m.dat", yearly_1980()); },
     [](const scratch_dir& d, const run_options& o) {
         return run_command(
             "meanflux-combine", {"-o", "mean_flux.dat", "1980_m.dat"}, d.path(), "", o);
     }},
    {"plot",
     "chart.svg",
     "1980_m.dat",
     {},
     2,
     [](const scratch_dir& d) { d.write("1980_m.dat", yearly_1980()); },
     [](const scratch_dir& d, const run_options& o) {
         return run_command("meanflux-plot", {"-o", "chart.svg", "1980_m.dat"}, d.path(), "", o);
     }},
    {"import",
     "years/1980.dat",
     "gfz.txt",
     {"years/1979.dat", "years/1981.dat"},
     2,
     [](const scratch_dir& d) {
         fs::create_directory(d / "years");
         d.add(gfz_1979_1981, "gfz.txt");
     },
     [](const scratch_dir& d, const run_options& o) {
         return run_command("meanflux-import", {"-d", "years", "gfz.txt"}, d.path(), "", o);
     }},
};

class ProgramOutput : public ::testing::TestWithParam<writer> {
  protected:
    void SetUp() override
    {
        const writer& w = GetParam();
        // What the program writes into a plain file.
        scratch_dir plain;
        w.prepare(plain);
        const program_result r = w.run(plain, {});
        ASSERT_EQ(r.status, 0) << r.err;
        expected = read_file(plain / w.output);
        ASSERT_FALSE(expected.empty());
        w.prepare(dir);
    }
    const char* output() const { return GetParam().output; }
    fs::path output_path() const { return dir / output(); }
    program_result run(const run_options& o = {}) const
    {
        run_options timed = o;
        timed.timeout_seconds = 60;
        return GetParam().run(dir, timed);
    }

    scratch_dir dir;
    std::string expected;
};

TEST_P(ProgramOutput, ALinkIsFollowedAndStays)
{
    // output -> hop -> keep/result, each link relative to its own directory.
    fs::create_directories(dir / "keep");
    fs::create_symlink(fs::relative(dir / "hop", output_path().parent_path()), output_path());
    fs::create_symlink("keep/result", dir / "hop");
    dir.write("keep/result", "the user's earlier file\n");
    const std::vector<std::string> before = tree(dir.path());
    const program_result r = run();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_file(dir / "keep/result"), expected);
    EXPECT_EQ(tree(dir.path()), with(before, GetParam().also_writes));

    // A link to a file not there yet: the file is made where the link points.
    fs::remove(dir / "keep/result");
    EXPECT_EQ(run().status, 0);
    EXPECT_EQ(read_file(dir / "keep/result"), expected);
    EXPECT_EQ(tree(dir.path()), with(before, GetParam().also_writes));
}

TEST_P(ProgramOutput, ALinkToADeviceIsWrittenIntoNeverReplaced)
{
    fs::create_symlink("/dev/null", output_path());
    std::vector<std::string> before = tree(dir.path());
    const program_result to_null = run();
    EXPECT_EQ(to_null.status, 0) << to_null.err;
    EXPECT_EQ(tree(dir.path()), with(before, GetParam().also_writes));

    fs::remove(output_path());
    fs::create_symlink("/dev/full", output_path());
    before = tree(dir.path());
    const program_result to_full = run();
    EXPECT_EQ(to_full.status, GetParam().failure_status);
    EXPECT_NE(to_full.err.find(std::string(output()) + ": cannot write: No space left on device"),
              std::string::npos)
        << to_full.err;
    EXPECT_EQ(without(tree(dir.path()), GetParam().also_writes),
              without(before, GetParam().also_writes));
}

TEST_P(ProgramOutput, ADeviceIsWrittenIntoNeverReplaced)
{
    // A device node made in the scratch directory stands for /dev/full, so that a fault run as
    // root could never turn the system's own into a regular file.
    if (!running_as_root())
        GTEST_SKIP() << "only root can make device nodes (and replace them)";
    ASSERT_EQ(::mknod(output_path().c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    const std::vector<std::string> before = tree(dir.path());
    const program_result r = run();
    EXPECT_EQ(r.status, GetParam().failure_status);
    EXPECT_NE(r.err.find("No space left on device"), std::string::npos) << r.err;
    EXPECT_EQ(without(tree(dir.path()), GetParam().also_writes), before);
}

TEST_P(ProgramOutput, AFifoIsWrittenIntoNeverReplaced)
{
    ASSERT_EQ(::mkfifo(output_path().c_str(), 0644), 0);
    const std::vector<std::string> before = tree(dir.path());
    fifo_reader reader(output_path());
    const program_result r = run();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(reader.stop(), expected);
    EXPECT_EQ(tree(dir.path()), with(before, GetParam().also_writes));
}

TEST_P(ProgramOutput, AnOutputThatIsAnInputIsRefused)
{
    // A link from the output to what the program reads, and a hard link: the input is never
    // replaced, and nothing is written.
    const fs::path input = dir / GetParam().input;
    const std::string bytes = read_file(input);
    for (const bool hard : {false, true}) {
        if (hard)
            fs::create_hard_link(input, output_path());
        else
            fs::create_symlink(fs::relative(input, output_path().parent_path()), output_path());
        const std::vector<std::string> before = tree(dir.path());
        const program_result r = run();
        EXPECT_EQ(r.status, GetParam().failure_status) << hard << r.err;
        EXPECT_NE(r.err.find(std::string(output()) + ": the same file as the input "),
                  std::string::npos)
            << hard << r.err;
        EXPECT_EQ(read_file(input), bytes) << hard;
        EXPECT_EQ(tree(dir.path()), before) << hard;
        fs::remove(output_path());
    }
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramOutput, ::testing::ValuesIn(writers),
                         [](const auto& test) { return std::string(test.param.label); });

// The commands whose output can be standard output.
class StandardOutput : public ::testing::TestWithParam<writer> {};

TEST_P(StandardOutput, DashAndTheNamesOfStandardOutput)
{
    const writer& w = GetParam();
    scratch_dir dir;
    w.prepare(dir);
    ASSERT_EQ(w.run(dir, {}).status, 0);
    const std::string expected = read_file(dir / w.output);
    fs::remove(dir / w.output);
    fs::create_symlink("/dev/stdout", dir / "to-stdout");
    std::vector<std::string> names{"-", "/dev/fd/1", "/proc/self/fd/1", "to-stdout"};
    if (!running_as_root())
        names.push_back("/dev/stdout"); // a fault run as root could replace the system's own
    dir.write("log", "");
    const std::vector<std::string> before = tree(dir.path());
    for (const std::string& name : names) {
        // Standard output as a shell's >> opens it: written at its end, never replaced or cut.
        dir.write("log", "earlier\n");
        const int log = ::open((dir / "log").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        run_options o;
        o.stdout_fd = log;
        const std::string program = std::string("meanflux-") + w.label;
        const program_result r =
            run_command(program, {"-o", name, "1980_m.dat"}, dir.path(), "", o);
        ::close(log);
        EXPECT_EQ(r.status, 0) << name << ": " << r.err;
        EXPECT_TRUE(read_file(dir / "log") == "earlier\n" + expected) << name;
        EXPECT_EQ(tree(dir.path()), before) << name;

        // A pipe.
        background_program piped(command_path(program), {"-o", name, "1980_m.dat"}, dir.path());
        const program_result p = piped.wait();
        EXPECT_EQ(p.status, 0) << name << ": " << p.err;
        EXPECT_TRUE(p.out == expected) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, StandardOutput, ::testing::Values(writers[1], writers[2]),
                         [](const auto& test) { return std::string(test.param.label); });

// Every regular file under `dir` with its contents, links not followed.
std::vector<std::string> contents(const fs::path& dir)
{
    std::vector<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (fs::is_regular_file(e.symlink_status()))
            files.push_back(e.path().string() + "\n" + read_file(e.path()));
    std::sort(files.begin(), files.end());
    return files;
}

TEST(FileClash, AnOutputThatIsAnInputOrAnotherOutputIsRefused)
{
    // By its name, a symbolic link (to a name not yet taken too) or a hard link ("=target"):
    // refused before anything is written, and every file stays as it was.
    struct Case {
        std::string program; // "meanflux" runs in daily/
        std::vector<std::string> args;
        std::vector<std::pair<std::string, std::string>> links; // name, target
        int status;
        std::string err;
    };
    const std::string build = "meanflux-build";
    const std::vector<std::string> years{"--from", "1980", "--to", "1981"};
    auto plus = [](std::vector<std::string> a, const std::vector<std::string>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const std::string same = ": the same file as the ";
    const Case cases[] = {
        {build,
         plus(years, {"-o", "gfz.txt", "gfz.txt"}),
         {},
         2,
         "meanflux-build: gfz.txt" + same + "input gfz.txt; nothing written\n"},
        {build,
         plus(years, {"-o", "daily/1981.dat", "daily"}),
         {},
         2,
         "meanflux-build: daily/1981.dat" + same + "input daily/1981.dat; nothing written\n"},
        {build,
         plus(years, {"--yearly", "y", "-o", "y/1980_m.dat", "daily"}),
         {},
         2,
         "meanflux-build: y/1980_m.dat" + same + "output y/1980_m.dat; nothing written\n"},
        {build,
         plus(years, {"--yearly", "y", "-o", "to-yearly", "daily"}),
         {{"to-yearly", "y/1981_m.dat"}},
         2,
         "meanflux-build: to-yearly" + same + "output y/1981_m.dat; nothing written\n"},
        {build,
         plus(years, {"-o", "copy", "daily"}),
         {{"copy", "=daily/1982.dat"}},
         2,
         "meanflux-build: copy" + same + "input daily/1982.dat; nothing written\n"},
        {"meanflux-import",
         {"1979.dat"},
         {},
         2,
         "meanflux-import: 1979.dat" + same + "input 1979.dat; nothing written\n"},
        {"meanflux-combine",
         {"-o", "1980_m.dat", "1980_m.dat"},
         {},
         2,
         "meanflux-combine: 1980_m.dat" + same + "input 1980_m.dat; nothing written\n"},
        {"meanflux-plot",
         {"-o", "chart.svg", "1980_m.dat"},
         {{"chart.svg", "1980_m.dat"}},
         2,
         "meanflux-plot: chart.svg" + same + "input 1980_m.dat; nothing written\n"},
        {"meanflux-plot",
         {"-d", "daily", "-o", "daily/1980.dat", "1980_m.dat"},
         {},
         2,
         "meanflux-plot: daily/1980.dat" + same + "input daily/1980.dat; nothing written\n"},
        {"meanflux",
         {"1980"},
         {{"daily/1980_m.dat", "1981.dat"}},
         2,
         "meanflux: 1980_m.dat: the same file as the input 1981.dat; nothing written\n"},
    };
    const std::string gfz = read_file(gfz_1979_1981);
    for (const Case& c : cases) {
        scratch_dir dir;
        fs::create_directory(dir / "daily");
        for (int y = 1979; y <= 1982; ++y)
            dir.add(real_year(y), "daily/" + std::to_string(y) + ".dat");
        dir.write("gfz.txt", gfz);
        dir.write("1979.dat", gfz);
        dir.write("1980_m.dat", yearly_1980());
        for (const auto& [name, target] : c.links)
            if (target.starts_with('='))
                fs::create_hard_link(dir / target.substr(1), dir / name);
            else
                fs::create_symlink(target, dir / name);
        const std::vector<std::string> before = tree(dir.path());
        const std::vector<std::string> files = contents(dir.path());
        const program_result r =
            c.program == "meanflux"
                ? run_program(command_path("meanflux"), c.args, dir / "daily", "")
                : run_command(c.program, c.args, dir.path());
        EXPECT_EQ(r.status, c.status) << c.err;
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(tree(dir.path()), before) << c.err;
        EXPECT_TRUE(contents(dir.path()) == files) << c.err;
    }
}

// Standard output that cannot be written: a pipe whose reader has gone, or closed.
struct broken_case {
    const char* label;
    std::vector<std::string> args; // the command and its arguments; empty for meanflux
    int status;
    std::string message;        // on a broken pipe
    std::string closed_message; // on a closed standard output
};

TEST(BrokenStandardOutput, IsReportedNeverAKill)
{
    scratch_dir dir;
    for (int y = 1979; y <= 1981; ++y)
        dir.add(real_year(y));
    dir.write("1980_m.dat", yearly_1980());
    dir.write("mean_flux.dat", "1095711322\r\n" + yearly_1980());
    const broken_case cases[] = {
        {"meanflux",
         {},
         1,
         "meanflux: standard output: Broken pipe\n",
         "meanflux: standard output: Bad file descriptor\n"},
        {"lookup",
         {"meanflux-lookup", "1980-01-01"},
         2,
         "meanflux-lookup: standard output: Broken pipe\n",
         "meanflux-lookup: standard output: Bad file descriptor\n"},
        {"combine",
         {"meanflux-combine", "-o", "-", "1980_m.dat"},
         2,
         "meanflux-combine: standard output: cannot write: Broken pipe\n",
         "meanflux-combine: standard output: cannot write: Bad file descriptor\n"},
    };
    for (const auto& c : cases) {
        for (const bool closed : {false, true}) {
            int ends[2];
            ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
            ::close(ends[0]); // the reader has gone
            run_options o;
            o.timeout_seconds = 30;
            if (closed)
                o.close_stdout = true;
            else
                o.stdout_fd = ends[1];
            const auto before = dir.entries();
            const program_result r =
                c.args.empty()
                    ? run_meanflux(dir.path(), "1980\n", o)
                    : run_command(c.args[0],
                                  std::vector<std::string>(c.args.begin() + 1, c.args.end()),
                                  dir.path(),
                                  "",
                                  o);
            ::close(ends[1]);
            EXPECT_EQ(r.signal, 0) << c.label << (closed ? " closed" : " broken pipe");
            EXPECT_EQ(r.status, c.status) << c.label << (closed ? " closed" : " broken pipe");
            EXPECT_EQ(r.err, closed ? c.closed_message : c.message);
            EXPECT_EQ(dir.entries(), before) << c.label;
        }
    }
}

TEST(FifoWithoutReader, TheCommandWaitsForOneAndASignalEndsItCleanly)
{
    // Opening a FIFO for writing waits for a reader, as a shell redirection does; a signal ends
    // the wait, and the FIFO stays.
    scratch_dir dir;
    dir.write("1980_m.dat", yearly_1980());
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
    const std::vector<std::string> before = tree(dir.path());
    for (const int sig : {SIGTERM, SIGINT}) {
        background_program combine(
            command_path("meanflux-combine"), {"-o", "fifo", "1980_m.dat"}, dir.path());
        EXPECT_TRUE(combine.still_running_after(0.3));
        combine.signal(sig);
        const program_result r = combine.wait();
        EXPECT_EQ(r.signal, sig);
        EXPECT_EQ(tree(dir.path()), before);
    }
}

} // namespace
} // namespace meanflux::test
