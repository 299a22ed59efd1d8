#include "sources/yearly_files.h"

#include "input/index_line.h"
#include "input/line_cutter.h"
#include "io/file_handle.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace meanflux {

bool yearly_file_year(std::string_view name, int& year) noexcept
{
    if (name.size() != 8 || name.substr(4) != ".dat")
        return false;
    int y = 0;
    for (const char c : name.substr(0, 4)) {
        if (c < '0' || c > '9')
            return false;
        y = y * 10 + (c - '0');
    }
    year = y;
    return true;
}

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

std::string path_of(const char* directory, int year)
{
    char name[16];
    std::snprintf(name, sizeof name, "%.4d.dat", year);
    return std::string(directory) + "/" + name;
}

source_status cannot_read(const std::string& file, int error_number, source_problem& problem)
{
    problem.file = file;
    problem.error_number = error_number;
    problem.what = std::strerror(error_number);
    return source_status::cannot_read;
}

source_status malformed(const std::string& file, long line, std::string what,
                        source_problem& problem)
{
    problem.file = file;
    problem.line = line;
    problem.what = std::move(what);
    return source_status::malformed;
}

// One file's lines, as days of its year.
struct year_reading {
    int year;
    int days;           // days of the year: the most lines the file may have
    calendar_date date; // the date of the next line
    line_cutter cutter;
};

void take_line(year_reading& r, std::string_view line, source_days& source)
{
    const std::size_t offset = source.text.size();
    source.text.append(line);
    source.text.push_back('\n');
    source.days.push_back({r.date.year, r.date.month, r.date.day, false, offset, line.size()});
    r.date = next_calendar_day(r.date);
}

source_status read_year_file(const std::string& name, int year, source_days& source,
                             source_problem& problem)
{
    // A yearly file of 366 lines of 72 bytes in one read.  On the stack: one file after another
    // reuses the same memory.
    std::array<char, std::size_t{1} << 15> buffer;
    errno = 0;
    const descriptor in(name.c_str(), reading::in_order);
    if (in.fd() < 0)
        return cannot_read(name, errno, problem);
    year_reading r{year, days_in_year(year), {year, 1, 1}, {}};
    const auto too_long = [&] {
        return malformed(name, r.cutter.lines + 1, "longer than 4096 characters", problem);
    };
    for (;;) {
        const ssize_t n = ::read(in.fd(), buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return cannot_read(name, errno, problem);
        }
        if (n == 0)
            break;
        std::string_view bytes(buffer.data(), static_cast<std::size_t>(n));
        while (!bytes.empty()) {
            if (r.cutter.lines == r.days) { // a byte past the last day begins one line too many
                char what[96];
                std::snprintf(what,
                              sizeof what,
                              "%d lines or more for the %d days of %d",
                              r.days + 1,
                              r.days,
                              year);
                return malformed(name, 0, what, problem);
            }
            std::string_view line;
            switch (cut_line(r.cutter, bytes, line)) {
            case cut_status::line:
                take_line(r, line, source);
                break;
            case cut_status::need_more:
            case cut_status::no_line:
                break;
            case cut_status::too_long:
                return too_long();
            }
        }
    }
    std::string_view line;
    switch (cut_last_line(r.cutter, line)) {
    case cut_status::line:
        take_line(r, line, source);
        break;
    case cut_status::too_long:
        return too_long();
    case cut_status::need_more:
    case cut_status::no_line:
        break;
    }
    return source_status::read;
}

} // namespace

source_status list_yearly_files(const char* directory, year_span years, std::vector<int>& found,
                                source_problem& problem)
{
    found.clear();
    problem = source_problem{};
    errno = 0;
    const directory_listing listing(directory);
    if (listing.get() == nullptr) {
        problem.error_number = errno;
        problem.what = std::strerror(errno);
        return source_status::cannot_read;
    }
    // Files of years that no run reads are not looked at.
    const int last = std::min(years.last, last_read_year);
    int later = 0; // the first year after those wanted that has a file
    errno = 0;
    while (const dirent* entry = ::readdir(listing.get())) {
        int year = 0;
        if (yearly_file_year(entry->d_name, year) && year >= years.first) {
            if (year <= last)
                found.push_back(year);
            else if (year <= last_read_year && (later == 0 || year < later))
                later = year;
        }
        errno = 0;
    }
    if (errno != 0) {
        problem.error_number = errno;
        problem.what = std::strerror(errno);
        return source_status::cannot_read;
    }
    std::sort(found.begin(), found.end());
    for (std::size_t i = 1; i < found.size(); ++i)
        if (found[i] != found[i - 1] + 1) // a run of the year after the gap would need it
            return cannot_read(path_of(directory, found[i - 1] + 1), ENOENT, problem);
    // The data do not end at a missing year that a later year's file follows: that is a gap too.
    if (later != 0 && !found.empty() && found.back() < last)
        return cannot_read(path_of(directory, found.back() + 1), ENOENT, problem);
    return source_status::read;
}

source_status read_yearly_file(const char* directory, int year, source_days& source,
                               source_problem& problem)
{
    problem = source_problem{};
    source.format = source_format::yearly_files;
    const std::size_t text = source.text.size(), days = source.days.size();
    const source_status status = read_year_file(path_of(directory, year), year, source, problem);
    if (status != source_status::read) {
        source.text.resize(text);
        source.days.resize(days);
    }
    return status;
}

source_status read_yearly_files(const char* directory, year_span years, source_days& source,
                                source_problem& problem)
{
    source = source_days{};
    source.format = source_format::yearly_files;
    std::vector<int> found;
    if (const source_status status = list_yearly_files(directory, years, found, problem);
        status != source_status::read)
        return status;
    source.text.reserve(found.size() * max_year_days * (used_columns + 1));
    source.days.reserve(found.size() * max_year_days);
    for (const int year : found)
        if (const source_status status = read_yearly_file(directory, year, source, problem);
            status != source_status::read) {
            source.text.clear();
            source.days.clear();
            return status;
        }
    return source_status::read;
}

} // namespace meanflux
