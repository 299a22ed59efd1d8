#include "sources/years.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <string>
#include <vector>

namespace meanflux {

namespace {

// A directory open for listing, closed when its owner goes out of scope.
class directory_listing {
  public:
    explicit directory_listing(const char* name) noexcept : dir_(::opendir(name)) {}
    ~directory_listing()
    {
        if (dir_ != nullptr)
            ::closedir(dir_);
    }
    directory_listing(const directory_listing&) = delete;
    directory_listing& operator=(const directory_listing&) = delete;

    DIR* get() const noexcept { return dir_; }

  private:
    DIR* dir_;
};

// The years of the yearly daily index files in a directory, up to the last that any run reads,
// in order.
source_status list_years(const char* directory, std::vector<int>& found, source_problem& problem)
{
    found.clear();
    errno = 0;
    const directory_listing listing(*directory != '\0' ? directory : ".");
    if (listing.get() == nullptr) {
        problem.error_number = errno;
        problem.what = std::strerror(errno);
        return source_status::cannot_read;
    }
    errno = 0;
    while (const dirent* entry = ::readdir(listing.get())) {
        int year = 0;
        if (daily_file_year(entry->d_name, year) && year <= last_daily_file_year)
            found.push_back(year);
        errno = 0;
    }
    if (errno != 0) {
        problem.error_number = errno;
        problem.what = std::strerror(errno);
        return source_status::cannot_read;
    }
    std::sort(found.begin(), found.end());
    return source_status::read;
}

source_status bad_year(std::string file, int year, const daily_problem& daily,
                       source_problem& problem)
{
    problem.file = std::move(file);
    problem.year = year;
    problem.daily = daily;
    return source_status::bad_year_file;
}

// A year of a directory that has no file: the run cannot go past it.
source_status missing_file(const char* directory, int year, source_problem& problem)
{
    daily_problem daily;
    daily.status = daily_status::cannot_open;
    daily.error_number = ENOENT;
    return bad_year(daily_file_path(directory, year), year, daily, problem);
}

source_status read_years_of_directory(const char* directory, year_span years, year_span given,
                                      missing_years policy, source_years& out,
                                      source_problem& problem)
{
    out.format = source_format::yearly_files;
    // The years read: all those wanted; or, where the data end with the last file, from the
    // first file among them to the last, any missing year between them a gap.
    year_span read = years;
    if (years.first > years.last)
        return source_status::read; // no year wanted
    if (policy == missing_years::end_data) {
        std::vector<int> found;
        if (const source_status s = list_years(directory, found, problem); s != source_status::read)
            return s;
        const auto first = std::lower_bound(found.begin(), found.end(), years.first);
        const auto last = std::upper_bound(found.begin(), found.end(), years.last);
        out.goes_on = last != found.end();
        if (first == last)
            return source_status::read; // no year wanted has a file
        read.first = *first;
        // A wanted year missing while a later file exists is a gap: no run could go past it.
        read.last = out.goes_on ? years.last : *(last - 1);
        for (auto at = first; at != last; ++at) {
            const int expected = read.first + static_cast<int>(at - first);
            if (*at != expected)
                return missing_file(directory, expected, problem);
        }
        if (out.goes_on && *(last - 1) != years.last)
            return missing_file(directory, *(last - 1) + 1, problem);
    }
    out.first_year = read.first;
    out.files.reserve(static_cast<std::size_t>(read.last - read.first + 1));
    for (int year = read.first; year <= read.last; ++year) {
        const std::string name = daily_file_path(directory, year);
        out.files.emplace_back();
        const daily_problem daily =
            read_daily_file(name.c_str(), year, out.files.back(), given.contains(year));
        if (daily.status != daily_status::read)
            return bad_year(name, year, daily, problem);
    }
    return source_status::read;
}

} // namespace

source_status read_directory_years(const char* directory, year_span years, year_span given,
                                   missing_years policy, source_years& years_read,
                                   source_problem& problem)
{
    return detail::read_afresh(years_read, problem, [&] {
        return read_years_of_directory(directory, years, given, policy, years_read, problem);
    });
}

} // namespace meanflux
