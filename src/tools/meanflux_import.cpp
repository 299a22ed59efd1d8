// meanflux-import: the GFZ Potsdam file of geomagnetic and solar indices into yearly daily index
// files.
#include "io/output_file.h"
#include "tools/import.h"

#include <cstdio>

int main(int argc, char** argv)
{
    meanflux::remove_output_on_signals();
    return meanflux::import_main(argc, argv, stdout, stderr);
}
