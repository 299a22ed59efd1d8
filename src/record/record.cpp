#include "record/record.h"

#include "input/scan_field.h"

namespace meanflux {

bool scan_record_day(std::string_view line, int& day) noexcept
{
    if (record_text_length(line) < static_cast<std::size_t>(day_field.last + 1))
        return false;
    return scan_field(line, day_field.first, day_field.last, day) == scan_result::converted;
}

void scan_record_values(std::string_view line, std::span<double, mean_flux_entries> values) noexcept
{
    for (std::size_t i = 0; i < value_fields.size(); ++i) {
        double value = 0.0;
        if (scan_field(line, value_fields[i].first, value_fields[i].last, value) ==
            scan_result::converted)
            values[i] = i < static_cast<std::size_t>(kp_entries) ? value / 10.0 : value;
    }
}

} // namespace meanflux
