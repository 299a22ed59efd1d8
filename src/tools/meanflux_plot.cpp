// meanflux-plot: a yearly or combined mean-flux file drawn as an SVG chart.
#include "io/output_file.h"
#include "tools/plot.h"

#include <cstdio>

int main(int argc, char** argv)
{
    meanflux::remove_output_on_signals();
    return meanflux::plot_main(argc, argv, stdout, stderr);
}
