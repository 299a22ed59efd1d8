// Signals that arrive while outputs are being written: the temporary files go, the process ends
// as the signal would have ended it, and a broken pipe is a failed write, not an end.
#include "support/run_program.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace meanflux::test {
namespace {

namespace fs = std::filesystem;

const fs::path helper = MEANFLUX_PENDING_OUTPUT_HELPER;

// The signals whose default action ends a process, and which a process can catch.
std::vector<int> ending_signals()
{
    std::vector<int> signals{SIGHUP,    SIGINT,  SIGQUIT, SIGILL,    SIGTRAP, SIGABRT, SIGBUS,
                             SIGFPE,    SIGUSR1, SIGSEGV, SIGUSR2,   SIGALRM, SIGTERM, SIGXCPU,
                             SIGVTALRM, SIGPROF, SIGSYS,  SIGSTKFLT, SIGPOLL, SIGPWR};
    for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig)
        signals.push_back(sig);
    return signals;
}

std::string signal_name(int sig)
{
    return std::to_string(sig) + " (" + strsignal(sig) + ")";
}

class PendingOutputs : public ::testing::Test {
  protected:
    void SetUp() override
    {
        fs::create_directory(dir / "sub");
        dir.write("a.dat", "the user's earlier file\n");
        dir.write("sub/d.dat", "another earlier file\n");
        before = dir.entries();
    }
    // The helper with four outputs pending, two of them from a second thread.
    std::unique_ptr<background_program> start(const run_options& options = {})
    {
        auto program = std::make_unique<background_program>(
            helper,
            std::vector<std::string>{"--thread", "a.dat", "b.dat", "c.dat", "sub/d.dat"},
            dir.path(),
            options);
        EXPECT_TRUE(program->wait_for_output("ready\n"));
        EXPECT_EQ(dir.entries().size(), before.size() + 3) << "the temporary files are there";
        return program;
    }
    void expect_as_before(const std::string& what) const
    {
        EXPECT_EQ(dir.entries(), before) << what;
        EXPECT_EQ(std::distance(fs::directory_iterator(dir / "sub"), fs::directory_iterator()), 1)
            << what;
        EXPECT_EQ(read_file(dir / "a.dat"), "the user's earlier file\n") << what;
        EXPECT_EQ(read_file(dir / "sub/d.dat"), "another earlier file\n") << what;
    }
    void expect_finished(const program_result& r) const
    {
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "ready\ndone\n");
        for (const char* name : {"a.dat", "b.dat", "c.dat", "sub/d.dat"})
            EXPECT_EQ(read_file(dir / name), "first part\nsecond part\n") << name;
        EXPECT_EQ(dir.entries().size(), before.size() + 2);
    }

    scratch_dir dir;
    std::vector<std::string> before;
};

TEST_F(PendingOutputs, EverySignalThatEndsTheProcessRemovesThemFirst)
{
    for (const int sig : ending_signals()) {
        const auto program = start();
        program->signal(sig);
        const program_result r = program->wait();
        EXPECT_EQ(r.signal, sig) << "ended as the signal ends it: " << signal_name(sig);
        expect_as_before(signal_name(sig));
    }
}

TEST_F(PendingOutputs, ADirectoryMadeForThemGoesWithThem)
{
    // Made for outputs that a signal then removes: the directory goes too.  Once they are
    // finished, it stays with them.
    for (const bool interrupted : {true, false}) {
        fs::remove_all(dir / "new");
        background_program program(
            helper, {"--directory", "new", "new/x.dat", "y.dat"}, dir.path());
        ASSERT_TRUE(program.wait_for_output("ready\n"));
        EXPECT_TRUE(fs::is_directory(dir / "new"));
        if (interrupted) {
            program.signal(SIGTERM);
            EXPECT_EQ(program.wait().signal, SIGTERM);
            expect_as_before("a directory made for the outputs");
        } else {
            EXPECT_EQ(program.wait().status, 0);
            EXPECT_EQ(read_file(dir / "new/x.dat"), "first part\nsecond part\n");
        }
    }
}

TEST_F(PendingOutputs, AnAbortRemovesThemFirst)
{
    const auto program = start();
    program->write_input("abort\n");
    EXPECT_EQ(program->wait().signal, SIGABRT);
    expect_as_before("abort");
}

TEST_F(PendingOutputs, ABrokenPipeSignalDoesNotEndTheProcess)
{
    // SIGPIPE is ignored: a write into a pipe without reader fails with EPIPE instead, and is
    // reported like any failed write.
    const auto program = start();
    program->signal(SIGPIPE);
    EXPECT_TRUE(program->still_running_after(0.2));
    expect_finished(program->wait());
}

TEST_F(PendingOutputs, SignalsStartedIgnoredStayIgnored)
{
    // As nohup starts a program with SIGHUP ignored, and a shell its background jobs with SIGINT
    // and SIGQUIT ignored.
    run_options o;
    o.ignored_signals = {SIGHUP, SIGINT, SIGQUIT};
    const auto program = start(o);
    for (const int sig : o.ignored_signals)
        program->signal(sig);
    EXPECT_TRUE(program->still_running_after(0.2));
    expect_finished(program->wait());
}

// The signal masks of a running process, from /proc/<pid>/status.
struct signal_masks {
    unsigned long long ignored = 0;
    unsigned long long caught = 0;
};

signal_masks masks_of(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    signal_masks m;
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("SigIgn:"))
            m.ignored = std::stoull(line.substr(7), nullptr, 16);
        if (line.starts_with("SigCgt:"))
            m.caught = std::stoull(line.substr(7), nullptr, 16);
    }
    return m;
}

constexpr unsigned long long bit(int sig)
{
    return 1ULL << (sig - 1);
}

TEST(ProgramSignals, EveryProgramSetsItselfUp)
{
    // Each program is caught waiting (for its standard input, for data on its input FIFO, for
    // room in its output pipe), and its signal dispositions are read.  The test holds the FIFO
    // open for writing without writing, so that a program reading it waits for data.
    scratch_dir dir;
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
    const int writer = ::open((dir / "fifo").c_str(), O_RDWR);
    ASSERT_GE(writer, 0);
    dir.write("mean_flux.dat", "0000000000\r\n");
    std::vector<std::string> many_dates;
    for (int i = 0; i < 3000; ++i)
        many_dates.push_back("1950-01-01");
    many_dates.insert(many_dates.begin(), "--csv");
    struct Case {
        fs::path program;
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {MEANFLUX_PROGRAM, {}},
        {command_path("meanflux-combine"), {"-o", "out.dat", "fifo"}},
        {command_path("meanflux-plot"), {"-o", "out.svg", "fifo"}},
        {command_path("meanflux-import"), {"-d", ".", "fifo"}},
        {command_path("meanflux-lookup"), many_dates},
    };
    for (const auto& c : cases) {
        background_program program(c.program, c.args, dir.path());
        // The dispositions are set one after another: wait until the last one is there (or
        // five seconds have passed), so that a program caught midway is not taken for one that
        // misses some.
        unsigned long long every_ending_signal = 0;
        for (const int sig : ending_signals())
            every_ending_signal |= bit(sig);
        signal_masks m;
        const unsigned long long ignored_ones = bit(SIGPIPE) | bit(SIGXFSZ);
        for (int i = 0; i < 500 && ((m.caught & every_ending_signal) != every_ending_signal ||
                                    (m.ignored & ignored_ones) != ignored_ones);
             ++i) {
            program.still_running_after(0.01);
            m = masks_of(program.pid());
        }
        const std::string name = c.program.filename().string();
        for (const int sig : ending_signals())
            EXPECT_NE(m.caught & bit(sig), 0u) << name << " catches " << signal_name(sig);
        EXPECT_NE(m.ignored & bit(SIGPIPE), 0u) << name << " ignores SIGPIPE";
        EXPECT_NE(m.ignored & bit(SIGXFSZ), 0u) << name << " ignores SIGXFSZ";
    }
    ::close(writer);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"fifo", "mean_flux.dat"}));
}

} // namespace
} // namespace meanflux::test
