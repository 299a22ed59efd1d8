// A whole year computed from any three daily index files to records in memory.  Input: two bytes
// that choose the year, then the three files separated by 0x1E.
//
// Whatever files the loading takes, the records come out in their layout: one for each line of
// the given year's file, each exactly as long as its day number allows (49 bytes, 50 before
// 1950) and ended by CR LF, the day numbers consecutive, the activity text that of its line, and
// on a day without observation the observed flux shown as its Gaussian mean.
#include "fuzz_support.h"
#include "record/format.h"
#include "yearly/pipeline.h"

#include <array>
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

    static year_tables tables;
    static bool tables_made = false;
    if (!tables_made) {
        init_year_tables(tables);
        tables_made = true;
    }
    static std::array<daily_year, 3> days;
    static daily_series series;
    static year_records records;
    for (std::size_t i = 0; i < 3; ++i)
        if (read_daily_bytes(year - 1 + static_cast<int>(i), files[i], days[i]).status !=
            daily_status::read)
            return 0; // the run stops here, before anything is written
    year_result result;
    const year_status status =
        compute_year(year, {year - 1, days}, tables, series, records, result);
    if (days[1].lines == 0) {
        if (status != year_status::no_days)
            fuzz::fail("records of a given year without lines");
        return 0;
    }
    if (status != year_status::written)
        fuzz::fail("a record out of its layout from files that were read");
    if (result.records != days[1].lines)
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
        if (!line.empty() && line.back() == '\r') // before a LF, or at the very end
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
