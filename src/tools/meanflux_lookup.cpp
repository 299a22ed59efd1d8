// meanflux-lookup: days looked up in a combined mean-flux data file.
#include "tools/lookup_command.h"

#include <cstdio>

int main(int argc, char** argv)
{
    return meanflux::lookup_main(argc, argv, stdout, stderr);
}
