// Helpers for tests that meet the program the way a user does: a scratch directory with the
// input files, a whole standard-input text, and what the program printed and wrote.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
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
    bool close_stdout = false; // start the program with standard output closed
    std::string stdout_path;   // send standard output to this file instead of capturing it
    long file_size_limit = -1; // RLIMIT_FSIZE in bytes, with SIGXFSZ ignored; -1 for none
    unsigned time_limit = 0;   // seconds until SIGALRM stops a program that hangs; 0 for none
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

// Whole contents of a file ("" when it cannot be read).
std::string read_file(const std::filesystem::path& file);

// Directories of bundled data.
std::filesystem::path test_data(std::string_view name);
std::filesystem::path example_data(std::string_view name);

} // namespace meanflux::test
