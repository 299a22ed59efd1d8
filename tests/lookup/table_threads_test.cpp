// Many threads looking days up in one table at once.  Built on its own, with nothing but the
// lookup layer of the installed library, so that the ThreadSanitizer build ("tsan" preset) builds
// and runs only this.
#include <meanflux/calendar.h>
#include <meanflux/lookup.h>
#include <meanflux/space_weather.h>
#include <meanflux/table.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace meanflux {
namespace {

namespace fs = std::filesystem;

constexpr int first_day = 10957; // 1 January 1980
constexpr int days = 400;
// Instants asked for each day: 0 h, 5 h, ... 20 h.
constexpr std::size_t hours = 5;
constexpr int hour_step = 5;

// A combined file of made-up records, with one day left out and one blank flux field.
std::string made_up_file()
{
    constexpr std::array<const char*, 6> kp{" 0", " 3", " 7", "10", "23", "57"};
    char header[32];
    std::snprintf(header, sizeof header, "%05d%05d\r\n", first_day, first_day + days - 1);
    std::string text = header;
    for (int i = 0; i < days; ++i) {
        if (i == 300)
            continue; // every later day is out of place
        std::string activity;
        for (int k = 0; k < 8; ++k)
            activity += kp[static_cast<std::size_t>((i + 3 * k) % 6)];
        char record[64];
        std::snprintf(record,
                      sizeof record,
                      "%05d%s%3d%3d%5.1f%5.1f%5.1f%5.1f\r\n",
                      first_day + i,
                      activity.c_str(),
                      100 + i % 50,
                      5 + i % 30,
                      70.0 + 0.7 * (i % 90),
                      71.0 + 0.7 * (i % 90),
                      90.0 + 0.1 * i,
                      91.0 + 0.1 * i);
        if (i == 150)
            std::memcpy(record + 27, "     ", 5);
        text += record;
    }
    return text;
}

struct answer {
    int result;
    std::array<double, mean_flux_entries> values;
    int weather_result;
    space_weather weather;
    bool operator==(const answer& other) const
    {
        return std::memcmp(this, &other, sizeof *this) == 0;
    }
};

answer ask(const mean_flux_table& table, int n, double seconds)
{
    answer a;
    std::memset(&a, 0, sizeof a);
    const date_record date = civil_date(n);
    a.result = find_mean_flux(table,
                              static_cast<int>(date.day),
                              static_cast<int>(date.month),
                              static_cast<int>(date.year),
                              a.values.data());
    a.weather_result = space_weather_at(table, n, seconds, a.weather);
    return a;
}

TEST(TableThreads, ManyReadersOfOneTable)
{
    const fs::path file =
        fs::temp_directory_path() / ("meanflux-threads-" + std::to_string(::getpid()) + ".dat");
    {
        std::ofstream out(file, std::ios::binary);
        out << made_up_file();
    }
    mean_flux_table table;
    ASSERT_EQ(load_mean_flux_table(file.c_str(), table), mean_flux_found);

    // Every answer, asked on this thread first.
    std::vector<answer> expected;
    for (int n = first_day - 5; n < first_day + days + 5; ++n)
        for (std::size_t h = 0; h < hours; ++h)
            expected.push_back(ask(table, n, 3600.0 * hour_step * static_cast<double>(h)));
    int found = 0, weather = 0;
    for (const auto& a : expected) {
        found += a.result == mean_flux_found ? 1 : 0;
        weather += a.weather_result == mean_flux_found ? 1 : 0;
    }
    ASSERT_GT(found, 0);
    ASSERT_GT(weather, 0);

    // The same questions from several threads at once, each starting at another day, while
    // another thread loads tables of its own from the same file.
    constexpr int readers = 4;
    std::vector<int> mismatches(readers, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < readers; ++t)
        threads.emplace_back([&, t] {
            const std::size_t count = expected.size();
            for (std::size_t i = 0; i < 3 * count; ++i) {
                const std::size_t k = (static_cast<std::size_t>(t) * 97 + i) % count;
                const int n = first_day - 5 + static_cast<int>(k / hours);
                const double seconds = 3600.0 * hour_step * static_cast<double>(k % hours);
                if (!(ask(table, n, seconds) == expected[k]))
                    ++mismatches[static_cast<std::size_t>(t)];
            }
        });
    int loads = 0;
    threads.emplace_back([&] {
        for (int i = 0; i < 20; ++i) {
            mean_flux_table own;
            loads += load_mean_flux_table(file.c_str(), own) == mean_flux_found ? 1 : 0;
        }
    });
    for (auto& thread : threads)
        thread.join();
    fs::remove(file);
    for (int t = 0; t < readers; ++t)
        EXPECT_EQ(mismatches[static_cast<std::size_t>(t)], 0) << "reader " << t;
    EXPECT_EQ(loads, 20);
}

} // namespace
} // namespace meanflux
