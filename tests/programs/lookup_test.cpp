#include "support/run_program.h"
#include "support/yearly_files.h"

#include <gtest/gtest.h>

#include <meanflux/meanflux.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace meanflux::test {
namespace {

class LookupCommand : public ::testing::Test {
  protected:
    void SetUp() override
    {
        dir.write("mean_flux.dat", combined_mean_flux(dir.path(), 1980, 1980));
    }
    program_result lookup(const std::vector<std::string>& args)
    {
        run_options o;
        o.timeout_seconds = 30; // a lookup that waits on a FIFO ends the test, not CI
        return run_command("meanflux-lookup", args, dir.path(), "", o);
    }
    scratch_dir dir;
};

TEST_F(LookupCommand, ShowsTheDaysAsATable)
{
    // 1 January and 29 February 1980 as their records hold them.
    const program_result r = lookup({"1980-01-01", "1980-02-29"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "date        Kp1  Kp2  Kp3  Kp4  Kp5  Kp6  Kp7  Kp8  Kp sum   Ap  F10.7 obs  "
              "F10.7 1AU  J77 mean  J70 mean\n"
              "1980-01-01  2.3  2.3  2.3  3.3  3.3  4.3  5.0  5.0    28.0   24      195.6  "
              "    189.1     205.9     205.3\n"
              "1980-02-29  2.3  2.0  1.0  2.0  2.3  2.0  1.3  1.3    14.3    7      180.1  "
              "    176.7     195.7     197.1\n");
    EXPECT_EQ(read_file(dir / "1980_m.dat").substr(0, 47),
              "109572323233333435050280 24195.6189.1205.9205.3");
}

TEST_F(LookupCommand, ShowsTheDaysAsCsv)
{
    const program_result r = lookup({"--csv", "-f", "mean_flux.dat", "1980-01-01"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "date,kp1,kp2,kp3,kp4,kp5,kp6,kp7,kp8,kp_sum,ap,f107_obs,f107_adj,j77_mean,j70_mean\n"
              "1980-01-01,2.3,2.3,2.3,3.3,3.3,4.3,5.0,5.0,28.0,24,195.6,189.1,205.9,205.3\n");
}

TEST_F(LookupCommand, TellsApartTheWaysADayIsNotThere)
{
    const std::string records = read_file(dir / "1980_m.dat");
    dir.write("gap.dat", "1095711322\r\n" + records.substr(0, 49 * 59) + records.substr(49 * 60));
    dir.write("nohead.dat", "day numbers\r\n" + records);
    dir.write("nan.dat",
              "1095610956\r\n"
              "10956"
              "2323172023202733"
              "187"
              " 10"
              "  nan  nan  nan  nan\r\n");
    // The last record cut 30 bytes into it; a flux field that holds no number.
    dir.write("cut.dat", "1095711322\r\n" + records.substr(0, records.size() - 49 + 30));
    std::string garbled = "1095711322\r\n" + records;
    garbled.replace(12 + 49 * 2 + 32, 5, "  abc");
    dir.write("garbled.dat", garbled);
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out_rows, err;
    };
    const std::string usage =
        "usage: meanflux-lookup [-f FILE|--source SOURCE [--predictions]] [--csv] "
        "DATE[..DATE]...\n"
        "       meanflux-lookup [-f FILE|--source SOURCE [--predictions]] [--csv] --at "
        "EPOCH|-...\n";
    std::filesystem::create_directory(dir / "kp_ap");
    const Case cases[] = {
        {{"-f", "cut.dat", "1980-12-31"},
         1,
         "",
         "meanflux-lookup: 1980-12-31: the record of that day in cut.dat is cut short\n"},
        {{"-f", "garbled.dat", "1980-01-02..1980-01-03"},
         1,
         "1980-01-02  4.3  3.0  2.0  2.3  3.3  2.0  1.0  2.0    20.0   12      206.7      199.9  "
         "   205.7     205.0\n",
         "meanflux-lookup: 1980-01-03: the record of that day in garbled.dat holds a field "
         "without a number\n"},
        {{"1979-12-31", "1980-01-02"},
         1,
         "1980-01-02  4.3  3.0  2.0  2.3  3.3  2.0  1.0  2.0    20.0   12      206.7      199.9  "
         "   205.7     205.0\n",
         "meanflux-lookup: 1979-12-31: outside the range of days of mean_flux.dat, "
         "1980-01-01..1980-12-31\n"},
        {{"-f", "gap.dat", "1980-03-01"},
         1,
         "",
         "meanflux-lookup: 1980-03-01: gap.dat holds no record of that day where it belongs\n"},
        {{"-f", "none.dat", "1980-03-01"},
         2,
         "",
         "meanflux-lookup: none.dat: No such file or directory\n"},
        {{"-f", "nohead.dat", "1980-03-01"},
         2,
         "",
         "meanflux-lookup: nohead.dat: no day range in its header line: not a combined "
         "mean-flux file (meanflux-build makes one)\n"},
        {{"1989-02-30"}, 2, "", "meanflux-lookup: 1989-02-30: February 1989 has no 30th day\n"},
        {{}, 2, "", "meanflux-lookup: no date\n" + usage},
        {{"--at"}, 2, "", "meanflux-lookup: no epoch\n" + usage},
        {{"--at", "1980-06-01T24:00"},
         2,
         "",
         "meanflux-lookup: 1980-06-01T24:00: not an epoch in ISO 8601 UT: 2024-03-01, "
         "2024-03-01T06:30, 2024-03-01T06:30:15 or 2024-03-01T06:30:15.25, with or without Z\n"},
        {{"--at", "1980-06-01", "1980-02-30T00:00"},
         2,
         "",
         "meanflux-lookup: 1980-02-30T00:00: February 1980 has no 30th day\n"},
        {{"--at", "1900-02-28"},
         2,
         "",
         "meanflux-lookup: 1900-02-28: epochs are taken from 1900-03-01 to 2100-02-28\n"},
        {{"-f", "-", "--at", "-"},
         2,
         "",
         "meanflux-lookup: -f - and --at -: standard input can give the file or the epochs, "
         "not both\n" +
             usage},
        {{"--predictions", "1980-01-01"},
         2,
         "",
         "meanflux-lookup: --predictions goes with --source (a file that meanflux-build "
         "--predictions made holds its predictions)\n" +
             usage},
        {{"--source", "kp_ap", "--predictions", "1980-01-01"},
         2,
         "",
         "meanflux-lookup: kp_ap: holds no predictions; of the sources only CelesTrak's SW-All.csv "
         "has them\n"},
        {{"-f", "nan.dat", "1979-12-31"},
         0,
         "1979-12-31  2.3  2.3  1.7  2.0  2.3  2.0  2.7  3.3    18.7   10          -          -  "
         "       -         -\n",
         ""},
    };
    for (const auto& c : cases) {
        const program_result r = lookup(c.args);
        EXPECT_EQ(r.status, c.status) << c.err;
        EXPECT_EQ(r.err, c.err);
        if (!c.out_rows.empty()) {
            EXPECT_EQ(r.out.substr(r.out.find('\n') + 1), c.out_rows);
        } else {
            EXPECT_EQ(r.out, "");
        }
    }
    EXPECT_EQ(lookup({"--help"}).status, 0);
    // Without -f and without mean_flux.dat: how to name a file or make one.
    std::filesystem::remove(dir / "mean_flux.dat");
    const program_result r = lookup({"1980-01-01"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err,
              "meanflux-lookup: mean_flux.dat: No such file or directory: name a combined file "
              "with -f FILE, make one with meanflux-build SOURCE, or look up in a source with "
              "--source SOURCE\n");
}

// The rows of a lookup: its standard output without the heading.
std::string rows(const program_result& r)
{
    return r.out.empty() ? "" : r.out.substr(r.out.find('\n') + 1);
}

TEST_F(LookupCommand, RangesAreEveryDayInOrder)
{
    // 1980 and 1981 in one file: a range gives what its days give one by one, in order, across
    // the end of a year and 29 February, in the table and as CSV.
    dir.write("two.dat", combined_mean_flux(dir.path(), 1980, 1981));
    for (const bool csv : {false, true}) {
        std::vector<std::string> options{"-f", "two.dat"};
        if (csv)
            options.push_back("--csv");
        const std::vector<std::vector<std::string>> ranges{
            {"1980-12-29", "1980-12-30", "1980-12-31", "1981-01-01", "1981-01-02"},
            {"1980-02-28", "1980-02-29", "1980-03-01"},
        };
        for (const auto& days : ranges) {
            std::vector<std::string> one_by_one = options;
            one_by_one.insert(one_by_one.end(), days.begin(), days.end());
            std::vector<std::string> range = options;
            range.push_back(days.front() + ".." + days.back());
            const program_result expected = lookup(one_by_one);
            const program_result r = lookup(range);
            ASSERT_EQ(expected.status, 0) << expected.err;
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(r.out, expected.out) << "one heading, then a row per day";
        }
        // A month or a year is its days, on either side of a range.
        const std::vector<std::pair<std::string, std::string>> periods{
            {"1980-02", "1980-02-01..1980-02-29"},
            {"1980", "1980-01-01..1980-12-31"},
            {"1980-12..1981-01", "1980-12-01..1981-01-31"},
            {"1980-11-30..1981", "1980-11-30..1981-12-31"},
        };
        for (const auto& [period, days] : periods) {
            std::vector<std::string> as_period = options, as_days = options;
            as_period.push_back(period);
            as_days.push_back(days);
            const program_result r = lookup(as_period);
            EXPECT_EQ(r.status, 0) << period << r.err;
            EXPECT_EQ(r.out, lookup(as_days).out) << period;
        }
        // Ranges and dates together, each in the order given.
        std::vector<std::string> mixed = options;
        mixed.insert(mixed.end(),
                     {"1981-01-02..1981-01-03", "1980-01-01", "1980-01-01..1980-01-02"});
        std::vector<std::string> flat = options;
        flat.insert(flat.end(),
                    {"1981-01-02", "1981-01-03", "1980-01-01", "1980-01-01", "1980-01-02"});
        EXPECT_EQ(lookup(mixed).out, lookup(flat).out);
    }
    // A whole year: 365 rows, the first and last its first and last day.
    const program_result year = lookup({"-f", "two.dat", "--csv", "1981-01-01..1981-12-31"});
    EXPECT_EQ(year.status, 0);
    EXPECT_EQ(std::count(year.out.begin(), year.out.end(), '\n'), 366);
    EXPECT_TRUE(rows(year).starts_with("1981-01-01,"));
    EXPECT_NE(year.out.find("\n1981-12-31,"), std::string::npos);
}

TEST_F(LookupCommand, DaysOfARangeThatTheFileDoesNotHold)
{
    // The days held are shown; the others are named, those that follow each other for the same
    // reason in one line; the exit status is 1.
    const std::string records = read_file(dir / "1980_m.dat");
    dir.write("gap.dat", "1095711322\r\n" + records.substr(0, 49 * 59) + records.substr(49 * 60));
    const std::string heading = "date,kp1,kp2,kp3,kp4,kp5,kp6,kp7,kp8,kp_sum,ap,f107_obs,"
                                "f107_adj,j77_mean,j70_mean\n";
    const std::string first_days =
        "1980-01-01,2.3,2.3,2.3,3.3,3.3,4.3,5.0,5.0,28.0,24,195.6,189.1,205.9,205.3\n"
        "1980-01-02,4.3,3.0,2.0,2.3,3.3,2.0,1.0,2.0,20.0,12,206.7,199.9,205.7,205.0\n";
    const std::string last_day =
        "1980-12-31,3.7,3.3,2.7,1.3,1.7,3.3,3.7,3.3,23.0,15,205.8,199.0,203.8,206.3\n";
    struct Case {
        std::vector<std::string> args;
        std::string out, err;
    };
    const std::string range = ", 1980-01-01..1980-12-31\n";
    const Case cases[] = {
        {{"1979-12-30..1980-01-02"},
         heading + first_days,
         "meanflux-lookup: 1979-12-30..1979-12-31: outside the range of days of mean_flux.dat" +
             range},
        {{"1980-12-31..1981-01-01"},
         heading + last_day,
         "meanflux-lookup: 1981-01-01: outside the range of days of mean_flux.dat" + range},
        // 29 February is missing from the body: it and every later day within the file's
        // range stand at the wrong place.
        {{"-f", "gap.dat", "1980-02-28..1980-03-02"},
         heading + "1980-02-28,2.7,2.7,2.7,2.7,1.7,1.0,1.7,3.0,18.0,10,175.1,171.7,195.8,197.1\n",
         "meanflux-lookup: 1980-02-29..1980-03-02: gap.dat holds no record of these days "
         "where they belong\n"},
        {{"-f", "gap.dat", "1980-12-31..1981-01-01"},
         "",
         "meanflux-lookup: 1980-12-31: gap.dat holds no record of that day where it belongs\n"
         "meanflux-lookup: 1981-01-01: outside the range of days of gap.dat" +
             range},
        // Each argument is named on its own.
        {{"1979-12-31", "1979-12-30..1979-12-31"},
         "",
         "meanflux-lookup: 1979-12-31: outside the range of days of mean_flux.dat" + range +
             "meanflux-lookup: 1979-12-30..1979-12-31: outside the range of days of "
             "mean_flux.dat" +
             range},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"--csv"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const program_result r = lookup(args);
        EXPECT_EQ(r.status, 1) << c.args.back();
        EXPECT_EQ(r.out, c.out) << c.args.back();
        EXPECT_EQ(r.err, c.err) << c.args.back();
    }
    // The whole year of 1980 in the table, with days outside at each end: a day, or centuries
    // of them, which are told from the header alone.
    const std::string outside =
        ": outside the range of days of mean_flux.dat, 1980-01-01..1980-12-31\n";
    const Case whole_year[] = {
        {{"1979-12-31..1981-01-01"},
         "",
         "meanflux-lookup: 1979-12-31" + outside + "meanflux-lookup: 1981-01-01" + outside},
        {{"0000-01-01..9999-12-31"},
         "",
         "meanflux-lookup: 0000-01-01..1979-12-31" + outside +
             "meanflux-lookup: 1981-01-01..9999-12-31" + outside},
    };
    for (const auto& c : whole_year) {
        const program_result r = lookup(c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 367) << "heading and 366 days";
        EXPECT_TRUE(rows(r).starts_with("1980-01-01 "));
        EXPECT_EQ(r.err, c.err);
    }
}

// The CSV row of an epoch, formed from what the library gives for it.
std::string library_row(const std::string& file, const std::string& epoch)
{
    mean_flux_table table;
    EXPECT_EQ(load_mean_flux_table(file.c_str(), table), 0) << file;
    int day = 0;
    double seconds = 0;
    EXPECT_EQ(parse_epoch(epoch, day, seconds), 0) << epoch;
    space_weather w{};
    const int result = space_weather_at(table, day, seconds, w);
    std::string row = epoch + "," + std::to_string(result);
    if (result != 0 && result != 2)
        return row + std::string(23, ',') + "\n";
    const auto number = [&row](double v) {
        std::array<char, 32> text{};
        row += ',';
        if (std::isnan(v))
            row += "nan";
        else
            row.append(text.data(), std::to_chars(text.data(), text.data() + 32, v).ptr);
    };
    for (const double v : {w.f107_obs_prev_day,
                           w.f107_adj_prev_day,
                           w.f107_gauss_mean,
                           w.f107_arith_mean,
                           w.f107_obs_mean81})
        number(v);
    row += "," + std::to_string(w.mean81_days) + (w.predicted ? ",1" : ",0");
    for (const double kp : w.kp)
        number(kp);
    number(w.ap_daily);
    for (const double ap : w.ap_history)
        number(ap);
    return row + "\n";
}

constexpr const char* epoch_heading =
    "epoch,result,f107_obs_prev_day,f107_adj_prev_day,f107_gauss_mean,f107_arith_mean,"
    "f107_obs_mean81,mean81_days,predicted,kp0,kp1,kp2,kp3,kp4,kp5,kp6,kp7,ap_daily,"
    "ap_history0,ap_history1,ap_history2,ap_history3,ap_history4,ap_history5,ap_history6\n";

TEST_F(LookupCommand, InputsAtEpochsAreTheLibrarys)
{
    // 1980 alone: the middle of the table, its edges, and a record missing inside it.
    const std::string records = read_file(dir / "1980_m.dat");
    dir.write("gap.dat", "1095711322\r\n" + records.substr(0, 49 * 59) + records.substr(49 * 60));
    struct Case {
        const char* file;
        const char* epoch;
        int result, status;
    };
    const Case cases[] = {
        {"mean_flux.dat", "1980-06-15T13:45:30.5Z", 0, 0},
        {"mean_flux.dat", "1980-01-03T09:00", 2, 0},      // its twenty intervals in the table
        {"mean_flux.dat", "1980-01-03T08:59:59", -1, 1},  // one interval before the first day
        {"mean_flux.dat", "1980-12-31T23:59:59.5", 2, 0}, // the 81-day mean over 41 days
        {"mean_flux.dat", "1980-12-31T23:59:60", -1, 1},  // 0 h of the next day
        {"gap.dat", "1980-03-01t00:00z", 1, 1},
    };
    for (const auto& c : cases) {
        const program_result r = lookup({"-f", c.file, "--csv", "--at", c.epoch});
        EXPECT_EQ(r.status, c.status) << c.epoch << r.err;
        EXPECT_EQ(r.err, "") << c.epoch;
        EXPECT_EQ(r.out, epoch_heading + library_row((dir / c.file).string(), c.epoch));
        EXPECT_EQ(r.out.substr(r.out.find('\n') + 1)
                      .find(std::string(c.epoch) + "," + std::to_string(c.result) + ","),
                  0u)
            << c.epoch;
    }
    // One epoch a line from standard input, as it comes: CR LF, blanks around, blank lines;
    // a line that is no epoch is named, the others still answered; a line too long for any
    // epoch ends the reading (it may never end).
    const program_result typed = run_command("meanflux-lookup",
                                             {"--csv", "--at", "1980-06-15", "-", "1980-06-17"},
                                             dir.path(),
                                             "1980-06-16T12:00\r\n\n  1980-07-01 \t\n1980-06-31\n" +
                                                 std::string(5000, '1') + "\n1980-08-01");
    EXPECT_EQ(typed.status, 2);
    EXPECT_EQ(typed.err,
              "meanflux-lookup: standard input, line 4: 1980-06-31: June 1980 has no 31st day\n"
              "meanflux-lookup: standard input, line 5: longer than 4096 characters: not an "
              "epoch; the rest of standard input is not read\n");
    const program_result given =
        lookup({"--csv", "--at", "1980-06-15", "1980-06-16T12:00", "1980-07-01", "1980-06-17"});
    EXPECT_EQ(given.status, 0) << given.err;
    EXPECT_EQ(typed.out, given.out);
    // For people: a heading and a row per epoch, the result's text where there are no values.
    const program_result table = lookup({"--at", "1980-06-15", "1979-06-15"});
    EXPECT_EQ(table.status, 1);
    EXPECT_EQ(std::count(table.out.begin(), table.out.end(), '\n'), 3);
    EXPECT_TRUE(table.out.starts_with("epoch "));
    EXPECT_NE(table.out.find("\n1979-06-15                   -1  outside the file's range\n"),
              std::string::npos)
        << table.out;
}

TEST_F(LookupCommand, FromASourceOrStandardInputAsFromTheBuiltFile)
{
    // CelesTrak's file with its predictions: meanflux-build's file, the same built in memory,
    // and the file on standard input give the same rows; the predicted days are named.
    const std::string source = test_data("celestrak/SW-All.csv").string();
    ASSERT_EQ(run_command("meanflux-build", {"--predictions", "-o", "pred.dat", source}, dir.path())
                  .status,
              0);
    const std::string built = read_file(dir / "pred.dat");
    const std::vector<std::string> asked[] = {
        {"2024-03-17..2024-03-20", "1958-01", "2024-05"},
        {"--csv", "2024", "2024-05-02..2024-05-03"},
        {"--csv", "--at", "2024-03-18T21:00", "2024-03-01", "2024-05-02T23:00", "1958-01-03"},
    };
    for (const auto& args : asked) {
        std::vector<std::string> from_file{"-f", "pred.dat"},
            from_source{"--source", source, "--predictions"}, from_input{"-f", "-"};
        for (auto* a : {&from_file, &from_source, &from_input})
            a->insert(a->end(), args.begin(), args.end());
        const program_result expected = lookup(from_file);
        const program_result r = lookup(from_source);
        // Standard input is read no further than the header's range reaches.
        const program_result piped = run_command(
            "meanflux-lookup", from_input, dir.path(), built + std::string(100000, 'x'));
        EXPECT_EQ(r.out, expected.out) << args.back();
        EXPECT_EQ(piped.out, expected.out) << args.back();
        EXPECT_EQ(r.status, expected.status);
        EXPECT_EQ(piped.status, expected.status);
        EXPECT_NE(expected.err.find("predict"), std::string::npos) << args.back();
        EXPECT_NE(piped.err.find(" standard input "), std::string::npos) << piped.err;
    }
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {{"2024-03-17..2024-03-20", "2024-03-22", "2024-03-21"},
         0,
         "meanflux-lookup: 2024-03-19..2024-03-20: predicted, not observed: pred.dat holds "
         "observations up to 2024-03-18\n"
         "meanflux-lookup: 2024-03-22: predicted, not observed: pred.dat holds observations up "
         "to 2024-03-18\n"
         "meanflux-lookup: 2024-03-21: predicted, not observed: pred.dat holds observations up "
         "to 2024-03-18\n"},
        {{"2024-05-02..2024-05-03"},
         1,
         "meanflux-lookup: 2024-05-03: outside the range of days of pred.dat, "
         "1958-01-01..2024-05-02\n"
         "meanflux-lookup: 2024-05-02: predicted, not observed: pred.dat holds observations up "
         "to 2024-03-18\n"},
        {{"--at", "2024-02-20", "2024-03-01T12:00", "2023-12-01"},
         0,
         "meanflux-lookup: 2 epochs rest on predicted days: 2024-03-19..2024-04-10 of pred.dat "
         "are predictions, observed up to 2024-03-18\n"},
        {{"--at", "2023-12-01"}, 0, ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"-f", "pred.dat"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const program_result r = lookup(args);
        EXPECT_EQ(r.status, c.status) << c.args.back();
        EXPECT_EQ(r.err, c.err);
    }
}

TEST_F(LookupCommand, RangesThatCannotBeLookedUp)
{
    struct Case {
        std::string arg, err;
    };
    const Case cases[] = {
        {"1980-02-01..1980-01-01", "1980-02-01..1980-01-01: the range ends before it begins"},
        {"1980-01-01..",
         "1980-01-01..: not a date YYYY-MM-DD, a month YYYY-MM or a year YYYY, nor a range "
         "FIRST..LAST of them"},
        {"1980-01-01..1980-02-30", "1980-01-01..1980-02-30: February 1980 has no 30th day"},
        {"1980-13..1981", "1980-13..1981: 1980-13: a year has the months 01 to 12"},
    };
    for (const auto& c : cases) {
        // Every argument is checked before any day is looked up.
        const program_result r = lookup({"1980-01-01", c.arg});
        EXPECT_EQ(r.status, 2) << c.arg;
        EXPECT_EQ(r.out, "") << c.arg;
        EXPECT_EQ(r.err, "meanflux-lookup: " + c.err + "\n");
    }
}

TEST_F(LookupCommand, RowsThatCannotBeWrittenEndTheLookups)
{
    // 1980 in a file, asked for many times over: the first failed write ends the lookups.
    run_options full;
    full.stdout_path = "/dev/full";
    full.timeout_seconds = 30;
    const program_result r = run_command("meanflux-lookup",
                                         {"1980-01-01..1980-12-31", "1980-01-01..1980-12-31"},
                                         dir.path(),
                                         "",
                                         full);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "meanflux-lookup: standard output: No space left on device\n");
}

TEST_F(LookupCommand, FilesThatCannotServeAreNamedWithoutReadingThemWhole)
{
    // Each of these ends at once: an endless file, one without a line end, a FIFO without a
    // writer (which cannot be read at an offset), a directory.
    dir.write("blanks.dat", std::string(5000, ' '));
    dir.write("nul.dat", std::string(4097, '\0'));
    dir.write("short.dat", std::string(4096, ' ')); // no line end, but no more than 4096 bytes
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
    std::filesystem::create_directory(dir / "directory");
    struct Case {
        std::string file, err;
    };
    const Case cases[] = {
        {"/dev/zero",
         "/dev/zero: no line end in its first 4096 bytes: not a combined mean-flux file"},
        {"blanks.dat",
         "blanks.dat: no line end in its first 4096 bytes: not a combined mean-flux file"},
        {"nul.dat", "nul.dat: no line end in its first 4096 bytes: not a combined mean-flux file"},
        {"short.dat",
         "short.dat: no day range in its header line: not a combined mean-flux file "
         "(meanflux-build makes one)"},
        {"fifo",
         "fifo: cannot read at an offset (Illegal seek): give a pipe on standard input, with -f "
         "-"},
        {"directory", "directory: cannot read: Is a directory"},
    };
    for (const auto& c : cases) {
        const program_result r = lookup({"-f", c.file, "1980-01-01", "1980-01-02"});
        EXPECT_EQ(r.signal, 0) << c.file;
        EXPECT_EQ(r.status, 2) << c.file;
        EXPECT_EQ(r.err, "meanflux-lookup: " + c.err + "\n");
        EXPECT_EQ(r.out, "");
    }
}

} // namespace
} // namespace meanflux::test
