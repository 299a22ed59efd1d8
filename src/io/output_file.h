// Writing an output file safely.
//
// A file is replaced through a temporary file beside it, which takes the file's name only when
// every byte has been written and the file closed without error: an existing file is either left
// exactly as it was or replaced whole, and nothing half-written stays behind, even when a signal
// ends the process (see remove_output_on_signals).
//
// The name given is looked at first:
// - "-" is standard output;
// - a symbolic link is followed to the file it finally points to, and that file is replaced
//   (the temporary file goes into its directory); the link stays as it was;
// - a name that stands for one of the process's own open descriptors (/dev/stdout,
//   /dev/fd/N, /proc/self/fd/N) is written into that descriptor, as a shell redirection set it
//   up: a terminal, a pipe, or a file written from where it stands (appended to, after >>);
// - an existing file that is neither a regular file nor a directory (a character device such
//   as /dev/null, a FIFO, a socket) is opened and written straight into, never renamed over or
//   removed.  Opening a FIFO waits, as a shell redirection does, until a reader opens it.
// What is written straight into a device, a pipe or a descriptor cannot be taken back: a failure
// there is reported, but the bytes written before it stay written.
#pragma once

#include <array>
#include <cstdio>

namespace meanflux {

// How an output reaches its file.
enum class output_way : unsigned char {
    none,       // nothing open
    replace,    // a temporary file that is renamed over `target` when complete
    straight,   // a device, FIFO or socket opened and written into
    descriptor, // a descriptor the process already had open (a copy of it, closed at the end)
    std_stream, // standard output or standard error through their own streams
};

struct output_file {
    std::FILE* stream = nullptr;        // where the bytes go, open for writing in binary
    std::array<char, 4096> temp_name{}; // replace: the temporary file, target + ".XXXXXX"
    std::array<char, 4096> target{};    // replace: the file it becomes, links followed
    output_way way = output_way::none;
    int pending_entry = -1; // replace: its entry in the list of files a signal removes
};

// Open the output `name` for writing.
//
// Given:    name  the file to write: a path, or "-" for standard output (see above)
// Returned: file  the open output
// Returns:  0, or the errno value that tells why it could not be opened.
// Notes:    1. An existing regular file that the user may not write to is not replaced: EACCES.
//           2. A replaced file keeps its permissions (and, where allowed, its owner and group); a
//              new one gets those of a newly created file (0666 less the umask).
//           3. A chain of more than 40 symbolic links gives ELOOP.
//           4. Until finished or abandoned, the temporary file is removed if a signal ends the
//              process (once remove_output_on_signals() has been called).  Any number of files
//              can be pending at once, and none holds a descriptor once complete_output has
//              closed it; ENOMEM when no memory for another entry of the list can be had.
[[nodiscard]] int begin_output(const char* name, output_file& file) noexcept;

// Write out what is buffered and close the stream, but leave a replaced file's temporary file
// pending: finish_output then gives it its name, or abandon_output removes it.
//
// Given and returned:
//           file  its stream written out and closed (standard output and error are flushed and
//                 stay open); the output stays begun
// Returns:  0, or the errno value of the failure (the output is then to be abandoned).
// Notes:    A program that writes many files together closes each as soon as it is complete, so
//           that their number is not bounded by the descriptors a process may hold open.
[[nodiscard]] int complete_output(output_file& file) noexcept;

enum class finish_status {
    done,
    write_error,  // writing or closing the output failed
    rename_error, // the temporary file could not take the final name
};

// Close the output and, for a replaced file, give the temporary file the final name.
//
// Given:    name          the name given to begin_output (kept for the callers' sake: the file
//                         written is the one begin_output found)
// Given and returned:
//           file          closed and forgotten on return, whatever the result
// Returned: error_number  errno of the step that failed
// Returns:  the result.  On failure the temporary file is removed and the file that was to be
//           replaced is untouched.
[[nodiscard]] finish_status finish_output(output_file& file, const char* name,
                                          int& error_number) noexcept;

// Give the output up: close it and remove the temporary file; a file that was to be replaced is
// untouched.  Bytes already written straight into a device, pipe or descriptor stay written.
void abandon_output(output_file& file) noexcept;

// A directory made to hold outputs (meanflux-import -d, meanflux-build --yearly): removed again
// when the command ends without a file having taken its name in it, on a signal too.
class output_directory {
  public:
    output_directory() noexcept = default;
    ~output_directory();
    output_directory(const output_directory&) = delete;
    output_directory& operator=(const output_directory&) = delete;

    // Make the directory `path` (its last level) unless it exists.
    //
    // Returns:  0 when it exists or has been made, else the errno value of the failure.
    [[nodiscard]] int make(const char* path) noexcept;

    // A file has taken its name in it: the directory stays.
    void keep() noexcept;

  private:
    void remove_if_empty() noexcept;
    std::array<char, 4096> path_{};
    int pending_entry_ = -1; // while made and not kept: its entry in the list a signal empties
};

// The name by which messages speak of an output: "standard output" for "-", else `name`.
[[nodiscard]] const char* output_name_for_messages(const char* name) noexcept;

// Set the process up for writing outputs; to be called once, at the start of main.
//
// Notes:    1. Every catchable signal whose default action ends the process (SIGINT, SIGTERM,
//              SIGHUP, SIGQUIT, SIGALRM, SIGUSR1, SIGUSR2, SIGXCPU, SIGVTALRM, SIGPROF, the
//              real-time signals, those that faults raise, ...) removes the pending temporary
//              files and then ends the process as it would have; a signal that the process was
//              started with ignored stays ignored.
//           2. SIGPIPE and SIGXFSZ are ignored: a reader that closes the pipe, or a file that
//              grows past the size limit, makes the write fail (EPIPE, EFBIG), and the failure is
//              reported like any other instead of ending the process in the middle of writing.
void remove_output_on_signals() noexcept;

} // namespace meanflux
