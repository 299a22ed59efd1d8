// The GFZ line parser and the daily index line it makes, on any line.
#include "fuzz_support.h"
#include "tools/gfz_import.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace meanflux;
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    gfz_day day{};
    std::string problem;
    if (parse_gfz_line(line, day, problem) == gfz_line_kind::day) {
        const std::string daily = daily_index_line(day);
        if (daily.size() != 72 || daily.back() != '\n')
            fuzz::fail("a daily index line that is not 71 characters and LF");
    }
    return 0;
}
