#include "record/record.h"

#include "text/scan_field.h"

#include <array>

namespace meanflux {

bool scan_record_day(std::string_view line, int& day) noexcept
{
    if (record_text_length(line) < static_cast<std::size_t>(day_field.last + 1))
        return false;
    return scan_field(line, day_field.first, day_field.last, day) == scan_result::converted;
}

void scan_record_values(std::string_view line, std::span<double, mean_flux_entries> values) noexcept
{
    std::array<double, mean_flux_entries> fields{};
    const unsigned set = scan_record_fields(line, fields);
    for (std::size_t i = 0; i < value_fields.size(); ++i)
        if ((set >> i & 1u) != 0)
            values[i] = i < static_cast<std::size_t>(kp_entries) ? fields[i] / 10.0 : fields[i];
}

unsigned scan_record_fields(std::string_view line,
                            std::span<double, mean_flux_entries> fields) noexcept
{
    unsigned set = 0;
    for (std::size_t i = 0; i < value_fields.size(); ++i)
        if (scan_field(line, value_fields[i].first, value_fields[i].last, fields[i]) ==
            scan_result::converted)
            set |= 1u << i;
    return set;
}

} // namespace meanflux
