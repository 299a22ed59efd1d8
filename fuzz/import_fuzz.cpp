// A whole source file of any format: recognised, read and turned into daily index lines.
#include "fuzz_support.h"
#include "sources/source.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace meanflux;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    source_days source;
    source_problem problem;
    const source_status status = read_source(bytes, source, problem);
    if (status != source_status::read) {
        if (!source.days.empty() || !source.text.empty())
            fuzz::fail("days kept from a source that was refused");
        if (problem.what.empty())
            fuzz::fail("a refusal that does not say what is wrong");
        return 0;
    }
    if (source.text.size() != source.days.size() * (daily_line_length + 1))
        fuzz::fail("text that is not one 71-character line and LF per day");
    for (std::size_t i = 0; i < source.days.size(); ++i) {
        const source_day& day = source.days[i];
        if (day.offset != i * (daily_line_length + 1) || day.length != daily_line_length ||
            source.text[day.offset + daily_line_length] != '\n')
            fuzz::fail("a day's line out of place");
        for (const char c : line_of(source, day))
            if (!(c == ' ' || c == '.' || (c >= '0' && c <= '9')))
                fuzz::fail("a daily index line with a character other than digits, blank, point");
        if (i > 0 &&
            !follows({source.days[i - 1].year, source.days[i - 1].month, source.days[i - 1].day},
                     {day.year, day.month, day.day}))
            fuzz::fail("days that do not follow each other");
        if (day.predicted && source.format != source_format::celestrak)
            fuzz::fail("a predicted day from a source without predictions");
    }
    if (days_before_predictions(source) > source.days.size())
        fuzz::fail("more days before the predictions than days");
    if (!source.days.empty() && lines_of(source, 0, source.days.size()) != source.text)
        fuzz::fail("the lines of all days are not the whole text");
    return 0;
}
