// The field scanner on any line and any positions: it must give exactly what sscanf gives on the
// field's text, and never read outside the line.
#include "fuzz_support.h"
#include "text/scan_field.h"

#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const bool real = data[0] & 1;
    // The line is a copy of exactly its bytes, so that AddressSanitizer sees any read past it.
    const std::string line(reinterpret_cast<const char*>(data) + 3, size - 3);
    const int room = static_cast<int>(line.size());
    const int first = static_cast<int>(data[1]) % (room + 3) - 1;
    const int last = static_cast<int>(data[2]) % (room + 3) - 1;

    // The field's text as a C string: the positions the line has, up to the first NUL.
    std::string field;
    if (first >= 0 && first <= last && first < room) {
        const std::size_t width = std::size_t(last - first + 1);
        field = line.substr(std::size_t(first), width);
        field = field.substr(0, std::strlen(field.c_str()));
    }
    const bool none = field.empty();

    if (real) {
        double got = 1.5, expected = 1.5;
        const int r = static_cast<int>(meanflux::scan_field(line, first, last, got));
        const int e = none ? EOF : std::sscanf(field.c_str(), "%lf", &expected);
        if (r != e || std::memcmp(&got, &expected, sizeof got) != 0)
            meanflux::fuzz::fail("%lf differs from sscanf");
    } else {
        int got = 7, expected = 7;
        const int r = static_cast<int>(meanflux::scan_field(line, first, last, got));
        const int e = none ? EOF : std::sscanf(field.c_str(), "%d", &expected);
        if (r != e || got != expected)
            meanflux::fuzz::fail("%d differs from sscanf");
    }
    return 0;
}
