// meanflux-lookup: days looked up in a combined mean-flux data file.
#include "io/output_file.h"
#include "tools/lookup_command.h"

#include <cstdio>

int main(int argc, char** argv)
{
    // A reader that closes the pipe early makes the table a failed write, reported as such.
    meanflux::remove_output_on_signals();
    return meanflux::lookup_main(argc, argv, stdout, stderr);
}
