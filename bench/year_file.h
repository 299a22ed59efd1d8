// The benchmarks' way to a yearly mean-flux file: the three daily index files of a year read and
// computed as the yearly run does, and the records written.
#pragma once

#include "io/whole_file.h"
#include "yearly/pipeline.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>

namespace meanflux::bench {

// Read the daily index files of year y (those of y - 1, y and y + 1, in that order) into `days`.
inline bool read_year_files(int y, const std::array<std::string, 3>& inputs,
                            std::array<daily_year, 3>& days)
{
    for (std::size_t i = 0; i < 3; ++i)
        if (read_daily_file(inputs[i].c_str(), y - 1 + static_cast<int>(i), days[i]).status !=
            daily_status::read)
            return false;
    return true;
}

// Compute year y from its three daily index files and write its yearly file to `output`.
inline bool write_year_file(int y, const std::array<std::string, 3>& inputs,
                            const std::string& output)
{
    struct work {
        std::array<daily_year, 3> days;
        year_tables tables;
        daily_series series;
        year_records records;
    };
    static const std::unique_ptr<work> w = std::make_unique<work>();
    init_year_tables(w->tables);
    year_result result;
    return read_year_files(y, inputs, w->days) &&
           compute_year(y, {y - 1, w->days}, w->tables, w->series, w->records, result) ==
               year_status::written &&
           write_whole_file(
               output.c_str(),
               std::string_view(w->records.data(), static_cast<std::size_t>(result.bytes))) == 0;
}

} // namespace meanflux::bench
