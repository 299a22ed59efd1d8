#include "yearly/year_block.h"

#include "record/combined_file.h"

#include <meanflux/calendar.h>

#include <cstring>
#include <string>

namespace meanflux {

void compute_year_block(const daily_years& files, int from, int to, int combined_from, int threads,
                        year_block& block)
{
    block = year_block{};
    block.combined_from = combined_from;
    std::vector<std::size_t> rooms;
    for (int year = from; year <= to; ++year) {
        if (year == combined_from) {
            block.combined_at = block.size;
            block.size += predicted_header_bytes;
        }
        rooms.push_back(static_cast<std::size_t>(files.line_count(year)) *
                        static_cast<std::size_t>(record_bytes(day_number(1, 1, year))));
        block.size += rooms.back();
    }
    block.bytes.reset(new char[block.size]);
    std::size_t at = 0;
    for (int year = from; year <= to; ++year) {
        if (year == combined_from)
            at += predicted_header_bytes;
        const std::size_t room = rooms[static_cast<std::size_t>(year - from)];
        block.jobs.push_back({year, std::span<char>(block.bytes.get() + at, room), {}});
        at += room;
    }
    const auto tables = std::make_unique<year_tables>();
    init_year_tables(*tables);
    compute_years(files, *tables, block.jobs, threads);
}

std::string_view combined_file_of(year_block& block, int& days, int last_observed)
{
    days = 0;
    for (const year_job& job : block.jobs)
        days += job.year >= block.combined_from ? job.result.records : 0;
    const int first_day = day_number(1, 1, block.combined_from);
    const std::string header = combined_header_line(first_day, first_day + days - 1, last_observed);
    // The room fits the longer line of a file with predictions; a shorter line ends where the
    // room ends, so that the records follow it.
    block.combined_at += predicted_header_bytes - header.size();
    std::memcpy(block.bytes.get() + block.combined_at, header.data(), header.size());
    return {block.bytes.get() + block.combined_at, block.size - block.combined_at};
}

} // namespace meanflux
