// The values of a day as the library hands them out: the entries of the values array, one for
// each field of a mean-flux record.
#pragma once

namespace meanflux {

// Entries of the values array.
inline constexpr int mean_flux_entries = 14;
enum mean_flux_entry {
    entry_kp_first = 0,    // 0..7: the eight three-hourly Kp values of the day, in record order
    entry_kp_sum = 8,      // sum of the eight Kp values
    entry_ap = 9,          // daily Ap
    entry_flux_obs = 10,   // flux observed at the Earth's distance from the Sun (sfu)
    entry_flux_adj = 11,   // flux adjusted to 1 AU (sfu)
    entry_gauss_mean = 12, // Gaussian centred mean flux, "J77" (sfu)
    entry_arith_mean = 13, // arithmetic centred mean flux, "J70" (sfu)
};

} // namespace meanflux
