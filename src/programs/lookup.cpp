// meanflux-lookup: days looked up in a combined mean-flux data file, shown as a table or CSV.
#include "cli/command.h"
#include "cli/reports.h"
#include "io/file_handle.h"
#include "lookup/lookup_at.h"
#include "record/combined_file.h"
#include "record/record.h"
#include "text/scan_field.h"

#include <meanflux/meanflux.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace meanflux {

namespace {

constexpr const char* program = "meanflux-lookup";

constexpr option_spec option_table[] = {
    {'f', "file", "FILE", "the combined file (default: mean_flux.dat)"},
    {1000, "csv", nullptr, "one CSV row per day, under a header row"},
};

constexpr command_spec command{
    program,
    "meanflux-lookup [-f FILE] [--csv] DATE[..DATE]...",
    "Show, for each date, the day's values from a combined mean-flux data file: the eight\n"
    "three-hourly Kp, their sum, the daily Ap, the 10.7 cm solar flux observed and adjusted\n"
    "to 1 AU, and its Gaussian (J77) and arithmetic (J70) centred means, in solar flux units.\n"
    "\n"
    "A DATE is written YYYY-MM-DD; DATE..DATE is every day from the first date to the last,\n"
    "both included, in order (1980-01-01..1980-12-31 is the year 1980).  The days are shown\n"
    "in the order given, one row each, under one heading.  Days that the file does not hold\n"
    "are named on standard error, those of a range that follow each other in one line, and\n"
    "the other days are still shown.  A field without a value (blank, or a mean written\n"
    "nan) is shown as -; a day whose record is cut short or holds a field that is not a\n"
    "number is not shown but named on standard error.\n",
    option_table,
    "",
    "0 every day found, 1 a day outside the file's range, without its record or with\n"
    "a damaged one, 2 usage or file error\n"};

// Column headings of the table and of the CSV rows.
constexpr const char* table_heading = "date        Kp1  Kp2  Kp3  Kp4  Kp5  Kp6  Kp7  Kp8  Kp sum  "
                                      " Ap  F10.7 obs  F10.7 1AU  J77 mean  J70 mean\n";
constexpr const char* csv_heading =
    "date,kp1,kp2,kp3,kp4,kp5,kp6,kp7,kp8,kp_sum,ap,f107_obs,f107_adj,j77_mean,j70_mean\n";

// One value of the table, right-aligned in `width` columns; "-" where the record has none.
void table_value(std::FILE* out, int width, int decimals, double value)
{
    if (std::isnan(value))
        std::fprintf(out, "%*s", width, "-");
    else
        std::fprintf(out, "%*.*f", width, decimals, value);
}

void csv_value(std::FILE* out, int decimals, double value)
{
    std::fputc(',', out);
    if (!std::isnan(value))
        std::fprintf(out, "%.*f", decimals, value);
}

void show(std::FILE* out, bool csv, const char* date, const double (&v)[14])
{
    if (csv) {
        std::fputs(date, out);
        for (int i = 0; i < 9; ++i)
            csv_value(out, 1, v[i]);
        csv_value(out, 0, v[entry_ap]);
        for (int i = entry_flux_obs; i <= entry_arith_mean; ++i)
            csv_value(out, 1, v[i]);
    } else {
        std::fputs(date, out);
        for (int i = 0; i < 8; ++i)
            table_value(out, 5, 1, v[i]);
        table_value(out, 8, 1, v[entry_kp_sum]);
        table_value(out, 5, 0, v[entry_ap]);
        table_value(out, 11, 1, v[entry_flux_obs]);
        table_value(out, 11, 1, v[entry_flux_adj]);
        table_value(out, 10, 1, v[entry_gauss_mean]);
        table_value(out, 10, 1, v[entry_arith_mean]);
    }
    std::fputc('\n', out);
}

// Tell why the lookup could not use the file open on `fd`, from at most its first bytes: the
// file is not read again whole, and not opened again.
void explain_unusable(std::FILE* err, const char* file, int fd)
{
    std::array<char, header_search_limit + 1> start{};
    ssize_t got = 0;
    do
        got = ::pread(fd, start.data(), start.size(), 0);
    while (got < 0 && errno == EINTR);
    if (got < 0)
        std::fprintf(err, "%s: %s: cannot read: %s\n", program, file, std::strerror(errno));
    else if (static_cast<std::size_t>(got) > header_search_limit &&
             std::memchr(start.data(), '\n', header_search_limit) == nullptr)
        std::fprintf(err,
                     "%s: %s: no line end in its first %zu bytes: not a combined mean-flux file\n",
                     program,
                     file,
                     header_search_limit);
    else
        std::fprintf(err, "%s: %s: no day range in its header line\n", program, file);
}

// Days that the file does not hold, gathered while a range is looked up so that days which
// follow each other and miss for the same reason are named in one line.
struct missing_days {
    int result = mean_flux_found; // why they are missing; mean_flux_found when none are pending
    calendar_date first{};
    calendar_date last{};
};

// Name the pending missing days, if any, on `err`.
void report_missing(std::FILE* err, const char* file, missing_days& missing)
{
    if (missing.result == mean_flux_found)
        return;
    const bool one_day = missing.first == missing.last;
    std::fprintf(err, "%s: %s", program, iso_date(missing.first).data());
    if (!one_day)
        std::fprintf(err, "..%s", iso_date(missing.last).data());
    if (missing.result == mean_flux_out_of_range)
        std::fprintf(err, ": outside the range of days of %s\n", file);
    else if (one_day)
        std::fprintf(err, ": %s holds no record of that day where it belongs\n", file);
    else
        std::fprintf(err, ": %s holds no record of these days where they belong\n", file);
    missing.result = mean_flux_found;
}

// Add a day that the file does not hold to the missing days, naming those pending before it
// when it does not continue them.
void add_missing(std::FILE* err, const char* file, missing_days& missing, int result,
                 const calendar_date& day)
{
    if (missing.result == result) {
        missing.last = day;
        return;
    }
    report_missing(err, file, missing);
    missing = {result, day, day};
}

// What is wrong with a record that the lookup found.
enum class record_damage {
    none,       // every field holds a number, or is blank (a value the source did not give)
    cut_short,  // the file's bytes end, or its line ends, before the record's last column
    not_number, // a field holds something that is not a number
};

// Look at the record of day number `d` as the lookup found it: its values alone cannot tell a
// field that the file lacks, or that holds no number, from a mean written "nan".
record_damage damage_of_record(int fd, const combined_header& header, int d)
{
    const std::int64_t offset =
        header.data_start +
        (static_cast<std::int64_t>(d) - static_cast<std::int64_t>(header.first)) * record_stride;
    std::array<char, record_read> buffer{};
    const ssize_t got = read_at(fd, buffer.data(), buffer.size(), static_cast<off_t>(offset));
    const std::string_view line =
        record_line(std::string_view(buffer.data(), got > 0 ? static_cast<std::size_t>(got) : 0));
    if (record_text_length(line) < static_cast<std::size_t>(record_length))
        return record_damage::cut_short;
    for (const field_span& field : value_fields) {
        double value = 0;
        if (scan_field(line, field.first, field.last, value) == scan_result::no_number)
            return record_damage::not_number;
    }
    return record_damage::none;
}

// Where the rows go, and whether their heading has been written.
struct rows {
    std::FILE* out;
    bool csv;
    bool headed = false;
    int error_number = 0; // errno of a failed write; no row is written after one
};

enum class range_outcome {
    all_found,     // every day of the range was shown
    days_missing,  // the file does not hold some of the days, or holds them damaged: they
                   // are named on err
    file_unusable, // the file cannot serve: explained on err
    output_failed, // a row could not be written: rows.error_number tells why
};

// Look every day of a range up, in order: show the days found, name the others.
range_outcome look_up_range(int fd, const char* file, const date_range& range, rows& shown,
                            std::FILE* err)
{
    // The days outside the file's range are told from its header alone, read once for the
    // range: a range of centuries costs no more reads than the days the file holds.
    combined_header header{};
    if (!read_combined_header(fd, header)) {
        explain_unusable(err, file, fd);
        return range_outcome::file_unusable;
    }
    range_outcome outcome = range_outcome::all_found;
    missing_days missing;
    for (calendar_date day = range.first;; day = next_day(day)) {
        double values[14];
        for (double& v : values)
            v = std::nan("");
        const int d = day_number_of(day);
        const int result = d < header.first || d > header.last
                               ? mean_flux_out_of_range
                               : read_mean_flux_at(fd, day.day, day.month, day.year, values);
        if (result == mean_flux_out_of_range || result == mean_flux_no_record) {
            add_missing(err, file, missing, result, day);
            outcome = range_outcome::days_missing;
        } else if (result != mean_flux_found) {
            report_missing(err, file, missing);
            explain_unusable(err, file, fd);
            return range_outcome::file_unusable;
        } else if (const record_damage damage = damage_of_record(fd, header, d);
                   damage != record_damage::none) {
            // Not shown: a field cut short can read as another number (205 for 205.8).
            report_missing(err, file, missing);
            std::fprintf(err,
                         "%s: %s: the record of that day in %s %s\n",
                         program,
                         iso_date(day).data(),
                         file,
                         damage == record_damage::cut_short ? "is cut short"
                                                            : "holds a field without a number");
            outcome = range_outcome::days_missing;
        } else {
            report_missing(err, file, missing);
            errno = 0;
            if (!shown.headed)
                std::fputs(shown.csv ? csv_heading : table_heading, shown.out);
            shown.headed = true;
            show(shown.out, shown.csv, iso_date(day).data(), values);
            // A reader that has gone (or a full disk) ends the lookups: no later row could be
            // written either.
            if (std::ferror(shown.out)) {
                shown.error_number = errno != 0 ? errno : EIO;
                return range_outcome::output_failed;
            }
        }
        if (!(day < range.last))
            break;
    }
    report_missing(err, file, missing);
    return outcome;
}

// The program, once its command line is read.
int look_up_days(const command_line& line)
{
    const char* file = "mean_flux.dat";
    bool csv = false;
    for (const given_option& o : line.options) {
        if (o.id == 'f')
            file = o.argument;
        else
            csv = true;
    }
    if (line.operands.empty())
        return usage_error(stderr, command, "no date");
    // Every argument is checked before the file is opened.
    std::vector<date_range> ranges;
    for (const char* operand : line.operands) {
        date_range range{};
        switch (parse_date_range(operand, range)) {
        case range_status::valid:
            ranges.push_back(range);
            break;
        case range_status::not_a_date:
            std::fprintf(stderr,
                         "%s: %s: not a date of the form YYYY-MM-DD, nor a range "
                         "YYYY-MM-DD..YYYY-MM-DD\n",
                         program,
                         operand);
            return exit_usage_or_file;
        case range_status::reversed:
            std::fprintf(stderr, "%s: %s: the range ends before it begins\n", program, operand);
            return exit_usage_or_file;
        }
    }

    // The file is opened once for all the dates; each lookup reads its header line and one
    // record at their offsets.
    errno = 0;
    const descriptor opened(file);
    if (!opened) {
        std::fprintf(stderr, "%s: %s: %s\n", program, file, std::strerror(errno));
        return exit_usage_or_file;
    }
    int status = exit_ok;
    rows shown{stdout, csv};
    for (const date_range& range : ranges) {
        const range_outcome outcome = look_up_range(opened.fd(), file, range, shown, stderr);
        if (outcome == range_outcome::file_unusable)
            return exit_usage_or_file;
        if (outcome == range_outcome::output_failed)
            break;
        if (outcome == range_outcome::days_missing)
            status = exit_not_there;
    }
    if (shown.error_number != 0) {
        report_standard_output(stderr, program, shown.error_number);
        return exit_usage_or_file;
    }
    return output_reached(stdout, stderr, program) ? status : exit_usage_or_file;
}

} // namespace

} // namespace meanflux

int main(int argc, char** argv)
{
    return meanflux::run_program(argc, argv, meanflux::command, meanflux::look_up_days);
}
