// Whether a command would write over one of its own inputs, or write one file twice: the check
// every writing command makes before it writes anything.
#pragma once

#include <cstddef>
#include <span>

namespace meanflux {

// A file a command reads or writes, by the name it was given.
struct file_use {
    const char* name;
    bool output; // written; else read
};

// Two of a command's files that are one: an output that is an input, or two outputs.
struct file_clash {
    bool found = false;
    std::size_t first = 0;  // the file met first (an input or an output), by its place
    std::size_t second = 0; // the output that is the same file, by its place
};

// Find an output that is one of the inputs or another output.
//
// Given:    files  the command's inputs and outputs, in any order
// Returns:  the first clash found (found false when there is none).
// Notes:    1. Two names are the same file when the names they finally stand for, once every
//              symbolic link is followed (a link to a name not yet taken too), are the same:
//              the canonical absolute path of the directory, and the last component; or, when
//              the file exists, when both are the same device and inode (a hard link).
//           2. Only files that can be lost are looked at: a regular file, and for an output a
//              name not yet taken.  A device, a FIFO, a socket or a directory, and a name that
//              stands for one of the process's own descriptors (/dev/stdout, /dev/fd/N,
//              /proc/self/fd/N) are written into, never replaced, and are not compared.  An input
//              that does not exist cannot be lost either.
//           3. "-" as an output is standard output: two such outputs are a clash.  No command
//              reads standard input, so "-" as an input is the file of that name.
[[nodiscard]] file_clash find_file_clash(std::span<const file_use> files);

} // namespace meanflux
