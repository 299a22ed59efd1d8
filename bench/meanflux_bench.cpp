// Benchmarks of the yearly computation and of the record lookup, on the real daily index files
// of 1978 to 1982.
#include "flux/distance.h"
#include "flux/means.h"
#include "input/daily_series.h"
#include "sources/daily_line.h"
#include "sources/source.h"
#include "yearly/writer.h"
#include "yearly/years.h"

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
    // The daily series of year y and its neighbours loaded from their files, fluxes referred
    // to 1 AU.
    void load_year(int y, daily_series& series, given_days& given) const
    {
        const std::string a = path(y - 1, ".dat"), b = path(y, ".dat"), c = path(y + 1, ".dat");
        if (load_year_files(y, {a.c_str(), b.c_str(), c.c_str()}, series, given).status !=
            load_status::loaded)
            std::abort();
        distance_pass(series);
    }
    // The whole yearly computation of year y, from loading to the written file.
    void write_year(int y) const
    {
        static gauss_table gauss_w{};
        static daily_series series;
        static given_days given;
        static year_records records{};
        init_gauss_w(gauss_w);
        load_year(y, series, given);
        if (write_mean_flux(y, path(y, "_m.dat").c_str(), series, gauss_w, given, records).status !=
            write_status::written)
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
    static given_days given;
    data().load_year(1980, series, given);
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
    static given_days given;
    data().load_year(1980, series, given);
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

// The whole computation of a year with its files in memory: loading, distance pass, means and
// records, without the file system.
void BM_YearlyComputationInMemory(benchmark::State& state)
{
    std::array<std::string, 3> files;
    for (int i = 0; i < 3; ++i) {
        std::ifstream f(data().path(1979 + i, ".dat"), std::ios::binary);
        files[static_cast<std::size_t>(i)].assign(std::istreambuf_iterator<char>(f), {});
    }
    gauss_table gauss_w{};
    static daily_series series;
    static given_days given;
    static year_records records{};
    for (auto _ : state) {
        init_gauss_w(gauss_w);
        if (load_years(1980, {files[0], files[1], files[2]}, series, given).status !=
            load_status::loaded)
            std::abort();
        distance_pass(series);
        write_result result;
        if (format_records(anchors_of(1980), series, gauss_w, given, records, result) !=
            write_status::written)
            std::abort();
        benchmark::DoNotOptimize(records.data());
    }
}
BENCHMARK(BM_YearlyComputationInMemory)->Unit(benchmark::kMicrosecond);

// The archive's daily index files of 1949 to 2018, read and converted as meanflux-build does.
struct archive_years {
    std::vector<double> flux_adj;
    std::vector<int> flux_qual;
    std::vector<activity_text> activity;
    std::vector<index_file> files;
    std::vector<std::size_t> lines;
    archive_years()
    {
        std::vector<std::size_t> starts;
        for (int y = 1949; y <= 2018; ++y) {
            starts.push_back(flux_adj.size());
            std::ifstream f(daily_file(y), std::ios::binary);
            for (std::string line; std::getline(f, line);) {
                double flux = 0.0;
                int qual = 0;
                activity_text text;
                (void)read_index_line(line.substr(0, 71), flux, qual, text);
                flux_adj.push_back(flux);
                flux_qual.push_back(qual);
                activity.push_back(text);
            }
        }
        starts.push_back(flux_adj.size());
        for (std::size_t i = 0; i + 1 < starts.size(); ++i) {
            const std::size_t count = starts[i + 1] - starts[i];
            files.push_back({std::span<const double>(flux_adj).subspan(starts[i], count),
                             std::span<const int>(flux_qual).subspan(starts[i], count),
                             std::span<const activity_text>(activity).subspan(starts[i], count)});
            lines.push_back(count);
        }
    }
};

// The records of 1950 to 2018 in memory, each year in its own window, on 1 or 2 threads: the
// computation of meanflux-build on the archive, without reading or writing files.
void BM_BuildYearsOfTheArchive(benchmark::State& state)
{
    static const archive_years archive;
    gauss_table gauss_w{};
    init_gauss_w(gauss_w);
    distance_table distances{};
    init_distance_table(distances);
    std::vector<char> records(69 * 366 * 49);
    std::vector<year_job> jobs;
    std::size_t at = 0;
    for (int y = 1950; y <= 2018; ++y) {
        const std::size_t room = archive.lines[static_cast<std::size_t>(y - 1949)] * 49;
        jobs.push_back({y, std::span<char>(records.data() + at, room), {}});
        at += room;
    }
    for (auto _ : state) {
        compute_years(
            archive.files, 1949, gauss_w, distances, jobs, static_cast<int>(state.range(0)));
        for (const year_job& job : jobs)
            if (job.result.status != write_status::written)
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
    for (int n = 0; n < 34340; ++n, date = next_calendar_day(date)) {
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
