// Benchmarks of the in-memory table and the density-model inputs, on a combined file of 1950-2017
// made from the real daily index files, beside the file lookup on the same file.
#include "year_file.h"

#include <meanflux/meanflux.h>

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace meanflux;

constexpr int first_year = 1950, last_year = 2017;

std::string daily_file(int year)
{
    std::stringstream dirs(MEANFLUX_DAILY_FILES);
    std::string dir;
    while (std::getline(dirs, dir, ':'))
        if (fs::exists(fs::path(dir) / (std::to_string(year) + ".dat")))
            return (fs::path(dir) / (std::to_string(year) + ".dat")).string();
    std::fprintf(stderr, "no daily index file of %d\n", year);
    std::exit(2);
}

// Days of the file taken as predictions, at its end.
constexpr int predicted_days = 45;

// The combined file of 1950-2017, made once from the yearly computation of each year, and a
// copy whose last 45 days are predictions.
struct long_file {
    fs::path path;
    fs::path predicted_path;
    std::vector<std::array<int, 3>> dates; // every day of the file, scattered: day, month, year
    long_file()
    {
        const fs::path dir = fs::temp_directory_path() / "meanflux-table-bench";
        fs::create_directories(dir);
        path = dir / "mean_flux.dat";
        std::ofstream combined(path, std::ios::binary);
        char header[32];
        std::snprintf(header,
                      sizeof header,
                      "%05d%05d\r\n",
                      day_number(1, 1, first_year),
                      day_number(31, 12, last_year));
        combined << header;
        for (int y = first_year; y <= last_year; ++y) {
            const fs::path yearly = dir / (std::to_string(y) + "_m.dat");
            if (!bench::write_year_file(
                    y, {daily_file(y - 1), daily_file(y), daily_file(y + 1)}, yearly.string()))
                std::abort();
            std::ifstream in(yearly, std::ios::binary);
            combined << in.rdbuf();
        }
        combined.close();
        std::ifstream written(path, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(written)),
                         std::istreambuf_iterator<char>());
        char observed[8];
        std::snprintf(
            observed, sizeof observed, " %05d", day_number(31, 12, last_year) - predicted_days);
        text.insert(10, observed);
        predicted_path = dir / "mean_flux_predicted.dat";
        std::ofstream(predicted_path, std::ios::binary) << text;
        const int days = day_number(31, 12, last_year) - day_number(1, 1, first_year) + 1;
        for (int i = 0, n = 0; i < days; ++i, n = (n + 367) % days) {
            const date_record date = civil_date(n);
            dates.push_back({static_cast<int>(date.day),
                             static_cast<int>(date.month),
                             static_cast<int>(date.year)});
        }
    }
};

const long_file& data()
{
    static const long_file file;
    return file;
}

void BM_FindMeanFlux(benchmark::State& state)
{
    mean_flux_table table;
    if (load_mean_flux_table(data().path.c_str(), table) != mean_flux_found)
        state.SkipWithError("cannot load");
    const auto& dates = data().dates;
    std::array<double, 14> values{};
    std::size_t i = 0;
    for (auto _ : state) {
        const auto& d = dates[i];
        i = i + 1 == dates.size() ? 0 : i + 1;
        benchmark::DoNotOptimize(find_mean_flux(table, d[0], d[1], d[2], values.data()));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FindMeanFlux);

// The file lookup, with the same dates in the same file.
void BM_ReadMeanFluxFile(benchmark::State& state)
{
    const std::string file = data().path.string();
    const auto& dates = data().dates;
    std::array<double, 14> values{};
    std::size_t i = 0;
    for (auto _ : state) {
        const auto& d = dates[i];
        i = i + 1 == dates.size() ? 0 : i + 1;
        if (read_mean_flux_file(file.c_str(), d[0], d[1], d[2], values.data()) != 0)
            state.SkipWithError("lookup failed");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadMeanFluxFile);

void BM_LoadMeanFluxTable(benchmark::State& state)
{
    const std::string file = data().path.string();
    for (auto _ : state) {
        mean_flux_table table;
        if (load_mean_flux_table(file.c_str(), table) != mean_flux_found)
            state.SkipWithError("cannot load");
        benchmark::DoNotOptimize(table);
    }
}
BENCHMARK(BM_LoadMeanFluxTable)->Unit(benchmark::kMillisecond);

// The table built in memory from CelesTrak's whole file of March 2024 with its predictions
// (1958 to 2 May 2024): reading and checking the file, computing 67 years, loading the table.
void BM_BuildMeanFluxTable(benchmark::State& state)
{
    const std::string source =
        std::string(MEANFLUX_SOURCE_DIR) + "/tests/data/celestrak/SW-All.csv";
    mean_flux_build_options options;
    options.predictions = true;
    for (auto _ : state) {
        mean_flux_table table;
        if (build_mean_flux_table(source.c_str(), options, table) != mean_flux_found)
            state.SkipWithError("not built");
        benchmark::DoNotOptimize(table);
    }
}
BENCHMARK(BM_BuildMeanFluxTable)->Unit(benchmark::kMillisecond);

void BM_SpaceWeatherAt(benchmark::State& state)
{
    mean_flux_table table;
    if (load_mean_flux_table(data().path.c_str(), table) != mean_flux_found)
        state.SkipWithError("cannot load");
    // Instants over 1951-2016, 7 h 13 min apart.
    const int first = day_number(1, 1, 1951), days = day_number(31, 12, 2016) - first;
    double t = 0.0;
    space_weather out{};
    for (auto _ : state) {
        t += 7.0 * 3600.0 + 13.0 * 60.0;
        if (t >= 86400.0 * days)
            t = 0.0;
        benchmark::DoNotOptimize(space_weather_at(table, first, t, out));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SpaceWeatherAt);

// Instants in the 4th to 40th and in the last 37 days of the table whose last 45 days are
// predictions: every one with its 81-day window cut short, those at the end reading predicted
// days.
void BM_SpaceWeatherAtTheEdges(benchmark::State& state)
{
    mean_flux_table table;
    if (load_mean_flux_table(data().predicted_path.c_str(), table) != mean_flux_found)
        state.SkipWithError("cannot load");
    const int first = day_number(1, 1, first_year), last = day_number(31, 12, last_year);
    constexpr int edge_days = 37;
    double t = 0.0;
    space_weather out{};
    for (auto _ : state) {
        t += 7.0 * 3600.0 + 13.0 * 60.0;
        if (t >= 86400.0 * 2 * edge_days)
            t = 0.0;
        // The first half at the start of the table, the second at its end.
        const bool start = t < 86400.0 * edge_days;
        const int result =
            space_weather_at(table, start ? first + 3 : last - 2 * edge_days + 1, t, out);
        if (result != space_weather_partial)
            state.SkipWithError("an instant with a whole window");
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SpaceWeatherAtTheEdges);

} // namespace
