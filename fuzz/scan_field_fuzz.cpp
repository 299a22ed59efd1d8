// The field scanner on any line and any positions: it must give exactly what sscanf gives on the
// field, never read or write outside the buffer, and leave the line as it was.
#include "fuzz_support.h"
#include "input/scan_field.h"

#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const bool real = data[0] & 1;
    std::vector<char> line(data + 3, data + size);
    line.push_back('\0');
    const int room = static_cast<int>(line.size());
    const int first = static_cast<int>(data[1]) % (room + 2) - 1;
    const int last = static_cast<int>(data[2]) % (room + 2) - 1;
    const std::vector<char> before = line;

    // What sscanf makes of the same field, copied out.
    const bool inside = first >= 0 && first <= last && last + 1 < room;
    std::string field;
    if (inside)
        field.assign(line.data() + first,
                     std::strlen(line.data() + first) < std::size_t(last - first + 1)
                         ? std::strlen(line.data() + first)
                         : std::size_t(last - first + 1));

    if (real) {
        double got = 1.5, expected = 1.5;
        const int r = meanflux::scan_field(line, first, last, "%lf", &got);
        const int e = inside ? std::sscanf(field.c_str(), "%lf", &expected) : EOF;
        if (r != e || std::memcmp(&got, &expected, sizeof got) != 0)
            meanflux::fuzz::fail("%lf differs from sscanf");
    } else {
        int got = 7, expected = 7;
        const int r = meanflux::scan_field(line, first, last, "%d", &got);
        const int e = inside ? std::sscanf(field.c_str(), "%d", &expected) : EOF;
        if (r != e || got != expected)
            meanflux::fuzz::fail("%d differs from sscanf");
    }
    if (line != before)
        meanflux::fuzz::fail("the line is not restored");
    return 0;
}
