#include "daily/index_line.h"

#include "text/scan_field.h"

#include <cmath>
#include <cstring>

namespace meanflux {

flux_reading read_day(std::string_view text, double& flux_adj, int& qual) noexcept
{
    double flux = 0.0;
    const bool number = scan_field(text, flux_first, flux_last, flux) == scan_result::converted &&
                        std::isfinite(flux);
    qual = 0;
    static_cast<void>(scan_field(text, qual_position, qual_position, qual));
    flux_adj = number ? flux : 0.0;
    if (number && (flux < lowest_flux || flux > highest_flux))
        return flux_reading::out_of_range;
    return number && qual != MISSING_FLUX ? flux_reading::observed : flux_reading::no_observation;
}

void copy_activity_text(std::string_view text, activity_text& activity) noexcept
{
    std::size_t t = 0;
    auto copy = [&](int first, int last) {
        const auto from = static_cast<std::size_t>(first);
        const auto count = static_cast<std::size_t>(last - first + 1);
        if (from + count <= text.size()) { // the line reaches every column: copied as it stands
            std::memcpy(activity.data() + t, text.data() + from, count);
            t += count;
            return;
        }
        for (std::size_t p = from; p < from + count; ++p)
            activity[t++] = p < text.size() ? text[p] : ' ';
    };
    copy(kp_text_first, kp_text_last);
    copy(ap_text_first, ap_text_last);
}

} // namespace meanflux
