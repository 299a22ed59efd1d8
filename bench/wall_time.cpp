// Measures, side by side, the wall time of two commands from process start to exit: each round
// runs the first, then the second, so that both meet the same machine state.  Prints the median
// of each and their ratio.
//
//   wall_time [--quiet] [--remove FILE] RUNS STDIN_FILE COMMAND_A... -- COMMAND_B...
//
// Both commands read STDIN_FILE as standard input and write to /dev/null, with --quiet their
// standard error too.  With --remove, FILE is removed (untimed) before every run of the first
// command, so that each run creates it.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

bool quiet = false; // standard error to /dev/null as well

double run_once(std::vector<char*>& argv, const char* input)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input, O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (quiet)
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::perror(argv[0]);
        std::exit(2);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", argv[0]);
        std::exit(2);
    }
    return std::chrono::duration<double, std::milli>(end - start).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const char* remove = nullptr;
    if (argc > 1 && std::strcmp(argv[1], "--quiet") == 0) {
        quiet = true;
        --argc;
        ++argv;
    }
    if (argc > 2 && std::strcmp(argv[1], "--remove") == 0) {
        remove = argv[2];
        argc -= 2;
        argv += 2;
    }
    if (argc < 6) {
        std::fprintf(stderr,
                     "usage: wall_time [--quiet] [--remove FILE] RUNS STDIN_FILE COMMAND_A... -- "
                     "COMMAND_B...\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const char* input = argv[2];
    std::vector<char*> a, b;
    int i = 3;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
        a.push_back(argv[i]);
    for (++i; i < argc; ++i)
        b.push_back(argv[i]);
    a.push_back(nullptr);
    b.push_back(nullptr);

    std::vector<double> ta, tb;
    auto run_a = [&] {
        if (remove != nullptr)
            unlink(remove);
        return run_once(a, input);
    };
    for (int r = 0; r < runs / 10; ++r) { // warm-up
        run_a();
        run_once(b, input);
    }
    for (int r = 0; r < runs; ++r) {
        ta.push_back(run_a());
        tb.push_back(run_once(b, input));
    }
    const double ma = median(ta), mb = median(tb);
    std::printf("%s: median %.3f ms\n%s: median %.3f ms\nratio %.3f over %d runs each\n",
                a[0],
                ma,
                b[0],
                mb,
                ma / mb,
                runs);
    return 0;
}
