// A whole year computed from any three daily index files to records in memory.  Input: two bytes
// that choose the year, then the three files separated by 0x1E.
//
// Whatever files the loading takes, the records come out in their layout: one for each line of
// the given year's file, each exactly as long as its day number allows (49 bytes, 50 before
// 1950) and ended by CR LF, the day numbers consecutive, the activity text that of its line, and
// on a day without observation the observed flux shown as its Gaussian mean.
#include "flux/distance.h"
#include "flux/means.h"
#include "fuzz_support.h"
#include "input/daily_series.h"
#include "record/format.h"
#include "yearly/writer.h"

#include <cstdio>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace meanflux;
    if (size < 2)
        return 0;
    const int year = 1937 + (data[0] | data[1] << 8) % (2099 - 1937 + 1);
    const std::string_view input(reinterpret_cast<const char*>(data) + 2, size - 2);
    const auto files = fuzz::split_files(input, 3);

    static gauss_table gauss_w{};
    static bool weights = false;
    if (!weights) {
        init_gauss_w(gauss_w);
        weights = true;
    }
    static daily_series series;
    static given_days given;
    static year_records records;
    if (load_years(year, {files[0], files[1], files[2]}, series, given).status !=
        load_status::loaded)
        return 0; // the run stops here, before anything is written
    distance_pass(series);
    write_result result;
    if (format_records(anchors_of(year), series, gauss_w, given, records, result) !=
        write_status::written)
        fuzz::fail("a record out of its layout from files that were loaded");
    if (result.records != given.count || given.count == 0)
        fuzz::fail("not one record for each line of the given year");

    // The given year's lines, for their activity text.
    std::string_view rest = files[1];
    const char* at = records.data();
    const char* const end = records.data() + result.bytes;
    const int first_day = day_number(1, 1, year);
    for (int n = 0; n < result.records; ++n) {
        const int day = first_day + n;
        const int length = record_bytes(day);
        if (day < -99999 || day > 99999 || length != (day < 0 ? 50 : 49))
            fuzz::fail("a day number outside five digits");
        if (end - at < length || at[length - 2] != '\r' || at[length - 1] != '\n')
            fuzz::fail("a record without CR LF where its layout ends");
        char number[16];
        std::snprintf(number, sizeof number, "%.5d", day);
        const std::size_t w = std::strlen(number);
        if (std::memcmp(at, number, w) != 0)
            fuzz::fail("day numbers that do not follow each other");

        const std::size_t lf = rest.find('\n');
        std::string_view line = rest.substr(0, lf);
        if (lf != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        rest.remove_prefix(lf == std::string_view::npos ? rest.size() : lf + 1);
        for (std::size_t c = 0; c < 22; ++c) {
            const std::size_t column = c < 19 ? 12 + c : 36 + c;
            if (at[w + c] != (column < line.size() ? line[column] : ' '))
                fuzz::fail("an activity text other than the line's columns");
        }
        const std::string_view values(at + w + 22, 20);
        if (series.flux_qual[static_cast<std::size_t>(anchors_of(year).year_offset + n)] ==
                MISSING_FLUX &&
            values.substr(0, 5) != values.substr(10, 5))
            fuzz::fail("a day without observation not shown at its mean");
        at += length;
    }
    if (at != end || !rest.empty())
        fuzz::fail("records and lines disagree");
    return 0;
}
