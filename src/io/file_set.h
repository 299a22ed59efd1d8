// Several output files written as one: every file in full under its temporary name first, and
// only then does each take its name, so that a fault while writing replaces none of them.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace meanflux {

// One file of the set: its name (as begin_output takes it) and its contents, in two pieces
// written one after the other (either may be empty).
struct file_to_write {
    const char* name;
    std::string_view head;
    std::string_view body;
};

enum class file_set_status {
    written,        // every file has its new contents
    is_a_directory, // a file's name is taken by a directory: nothing was written
    cannot_write,   // a file could not be created or written in full: nothing was replaced
    cannot_finish,  // a file could not be closed or take its name: those before it took theirs
};

struct file_set_result {
    file_set_status status = file_set_status::written;
    std::size_t file = 0; // the file concerned, by its place in the set
    int error_number = 0; // errno of the step that failed
};

// Write a set of files together.
//
// Given:    files  the files, in the order in which they take their names
// Returns:  the status, the file it concerns and the reason.
// Notes:    1. Names taken by a directory are refused before anything is written: such a name
//              would otherwise only show when the files take their names, after some had done so.
//           2. Every file is then written and flushed under its temporary name, so that a full
//              disk shows before any file takes its name; on a fault every temporary file is
//              removed and every existing file is left as it was.
//           3. Only a rename that fails after others have succeeded leaves the set half done
//              (cannot_finish: files 0 .. file - 1 have their new contents, the others not).
//           4. Each file is closed as soon as it is complete: the set is not bounded by the
//              number of descriptors a process may hold open, nor by a fixed list.
[[nodiscard]] file_set_result write_files_together(std::span<const file_to_write> files);

} // namespace meanflux
