// Input read as it comes, with bounded memory: the first bytes of a stream, its lines one by one,
// and bytes held in memory as a file that is read at offsets.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace meanflux {

// A file in memory holding `bytes`, read at offsets as a file on disk is (a pipe cannot be).
//
// Given:    bytes  what it holds
// Returns:  its descriptor, open for reading and writing, closed on exec; -1 when it cannot be
//           had (errno tells why).  The caller closes it.
[[nodiscard]] int memory_file(std::string_view bytes) noexcept;

// Read a descriptor in order until `bytes` holds `size` bytes or the input ends: nothing is read
// past them, so the rest of an endless input is never asked for.
//
// Given:    fd     a descriptor open for reading (a pipe, a terminal, a file)
//           size   the bytes wanted in all
// Returned: bytes  what was read appended to it
// Returns:  0, or the errno of a failed read.
[[nodiscard]] int read_until(int fd, std::string& bytes, std::size_t size);

// The lines of a descriptor as they come, read in blocks.  A line longer than `longest` ends
// the reading a character past that length: it is no line of the input's kind, and its end may
// never come (/dev/zero), so neither memory nor time is spent on the rest.
class input_lines {
  public:
    static constexpr std::size_t longest = 4096;

    explicit input_lines(int fd) noexcept : fd_(fd) {}

    // The next line, without its line end (LF or CR LF).
    //
    // Returned: line      the line; its first `longest` characters when it is too long
    //           too_long  the line has more than `longest` characters: the last line given
    // Returns:  false at the end of the input, after a read error (error_number()), or after
    //           a line that is too long.
    bool next(std::string& line, bool& too_long);

    int error_number() const noexcept { return error_number_; }
    // Lines given so far.
    std::int64_t number() const noexcept { return number_; }

  private:
    bool fill();

    int fd_;
    std::array<char, 1 << 16> buffer_{};
    std::size_t at_ = 0, end_ = 0;
    int error_number_ = 0;
    std::int64_t number_ = 0;
    bool stopped_ = false; // a line was too long: nothing more is read
};

} // namespace meanflux
