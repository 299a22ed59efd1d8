// meanflux: prepares, for a year, the daily file of solar flux means and geomagnetic activity
// that thermosphere density models take as input.  Without arguments it asks for the year on
// the console; with years on the command line it computes each of them.
#include "driver/command.h"
#include "io/output_file.h"

#include <cstdio>

int main(int argc, char** argv)
{
    // A signal that ends the run removes the temporary file of <yyyy>_m.dat first; a closed pipe
    // or a file grown past the size limit is a failed write, which the run reports and cleans up
    // after, rather than the end of the process in the middle of writing.
    meanflux::remove_output_on_signals();
    return meanflux::meanflux_main(argc, argv, stdin, stdout, stderr);
}
