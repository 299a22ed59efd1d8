// From a source of daily indices (a GFZ Potsdam file, CelesTrak's SW-All.csv or a directory of
// yearly daily index files) to the records of every year asked for, in memory: the one way
// meanflux-build reads its source, chooses its years and computes them, which
// build_mean_flux_table shares.  Its messages are meanflux-build's, given as text.
#pragma once

#include "sources/years.h"
#include "yearly/year_block.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace meanflux {

// The name under which the build's messages are given.
inline constexpr const char* build_program = "meanflux-build";

// What a build is asked for.
struct build_request {
    const char* source = nullptr; // a published file or a directory of yearly daily index files
    int from = 0, to = 0;         // the years; 0: as far as the source allows
    bool predictions = false;     // CelesTrak's daily predictions after the last observed day
    bool combined_needed = false; // a combined file must be made (meanflux-build -o)
};

enum class build_status {
    built,            // every year computed
    not_there,        // a year needed is not in the source, or has no lines, or would leave a
                      // gap in the combined file
    source_error,     // the source cannot be read or breaks its format, holds no predictions
                      // when they are asked for, or a value does not fit its columns
    no_combined_file, // the years end before 1950 while a combined file is needed
};

// The years a build computes, and what the source holds around them.
struct year_range {
    int from = 0, to = 0;   // the years computed
    int last_of_source = 0; // the source's last year with days; beyond every year when the
                            // source goes on after the years read
    int combined_from = 0;  // the first year of the combined file; 0 for none
};

// A source read and its years computed.
struct built_years {
    source_years years;
    year_range range;
    year_block block;     // every year's records, with room for the combined file's header
    std::string warnings; // what the yearly runs would warn of, once each
};

// Read the source, choose the years and compute them.
//
// Given:    request  the source, the years and whether predictions are taken
// Returned: built    the years read and computed, when the result is `built`
//           message  why nothing was built, one line for each problem (each naming the file
//                    concerned); "" when built
// Returns:  the status.
// Notes:    1. Of a directory only the files of the years that can be needed are read.
//           2. The years are computed on every core, each in its three-year window of the
//              yearly run, the year after the source's last counting as an empty file.
[[nodiscard]] build_status build_years_from_source(const build_request& request, built_years& built,
                                                   std::string& message);

// The name by which messages speak of the file of a year: a directory's file, or the source.
[[nodiscard]] std::string file_of_year(const char* source, const source_years& years, int year);

// A day number's date as YYYY-MM-DD.
[[nodiscard]] std::string iso_date_of(int day);

// A stream whose text is kept in memory: the messages are written as the program prints them,
// and handed over as text.
class message_stream {
  public:
    message_stream() noexcept : file_(::open_memstream(&text_, &size_)) {}
    ~message_stream()
    {
        if (file_ != nullptr)
            std::fclose(file_);
        std::free(text_);
    }
    message_stream(const message_stream&) = delete;
    message_stream& operator=(const message_stream&) = delete;

    // Where the messages go: standard error when no memory stream could be had.
    std::FILE* file() const noexcept { return file_ != nullptr ? file_ : stderr; }

    // The text written so far.
    std::string text()
    {
        if (file_ == nullptr || std::fflush(file_) != 0 || text_ == nullptr)
            return {};
        return std::string(text_, size_);
    }

  private:
    char* text_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* file_ = nullptr;
};

} // namespace meanflux
