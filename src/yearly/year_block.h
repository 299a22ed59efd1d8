// The records of many consecutive years computed into one block of memory, laid out so that each
// year's yearly mean-flux file is one stretch of it and the combined file, header line first,
// another: meanflux-build writes both straight from it.
#pragma once

#include "yearly/pipeline.h"

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace meanflux {

struct year_block {
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
    std::size_t combined_at = 0; // where the combined file begins: its header line
    int combined_from = 0;       // its first year; 0 when there is none
    std::vector<year_job> jobs;  // one for each year, in order, its records in the block
};

// Compute the years from `from` to `to` into a block.
//
// Given:    files          the daily index files of the years and of those around them; each
//                          year computed must have lines
//           from, to       the years
//           combined_from  the first year of the combined file, from `from` to `to`; 0 for none
//           threads        how many threads compute at once
// Returned: block          the records of every year (the years before combined_from first), and
//                          room for the combined file's header line before its first year
// Notes:    The memory is not filled first: each page is first touched by the thread that formats
//           its records, so that the kernel's handing out of fresh pages is shared among the
//           threads too.
void compute_year_block(const daily_years& files, int from, int to, int combined_from, int threads,
                        year_block& block);

// The combined file in the block: its header line, written now that the days are known, and the
// records of its years.
//
// Returns:  the file's bytes, and its number of days in `days`.
[[nodiscard]] std::string_view combined_file_of(year_block& block, int& days,
                                                int last_observed = -1);

} // namespace meanflux
