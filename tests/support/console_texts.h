// The texts the program prints on the console, written out as the user sees them.
#pragma once

#include <string>

namespace meanflux::test {

inline const std::string banner =
    "****************************************************************************\n"
    "           Mean Solar Flux and geomagnetic activity file creator\n"
    "****************************************************************************\n"
    "\n"
    " This program updates the mean solar flux (F10.7bar) for a given year\n"
    "\n"
    " Obs: this program needs the daily solar flux data file of the input year,\n"
    " as well as the preceding and succeeding years. \n"
    " To compute the mean flux of 1980, for instance, you should provide the files: \n"
    " 1979.dat, 1980.dat and 1981.dat \n"
    " These files can be downloaded from: \n"
    "   ftp://ftp.ngdc.noaa.gov/STP/GEOMAGNETIC_DATA/INDICES/KP_AP/ \n"
    " and shall be renamed to <yyyy>.dat \n"
    " The output file is <yyyy>_m.dat, where <yyyy> is the input year\n"
    " Output format is: \n"
    "   Modified Julian date (cols 1-5)\n"
    "   8 values of observed kp (8 * 2 cols each) \n"
    "   Sum of kp (cols 22-24) \n"
    "   Mean daily amplitude Ap (cols 25-27) \n"
    "   Observed daily flux (cols 28-32) \n"
    "   Adjusted daily flux to 1 AU (cols 33-37) \n"
    "   Gaussian mean flux according to J77 (cols 38-42) \n"
    "   Aritmetic mean flux according to J70 (cols 43-47) \n"
    "\n";

inline const std::string prompt = " Input year: \nyyyy\n";
inline const std::string invalid_string = " invalid string \n";
inline const std::string invalid_year = " invalid year \n";

inline std::string echo(const std::string& before, const std::string& year,
                        const std::string& after)
{
    return "\n\n Input data files: '" + before + ".dat', '" + year + ".dat', '" + after +
           ".dat' \n Output data file: '" + year + "_m.dat' \n";
}

inline std::string closing(const std::string& year)
{
    return "\n Output file '" + year + "_m.dat' successfully generated\n";
}

} // namespace meanflux::test
