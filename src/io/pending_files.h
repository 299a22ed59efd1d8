// The temporary files being written at this moment, kept where a signal handler can find them:
// a signal that ends the process removes them first, so that no half-written file stays behind.
//
// Several files may be pending at once, from one thread or several.  The list is a chain of
// fixed blocks of entries, whose state changes only by atomic exchange: a block is added when all
// are taken and never given back, so that the handler walks it without allocation or locks.  A
// directory made for outputs can be pending too: a signal removes it after the files, if it is
// still empty.
#pragma once

#include <cstddef>
#include <signal.h>

namespace meanflux {

// Entries in each block of the list.  There is no limit to the number of pending files but the
// memory for their names: an import writes every year of its source (the GFZ file holds close
// to a hundred, a source may hold up to 274) before any of them takes its name.
inline constexpr int pending_block_entries = 64;

// Longest name of a pending file, with its terminating NUL.
inline constexpr std::size_t max_pending_name = 4096;

// While it lives, the calling thread receives no signal; the signals that arrive meanwhile are
// delivered when it ends.  Creating, renaming and removing a pending file happen under it, so
// that the list and the files on disk always agree when a handler looks.
class signals_held {
  public:
    signals_held() noexcept;
    ~signals_held();
    signals_held(const signals_held&) = delete;
    signals_held& operator=(const signals_held&) = delete;

  private:
    sigset_t saved_; // the thread's signal mask before
};

// Take an entry of the list for a file about to be created.
//
// Returns:  the entry's number, 0 or more; -1 when the process is ending on a signal, or when
//           every entry is taken and no memory for another block can be had.
// Notes:    Call with signals held; the entry holds no name until pending_file_created.
[[nodiscard]] int claim_pending_entry() noexcept;

// Record in a claimed entry the name of the file just created; from now on a signal removes it.
//
// Given:    entry  from claim_pending_entry
//           name   the file's name, shorter than max_pending_name
void pending_file_created(int entry, const char* name) noexcept;

// Record in a claimed entry the name of a directory just made for outputs: from now on a signal
// removes it, after the pending files, if it is still empty then.
//
// Given:    entry  from claim_pending_entry
//           name   the directory's name, shorter than max_pending_name
void pending_directory_created(int entry, const char* name) noexcept;

// Give the entry back: its file has been renamed or removed, or was never created.
//
// Given:    entry  from claim_pending_entry, or -1 (nothing is done)
void release_pending_entry(int entry) noexcept;

// Have every signal whose default action ends the process remove the pending files before the
// process ends as the signal would end it; a broken pipe and a file grown past the size limit
// become failed writes.  See remove_output_on_signals (io/output_file.h).
void install_pending_file_handlers() noexcept;

} // namespace meanflux
