// Benchmarks of the yearly computation and of the record lookup, on the real daily index files
// of 1978 to 1982.
#include "daily/daily_line.h"
#include "sources/source.h"
#include "sources/years.h"
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

fs::path daily_file(int year)
{
    std::stringstream dirs(MEANFLUX_DAILY_FILES);
    std::string dir;
    while (std::getline(dirs, dir, ':'))
        if (fs::exists(fs::path(dir) / (std::to_string(year) + ".dat")))
            return fs::path(dir) / (std::to_string(year) + ".dat");
    std::fprintf(stderr, "no daily index file of %d\n", year);
    std::exit(2);
}

// A directory with the daily index files, the yearly mean-flux files of 1979 to 1981 and the
// combined file of the three, made once.
struct bench_data {
    fs::path dir;
    bench_data()
    {
        dir = fs::temp_directory_path() / "meanflux-bench";
        fs::create_directories(dir);
        for (int y = 1978; y <= 1982; ++y)
            fs::copy_file(daily_file(y),
                          dir / daily_file(y).filename(),
                          fs::copy_options::overwrite_existing);
        std::ofstream combined(dir / "mean_flux.dat", std::ios::binary);
        combined << "1059211687\r\n";
        for (int y = 1979; y <= 1981; ++y) {
            write_year(y);
            std::ifstream yearly(dir / (std::to_string(y) + "_m.dat"), std::ios::binary);
            combined << yearly.rdbuf();
        }
    }
    std::string path(int year, const char* suffix) const
    {
        return (dir / (std::to_string(year) + suffix)).string();
    }
    // The daily series of year y and its neighbours read from their files, with their observed
    // fluxes.
    void load_year(int y, daily_series& series) const
    {
        static std::array<daily_year, 3> days;
        static year_tables tables;
        static year_records records;
        init_year_tables(tables);
        year_result result;
        if (!bench::read_year_files(
                y, {path(y - 1, ".dat"), path(y, ".dat"), path(y + 1, ".dat")}, days) ||
            compute_year(y, {y - 1, days}, tables, series, records, result) != year_status::written)
            std::abort();
    }
    // The whole yearly computation of year y, from reading to the written file.
    void write_year(int y) const
    {
        if (!bench::write_year_file(
                y, {path(y - 1, ".dat"), path(y, ".dat"), path(y + 1, ".dat")}, path(y, "_m.dat")))
            std::abort();
    }
};

const bench_data& data()
{
    static const bench_data d;
    return d;
}

void BM_DayFluxesOfAYear(benchmark::State& state)
{
    gauss_table gauss_w{};
    init_gauss_w(gauss_w);
    static daily_series series;
    data().load_year(1980, series);
    for (auto _ : state)
        for (int n = 0; n < 366; ++n)
            benchmark::DoNotOptimize(day_fluxes(series, gauss_w, 365, n));
    state.SetItemsProcessed(state.iterations() * 366);
}
BENCHMARK(BM_DayFluxesOfAYear);

// The same means, all days of the year at once, eight side by side.
void BM_YearFluxesOfAYear(benchmark::State& state)
{
    gauss_table gauss_w{};
    init_gauss_w(gauss_w);
    static daily_series series;
    data().load_year(1980, series);
    std::array<day_values, 366> values{};
    for (auto _ : state) {
        year_fluxes(series, gauss_w, 365, values);
        benchmark::DoNotOptimize(values.data());
    }
    state.SetItemsProcessed(state.iterations() * 366);
}
BENCHMARK(BM_YearFluxesOfAYear);

void BM_YearlyComputation(benchmark::State& state)
{
    for (auto _ : state)
        data().write_year(1980);
}
BENCHMARK(BM_YearlyComputation)->Unit(benchmark::kMicrosecond);

// The whole computation of a year with its files in memory: reading, distance pass, means and
// records, without the file system.
void BM_YearlyComputationInMemory(benchmark::State& state)
{
    std::array<std::string, 3> files;
    for (int i = 0; i < 3; ++i) {
        std::ifstream f(data().path(1979 + i, ".dat"), std::ios::binary);
        files[static_cast<std::size_t>(i)].assign(std::istreambuf_iterator<char>(f), {});
    }
    static std::array<daily_year, 3> days;
    static year_tables tables;
    static daily_series series;
    static year_records records{};
    for (auto _ : state) {
        init_year_tables(tables);
        for (std::size_t i = 0; i < 3; ++i)
            if (read_daily_bytes(1979 + static_cast<int>(i), files[i], days[i]).status !=
                daily_status::read)
                std::abort();
        year_result result;
        if (compute_year(1980, {1979, days}, tables, series, records, result) !=
            year_status::written)
            std::abort();
        benchmark::DoNotOptimize(records.data());
    }
}
BENCHMARK(BM_YearlyComputationInMemory)->Unit(benchmark::kMicrosecond);

// The records of 1950 to 2018 in memory, each year in its own window, on 1 or 2 threads: the
// computation of meanflux-build on the archive (read once, as it reads it), without reading or
// writing files.
void BM_BuildYearsOfTheArchive(benchmark::State& state)
{
    static const source_years archive = [] {
        fs::path dir = fs::temp_directory_path() / "meanflux-bench-archive";
        fs::create_directories(dir);
        for (int y = 1949; y <= 2018; ++y)
            fs::copy_file(daily_file(y),
                          dir / daily_file(y).filename(),
                          fs::copy_options::overwrite_existing);
        source_years years;
        source_problem problem;
        if (read_directory_years(
                dir.c_str(), {1949, 2018}, {1950, 2018}, missing_years::refused, years, problem) !=
            source_status::read)
            std::abort();
        return years;
    }();
    static year_tables tables;
    init_year_tables(tables);
    std::vector<char> records(69 * 366 * 49);
    std::vector<year_job> jobs;
    std::size_t at = 0;
    for (int y = 1950; y <= 2018; ++y) {
        const std::size_t room = static_cast<std::size_t>(archive.view().line_count(y)) * 49;
        jobs.push_back({y, std::span<char>(records.data() + at, room), {}});
        at += room;
    }
    for (auto _ : state) {
        compute_years(archive.view(), tables, jobs, static_cast<int>(state.range(0)));
        for (const year_job& job : jobs)
            if (job.result.status != year_status::written)
                state.SkipWithError("a year was not computed");
        benchmark::DoNotOptimize(records.data());
    }
    state.SetItemsProcessed(state.iterations() * 69);
}
BENCHMARK(BM_BuildYearsOfTheArchive)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LookupInACombinedFile(benchmark::State& state)
{
    const std::string file = (data().dir / "mean_flux.dat").string();
    std::array<double, 14> values{};
    int n = 0;
    for (auto _ : state) {
        const date_record& date = day_to_date(10592 + n);
        n = (n + 367) % 1096;
        if (read_mean_flux_file(file.c_str(),
                                static_cast<int>(date.day),
                                static_cast<int>(date.month),
                                static_cast<int>(date.year),
                                values.data()) != 0)
            state.SkipWithError("lookup failed");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LookupInACombinedFile);

std::string whole_file(const fs::path& name)
{
    std::ifstream f(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// A GFZ file as long as the published one, 1 January 1932 to 7 January 2026 (34 340 days): the
// header and data lines of the bundled excerpt, their dates and day counts rewritten.
std::string gfz_file_since_1932()
{
    const std::string excerpt = whole_file(fs::path(MEANFLUX_SOURCE_DIR) /
                                           "examples/data/Kp_ap_Ap_SN_F107_2016-latest.txt");
    std::string text, data;
    for (std::size_t at = 0; at < excerpt.size();) {
        const std::size_t end = excerpt.find('\n', at) + 1;
        (excerpt[at] == '#' ? text : data) += excerpt.substr(at, end - at);
        at = end;
    }
    const std::size_t line_length = data.find('\n') + 1;
    calendar_date date{1932, 1, 1};
    for (int n = 0; n < 34340; ++n, date = next_day(date)) {
        std::string line = data.substr(n % (data.size() / line_length) * line_length, line_length);
        char head[80];
        std::snprintf(head,
                      sizeof head,
                      "%04d %02d %02d %5d %7.1f",
                      date.year,
                      date.month,
                      date.day,
                      n,
                      n + 0.5);
        line.replace(0, 24, head);
        text += line;
    }
    return text;
}

// Reading and checking a whole source into its daily index lines, in memory.
void BM_ReadGfzSourceSince1932(benchmark::State& state)
{
    const std::string bytes = gfz_file_since_1932();
    source_days source;
    source_problem problem;
    for (auto _ : state)
        if (read_source(bytes, source, problem) != source_status::read ||
            source.days.size() != 34340)
            state.SkipWithError("the GFZ file was not read");
    state.SetItemsProcessed(state.iterations() * 34340);
}
BENCHMARK(BM_ReadGfzSourceSince1932)->Unit(benchmark::kMillisecond);

void BM_ReadCelesTrakSource(benchmark::State& state)
{
    const std::string bytes =
        whole_file(fs::path(MEANFLUX_SOURCE_DIR) / "tests/data/celestrak/SW-All.csv");
    source_days source;
    source_problem problem;
    for (auto _ : state)
        if (read_source(bytes, source, problem) != source_status::read)
            state.SkipWithError("SW-All.csv was not read");
    state.SetItemsProcessed(state.iterations() * static_cast<long>(source.days.size()));
}
BENCHMARK(BM_ReadCelesTrakSource)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
