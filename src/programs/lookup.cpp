// meanflux-lookup: days, or the density-model inputs at epochs, looked up in a combined mean-flux
// data file (or in the one meanflux-build would make from a source, held in memory), shown as a
// table or CSV.
#include "cli/command.h"
#include "cli/reports.h"
#include "io/file_handle.h"
#include "io/streamed_input.h"
#include "lookup/lookup_at.h"
#include "lookup/table_data.h"
#include "record/combined_file.h"
#include "record/record.h"
#include "table_build/from_source.h"
#include "text/scan_field.h"

#include <meanflux/meanflux.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace meanflux {

namespace {

constexpr const char* program = "meanflux-lookup";

constexpr int csv_id = 1000;
constexpr int source_id = 1001;
constexpr int predictions_id = 1002;
constexpr int at_id = 1003;

constexpr option_definition option_table[] = {
    {'f',
     "file",
     "FILE",
     "the combined file (default: mean_flux.dat); - reads it from\nstandard input"},
    {source_id,
     "source",
     "SOURCE",
     "look up in the combined file that meanflux-build would make\nfrom SOURCE (a GFZ Potsdam "
     "file, CelesTrak's SW-All.csv or a\ndirectory of yearly daily index files), built in memory"},
    {predictions_id,
     "predictions",
     nullptr,
     "with --source: CelesTrak's daily predictions after its last\nobserved day, as "
     "meanflux-build --predictions takes them"},
    {at_id,
     "at",
     nullptr,
     "the operands are epochs: show the density-model inputs at\neach; - reads one epoch a line "
     "from standard input"},
    {csv_id, "csv", nullptr, "one CSV row per day or epoch, under a header row"},
};

constexpr command_definition command{
    program,
    "meanflux-lookup [-f FILE|--source SOURCE [--predictions]] [--csv] DATE[..DATE]...\n"
    "       meanflux-lookup [-f FILE|--source SOURCE [--predictions]] [--csv] --at EPOCH|-...",
    "Show, for each date, the day's values from a combined mean-flux data file: the eight\n"
    "three-hourly Kp, their sum, the daily Ap, the 10.7 cm solar flux observed and adjusted\n"
    "to 1 AU, and its Gaussian (J77) and arithmetic (J70) centred means, in solar flux units.\n"
    "\n"
    "A DATE is written YYYY-MM-DD, a month YYYY-MM and a year YYYY; a month or a year is all\n"
    "its days.  FIRST..LAST is every day from the first day of FIRST to the last day of LAST,\n"
    "in order (1989-03..1989-05 is March to May, 1980-01-01..1980-12-31 the year 1980).  The\n"
    "days are shown in the order given, one row each, under one heading.  Days that the file\n"
    "does not hold are named on standard error, those of a range that follow each other in\n"
    "one line, and the other days are still shown.  A field without a value (blank, or a mean\n"
    "written nan) is shown as -; a day whose record is cut short or holds a field that is\n"
    "not a number is not shown but named on standard error.\n"
    "\n"
    "With --at the operands are epochs in ISO 8601 UT (2024-03-01, 2024-03-01T06:30,\n"
    "2024-03-01T06:30:15.25, each with or without Z; from 1900-03-01 to 2100-02-28), and each\n"
    "gets a row of the inputs of a thermosphere density model at that instant: the result\n"
    "(0 found; 2 found, but the 81-day mean over fewer days or from predicted days; -1 a day\n"
    "needed outside the file's range; 1 a record needed missing or without a value), the\n"
    "observed and 1 AU flux of the day before, the day's J77 and J70 means, the mean observed\n"
    "flux of the 81 days centred on the day and how many days it averages, whether a value\n"
    "comes from a predicted day, the Kp of the epoch's three-hour interval and of the seven\n"
    "before it, the daily Ap, and the ap of the epoch's interval, of the three before it and\n"
    "the mean ap of 12 to 33 and of 36 to 57 hours before.  An operand - reads one epoch a\n"
    "line from standard input (blank lines and CR LF line ends are taken; a line that is no\n"
    "epoch is named on standard error and the others still answered; a line longer than\n"
    "4096 characters ends the reading), as it comes.\n"
    "\n"
    "The CSV of --at has the columns epoch, result, f107_obs_prev_day, f107_adj_prev_day,\n"
    "f107_gauss_mean, f107_arith_mean, f107_obs_mean81, mean81_days, predicted, kp0 to kp7,\n"
    "ap_daily and ap_history0 to ap_history6, their names in its header row: the epoch as\n"
    "given, each number as the shortest text that reads back as the same double (nan for\n"
    "none), predicted as 0 or 1, and the value fields empty when the result is -1 or 1.\n"
    "\n"
    "Days after the file's last observed day (a file that meanflux-build --predictions made)\n"
    "are predictions: those shown, and those an epoch's values come from, are named on\n"
    "standard error, days that follow each other in one line.\n",
    option_table,
    "",
    "0 every day or epoch found, 1 a day or an epoch outside the file's range, without its\n"
    "record or with a damaged one, 2 usage or file error, or an epoch that is not one\n"};

// Column headings of the table and of the CSV rows.
constexpr const char* table_heading = "date        Kp1  Kp2  Kp3  Kp4  Kp5  Kp6  Kp7  Kp8  Kp sum  "
                                      " Ap  F10.7 obs  F10.7 1AU  J77 mean  J70 mean\n";
constexpr const char* csv_heading =
    "date,kp1,kp2,kp3,kp4,kp5,kp6,kp7,kp8,kp_sum,ap,f107_obs,f107_adj,j77_mean,j70_mean\n";

// Append text formatted as printf formats it.
[[gnu::format(printf, 2, 3)]] void append_formatted(std::string& text, const char* format, ...)
{
    // Into a small buffer first: a second pass only for a text that does not fit.
    std::array<char, 64> small{};
    std::va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    const int size = std::vsnprintf(small.data(), small.size(), format, args);
    va_end(args);
    if (size > 0 && static_cast<std::size_t>(size) < small.size()) {
        text.append(small.data(), static_cast<std::size_t>(size));
    } else if (size > 0) {
        const std::size_t at = text.size();
        text.resize(at + static_cast<std::size_t>(size) + 1);
        std::vsnprintf(text.data() + at, static_cast<std::size_t>(size) + 1, format, again);
        text.pop_back();
    }
    va_end(again);
}

// One value of the table, right-aligned in `width` columns; "-" where the record has none.
void table_value(std::string& row, int width, int decimals, double value)
{
    if (std::isnan(value))
        append_formatted(row, "%*s", width, "-");
    else
        append_formatted(row, "%*.*f", width, decimals, value);
}

void csv_value(std::string& row, int decimals, double value)
{
    row += ',';
    if (!std::isnan(value))
        append_formatted(row, "%.*f", decimals, value);
}

// A day's row of the table or of the CSV.
std::string format_day_row(bool csv, const char* date, const double (&v)[14])
{
    std::string row = date;
    if (csv) {
        for (int i = 0; i < 9; ++i)
            csv_value(row, 1, v[i]);
        csv_value(row, 0, v[entry_ap]);
        for (int i = entry_flux_obs; i <= entry_arith_mean; ++i)
            csv_value(row, 1, v[i]);
    } else {
        for (int i = 0; i < 8; ++i)
            table_value(row, 5, 1, v[i]);
        table_value(row, 8, 1, v[entry_kp_sum]);
        table_value(row, 5, 0, v[entry_ap]);
        table_value(row, 11, 1, v[entry_flux_obs]);
        table_value(row, 11, 1, v[entry_flux_adj]);
        table_value(row, 10, 1, v[entry_gauss_mean]);
        table_value(row, 10, 1, v[entry_arith_mean]);
    }
    return row.append("\n");
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
    if (got < 0 && errno == ESPIPE)
        std::fprintf(err,
                     "%s: %s: cannot read at an offset (%s): give a pipe on standard input, "
                     "with -f -\n",
                     program,
                     file,
                     std::strerror(errno));
    else if (got < 0)
        std::fprintf(err, "%s: %s: cannot read: %s\n", program, file, std::strerror(errno));
    else if (static_cast<std::size_t>(got) > header_search_limit &&
             std::memchr(start.data(), '\n', header_search_limit) == nullptr)
        std::fprintf(err,
                     "%s: %s: no line end in its first %zu bytes: not a combined mean-flux file\n",
                     program,
                     file,
                     header_search_limit);
    else
        std::fprintf(err,
                     "%s: %s: no day range in its header line: not a combined mean-flux file "
                     "(meanflux-build makes one)\n",
                     program,
                     file);
}

// A day number's date as YYYY-MM-DD.
iso_date_text date_text(int day)
{
    return iso_date(date_of_day(day));
}

// Days named together on standard error: a run of days that follow each other.
struct day_run {
    calendar_date first{};
    calendar_date last{};
};

// "FIRST" or "FIRST..LAST".
std::string run_text(const day_run& run)
{
    std::string text = iso_date(run.first).data();
    if (run.first != run.last)
        text.append("..").append(iso_date(run.last).data());
    return text;
}

// Days that the file does not hold, gathered while a range is looked up so that days which
// follow each other and miss for the same reason are named in one line.
struct missing_days {
    int result = mean_flux_found; // why they are missing; mean_flux_found when none are pending
    day_run run;
};

// Name the pending missing days, if any, on `err`.
void report_missing(std::FILE* err, const char* file, const combined_header& header,
                    missing_days& missing)
{
    if (missing.result == mean_flux_found)
        return;
    const bool one_day = missing.run.first == missing.run.last;
    std::fprintf(err, "%s: %s", program, run_text(missing.run).c_str());
    if (missing.result != mean_flux_out_of_range)
        std::fprintf(err,
                     ": %s holds no record of %s where %s\n",
                     file,
                     one_day ? "that day" : "these days",
                     one_day ? "it belongs" : "they belong");
    else if (header.first > header.last)
        std::fprintf(err, ": outside the range of days of %s, which holds no day\n", file);
    else
        std::fprintf(err,
                     ": outside the range of days of %s, %s..%s\n",
                     file,
                     date_text(header.first).data(),
                     date_text(header.last).data());
    missing.result = mean_flux_found;
}

// Add a day that the file does not hold to the missing days, naming those pending before it
// when it does not continue them.
void add_missing(std::FILE* err, const char* file, const combined_header& header,
                 missing_days& missing, int result, const calendar_date& day)
{
    if (missing.result == result) {
        missing.run.last = day;
        return;
    }
    report_missing(err, file, header, missing);
    missing = {result, {day, day}};
}

// Predicted days that the answer rests on, gathered so that days which follow each other are
// named in one line.
struct predicted_days {
    bool pending = false;
    day_run run;
    int epochs = 0; // the epochs whose values come from them, when epochs are looked up
};

// Name the pending predicted days, if any, on `err`.
void report_predicted(std::FILE* err, const char* file, const combined_header& header,
                      predicted_days& predicted)
{
    if (!predicted.pending)
        return;
    if (predicted.epochs > 0)
        std::fprintf(err,
                     "%s: %d epoch%s rest%s on predicted days: %s of %s are predictions, "
                     "observed up to %s\n",
                     program,
                     predicted.epochs,
                     predicted.epochs == 1 ? "" : "s",
                     predicted.epochs == 1 ? "s" : "",
                     run_text(predicted.run).c_str(),
                     file,
                     date_text(header.last_observed).data());
    else
        std::fprintf(err,
                     "%s: %s: predicted, not observed: %s holds observations up to %s\n",
                     program,
                     run_text(predicted.run).c_str(),
                     file,
                     date_text(header.last_observed).data());
    predicted.pending = false;
}

// Add a day shown that is a prediction, naming those pending before it when it does not
// follow them.
void add_predicted(std::FILE* err, const char* file, const combined_header& header,
                   predicted_days& predicted, const calendar_date& day)
{
    if (predicted.pending && follows(predicted.run.last, day)) {
        predicted.run.last = day;
        return;
    }
    report_predicted(err, file, header, predicted);
    predicted = {true, {day, day}};
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

// Write a row, under the heading once; false when the output failed (rows.error_number), which
// ends the lookups: a reader that has gone, or a full disk, could take no later row either.
bool write_row(rows& shown, const char* heading, const std::string& row)
{
    errno = 0;
    if (!shown.headed)
        std::fputs(heading, shown.out);
    shown.headed = true;
    std::fputs(row.c_str(), shown.out);
    if (!std::ferror(shown.out))
        return true;
    shown.error_number = errno != 0 ? errno : EIO;
    return false;
}

enum class range_outcome {
    all_found,     // every day of the range was shown
    days_missing,  // the file does not hold some of the days, or holds them damaged: they
                   // are named on err
    file_unusable, // the file cannot serve: explained on err
    output_failed, // a row could not be written: rows.error_number tells why
};

// Look every day of a range up, in order: show the days found, name the others.
range_outcome look_up_range(int fd, const char* file, const date_range& range, rows& shown,
                            predicted_days& predicted, std::FILE* err)
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
            add_missing(err, file, header, missing, result, day);
            outcome = range_outcome::days_missing;
        } else if (result != mean_flux_found) {
            report_missing(err, file, header, missing);
            explain_unusable(err, file, fd);
            return range_outcome::file_unusable;
        } else if (const record_damage damage = damage_of_record(fd, header, d);
                   damage != record_damage::none) {
            // Not shown: a field cut short can read as another number (205 for 205.8).
            report_missing(err, file, header, missing);
            std::fprintf(err,
                         "%s: %s: the record of that day in %s %s\n",
                         program,
                         iso_date(day).data(),
                         file,
                         damage == record_damage::cut_short ? "is cut short"
                                                            : "holds a field without a number");
            outcome = range_outcome::days_missing;
        } else {
            report_missing(err, file, header, missing);
            std::string row = format_day_row(shown.csv, iso_date(day).data(), values);
            if (!write_row(shown, shown.csv ? csv_heading : table_heading, row))
                return range_outcome::output_failed;
            if (d > header.last_observed)
                add_predicted(err, file, header, predicted, day);
        }
        if (!(day < range.last))
            break;
    }
    report_missing(err, file, header, missing);
    return outcome;
}

// The bytes of a combined file that its header line says the lookups can reach: the header and
// the records of its range, no more.
std::int64_t reachable_bytes(const combined_header& header) noexcept
{
    const std::int64_t days =
        std::max<std::int64_t>(0, static_cast<std::int64_t>(header.last) - header.first + 1);
    return header.data_start + days * record_stride;
}

// What the lookups read: the combined file, open at offsets.
struct lookup_input {
    owned_descriptor opened;
    std::string name; // as the messages name it
};

// Standard input taken as a combined file: its first bytes, and then, when they hold a header,
// the records of the header's range and nothing after them, held in memory.  Endless input is
// read no further than the range (at most 100 000 days) reaches.
ending open_standard_input(lookup_input& input)
{
    input.name = "standard input";
    std::string bytes;
    int error_number = read_until(STDIN_FILENO, bytes, header_search_limit + 1);
    combined_header header{};
    if (error_number == 0 && parse_combined_header(bytes, header))
        error_number =
            read_until(STDIN_FILENO, bytes, static_cast<std::size_t>(reachable_bytes(header)));
    if (error_number != 0) {
        std::fprintf(
            stderr, "%s: standard input: cannot read: %s\n", program, std::strerror(error_number));
        return exit_usage_or_file;
    }
    const int fd = memory_file(bytes);
    if (fd < 0) {
        std::fprintf(stderr,
                     "%s: standard input: cannot hold it in memory: %s\n",
                     program,
                     std::strerror(errno));
        return exit_usage_or_file;
    }
    input.opened.reset(fd);
    return {};
}

// meanflux-build's messages about a source, said by this program.
std::string as_own_messages(const std::string& messages)
{
    const std::string theirs = std::string(build_program) + ": ";
    const std::string ours = std::string(program) + ": ";
    std::string text;
    for (std::size_t at = 0; at < messages.size();) {
        std::size_t end = messages.find('\n', at);
        end = end == std::string::npos ? messages.size() : end + 1;
        const std::string_view line(messages.data() + at, end - at);
        if (line.starts_with(theirs))
            text.append(ours).append(line.substr(theirs.size()));
        else
            text.append(line);
        at = end;
    }
    return text;
}

// The combined file that meanflux-build would make from a source (with its predictions when
// asked), built in memory as build_mean_flux_table builds its table: the lookups then read the
// very records the built file would hold.
ending open_source(const char* source, bool predictions, lookup_input& input)
{
    input.name = source;
    const build_request request{source, 0, 0, predictions, true};
    built_years built;
    std::string message;
    const build_status status = build_years_from_source(request, built, message);
    std::fputs(as_own_messages(message).c_str(), stderr);
    switch (status) {
    case build_status::built:
        break;
    case build_status::not_there:
        return exit_not_there;
    case build_status::no_combined_file:
        std::fprintf(stderr,
                     "%s: %s: its years end before 1950, the first a combined file holds\n",
                     program,
                     source);
        return exit_not_there;
    case build_status::source_error:
        return exit_usage_or_file;
    }
    std::fputs(as_own_messages(built.warnings).c_str(), stderr);
    int days = 0;
    const std::string_view file =
        combined_file_of(built.block, days, built.years.predicted_from - 1);
    const int fd = memory_file(file);
    if (fd < 0) {
        std::fprintf(stderr,
                     "%s: %s: cannot hold its combined file in memory: %s\n",
                     program,
                     source,
                     std::strerror(errno));
        return exit_usage_or_file;
    }
    input.opened.reset(fd);
    return {};
}

// A combined file named on the command line, or mean_flux.dat when none is.
ending open_file(const char* file, bool named, lookup_input& input)
{
    input.name = file;
    errno = 0;
    const int fd = ::open(file, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        input.opened.reset(fd);
        return {};
    }
    if (errno == ENOENT && !named)
        std::fprintf(stderr,
                     "%s: %s: %s: name a combined file with -f FILE, make one with "
                     "meanflux-build SOURCE, or look up in a source with --source SOURCE\n",
                     program,
                     file,
                     std::strerror(errno));
    else
        std::fprintf(stderr, "%s: %s: %s\n", program, file, std::strerror(errno));
    return exit_usage_or_file;
}

// The first and last day an epoch may name (parse_epoch).
constexpr calendar_date first_epoch_date{1900, 3, 1};
constexpr calendar_date last_epoch_date{2100, 2, 28};

// Why text is not an epoch, in words the user can act on.
std::string epoch_problem(std::string_view text)
{
    constexpr std::size_t date_size = 10;
    if (text.size() == date_size ||
        (text.size() > date_size && (text[date_size] == 'T' || text[date_size] == 't'))) {
        const std::string_view date = text.substr(0, date_size);
        if (std::string problem = period_problem(date); !problem.empty())
            return problem;
        calendar_date day{};
        if (parse_iso_date(date, day) && (day < first_epoch_date || last_epoch_date < day))
            return "epochs are taken from 1900-03-01 to 2100-02-28";
    }
    return "not an epoch in ISO 8601 UT: 2024-03-01, 2024-03-01T06:30, 2024-03-01T06:30:15 or "
           "2024-03-01T06:30:15.25, with or without Z";
}

// Text from the input, shown in a message: a control character shown as ?, so that no
// message can steer the terminal.
std::string shown_text(std::string_view text)
{
    std::string shown(text);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    return shown;
}

// The density-model inputs at epochs: the table, the heading, the rows.
constexpr const char* epoch_csv_heading =
    "epoch,result,f107_obs_prev_day,f107_adj_prev_day,f107_gauss_mean,f107_arith_mean,"
    "f107_obs_mean81,mean81_days,predicted,kp0,kp1,kp2,kp3,kp4,kp5,kp6,kp7,ap_daily,"
    "ap_history0,ap_history1,ap_history2,ap_history3,ap_history4,ap_history5,ap_history6\n";

// Width of the epoch column of the table: an epoch to the hundredth of a second with Z.
constexpr int epoch_width = 23;

// A column of the table for people after the epoch and the result.
struct epoch_column {
    const char* title;
    int width;
    int decimals;
    double (*value)(const space_weather& w);
};

constexpr epoch_column epoch_columns[] = {
    {"F10.7 d-1", 10, 1, [](const space_weather& w) { return w.f107_obs_prev_day; }},
    {"1AU d-1", 8, 1, [](const space_weather& w) { return w.f107_adj_prev_day; }},
    {"J77", 7, 1, [](const space_weather& w) { return w.f107_gauss_mean; }},
    {"J70", 7, 1, [](const space_weather& w) { return w.f107_arith_mean; }},
    {"mean81", 8, 1, [](const space_weather& w) { return w.f107_obs_mean81; }},
    {"days", 5, 0, [](const space_weather& w) { return double(w.mean81_days); }},
    {"Kp 0h", 7, 1, [](const space_weather& w) { return w.kp[0]; }},
    {"-3h", 5, 1, [](const space_weather& w) { return w.kp[1]; }},
    {"-6h", 5, 1, [](const space_weather& w) { return w.kp[2]; }},
    {"-9h", 5, 1, [](const space_weather& w) { return w.kp[3]; }},
    {"-12h", 5, 1, [](const space_weather& w) { return w.kp[4]; }},
    {"-15h", 5, 1, [](const space_weather& w) { return w.kp[5]; }},
    {"-18h", 5, 1, [](const space_weather& w) { return w.kp[6]; }},
    {"-21h", 5, 1, [](const space_weather& w) { return w.kp[7]; }},
    {"Ap", 5, 0, [](const space_weather& w) { return w.ap_daily; }},
    {"ap 0h", 7, 0, [](const space_weather& w) { return w.ap_history[1]; }},
    {"-3h", 5, 0, [](const space_weather& w) { return w.ap_history[2]; }},
    {"-6h", 5, 0, [](const space_weather& w) { return w.ap_history[3]; }},
    {"-9h", 5, 0, [](const space_weather& w) { return w.ap_history[4]; }},
    {"12-33h", 8, 1, [](const space_weather& w) { return w.ap_history[5]; }},
    {"36-57h", 8, 1, [](const space_weather& w) { return w.ap_history[6]; }},
};

constexpr const char* predicted_title = "  predicted";

std::string epoch_table_heading()
{
    std::string heading = "epoch";
    heading.resize(epoch_width, ' ');
    heading += "  result";
    for (const epoch_column& c : epoch_columns)
        append_formatted(heading, "%*s", c.width, c.title);
    return heading.append(predicted_title).append("\n");
}

// The shortest text that reads back as the same double; nan for not a number.
void append_number(std::string& row, double value)
{
    if (std::isnan(value)) {
        row += "nan";
        return;
    }
    std::array<char, 32> text{};
    const std::to_chars_result r = std::to_chars(text.data(), text.data() + text.size(), value);
    row.append(text.data(), r.ptr);
}

std::string format_epoch_row(bool csv, std::string_view epoch, int result, const space_weather& w)
{
    const bool values = result == mean_flux_found || result == space_weather_partial;
    std::string row(epoch);
    if (csv) {
        row.append(",").append(std::to_string(result));
        const double before[] = {w.f107_obs_prev_day,
                                 w.f107_adj_prev_day,
                                 w.f107_gauss_mean,
                                 w.f107_arith_mean,
                                 w.f107_obs_mean81};
        if (!values)
            return row.append(23, ',').append("\n");
        for (const double v : before)
            append_number(row += ',', v);
        row.append(",").append(std::to_string(w.mean81_days));
        row.append(w.predicted ? ",1" : ",0");
        for (const double kp : w.kp)
            append_number(row += ',', kp);
        append_number(row += ',', w.ap_daily);
        for (const double ap : w.ap_history)
            append_number(row += ',', ap);
        return row.append("\n");
    }
    if (row.size() < static_cast<std::size_t>(epoch_width))
        row.resize(epoch_width, ' ');
    append_formatted(row, "%8d", result);
    if (!values)
        return row.append("  ").append(mean_flux_result_text(result)).append("\n");
    for (const epoch_column& c : epoch_columns) {
        const double v = c.value(w);
        if (std::isnan(v))
            append_formatted(row, "%*s", c.width, "-");
        else
            append_formatted(row, "%*.*f", c.width, c.decimals, v);
    }
    append_formatted(
        row, "%*s", static_cast<int>(std::strlen(predicted_title)), w.predicted ? "yes" : "no");
    return row.append("\n");
}

// Text without the blanks and tabs around it.
std::string_view trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// What the lookups at epochs have come to.
struct epoch_lookups {
    const mean_flux_table& table;
    const combined_header& header;
    const char* file;
    rows shown;
    predicted_days predicted;
    int status = exit_ok;
    bool flush_each = false; // each row goes out at once: someone types the epochs
    std::string heading;
};

// Look an epoch that has been read up, and write its row; false when the output failed.
bool look_up_epoch(epoch_lookups& e, std::string_view epoch, int day, double seconds)
{
    space_weather w{};
    const int result = space_weather_at(e.table, day, seconds, w);
    if (result == mean_flux_out_of_range || result == mean_flux_no_record)
        e.status = std::max(e.status, exit_not_there);
    if ((result == mean_flux_found || result == space_weather_partial) && w.predicted) {
        // The predicted days of its values run from the first after the last observed day to
        // the last of its 81 days within the table: the epoch's day is moved by whole days as
        // space_weather_at moves it.
        const int last =
            std::min(day + static_cast<int>(std::floor(seconds / 86400.0)) + 40, e.header.last);
        const calendar_date first_date = date_of_day(e.header.last_observed + 1);
        const calendar_date last_date = date_of_day(last);
        if (!e.predicted.pending)
            e.predicted = {true, {first_date, last_date}, 0};
        else if (e.predicted.run.last < last_date)
            e.predicted.run.last = last_date;
        ++e.predicted.epochs;
    }
    const std::string row = format_epoch_row(e.shown.csv, epoch, result, w);
    if (!write_row(e.shown, e.heading.c_str(), row))
        return false;
    if (e.flush_each)
        std::fflush(e.shown.out);
    return true;
}

// Look up every epoch of standard input, one a line, as they come; false when the output
// failed.
bool look_up_input_epochs(epoch_lookups& e)
{
    input_lines lines(STDIN_FILENO);
    std::string line;
    bool too_long = false;
    while (lines.next(line, too_long)) {
        const std::string_view epoch = trimmed(line);
        if (epoch.empty() && !too_long)
            continue;
        int day = 0;
        double seconds = 0;
        if (too_long) {
            std::fprintf(stderr,
                         "%s: standard input, line %lld: longer than %zu characters: not an epoch; "
                         "the rest of standard input is not read\n",
                         program,
                         static_cast<long long>(lines.number()),
                         input_lines::longest);
            e.status = exit_usage_or_file;
            continue;
        }
        if (parse_epoch(epoch, day, seconds) != 0) {
            std::fprintf(stderr,
                         "%s: standard input, line %lld: %s: %s\n",
                         program,
                         static_cast<long long>(lines.number()),
                         shown_text(epoch).c_str(),
                         epoch_problem(epoch).c_str());
            e.status = exit_usage_or_file;
            continue;
        }
        if (!look_up_epoch(e, epoch, day, seconds))
            return false;
    }
    if (lines.error_number() != 0) {
        std::fprintf(stderr,
                     "%s: standard input: cannot read: %s\n",
                     program,
                     std::strerror(lines.error_number()));
        e.status = exit_usage_or_file;
    }
    return true;
}

// The inputs at every epoch of the command line, in order; - for those of standard input.
int look_up_epochs(const lookup_input& input, const std::vector<const char*>& epochs, bool csv)
{
    const char* file = input.name.c_str();
    const int fd = input.opened.fd();
    combined_header header{};
    if (!read_combined_header(fd, header)) {
        explain_unusable(stderr, file, fd);
        return exit_usage_or_file;
    }
    // The table of the bytes the lookups can reach, read at once.
    std::string bytes(static_cast<std::size_t>(reachable_bytes(header)), '\0');
    const ssize_t got = read_at(fd, bytes.data(), bytes.size(), 0);
    if (got < 0) {
        std::fprintf(stderr, "%s: %s: cannot read: %s\n", program, file, std::strerror(errno));
        return exit_usage_or_file;
    }
    bytes.resize(static_cast<std::size_t>(got));
    mean_flux_table table;
    if (const int loaded = load_mean_flux_table_bytes(bytes, table); loaded != mean_flux_found) {
        if (loaded == mean_flux_no_memory)
            std::fprintf(stderr, "%s: %s: not enough memory for its days\n", program, file);
        else
            explain_unusable(stderr, file, fd);
        return exit_usage_or_file;
    }
    epoch_lookups e{table,
                    header,
                    file,
                    {stdout, csv},
                    {},
                    exit_ok,
                    ::isatty(STDIN_FILENO) == 1,
                    csv ? epoch_csv_heading : epoch_table_heading()};
    for (const char* epoch : epochs) {
        int day = 0;
        double seconds = 0;
        const bool written =
            std::strcmp(epoch, "-") == 0
                ? look_up_input_epochs(e)
                : (parse_epoch(epoch, day, seconds) == 0 && look_up_epoch(e, epoch, day, seconds));
        if (!written)
            break;
    }
    if (e.shown.error_number != 0) {
        report_standard_output(stderr, program, e.shown.error_number);
        return exit_usage_or_file;
    }
    report_predicted(stderr, file, header, e.predicted);
    return output_reached(stdout, stderr, program) ? e.status : exit_usage_or_file;
}

// The options of a lookup.
struct lookup_options {
    const char* file = nullptr; // -f; nullptr for mean_flux.dat
    const char* source = nullptr;
    bool predictions = false;
    bool at = false;
    bool csv = false;
};

// The program, once its command line is read.
int look_up(const command_line& line)
{
    lookup_options o;
    for (const given_option& given : line.options) {
        switch (given.id) {
        case 'f':
            o.file = given.argument;
            break;
        case source_id:
            o.source = given.argument;
            break;
        case predictions_id:
            o.predictions = true;
            break;
        case at_id:
            o.at = true;
            break;
        default:
            o.csv = true;
        }
    }
    if (o.file != nullptr && o.source != nullptr)
        return usage_error(stderr, command, "-f and --source: look up in one or the other");
    if (o.predictions && o.source == nullptr)
        return usage_error(stderr,
                           command,
                           "--predictions goes with --source (a file that meanflux-build "
                           "--predictions made holds its predictions)");
    if (line.operands.empty())
        return usage_error(stderr, command, o.at ? "no epoch" : "no date");
    const bool file_on_input = o.file != nullptr && std::strcmp(o.file, "-") == 0;
    // Every argument is checked before the file is opened.
    std::vector<date_range> ranges;
    for (const char* operand : line.operands) {
        if (o.at) {
            int day = 0;
            double seconds = 0;
            if (std::strcmp(operand, "-") == 0) {
                if (file_on_input)
                    return usage_error(stderr,
                                       command,
                                       "-f - and --at -: standard input can give the file or "
                                       "the epochs, not both");
            } else if (parse_epoch(operand, day, seconds) != 0) {
                std::fprintf(stderr,
                             "%s: %s: %s\n",
                             program,
                             shown_text(operand).c_str(),
                             epoch_problem(operand).c_str());
                return exit_usage_or_file;
            }
            continue;
        }
        date_range range{};
        switch (parse_date_range(operand, range)) {
        case range_status::valid:
            ranges.push_back(range);
            break;
        case range_status::not_a_date: {
            const std::string_view text(operand);
            const std::size_t dots = text.find("..");
            std::string problem = period_problem(text.substr(0, dots));
            if (problem.empty() && dots != std::string_view::npos)
                problem = period_problem(text.substr(dots + 2));
            if (!problem.empty())
                std::fprintf(stderr, "%s: %s: %s\n", program, operand, problem.c_str());
            else
                std::fprintf(stderr,
                             "%s: %s: not a date YYYY-MM-DD, a month YYYY-MM or a year YYYY, "
                             "nor a range FIRST..LAST of them\n",
                             program,
                             shown_text(operand).c_str());
            return exit_usage_or_file;
        }
        case range_status::reversed:
            std::fprintf(stderr, "%s: %s: the range ends before it begins\n", program, operand);
            return exit_usage_or_file;
        }
    }

    // The file is opened once for all the dates; each lookup reads its header line and one
    // record at their offsets.
    lookup_input input;
    const ending opened =
        o.source != nullptr ? open_source(o.source, o.predictions, input)
        : file_on_input
            ? open_standard_input(input)
            : open_file(o.file != nullptr ? o.file : "mean_flux.dat", o.file != nullptr, input);
    if (opened)
        return *opened;
    if (o.at)
        return look_up_epochs(input, line.operands, o.csv);

    const char* file = input.name.c_str();
    int status = exit_ok;
    rows shown{stdout, o.csv};
    predicted_days predicted;
    combined_header header{};
    for (const date_range& range : ranges) {
        const range_outcome outcome =
            look_up_range(input.opened.fd(), file, range, shown, predicted, stderr);
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
    if (read_combined_header(input.opened.fd(), header))
        report_predicted(stderr, file, header, predicted);
    return output_reached(stdout, stderr, program) ? status : exit_usage_or_file;
}

} // namespace

} // namespace meanflux

int main(int argc, char** argv)
{
    return meanflux::run_program(argc, argv, meanflux::command, meanflux::look_up);
}
