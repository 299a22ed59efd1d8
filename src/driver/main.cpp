// meanflux: prepares, for one year, the daily file of solar flux means and geomagnetic activity
// that thermosphere density models take as input.  It asks for the year on the console.
#include "driver/run.h"

#include <cstdio>

int main()
{
    return meanflux::run_meanflux(stdin, stdout, stderr);
}
