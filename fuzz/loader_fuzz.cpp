// The line reader and the series loader on any three files (the input split at 0x1E).
#include "fuzz_support.h"
#include "input/daily_series.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace meanflux;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto files = fuzz::split_files(input, 3);

    static daily_series series;
    series = daily_series{};
    line_buffer line_buf{};
    int total = 0;
    for (const std::string_view bytes : files) {
        std::FILE* f = fuzz::open_memory(bytes);
        int lines = 0;
        const load_status status = load_lines(f, series, line_buf, lines);
        std::fclose(f);
        total += lines;
        if (status == load_status::too_many_days) {
            if (series.series_len != MAX_DAYS)
                fuzz::fail("too many days reported before the series is full");
            return 0;
        }
        if (status != load_status::loaded)
            fuzz::fail("reading memory failed");
    }
    if (total != series.series_len || series.series_len > MAX_DAYS)
        fuzz::fail("lines and series length disagree");
    for (int p = series.series_len; p < MAX_DAYS; ++p)
        if (series.flux_adj[p] != 0.0 || series.flux_qual[p] != 0)
            fuzz::fail("a position past the loaded days was written");

    // A line that ends with its line end leaves nothing after it in the buffer, so no later
    // field can see an earlier line's characters; and the read is always terminated.
    std::FILE* f = fuzz::open_memory(files[0]);
    while (read_line(f, line_buf) == read_status::line) {
        const char* text = line_buf.data();
        const char* lf = static_cast<const char*>(std::memchr(text, '\n', line_room));
        if (lf != nullptr) {
            for (const char* p = lf + 1; p < text + line_buf.size(); ++p)
                if (*p != '\0')
                    fuzz::fail("characters after the line end");
        }
        if (line_buf[line_room] != '\0')
            fuzz::fail("no terminator");
    }
    std::fclose(f);
    return 0;
}
