// meanflux: prepares, for one year, the daily file of solar flux means and geomagnetic activity
// that thermosphere density models take as input.  It asks for the year on the console.
#include "driver/run.h"
#include "io/output_file.h"

#include <csignal>
#include <cstdio>

int main()
{
    // A file that grows past the size limit is then a failed write, which the run reports and
    // cleans up after, rather than the end of the process with a temporary file left behind.
    std::signal(SIGXFSZ, SIG_IGN);
    meanflux::remove_output_on_signals();
    return meanflux::run_meanflux(stdin, stdout, stderr);
}
