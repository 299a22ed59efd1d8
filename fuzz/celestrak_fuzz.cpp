// Rows of the CelesTrak space-weather file under its real header row: the file read whole, and
// the input's first line converted on its own.
#include "fuzz_support.h"
#include "sources/celestrak.h"

#include <string>

namespace {

constexpr std::string_view header =
    "DATE,BSRN,ND,KP1,KP2,KP3,KP4,KP5,KP6,KP7,KP8,KP_SUM,AP1,AP2,AP3,AP4,AP5,AP6,AP7,AP8,AP_AVG,"
    "CP,C9,ISN,F10.7_OBS,F10.7_ADJ,F10.7_DATA_TYPE,F10.7_OBS_CENTER81,F10.7_OBS_LAST81,"
    "F10.7_ADJ_CENTER81,F10.7_ADJ_LAST81\n";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace meanflux;
    const std::string_view rows(reinterpret_cast<const char*>(data), size);

    celestrak_columns columns;
    std::string problem;
    if (!read_celestrak_header(header.substr(0, header.size() - 1), columns, problem))
        fuzz::fail("the real header row refused");
    celestrak_row row;
    if (parse_celestrak_row(rows.substr(0, rows.find('\n')), columns, row, problem)) {
        std::array<char, daily_line_length> line{};
        if (!format_daily_line(row.values, line))
            fuzz::fail("an accepted row whose values do not fit the daily index line");
        if (row.type == flux_data_type::interpolated &&
            (row.values.qualifier != flux_missing || row.values.flux != 0.0))
            fuzz::fail("an interpolated day with a flux");
    }

    const std::string file = std::string(header) + std::string(rows);
    source_days source;
    source_problem file_problem;
    if (read_celestrak(file, source, file_problem) == source_status::read) {
        if (source.text.size() != source.days.size() * (daily_line_length + 1))
            fuzz::fail("text that is not one 71-character line and LF per day");
        for (std::size_t i = 1; i < source.days.size(); ++i) {
            const source_day& a = source.days[i - 1];
            const source_day& b = source.days[i];
            if (!follows({a.year, a.month, a.day}, {b.year, b.month, b.day}))
                fuzz::fail("days that do not follow each other");
        }
    } else if (file_problem.line < 1 || !source.days.empty()) {
        fuzz::fail("a refusal without its line, or with days kept");
    }
    return 0;
}
