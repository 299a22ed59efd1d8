// meanflux-combine: yearly mean-flux files into the combined file that read_mean_flux reads.
#include "io/output_file.h"
#include "tools/combine.h"

#include <cstdio>

int main(int argc, char** argv)
{
    meanflux::remove_output_on_signals();
    return meanflux::combine_main(argc, argv, stdout, stderr);
}
