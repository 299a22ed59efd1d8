#include "driver/run.h"

#include "driver/dialogue.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace meanflux {

namespace {

constexpr const char* program = "meanflux";

int fail_console(std::FILE* err, dialogue_status status, int error_number) noexcept
{
    switch (status) {
    case dialogue_status::end_of_input:
        std::fprintf(err, "%s: standard input: ended before a year was accepted\n", program);
        break;
    case dialogue_status::input_error:
        std::fprintf(err, "%s: standard input: %s\n", program, std::strerror(error_number));
        break;
    case dialogue_status::output_error:
        std::fprintf(err, "%s: standard output: %s\n", program, std::strerror(error_number));
        break;
    case dialogue_status::accepted:
        break;
    }
    return exit_failure;
}

} // namespace

int run_meanflux(std::FILE* in, std::FILE* out, std::FILE* err) noexcept
{
    year_files files;
    print_banner(out);
    errno = 0;
    const dialogue_status asked = ask_year(in, out, files);
    if (asked != dialogue_status::accepted)
        return fail_console(err, asked, errno);
    return exit_success;
}

} // namespace meanflux
