#include "io/file_handle.h"
#include "lookup/kp_ap.h"
#include "lookup/table_data.h"
#include "record/combined_file.h"
#include "record/record.h"

#include <meanflux/calendar.h>
#include <meanflux/table.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <string_view>

namespace meanflux {

using detail::mean_flux_table_access;
using detail::mean_flux_table_data;

namespace {

// Days of the 81-day mean on each side of its centre.
constexpr int mean81_half = 40;
constexpr int mean81_days = 2 * mean81_half + 1;

// Entries of a record with every field holding a number.
constexpr std::uint16_t all_entries = (1u << mean_flux_entries) - 1;

// The most days a header range can hold: each of its numbers has at most five characters
// ("%5d%5d"), so it lies within -9999 .. 99999.
constexpr std::int64_t max_range_days = 99999 - -9999 + 1;

// Take a day from the line at its record's place, as read_mean_flux_at reads it.  On a
// predicted day a Kp that holds a number but no value of the Kp-to-ap table takes the day's Ap as
// its ap.
void read_day(std::string_view line, int d, bool predicted, table_day& day) noexcept
{
    day = table_day{};
    int found = 0;
    day.found = scan_record_day(line, found) && found == d;
    if (!day.found)
        return;
    std::array<double, mean_flux_entries> fields{};
    const unsigned set = scan_record_fields(line, fields);
    day.present = static_cast<std::uint16_t>(set);
    for (std::size_t i = 0; i < fields.size(); ++i)
        day.values[i] = i < static_cast<std::size_t>(kp_entries) ? fields[i] / 10.0 : fields[i];
    const bool daily_ap = (set >> entry_ap & 1u) != 0 && std::isfinite(fields[entry_ap]);
    for (std::size_t k = 0; k < static_cast<std::size_t>(kp_intervals); ++k) {
        if ((set >> k & 1u) == 0)
            continue;
        bool known = ap_of_kp(fields[k], day.ap[k]);
        if (!known && predicted && daily_ap && std::isfinite(fields[k])) {
            day.ap[k] = fields[entry_ap];
            known = true;
        }
        if (known)
            day.ap_known = static_cast<std::uint8_t>(day.ap_known | 1u << k);
    }
}

// Whether a day's observed flux can take part in an 81-day mean.
bool usable_obs(const table_day& day) noexcept
{
    return day.found && (day.present >> entry_flux_obs & 1u) != 0 &&
           std::isfinite(day.values[entry_flux_obs]);
}

// Form the 81-day mean of the observed flux for every day whose days d - 40 .. d + 40 within
// the table's range all have one: their sum in ascending order, divided by their count.  Where
// all 81 lie within the table, eight days are summed side by side, each in its own order, so
// that their sums stay in registers; the days within 40 of the range's ends are summed one by
// one in the same order.
// Given:    stored  days that have an entry
//           range   days of the header's range (stored or more)
// Returns:  false when the working memory cannot be had.
bool form_mean81(table_day* days, std::int64_t stored, std::int64_t range) noexcept
{
    const auto n = static_cast<std::size_t>(stored);
    constexpr std::size_t half = mean81_half;
    constexpr std::size_t lanes = 8;
    // The observed fluxes, then room for a last block of eight that runs past the last day.
    std::unique_ptr<double[]> obs(new (std::nothrow) double[n + lanes]);
    if (!obs)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        obs[i] = usable_obs(days[i]) ? days[i].values[entry_flux_obs] : 0.0;
    for (std::size_t i = n; i < n + lanes; ++i)
        obs[i] = 0.0;

    if (n >= static_cast<std::size_t>(mean81_days)) {
        // Days without a usable flux within the window, kept as the window slides.
        int unusable = 0;
        for (std::size_t i = 0; i < static_cast<std::size_t>(mean81_days); ++i)
            unusable += usable_obs(days[i]) ? 0 : 1;
        for (std::size_t block = half; block + half < n; block += lanes) {
            std::array<double, lanes> sum{};
            for (std::size_t k = 0; k < static_cast<std::size_t>(mean81_days); ++k)
                for (std::size_t j = 0; j < lanes; ++j)
                    sum[j] += obs[block - half + j + k];
            for (std::size_t j = 0; j < lanes && block + j + half < n; ++j) {
                const std::size_t i = block + j;
                days[i].obs_mean81_known = unusable == 0;
                days[i].obs_mean81 = sum[j] / static_cast<double>(mean81_days);
                if (i + half + 1 < n)
                    unusable += (usable_obs(days[i + half + 1]) ? 0 : 1) -
                                (usable_obs(days[i - half]) ? 0 : 1);
            }
        }
    }

    // The days whose window is not whole within the stored days: within 40 days of the range's
    // ends, or of a file that ends early (whose windows then reach days without a record).
    const auto last_index = static_cast<std::size_t>(range - 1);
    for (std::size_t i = 0; i < n; ++i) {
        if (i >= half && i + half < n)
            continue; // summed above
        const std::size_t lo = i >= half ? i - half : 0;
        const std::size_t hi = std::min(i + half, last_index);
        if (hi >= n)
            continue; // a day of the window has no record: unknown
        double sum = 0.0;
        bool usable = true;
        for (std::size_t k = lo; k <= hi; ++k) {
            usable = usable && usable_obs(days[k]);
            sum += obs[k];
        }
        days[i].obs_mean81_known = usable;
        days[i].obs_mean81 = sum / static_cast<double>(hi - lo + 1);
    }
    return true;
}

} // namespace

mean_flux_table::~mean_flux_table()
{
    delete data_;
}

mean_flux_table::mean_flux_table(mean_flux_table&& other) noexcept : data_(other.data_)
{
    other.data_ = nullptr;
}

mean_flux_table& mean_flux_table::operator=(mean_flux_table&& other) noexcept
{
    if (this != &other) {
        delete data_;
        data_ = other.data_;
        other.data_ = nullptr;
    }
    return *this;
}

namespace {

// Fill a table from the header and the bytes of the records of the header's range.
//
// Given:    header   the file's header line
//           records  the bytes from the first record on, at most the range's records (the last
//                    taking 48 bytes at most); fewer when the file ends before
// Returned: table    the days, when the result is 0
// Returns:  mean_flux_found, or mean_flux_no_memory.
int fill_table(const combined_header& header, std::string_view records,
               mean_flux_table& table) noexcept
{
    std::unique_ptr<mean_flux_table_data> data(new (std::nothrow) mean_flux_table_data);
    if (!data)
        return mean_flux_no_memory;
    data->first = header.first;
    data->last = header.last;
    data->last_observed = header.last_observed;
    if (header.first <= header.last) {
        const std::int64_t range = std::int64_t{header.last} - header.first + 1;
        // Days whose record's place lies within the bytes read; the file ends before the others.
        const std::int64_t stored = std::min<std::int64_t>(
            range, (static_cast<std::int64_t>(records.size()) + record_stride - 1) / record_stride);
        if (stored > 0) {
            data->days.reset(new (std::nothrow) table_day[static_cast<std::size_t>(stored)]);
            if (!data->days)
                return mean_flux_no_memory;
        }
        data->stored = stored;
        for (std::int64_t i = 0; i < stored; ++i)
            read_day(record_line(records.substr(static_cast<std::size_t>(i * record_stride))),
                     static_cast<int>(header.first + i),
                     header.first + i > header.last_observed,
                     data->days[static_cast<std::size_t>(i)]);
        if (!form_mean81(data->days.get(), stored, range))
            return mean_flux_no_memory;
    }
    mean_flux_table_access::replace(table, data.release());
    return mean_flux_found;
}

// The bytes of the records of a header's range: the last record line read begins at
// (range - 1) * 49 and takes 48 bytes at most.
//
// Returns:  the count, 0 for an empty range; -1 for a range no "%5d%5d" header can give.
std::int64_t range_span(const combined_header& header) noexcept
{
    if (header.first > header.last)
        return 0;
    const std::int64_t range = std::int64_t{header.last} - header.first + 1;
    return range > max_range_days ? -1 : range * record_stride - 1;
}

} // namespace

int load_mean_flux_table(const char* file_name, mean_flux_table& table) noexcept
{
    mean_flux_table_access::replace(table, nullptr);
    if (file_name == nullptr)
        return mean_flux_no_file;
    const descriptor file(file_name);
    combined_header header{};
    if (file.fd() < 0 || !read_combined_header(file.fd(), header))
        return mean_flux_no_file;
    const std::int64_t span = range_span(header);
    if (span < 0)
        return mean_flux_no_file;
    // The records of the range, and not a byte more.
    std::unique_ptr<char[]> bytes(new (std::nothrow) char[static_cast<std::size_t>(span)]);
    if (!bytes)
        return mean_flux_no_memory;
    const ssize_t got = read_at(file.fd(),
                                bytes.get(),
                                static_cast<std::size_t>(span),
                                static_cast<off_t>(header.data_start));
    if (got < 0)
        return mean_flux_no_file;
    return fill_table(header, std::string_view(bytes.get(), static_cast<std::size_t>(got)), table);
}

int load_mean_flux_table_bytes(std::string_view file, mean_flux_table& table) noexcept
{
    mean_flux_table_access::replace(table, nullptr);
    combined_header header{};
    if (!parse_combined_header(file, header))
        return mean_flux_no_file;
    const std::int64_t span = range_span(header);
    if (span < 0)
        return mean_flux_no_file;
    const auto start = std::min(static_cast<std::size_t>(header.data_start), file.size());
    return fill_table(header, file.substr(start, static_cast<std::size_t>(span)), table);
}

int find_mean_flux(const mean_flux_table& table, int day, int month, int year,
                   double mean_flux_values[14]) noexcept
{
    const mean_flux_table_data* data = mean_flux_table_access::data(table);
    if (data == nullptr)
        return mean_flux_no_file;
    const int d = day_number(day, month, year);
    if (d < data->first || d > data->last)
        return mean_flux_out_of_range;
    const std::int64_t i = std::int64_t{d} - data->first;
    if (i >= data->stored)
        return mean_flux_no_record;
    const table_day& entry = data->days[static_cast<std::size_t>(i)];
    if (!entry.found)
        return mean_flux_no_record;
    if (entry.present == all_entries) {
        std::memcpy(mean_flux_values, entry.values.data(), sizeof entry.values);
    } else {
        for (std::size_t k = 0; k < entry.values.size(); ++k)
            if ((entry.present >> k & 1u) != 0)
                mean_flux_values[k] = entry.values[k];
    }
    return mean_flux_found;
}

int mean_flux_table_days(const mean_flux_table& table, int& first_day, int& last_day,
                         int& last_observed_day) noexcept
{
    const mean_flux_table_data* data = mean_flux_table_access::data(table);
    if (data == nullptr)
        return mean_flux_no_file;
    first_day = data->first;
    last_day = data->last;
    last_observed_day = data->last_observed;
    return mean_flux_found;
}

} // namespace meanflux
