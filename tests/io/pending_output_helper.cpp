// A program that holds outputs pending while a test sends it signals:
//
//   pending_output_helper [--thread] [--directory DIR] NAME...
//
// It sets itself up as the meanflux programs do (remove_output_on_signals), makes DIR as a
// directory for outputs (kept when the outputs are finished), begins an output
// for each NAME and writes a first part into it; with --thread the second half of the names
// are begun, and kept pending, by a second thread.  Then it prints "ready" and reads its
// standard input: a line "abort" makes it abort; at the end of the input it writes the rest of
// every output, finishes them all, prints "done" and exits with 0 (1 if an output failed).
#include "io/output_file.h"

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using meanflux::output_file;

bool begin(const char* name, output_file& out)
{
    return meanflux::begin_output(name, out) == 0 && std::fputs("first part\n", out.stream) >= 0 &&
           std::fflush(out.stream) == 0;
}

bool finish(const char* name, output_file& out)
{
    int error_number = 0;
    return std::fputs("second part\n", out.stream) >= 0 &&
           meanflux::finish_output(out, name, error_number) == meanflux::finish_status::done;
}

// The outputs of the second thread, and the word that tells it to finish them.
struct second_thread {
    std::mutex mutex;
    std::condition_variable changed;
    bool begun = false;
    bool finish = false;
    bool ok = true;
};

} // namespace

int main(int argc, char** argv)
{
    meanflux::remove_output_on_signals();
    int first = 1;
    const bool threaded = argc > 1 && std::strcmp(argv[1], "--thread") == 0;
    if (threaded)
        ++first;
    meanflux::output_directory directory;
    if (argc > first + 1 && std::strcmp(argv[first], "--directory") == 0) {
        if (directory.make(argv[first + 1]) != 0)
            return 1;
        first += 2;
    }
    const int count = argc - first;
    const int own = threaded ? (count + 1) / 2 : count;

    std::vector<output_file> outs(static_cast<std::size_t>(count));
    bool ok = true;
    for (int i = 0; i < own; ++i)
        ok = begin(argv[first + i], outs[static_cast<std::size_t>(i)]) && ok;

    second_thread second;
    std::thread other;
    if (threaded) {
        other = std::thread([&] {
            std::unique_lock lock(second.mutex);
            for (int i = own; i < count; ++i)
                second.ok = begin(argv[first + i], outs[static_cast<std::size_t>(i)]) && second.ok;
            second.begun = true;
            second.changed.notify_all();
            second.changed.wait(lock, [&] { return second.finish; });
            for (int i = own; i < count; ++i)
                second.ok = finish(argv[first + i], outs[static_cast<std::size_t>(i)]) && second.ok;
        });
        std::unique_lock lock(second.mutex);
        second.changed.wait(lock, [&] { return second.begun; });
    }
    std::puts("ready");
    std::fflush(stdout);

    char line[64];
    while (std::fgets(line, sizeof line, stdin) != nullptr)
        if (std::strcmp(line, "abort\n") == 0)
            std::abort();

    for (int i = 0; i < own; ++i)
        ok = finish(argv[first + i], outs[static_cast<std::size_t>(i)]) && ok;
    if (threaded) {
        {
            const std::lock_guard lock(second.mutex);
            second.finish = true;
        }
        second.changed.notify_all();
        other.join();
        ok = ok && second.ok;
    }
    if (ok)
        directory.keep();
    std::puts("done");
    return ok ? 0 : 1;
}
