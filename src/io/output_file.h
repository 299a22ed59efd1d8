// Replacing a file safely: the new contents go to a temporary file beside it, which takes the
// file's name only when every byte has been written and the file closed without error.  An
// existing file is therefore either left exactly as it was or replaced whole.
#pragma once

#include <array>
#include <cstdio>

namespace meanflux {

struct output_file {
    std::FILE* stream = nullptr;        // the temporary file, open for writing in binary
    std::array<char, 4096> temp_name{}; // its name: the final name followed by ".XXXXXX"
};

// Create the temporary file for `name`.
//
// Given:    name  the file to write, in the directory where it is to be
// Returned: file  the open temporary file
// Returns:  0, or the errno value that tells why it could not be created.
// Notes:    1. An existing file that the user may not write to is not replaced: EACCES.
//           2. The new file gets the permissions of the file it replaces, or those that a newly
//              created file gets (0666 less the umask).
//           3. Until finished or abandoned, the temporary file is removed if the process is
//              stopped by one of the signals that remove_output_on_signals() covers.
[[nodiscard]] int begin_output(const char* name, output_file& file) noexcept;

enum class finish_status {
    done,
    write_error,  // writing or closing the temporary file failed
    rename_error, // it could not take the final name
};

// Close the temporary file and give it the final name.
//
// Given:    name          the final name, as given to begin_output
// Given and returned:
//           file          closed and forgotten on return, whatever the result
// Returned: error_number  errno of the step that failed
// Returns:  the result.  On failure the temporary file is removed and `name` is untouched.
[[nodiscard]] finish_status finish_output(output_file& file, const char* name,
                                          int& error_number) noexcept;

// Close and remove the temporary file; `name` is untouched.
void abandon_output(output_file& file) noexcept;

// Have SIGINT, SIGTERM, SIGHUP and SIGQUIT remove a temporary file that is being written before
// the process ends as the signal would end it.
void remove_output_on_signals() noexcept;

} // namespace meanflux
