// Daily index lines made up for tests, in the layout of the real yearly files.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace meanflux::test {

// A 71-character daily index line (no line end) with the given flux (columns 66-70, "%5.1f") and
// qualifier (column 71).  The Kp and Ap columns hold digits derived from `day`, so that the
// lines of a file differ.
inline std::string index_line(int day, double flux, int qual)
{
    char kp[17];
    for (int i = 0; i < 8; ++i)
        std::snprintf(kp + 2 * i, 3, "%2u", static_cast<unsigned>(day * 7 + i * 3) % 90u);
    char line[80];
    std::snprintf(line,
                  sizeof line,
                  "800101200119%.16s%3d%24s%3d%7s%5.1f%1d",
                  kp,
                  day % 900,
                  "",
                  day % 400,
                  "",
                  flux,
                  qual);
    return line;
}

// A whole file of `days` lines with line end `eol`; flux(i) and qual(i) give day i's values.
template <class Flux, class Qual>
std::string index_file(int days, Flux flux, Qual qual, const char* eol = "\n")
{
    std::string text;
    for (int i = 0; i < days; ++i)
        text += index_line(i, flux(i), qual(i)) + eol;
    return text;
}

inline std::string constant_file(int days, double flux, int qual = 0)
{
    return index_file(
        days, [=](int) { return flux; }, [=](int) { return qual; });
}

} // namespace meanflux::test
