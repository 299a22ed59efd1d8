// What a loaded mean-flux table holds: one entry for every day whose record's place the file
// reaches, with what the lookup and the density-model inputs need of it.
#pragma once

#include <meanflux/lookup.h>
#include <meanflux/table.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

namespace meanflux {

// Kp values of a day: one for each three-hour interval.
inline constexpr int kp_intervals = 8;

// One day of the table.
struct table_day {
    // The values read_mean_flux_file gives: only the entries in `present` are meaningful.
    std::array<double, mean_flux_entries> values;
    std::uint16_t present; // bit i set: entry i's field holds a number
    bool found;            // the line at the day's place is the day's record
    std::uint8_t ap_known; // bit i set: Kp i has an ap (a value of the Kp-to-ap table, or on a
                           // predicted day any number, which takes the day's Ap)
    bool obs_mean81_known; // the records of the 81 days centred on the day, those within the
                           // table's range, are found with finite fluxes
    std::array<double, kp_intervals> ap; // three-hourly ap of the day's Kp, where known
    double obs_mean81;                   // mean observed flux of those days, where known
};

namespace detail {

struct mean_flux_table_data {
    int first = 0; // the header's range
    int last = -1;
    int last_observed = -1;  // the last day that is no prediction, first - 1 .. last
    std::int64_t stored = 0; // days from `first` on that have an entry; beyond: no record
    std::unique_ptr<table_day[]> days;
};

// The one door to a table's data, for the routines that load and read it.
struct mean_flux_table_access {
    static const mean_flux_table_data* data(const mean_flux_table& table) noexcept
    {
        return table.data_;
    }
    // Hand `data` (owned from now on by the table) to the table, freeing what it held.
    static void replace(mean_flux_table& table, const mean_flux_table_data* data) noexcept
    {
        delete table.data_;
        table.data_ = data;
    }
};

} // namespace detail

// Load a table from a combined mean-flux file held in memory, as load_mean_flux_table loads it
// from the file.
//
// Given:    file   the file's bytes
// Returned: table  its days; emptied when the result is not 0
// Returns:  mean_flux_found (0); mean_flux_no_file (-2) where load_mean_flux_table gives it for a
//           file of these bytes; mean_flux_no_memory (-3).
[[nodiscard]] int load_mean_flux_table_bytes(std::string_view file,
                                             mean_flux_table& table) noexcept;

} // namespace meanflux
