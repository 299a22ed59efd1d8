#include "support/run_program.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <pthread.h>
#include <sstream>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace meanflux::test {

namespace fs = std::filesystem;

scratch_dir::scratch_dir()
{
    std::string pattern = (fs::temp_directory_path() / "meanflux-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a scratch directory");
    path_ = pattern;
}

scratch_dir::~scratch_dir()
{
    std::error_code ignored;
    // A test may have taken away permissions; give them back so that everything can go.
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

void scratch_dir::add(const fs::path& source, std::string_view as) const
{
    const fs::path target = path_ / (as.empty() ? source.filename() : fs::path(as));
    fs::copy_file(source, target, fs::copy_options::overwrite_existing);
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
}

void scratch_dir::write(std::string_view name, std::string_view bytes) const
{
    std::ofstream f(path_ / name, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f)
        throw std::runtime_error("cannot write a test file");
}

std::vector<std::string> scratch_dir::entries() const
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string read_file(const fs::path& file)
{
    std::ifstream f(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

namespace {

// In the child, after fork: set the standard descriptors, the directory and the limits, and run
// the program.  Standard output goes to `out` unless the options say otherwise.  Never returns.
[[noreturn]] void exec_child(const fs::path& program, const std::vector<std::string>& args,
                             const fs::path& dir, int in, int out, int err,
                             const run_options& options)
{
    if (in < 0 || out < 0 || err < 0 || ::chdir(dir.c_str()) != 0)
        ::_exit(127);
    if (options.stdout_fd >= 0)
        out = options.stdout_fd;
    ::dup2(in, 0);
    ::dup2(err, 2);
    if (options.close_stdout)
        ::close(1);
    else
        ::dup2(out, 1);
    for (int fd = 3; fd < 1024; ++fd)
        ::close(fd);
    if (options.file_size_limit >= 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{static_cast<rlim_t>(options.file_size_limit),
                           static_cast<rlim_t>(options.file_size_limit)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    // A program ended by a signal leaves no core file in the test's directory.
    const rlimit no_core{0, 0};
    ::setrlimit(RLIMIT_CORE, &no_core);
    for (const int sig : options.ignored_signals)
        ::signal(sig, SIG_IGN);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    std::vector<char*> argv;
    std::string name = program.string();
    argv.push_back(name.data());
    std::vector<std::string> copies(args);
    for (auto& a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(name.c_str(), argv.data());
    ::_exit(127);
}

// Wait for the child to end, killing it after `timeout_seconds` (0: wait as long as it takes).
int wait_child(pid_t pid, double timeout_seconds)
{
    int wstatus = 0;
    if (timeout_seconds <= 0) {
        while (::waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {}
        return wstatus;
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout_seconds);
    for (;;) {
        const pid_t done = ::waitpid(pid, &wstatus, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR))
            return wstatus;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            while (::waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {}
            return wstatus;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void set_status(program_result& result, int wstatus)
{
    if (WIFEXITED(wstatus))
        result.status = WEXITSTATUS(wstatus);
    if (WIFSIGNALED(wstatus))
        result.signal = WTERMSIG(wstatus);
}

} // namespace

program_result run_program(const fs::path& program, const std::vector<std::string>& args,
                           const fs::path& dir, std::string_view input, const run_options& options)
{
    // Standard input, output and error go through files, so that no pipe can fill up.
    scratch_dir io;
    io.write("stdin", input);
    const fs::path out_path =
        options.stdout_path.empty() ? io / "stdout" : fs::path(options.stdout_path);
    const fs::path err_path = io / "stderr";

    const pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0)
        exec_child(program,
                   args,
                   dir,
                   ::open((io / "stdin").c_str(), O_RDONLY),
                   ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644),
                   ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644),
                   options);

    program_result result;
    set_status(result, wait_child(pid, options.timeout_seconds));
    if (options.stdout_path.empty() && options.stdout_fd < 0)
        result.out = read_file(out_path);
    result.err = read_file(err_path);
    return result;
}

program_result run_meanflux(const fs::path& dir, std::string_view input, const run_options& options)
{
    return run_program(MEANFLUX_PROGRAM, {}, dir, input, options);
}

program_result run_command(const std::string& name, const std::vector<std::string>& args,
                           const fs::path& dir, std::string_view input)
{
    return run_program(command_path(name), args, dir, input);
}

program_result run_command(const std::string& name, const std::vector<std::string>& args,
                           const fs::path& dir, std::string_view input, const run_options& options)
{
    return run_program(command_path(name), args, dir, input, options);
}

fs::path command_path(const std::string& name)
{
    return fs::path(MEANFLUX_COMMANDS) / name;
}

background_program::background_program(const fs::path& program,
                                       const std::vector<std::string>& args, const fs::path& dir,
                                       const run_options& options)
{
    int in[2];
    int out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    const fs::path err_path = io_ / "stderr";
    pid_ = ::fork();
    if (pid_ < 0)
        throw std::runtime_error("fork failed");
    if (pid_ == 0)
        exec_child(program,
                   args,
                   dir,
                   in[0],
                   out[1],
                   ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644),
                   options);
    ::close(in[0]);
    ::close(out[1]);
    in_ = in[1];
    out_ = out[0];
}

background_program::~background_program()
{
    if (!ended_) {
        ::kill(pid_, SIGKILL);
        while (::waitpid(pid_, &wstatus_, 0) < 0 && errno == EINTR) {}
    }
    if (in_ >= 0)
        ::close(in_);
    if (out_ >= 0)
        ::close(out_);
}

void background_program::read_available(double timeout_seconds)
{
    pollfd p{out_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(timeout_seconds * 1000)) <= 0)
        return;
    char buf[4096];
    const ssize_t n = ::read(out_, buf, sizeof buf);
    if (n > 0)
        out_text_.append(buf, static_cast<std::size_t>(n));
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(5)); // at its end: nothing more
}

bool background_program::wait_for_output(std::string_view text, double timeout_seconds)
{
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout_seconds);
    while (out_text_.find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        read_available(0.05);
    }
    return true;
}

void background_program::write_input(std::string_view text) const
{
    // A program that has ended leaves a pipe without reader: the write fails, and the SIGPIPE
    // it raises is held and taken back, so that it cannot end the tests.
    sigset_t pipe_signal, saved;
    sigemptyset(&pipe_signal);
    sigaddset(&pipe_signal, SIGPIPE);
    ::pthread_sigmask(SIG_BLOCK, &pipe_signal, &saved);
    const ssize_t n = ::write(in_, text.data(), text.size());
    if (n < 0 && errno == EPIPE) {
        const timespec now{0, 0};
        ::sigtimedwait(&pipe_signal, nullptr, &now);
    }
    ::pthread_sigmask(SIG_SETMASK, &saved, nullptr);
    if (n != static_cast<ssize_t>(text.size()))
        throw std::runtime_error("cannot write to the program's standard input");
}

void background_program::signal(int sig) const
{
    ::kill(pid_, sig);
}

bool background_program::still_running_after(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    if (!ended_ && ::waitpid(pid_, &wstatus_, WNOHANG) == pid_)
        ended_ = true;
    return !ended_;
}

program_result background_program::wait(double timeout_seconds)
{
    if (in_ >= 0)
        ::close(in_);
    in_ = -1;
    // Read standard output while waiting, so that the program never waits on a full pipe.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout_seconds);
    program_result result;
    while (!ended_) {
        read_available(0.01);
        const pid_t done = ::waitpid(pid_, &wstatus_, WNOHANG);
        if (done == pid_) {
            ended_ = true;
        } else if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid_, SIGKILL);
            while (::waitpid(pid_, &wstatus_, 0) < 0 && errno == EINTR) {}
            ended_ = true;
        }
    }
    for (;;) {
        char buf[4096];
        pollfd p{out_, POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0)
            break;
        const ssize_t n = ::read(out_, buf, sizeof buf);
        if (n <= 0)
            break;
        out_text_.append(buf, static_cast<std::size_t>(n));
    }
    set_status(result, wstatus_);
    result.out = out_text_;
    result.err = read_file(io_ / "stderr");
    return result;
}

fifo_reader::fifo_reader(const fs::path& fifo)
    : fd_(::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC))
{
    if (fd_ < 0)
        throw std::runtime_error("cannot open the FIFO " + fifo.string());
    thread_ = std::thread([this] {
        for (;;) {
            const bool last = stopping_.load();
            pollfd p{fd_, POLLIN, 0};
            ::poll(&p, 1, 20);
            char buf[4096];
            ssize_t n = 0;
            while ((n = ::read(fd_, buf, sizeof buf)) > 0)
                text_.append(buf, static_cast<std::size_t>(n));
            if (last)
                return;
            if (n == 0) // no writer at the moment
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
}

fifo_reader::~fifo_reader()
{
    stop();
}

std::string fifo_reader::stop()
{
    if (thread_.joinable()) {
        stopping_.store(true);
        thread_.join();
        ::close(fd_);
    }
    return text_;
}

bool running_as_root()
{
    return ::geteuid() == 0;
}

fs::path test_data(std::string_view name)
{
    return fs::path(MEANFLUX_TEST_DATA) / name;
}

fs::path example_data(std::string_view name)
{
    return fs::path(MEANFLUX_EXAMPLES) / name;
}

} // namespace meanflux::test
