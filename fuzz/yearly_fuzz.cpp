// A whole year computed from any three daily index files to records in memory.  Input: two bytes
// that choose the year, then the three files separated by 0x1E.
#include "flux/distance.h"
#include "flux/means.h"
#include "fuzz_support.h"
#include "input/daily_series.h"
#include "record/format.h"
#include "yearly/writer.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace meanflux;
    if (size < 2)
        return 0;
    const int year = 1937 + (data[0] | data[1] << 8) % (9998 - 1937 + 1);
    const std::string_view input(reinterpret_cast<const char*>(data) + 2, size - 2);
    const auto files = fuzz::split_files(input, 3);

    static gauss_table gauss_w{};
    static bool weights = false;
    if (!weights) {
        init_gauss_w(gauss_w);
        weights = true;
    }
    static daily_series series;
    series = daily_series{};
    line_buffer line_buf{};
    for (const std::string_view bytes : files) {
        std::FILE* f = fuzz::open_memory(bytes);
        int lines = 0;
        const load_status status = load_lines(f, series, line_buf, lines);
        std::fclose(f);
        if (status == load_status::too_many_days)
            return 0; // the run stops here
    }
    distance_pass(series);

    char* out_bytes = nullptr;
    std::size_t out_size = 0;
    std::FILE* out = open_memstream(&out_bytes, &out_size);
    std::FILE* in = fuzz::open_memory(files[1]);
    write_result result;
    const write_status status =
        write_records(in, out, anchors_of(year, year - 1), series, gauss_w, line_buf, result);
    std::fclose(in);
    std::fclose(out);
    if (status != write_status::written)
        fuzz::fail("writing to memory failed");

    // Every record ends with CR LF, and there are as many as the given year's lines.
    int records = 0;
    for (std::size_t at = 0; at < out_size;) {
        const char* end =
            static_cast<const char*>(std::memchr(out_bytes + at, '\n', out_size - at));
        if (end == nullptr || end == out_bytes + at || end[-1] != '\r')
            fuzz::fail("a record without CR LF");
        const std::size_t length = static_cast<std::size_t>(end - (out_bytes + at)) - 1;
        if (length < static_cast<std::size_t>(record_length))
            fuzz::fail("a record shorter than 47 characters");
        at += length + 2;
        ++records;
    }
    if (records != result.records)
        fuzz::fail("records written and counted disagree");
    std::free(out_bytes);
    return 0;
}
