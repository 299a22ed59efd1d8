// Whether two names stand for one file: an output that is an input, or two outputs that are one
// file, would replace what is read or written by the other.
#pragma once

#include <span>
#include <string>
#include <sys/types.h>
#include <vector>

namespace meanflux {

// What a name finally stands for.
struct file_identity {
    std::string path;    // where the name leads: its links followed to the end (to a name not yet
                         // taken too); for a file not there, among others not there, made absolute,
                         // without "." and ".." and with the links of its directories resolved
    bool exists = false; // a file is there
    bool regular = false; // and it is a regular file
    dev_t device = 0;     // its device and inode, where it exists
    ino_t inode = 0;
};

// Look at what names stand for.
//
// Returns:  the identity of each name, in order.
// Notes:    Files that exist are told apart by device and inode alone; the paths of files not
//           there yet are made whole only when there are two such names to tell apart, with the
//           working directory asked for once and each directory resolved once.
[[nodiscard]] std::vector<file_identity> identify_files(std::span<const std::string> names);

// Whether two names are one file that writing the one would replace.
//
// Returns:  true when both exist as the same device and inode (the same file, a hard link, a
//           link through another directory), or when neither exists yet and both lead to the
//           same path.
// Notes:    A device, FIFO or socket that exists is never taken for another name's file: an output
//           there is written into, never replaced, so no file is lost.
[[nodiscard]] bool same_file(const file_identity& a, const file_identity& b) noexcept;

} // namespace meanflux
