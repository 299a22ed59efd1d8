// Helpers for tests that meet the program the way a user does: a scratch directory with the
// input files, a whole standard-input text, and what the program printed and wrote.
#pragma once

#include <atomic>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace meanflux::test {

// A fresh directory under the system's temporary directory, removed with everything in it when
// the object goes out of scope.
class scratch_dir {
  public:
    scratch_dir();
    ~scratch_dir();
    scratch_dir(const scratch_dir&) = delete;
    scratch_dir& operator=(const scratch_dir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

    // Copy a file in under its own name (or under `as`).
    void add(const std::filesystem::path& source, std::string_view as = {}) const;
    // Write a file with the given bytes.
    void write(std::string_view name, std::string_view bytes) const;
    // Names of all entries, sorted.
    std::vector<std::string> entries() const;

  private:
    std::filesystem::path path_;
};

struct program_result {
    int status = -1; // exit status, or -1 when the program did not exit normally
    int signal = 0;  // the signal that ended it, if any
    std::string out; // all of standard output
    std::string err; // all of standard error
};

struct run_options {
    bool close_stdout = false;        // start the program with standard output closed
    std::string stdout_path;          // send standard output to this file instead of capturing it
    int stdout_fd = -1;               // or give it this descriptor of the test's as standard output
    long file_size_limit = -1;        // RLIMIT_FSIZE in bytes, with SIGXFSZ ignored; -1 for none
    std::vector<int> ignored_signals; // signals the program starts with ignored (as nohup does)
    double timeout_seconds = 0;       // kill it (SIGKILL) after this long; 0 for never
};

// Run `program` with `args` in directory `dir`, standard input fed from `input`.
program_result run_program(const std::filesystem::path& program,
                           const std::vector<std::string>& args, const std::filesystem::path& dir,
                           std::string_view input, const run_options& options = {});

// The meanflux program itself, fed `input` in `dir`.
program_result run_meanflux(const std::filesystem::path& dir, std::string_view input,
                            const run_options& options = {});

// A companion command ("meanflux-combine", ...), run with `args` in `dir`.
program_result run_command(const std::string& name, const std::vector<std::string>& args,
                           const std::filesystem::path& dir, std::string_view input = {});
program_result run_command(const std::string& name, const std::vector<std::string>& args,
                           const std::filesystem::path& dir, std::string_view input,
                           const run_options& options);

// Path of a companion command ("meanflux-combine", ...).
std::filesystem::path command_path(const std::string& name);

// A program started in the background, for tests that act on it while it runs.  Its standard
// input is a pipe held open by the test (so a program that reads it waits), its standard output
// a pipe the test reads from when it asks to, its standard error a file.  A program still
// running when the object goes is killed.
class background_program {
  public:
    background_program(const std::filesystem::path& program, const std::vector<std::string>& args,
                       const std::filesystem::path& dir, const run_options& options = {});
    ~background_program();
    background_program(const background_program&) = delete;
    background_program& operator=(const background_program&) = delete;

    pid_t pid() const { return pid_; }
    // Read standard output until it holds `text`; false when it does not within the time.
    bool wait_for_output(std::string_view text, double timeout_seconds = 10);
    // Write to its standard input.
    void write_input(std::string_view text) const;
    // Send a signal.
    void signal(int sig) const;
    // Whether the program is still running after `seconds`.
    bool still_running_after(double seconds);
    // Close its standard input and wait for it to end (killing it after the time);
    // `out` holds all of standard output.
    program_result wait(double timeout_seconds = 10);

  private:
    scratch_dir io_;
    pid_t pid_ = -1;
    int in_ = -1;  // write end of its standard input
    int out_ = -1; // read end of its standard output
    std::string out_text_;
    bool ended_ = false;
    int wstatus_ = 0;
    void read_available(double timeout_seconds);
};

// A reader of a FIFO in a thread of its own: the FIFO is opened for reading at once (so that a
// writer does not wait for a reader), and everything written into it is kept until stop().
class fifo_reader {
  public:
    explicit fifo_reader(const std::filesystem::path& fifo);
    ~fifo_reader();
    fifo_reader(const fifo_reader&) = delete;
    fifo_reader& operator=(const fifo_reader&) = delete;

    // Stop reading (after taking what is still in the FIFO) and give all that was read.
    std::string stop();

  private:
    int fd_ = -1;
    std::atomic<bool> stopping_{false};
    std::string text_;
    std::thread thread_;
};

// Whether the tests run as root (who may write anywhere, and make device nodes).
bool running_as_root();

// Whole contents of a file ("" when it cannot be read).
std::string read_file(const std::filesystem::path& file);

// Directories of bundled data.
std::filesystem::path test_data(std::string_view name);
std::filesystem::path example_data(std::string_view name);

} // namespace meanflux::test
