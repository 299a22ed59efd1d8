#include "io/pending_files.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <new>
#include <pthread.h>
#include <unistd.h>

namespace meanflux {

namespace {

// The states of an entry.  Only the thread that claimed an entry writes its name, and only while
// the entry is `claimed`; the handler reads the name only after taking the entry from `armed` to
// `removing`, which the owner can then no longer undo.  So no name is ever read half-written.
enum entry_state : int {
    free_entry = 0, // nobody's
    claimed = 1,    // taken; its file is being created (or its name recorded)
    armed = 2,      // its file exists under `name`: a signal removes it
    removing = 3,   // a signal handler is removing it; the process is ending
};

struct pending_entry {
    std::atomic<int> state{free_entry};
    std::atomic<bool> directory{false}; // a directory, removed after the files if empty
    std::array<char, max_pending_name> name{};
};

// A block of entries, and the next block once one has been added.
struct pending_block {
    std::array<pending_entry, pending_block_entries> entries;
    std::atomic<pending_block*> next{nullptr};
};

static_assert(std::atomic<int>::is_always_lock_free, "the handler may use only lock-free atomics");
static_assert(std::atomic<bool>::is_always_lock_free, "the handler may use only lock-free atomics");
static_assert(std::atomic<pending_block*>::is_always_lock_free,
              "the handler may use only lock-free atomics");

// The first block; the others are allocated as they are needed and live as long as the process.
pending_block first_block;

// Set by the handler before it looks at the list: from then on no entry is claimed, so that no
// file is created after the handler has passed its entry.
std::atomic<bool> ending{false};

// The entry of a number given out by claim_pending_entry.
pending_entry& entry_of(int number) noexcept
{
    pending_block* block = &first_block;
    for (int i = number / pending_block_entries; i > 0; --i)
        block = block->next.load();
    return block->entries[static_cast<std::size_t>(number % pending_block_entries)];
}

// Wait, in a handler, for an entry that another thread holds `claimed` (creating its file, with
// its own signals held) to become armed or free.  Bounded, so that a fault can never leave the
// process hanging: at most about a second.
void wait_while_claimed(const pending_entry& entry) noexcept
{
    const timespec pause{0, 1000000}; // 1 ms
    for (int waits = 0; waits < 1000 && entry.state.load() == claimed; ++waits)
        ::nanosleep(&pause, nullptr);
}

// Remove the armed entries of one kind: the files first, then the directories they were in.
void remove_armed(bool directories) noexcept
{
    for (pending_block* block = &first_block; block != nullptr; block = block->next.load())
        for (pending_entry& entry : block->entries) {
            wait_while_claimed(entry);
            if (entry.directory.load() != directories)
                continue;
            int expected = armed;
            if (!entry.state.compare_exchange_strong(expected, removing))
                continue;
            if (directories)
                ::rmdir(entry.name.data()); // only when empty
            else
                ::unlink(entry.name.data());
        }
}

extern "C" void remove_pending_and_end(int sig)
{
    const int saved_errno = errno;
    ending.store(true);
    remove_armed(false);
    remove_armed(true);
    // End as the signal would have ended the process: with its default action, delivered as soon
    // as this handler returns (the signal is held while it runs).
    struct sigaction default_action {};
    default_action.sa_handler = SIG_DFL;
    sigemptyset(&default_action.sa_mask);
    ::sigaction(sig, &default_action, nullptr);
    ::raise(sig);
    errno = saved_errno;
}

// Signals whose default action ends the process, other than those of real-time numbers.
constexpr int ending_signals[] = {
    SIGHUP,    SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT,   SIGBUS,  SIGFPE, SIGUSR1,
    SIGSEGV,   SIGUSR2, SIGALRM, SIGTERM, SIGXCPU, SIGVTALRM, SIGPROF, SIGSYS,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGPOLL
    SIGPOLL,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
};

// A stack of its own for the handler, so that a stack overflow (SIGSEGV) can still be handled.
alignas(16) std::array<char, 1 << 16> handler_stack;

void catch_signal(int sig) noexcept
{
    struct sigaction current {};
    if (::sigaction(sig, nullptr, &current) != 0)
        return;
    // A signal the process was started with ignored (nohup, a background job) stays ignored.
    if (current.sa_handler == SIG_IGN)
        return;
    struct sigaction action {};
    action.sa_handler = remove_pending_and_end;
    sigfillset(&action.sa_mask); // one handler at a time
    action.sa_flags = SA_ONSTACK;
    ::sigaction(sig, &action, nullptr);
}

void ignore_signal(int sig) noexcept
{
    struct sigaction action {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    ::sigaction(sig, &action, nullptr);
}

} // namespace

signals_held::signals_held() noexcept
{
    sigset_t all;
    sigfillset(&all);
    ::pthread_sigmask(SIG_BLOCK, &all, &saved_);
}

signals_held::~signals_held()
{
    ::pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
}

int claim_pending_entry() noexcept
{
    int number = 0;
    for (pending_block* block = &first_block;; block = block->next.load()) {
        for (pending_entry& entry : block->entries) {
            int expected = free_entry;
            if (!entry.state.compare_exchange_strong(expected, claimed)) {
                ++number;
                continue;
            }
            // Claimed first, then the check: a handler that has started either sees the claim
            // and waits for it, or has set `ending` before we look.
            if (ending.load()) {
                entry.state.store(free_entry);
                return -1;
            }
            return number;
        }
        if (block->next.load() != nullptr)
            continue;
        // Every entry taken: one more block, unless another thread has just added one.
        auto* added = new (std::nothrow) pending_block;
        if (added == nullptr)
            return -1;
        pending_block* expected = nullptr;
        if (!block->next.compare_exchange_strong(expected, added))
            delete added;
    }
}

namespace {

void arm_entry(int number, const char* name, bool directory) noexcept
{
    pending_entry& e = entry_of(number);
    const std::size_t length = std::min(std::strlen(name), max_pending_name - 1);
    std::memcpy(e.name.data(), name, length);
    e.name[length] = '\0';
    e.directory.store(directory);
    e.state.store(armed);
}

} // namespace

void pending_file_created(int entry, const char* name) noexcept
{
    arm_entry(entry, name, false);
}

void pending_directory_created(int entry, const char* name) noexcept
{
    arm_entry(entry, name, true);
}

void release_pending_entry(int entry) noexcept
{
    if (entry < 0)
        return;
    pending_entry& e = entry_of(entry);
    // From `armed` or `claimed` back to free; an entry a handler is removing stays its own.
    int expected = armed;
    if (!e.state.compare_exchange_strong(expected, free_entry) && expected == claimed)
        e.state.store(free_entry);
}

void install_pending_file_handlers() noexcept
{
    // A reader that closes the pipe, or a file that grows past the size limit, then makes the
    // write fail with EPIPE or EFBIG, which is reported like any failed write.
    ignore_signal(SIGPIPE);
    ignore_signal(SIGXFSZ);

    static bool stack_set = false;
    if (!stack_set) {
        stack_t stack{};
        stack.ss_sp = handler_stack.data();
        stack.ss_size = handler_stack.size();
        stack_set = ::sigaltstack(&stack, nullptr) == 0;
    }
    for (const int sig : ending_signals)
        catch_signal(sig);
    for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig)
        catch_signal(sig);
}

} // namespace meanflux
