#include "io/file_set.h"

#include "io/output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <vector>

namespace meanflux {

namespace {

struct pending_output {
    output_file file;
    bool begun = false;
};

void abandon_all(std::vector<pending_output>& outputs) noexcept
{
    for (pending_output& o : outputs)
        if (o.begun) {
            abandon_output(o.file);
            o.begun = false;
        }
}

bool is_directory(const char* name) noexcept
{
    struct stat target {};
    return std::strcmp(name, "-") != 0 && ::stat(name, &target) == 0 && S_ISDIR(target.st_mode);
}

// Write the piece whole; an empty piece (whose data may be null) writes nothing.
bool write_piece(std::FILE* stream, std::string_view piece) noexcept
{
    return piece.empty() || std::fwrite(piece.data(), 1, piece.size(), stream) == piece.size();
}

// Write both pieces and flush them; 0 or the errno value of the failure.
int write_pieces(std::FILE* stream, const file_to_write& f) noexcept
{
    errno = 0;
    if (!write_piece(stream, f.head) || !write_piece(stream, f.body) || std::fflush(stream) != 0)
        return errno != 0 ? errno : EIO;
    return 0;
}

} // namespace

file_set_result write_files_together(std::span<const file_to_write> files)
{
    file_set_result result;
    for (std::size_t i = 0; i < files.size(); ++i)
        if (is_directory(files[i].name))
            return {file_set_status::is_a_directory, i, EISDIR};

    std::vector<pending_output> outputs(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        pending_output& o = outputs[i];
        int error_number = begin_output(files[i].name, o.file);
        if (error_number == 0) {
            o.begun = true;
            error_number = write_pieces(o.file.stream, files[i]);
        }
        // Closed once complete: the set may hold more files than a process may hold open.
        if (error_number == 0)
            error_number = complete_output(o.file);
        if (error_number != 0) {
            abandon_all(outputs);
            return {file_set_status::cannot_write, i, error_number};
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        int error_number = 0;
        outputs[i].begun = false;
        if (finish_output(outputs[i].file, files[i].name, error_number) != finish_status::done) {
            abandon_all(outputs);
            return {file_set_status::cannot_finish, i, error_number};
        }
    }
    return result;
}

} // namespace meanflux
