#include "support/run_program.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
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
    if (pid == 0) {
        const int in = ::open((io / "stdin").c_str(), O_RDONLY);
        const int out = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || ::chdir(dir.c_str()) != 0)
            ::_exit(127);
        ::dup2(in, 0);
        ::dup2(err, 2);
        if (options.close_stdout)
            ::close(1);
        else
            ::dup2(out, 1);
        ::close(in);
        ::close(out);
        ::close(err);
        if (options.file_size_limit >= 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{static_cast<rlim_t>(options.file_size_limit),
                               static_cast<rlim_t>(options.file_size_limit)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (options.time_limit > 0)
            ::alarm(options.time_limit); // the timer outlives the exec
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

    int wstatus = 0;
    while (::waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {}
    program_result result;
    if (WIFEXITED(wstatus))
        result.status = WEXITSTATUS(wstatus);
    if (WIFSIGNALED(wstatus))
        result.signal = WTERMSIG(wstatus);
    if (options.stdout_path.empty())
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
    return run_program(fs::path(MEANFLUX_COMMANDS) / name, args, dir, input);
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
