// meanflux-combine: yearly mean-flux files of consecutive years made into the combined file
// that read_mean_flux reads.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace meanflux {

// What checking the records of one file found.
struct records_check {
    long records = 0;    // records in the file
    int first_day = 0;   // day number of its first record
    int last_day = 0;    // and of its last
    long bad_record = 0; // 1-based number of the first record at fault; 0 when all are sound
    std::string fault;   // what is wrong with it
};

// Check that `bytes` is a run of sound mean-flux records.
//
// Given:    bytes         the file's contents
//           expected_day  the day number its first record must carry, or -1 for any
// Returned: check         counts, day range, and the first fault found
// Returns:  true when every record is 47 characters followed by CR LF, carries a day number of
//           five digits (0 to 99999), and follows the one before it by exactly one day.
[[nodiscard]] bool check_records(std::string_view bytes, int expected_day, records_check& check);

// The header line of a combined file: the first and last day numbers, each in five digits with
// leading zeros ("%05d%05d": 0000024836 for 1950 to 2017), and CR LF.
//
// Given:    first_day, last_day  day numbers from 0 to 99999
// Returns:  the 12 bytes of the line.
std::string combined_header(int first_day, int last_day);

// The command: meanflux-combine -o OUTPUT FILE...
//
// Returns:  the exit status (0, 1 when the files hold no record, 2 for usage or file errors).
[[nodiscard]] int combine_main(int argc, char** argv, std::FILE* out, std::FILE* err);

} // namespace meanflux
