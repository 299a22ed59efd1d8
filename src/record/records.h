// Whole files of mean-flux records: a yearly file <yyyy>_m.dat or a combined file read back, a
// run of records checked before they are combined, and the name of a yearly file.
#pragma once

#include "record/record.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace meanflux {

// One record as read back.
struct mean_flux_record {
    int day = 0;                                    // the day number
    std::array<double, mean_flux_entries> values{}; // as scan_record_values gives them: Kp in
                                                    // whole units; not a number where a field
                                                    // holds none ("nan", blanks)
};

// Read a record line.
//
// Given:    line    the line without its line end
// Returned: record  the day and its values, when the result is true
// Returns:  true for 47 characters beginning with a day number of five digits, or 48 with the
//           minus sign of a day before 1950.
[[nodiscard]] bool read_record_line(std::string_view line, mean_flux_record& record) noexcept;

// Read every record of a yearly or combined mean-flux file held in memory.
//
// Given:    bytes     the file's contents
// Returned: records   one entry per record, in file order
//           bad_line  1-based number of the first line that is not a record, on failure
// Returns:  true when every line is a record, the first line of a combined file excepted (its
//           header, as parse_combined_header reads it).
// Notes:    Lines end with CR LF or LF; a last line without a line end counts too.
[[nodiscard]] bool read_mean_flux_records(std::string_view bytes,
                                          std::vector<mean_flux_record>& records, long& bad_line);

// What checking the records of one file found.
struct records_check {
    long records = 0;    // records in the file
    int first_day = 0;   // day number of its first record
    int last_day = 0;    // and of its last
    long bad_record = 0; // 1-based number of the first record at fault; 0 when all are sound
    std::string fault;   // what is wrong with it
};

// Check that `bytes` is a run of sound records of a combined file.
//
// Given:    bytes         the file's contents
//           expected_day  the day number its first record must carry, or -1 for any
// Returned: check         counts, day range, and the first fault found
// Returns:  true when every record is 47 characters followed by CR LF, carries a day number of
//           five digits (0 to 99999), and follows the one before it by exactly one day.
[[nodiscard]] bool check_records(std::string_view bytes, int expected_day, records_check& check);

} // namespace meanflux
