// meanflux-build: a source of daily indices (GFZ Potsdam's file, CelesTrak's SW-All.csv or a
// directory of yearly daily index files) into the combined mean-flux file in one command.
#include "io/output_file.h"
#include "tools/build.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    // A standard descriptor that the program was started without is taken by /dev/null, open for
    // reading only: no file the program opens can then take its number, and writing to a closed
    // standard output fails as it should (EBADF) instead of going into one of those files.
    // (open takes the lowest free number, which is fd once the lower ones are open.)
    for (int fd = 0; fd <= 2; ++fd)
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF)
            (void)::open("/dev/null", O_RDONLY);
    meanflux::remove_output_on_signals();
    // Memory that is given back stays with the process for the next allocation: every page the
    // kernel hands out afresh costs far more than the work done in it.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    return meanflux::build_main(argc, argv, stdout, stderr);
}
