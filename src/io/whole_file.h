// Whole files read into memory and written in one piece.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace meanflux {

enum class whole_file_status {
    read,        // the whole file is in memory
    cannot_read, // it could not be opened or read: error_number tells why
    too_large,   // it holds more than the limit: nothing of it is kept
};

struct whole_file_result {
    whole_file_status status = whole_file_status::read;
    int error_number = 0; // errno of the failed open or read
};

// Read a whole file into `bytes`, up to a limit.
//
// Given:    name   the file (a regular file, a pipe or a device alike)
//           limit  the most bytes a file of its kind can hold
// Returned: bytes  its contents; empty unless the result is `read`
// Returns:  read, cannot_read or too_large.
// Notes:    Reading stops as soon as the limit is passed, so an endless input (/dev/zero, a
//           pipe that never ends) costs no more than the limit in time and memory.
[[nodiscard]] whole_file_result read_whole_file(const char* name, std::size_t limit,
                                                std::string& bytes);

// The step at which writing a whole file failed.
enum class whole_write_status {
    written,
    cannot_create, // the output could not be opened or its temporary file created
    cannot_write,  // writing or closing it failed (a full disk, say)
    cannot_rename, // the finished temporary file could not take the file's name
};

struct whole_write_result {
    whole_write_status status = whole_write_status::written;
    int error_number = 0; // errno of the step that failed
};

// Write `bytes` to the output `name`, as begin_output finds it: a regular file (or the file a
// link points to) through a temporary file that takes its name only when complete; "-" and the
// names of the process's own descriptors into those; a device or FIFO straight into it.
//
// Returns:  written, or the step that failed and why; a file that was to be replaced is then
//           unchanged and no temporary file remains.
[[nodiscard]] whole_write_result write_output_file(const char* name,
                                                   std::string_view bytes) noexcept;

// The same, for callers that need only the reason.
//
// Returns:  0, or the errno value of the step that failed.
[[nodiscard]] int write_whole_file(const char* name, std::string_view bytes) noexcept;

} // namespace meanflux
