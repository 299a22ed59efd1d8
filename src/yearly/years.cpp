#include "yearly/years.h"

#include <algorithm>
#include <atomic>
#include <pthread.h>
#include <vector>

namespace meanflux {

flux_reading read_index_line(std::string_view line, double& flux_adj, int& qual,
                             activity_text& activity) noexcept
{
    double flux = 0.0;
    int q = 0;
    const flux_reading reading = read_day(line, flux, q);
    flux_adj = flux;
    qual = reading == flux_reading::no_observation ? MISSING_FLUX : q;
    copy_activity_text(line, activity);
    return reading;
}

namespace {

// What every thread of a computation shares.
struct shared_work {
    std::span<const index_file> files;
    int first_file_year;
    const gauss_table* gauss_w;
    const distance_table* distances;
    std::span<year_job> jobs;
    std::atomic<std::size_t> next{0}; // the next job not yet taken
};

const index_file* file_of(const shared_work& work, int year) noexcept
{
    const long i = static_cast<long>(year) - work.first_file_year;
    if (i < 0 || i >= static_cast<long>(work.files.size()))
        return nullptr;
    return &work.files[static_cast<std::size_t>(i)];
}

// One year, as the yearly run computes it: the series loaded from the three files (start_series
// and load_years place the days so), the distance pass, the means and the records.
void compute_year(const shared_work& work, year_job& job, daily_series& series) noexcept
{
    const int y = job.year;
    series.flux_adj.fill(0.0);
    series.flux_qual.fill(MISSING_FLUX);
    series.flux_obs.fill(0.0);
    series.series_len = days_in_year(y - 1) + days_in_year(y) + days_in_year(y + 1);
    std::span<const activity_text> given;
    std::size_t position = 0;
    for (int year = y - 1; year <= y + 1; ++year) {
        if (const index_file* file = file_of(work, year)) {
            const std::size_t lines =
                std::min(file->flux_adj.size(), static_cast<std::size_t>(days_in_year(year)));
            std::copy_n(file->flux_adj.begin(), lines, series.flux_adj.begin() + position);
            std::copy_n(file->flux_qual.begin(), lines, series.flux_qual.begin() + position);
            if (year == y)
                given = file->activity.first(lines);
        }
        position += static_cast<std::size_t>(days_in_year(year));
    }
    distance_pass(series, *work.distances);
    job.result = write_result{};
    job.result.status =
        format_records(anchors_of(y), series, *work.gauss_w, given, job.records, job.result);
}

void* compute_jobs(void* argument) noexcept
{
    auto& work = *static_cast<shared_work*>(argument);
    daily_series series; // each thread its own
    for (std::size_t i; (i = work.next.fetch_add(1)) < work.jobs.size();)
        compute_year(work, work.jobs[i], series);
    return nullptr;
}

} // namespace

void compute_years(std::span<const index_file> files, int first_file_year,
                   const gauss_table& gauss_w, const distance_table& distances,
                   std::span<year_job> jobs, int threads) noexcept
{
    shared_work work{files, first_file_year, &gauss_w, &distances, jobs};
    // Helper threads beside the caller's, as many as there are jobs for.  A helper that cannot
    // be started (no resources left) only leaves more years to the others.
    constexpr std::size_t most_helpers = 63;
    const std::size_t helpers =
        jobs.empty() || threads <= 1
            ? 0
            : std::min({static_cast<std::size_t>(threads - 1), jobs.size() - 1, most_helpers});
    std::vector<pthread_t> started;
    started.reserve(helpers);
    for (std::size_t t = 0; t < helpers; ++t) {
        pthread_t thread;
        if (::pthread_create(&thread, nullptr, compute_jobs, &work) != 0)
            break;
        started.push_back(thread);
    }
    compute_jobs(&work);
    for (const pthread_t thread : started)
        ::pthread_join(thread, nullptr);
}

} // namespace meanflux
