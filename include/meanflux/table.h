// The combined mean-flux data file held in memory, for programs that look many days up.
#pragma once

namespace meanflux {

namespace detail {
struct mean_flux_table_data;
struct mean_flux_table_access;
} // namespace detail

// A combined mean-flux data file as it stood when it was loaded: every day of its header's range
// with the result and the values that read_mean_flux_file gives for it.
//
// Movable, not copyable; empty when default-constructed or moved from.  A loaded table is never
// changed: any number of threads may look days up in one table at once.
class mean_flux_table {
  public:
    mean_flux_table() noexcept = default;
    ~mean_flux_table();
    mean_flux_table(mean_flux_table&& other) noexcept;
    mean_flux_table& operator=(mean_flux_table&& other) noexcept;
    mean_flux_table(const mean_flux_table&) = delete;
    mean_flux_table& operator=(const mean_flux_table&) = delete;

  private:
    friend struct detail::mean_flux_table_access;
    const detail::mean_flux_table_data* data_ = nullptr;
};

// Result of load_mean_flux_table when the memory for the table cannot be had.
inline constexpr int mean_flux_no_memory = -3;

// Read a combined mean-flux data file into a table.
//
// Given:    file_name  path of a combined mean-flux data file (the layout of read_mean_flux)
// Returned: table      the file's days; emptied when the result is not 0
// Returns:  mean_flux_found (0): loaded;
//           mean_flux_no_file (-2): where read_mean_flux_file would give -2 for every date: no
//             such file, it cannot be read, its header line does not give two day numbers, or it
//             is longer than 4096 bytes and holds no line end in them;
//           mean_flux_no_memory (-3): the memory for the table could not be had.
// Notes:    1. The file is read once: the header line and the bytes of the records of the
//              header's range, nothing beyond.  Each day number of the header has at most five
//              characters, so the range holds at most 110 000 days: memory and time are bounded
//              whatever the file's size.  The file is not kept open.
//           2. A file that cannot be read anywhere in that span gives -2, not a table with holes.
//           3. Allocation failure is reported, never an abort: the library throws no exceptions.
[[nodiscard]] int load_mean_flux_table(const char* file_name, mean_flux_table& table) noexcept;

// Look a day up in a loaded table.
//
// Given:    table             a table; empty or loaded
//           day, month, year  the calendar date, as day_number takes it
// Returned: mean_flux_values  as read_mean_flux: when the result is 0, the entries whose fields
//                             hold a number; the others keep the caller's values
// Returns:  exactly what read_mean_flux_file gave for that date on the table's file when it was
//           loaded: mean_flux_found (0), mean_flux_out_of_range (-1) or mean_flux_no_record (1);
//           mean_flux_no_file (-2) for an empty table.  The array is untouched unless the result
//           is 0.
// Notes:    Constant time; reads only the table, so calls from several threads may overlap.
[[nodiscard]] int find_mean_flux(const mean_flux_table& table, int day, int month, int year,
                                 double mean_flux_values[14]) noexcept;

// The days a loaded table covers, and where its observations end.
//
// Given:    table              a table; empty or loaded
// Returned: first_day          first day number of the header's range
//           last_day           last day number of it
//           last_observed_day  the last day that is no prediction: last_day when the file holds
//                              no predictions, first_day - 1 when every day is one
// Returns:  mean_flux_found (0); mean_flux_no_file (-2) for an empty table, the three numbers
//           then untouched.
// Notes:    1. A file that holds predicted days says so in its header line: after the two day
//              numbers, one blank and the last observed day number in five characters ("%05d"),
//              then the line end: "0292227919 27874".  The two day numbers are read as ever,
//              so every reader of the file keeps working.
//           2. A header line that goes on in any other way after its two day numbers (nothing,
//              which is every file without predictions; a blank too many, a number of another
//              width, other text) states no last observed day: last_observed_day is last_day.
//              A stated day after last_day is last_day, one before first_day is first_day - 1.
//           3. A range whose first day is after its last holds no day: last_observed_day is then
//              last_day.
[[nodiscard]] int mean_flux_table_days(const mean_flux_table& table, int& first_day, int& last_day,
                                       int& last_observed_day) noexcept;

} // namespace meanflux
