// The record lookup on any file, and the in-memory table loaded from the same file, which must
// agree with it; and the same bytes read as an epoch.  Input: two bytes that choose the date
// (around 1980), then the file's contents.
#include "fuzz_support.h"
#include "lookup/lookup_at.h"

#include <meanflux/meanflux.h>

#include <cstdio>
#include <cstring>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

namespace {

using namespace meanflux;

constexpr double untouched(int i)
{
    return -1000.0 - i;
}

void fill_untouched(double (&values)[14])
{
    for (int i = 0; i < 14; ++i)
        values[i] = untouched(i);
}

// The file lookup of day n, checked on its own.
int lookup(int fd, int n, double (&values)[14])
{
    const date_record date = civil_date(n);
    fill_untouched(values);
    const int result = read_mean_flux_at(fd,
                                         static_cast<int>(date.day),
                                         static_cast<int>(date.month),
                                         static_cast<int>(date.year),
                                         values);
    if (result != 0 && result != -1 && result != 1 && result != -2)
        meanflux::fuzz::fail("an unknown result");
    if (result != 0)
        for (int i = 0; i < 14; ++i)
            if (values[i] != untouched(i))
                meanflux::fuzz::fail("the caller's array was touched without a record");
    return result;
}

// The table gives for day n what the file lookup gives, bit for bit.
void compare(const mean_flux_table& table, int fd, int n)
{
    double from_file[14];
    const int file_result = lookup(fd, n, from_file);
    double from_table[14];
    fill_untouched(from_table);
    const date_record date = civil_date(n);
    const int table_result = find_mean_flux(table,
                                            static_cast<int>(date.day),
                                            static_cast<int>(date.month),
                                            static_cast<int>(date.year),
                                            from_table);
    if (table_result != file_result)
        meanflux::fuzz::fail("the table and the file give different results");
    if (std::memcmp(from_file, from_table, sizeof from_file) != 0)
        meanflux::fuzz::fail("the table and the file give different values");
}

// The density-model inputs keep to their results and leave `out` alone on failure.
void check_space_weather(const mean_flux_table& table, int n, double seconds)
{
    space_weather out;
    std::memset(&out, 0xA5, sizeof out);
    space_weather before;
    std::memcpy(&before, &out, sizeof out);
    const int result = space_weather_at(table, n, seconds, out);
    if (result != 0 && result != 2 && result != -1 && result != 1 && result != -2)
        meanflux::fuzz::fail("space_weather_at: an unknown result");
    const bool filled = result == 0 || result == space_weather_partial;
    if (!filled && std::memcmp(&before, &out, sizeof out) != 0)
        meanflux::fuzz::fail("space_weather_at: out touched without a result");
    if (filled && (out.mean81_days < 1 || out.mean81_days > 81))
        meanflux::fuzz::fail("space_weather_at: days of the 81-day mean outside 1..81");
    if (filled && (result == 0) != (out.mean81_days == 81 && !out.predicted))
        meanflux::fuzz::fail("space_weather_at: 0 and 2 mixed up");
}

// The table's range and last observed day keep to each other.
void check_table_days(const mean_flux_table& table, int loaded)
{
    int first = 0, last = 0, observed = 0;
    const int result = mean_flux_table_days(table, first, last, observed);
    if (result != (loaded == 0 ? 0 : -2))
        meanflux::fuzz::fail("mean_flux_table_days: a result other than the load's");
    if (result == 0 && first <= last && (observed < first - 1 || observed > last))
        meanflux::fuzz::fail("mean_flux_table_days: the last observed day outside the range");
}

// An epoch read from any text lies within the span and the day (a leap second at most past it).
void check_epoch(std::string_view text)
{
    int day = 12345;
    double seconds = -7.0;
    const int result = parse_epoch(text, day, seconds);
    if (result != 0 && result != -1)
        meanflux::fuzz::fail("parse_epoch: an unknown result");
    if (result != 0 && (day != 12345 || seconds != -7.0))
        meanflux::fuzz::fail("parse_epoch: outputs touched for text that is no epoch");
    if (result == 0 && (day < day_number(1, 3, 1900) || day > day_number(28, 2, 2100) ||
                        !(seconds >= 0.0 && seconds < 86401.0)))
        meanflux::fuzz::fail("parse_epoch: an epoch outside the span or the day");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    static const int fd = memfd_create("mean_flux.dat", 0);
    if (fd < 0 || ftruncate(fd, 0) != 0)
        meanflux::fuzz::fail("no memory file");
    const std::size_t body = size - 2;
    if (body > 0 && pwrite(fd, data + 2, body, 0) != static_cast<ssize_t>(body))
        meanflux::fuzz::fail("cannot fill the memory file");

    const int n = 10957 - 100 + (data[0] | data[1] << 8) % 800;
    double values[14];
    lookup(fd, n, values);

    static char name[32];
    std::snprintf(name, sizeof name, "/proc/self/fd/%d", fd);
    mean_flux_table table;
    const int loaded = load_mean_flux_table(name, table);
    if (loaded != 0 && loaded != -2)
        meanflux::fuzz::fail("load_mean_flux_table: an unexpected result");
    for (int d = n - 2; d <= n + 2; ++d)
        compare(table, fd, d);
    check_space_weather(table, n, 3600.0 * (data[0] % 30) - 7200.0);
    check_table_days(table, loaded);
    check_epoch(std::string_view(reinterpret_cast<const char*>(data + 2), body));
    return 0;
}
