// Many years at once: compute_year on several threads.
#include "yearly/pipeline.h"

#include <algorithm>
#include <atomic>
#include <pthread.h>
#include <vector>

namespace meanflux {

namespace {

// What every thread of a computation shares.
struct shared_work {
    const daily_years* files;
    const year_tables* tables;
    std::span<year_job> jobs;
    std::atomic<std::size_t> next{0}; // the next job not yet taken
};

void* compute_jobs(void* argument) noexcept
{
    auto& work = *static_cast<shared_work*>(argument);
    daily_series series; // each thread its own
    for (std::size_t i; (i = work.next.fetch_add(1)) < work.jobs.size();) {
        year_job& job = work.jobs[i];
        (void)compute_year(job.year, *work.files, *work.tables, series, job.records, job.result);
    }
    return nullptr;
}

} // namespace

void compute_years(const daily_years& files, const year_tables& tables, std::span<year_job> jobs,
                   int threads) noexcept
{
    shared_work work{&files, &tables, jobs};
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
