// meanflux-build against the per-year pipeline it replaces: meanflux-import (for a published
// file), one meanflux run per year, and meanflux-combine.
#include "support/run_program.h"
#include "support/yearly_files.h"

#include <meanflux/calendar.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace meanflux::test {
namespace {

namespace fs = std::filesystem;

const fs::path gfz_1979_1981 = test_data("gfz/Kp_ap_Ap_SN_F107_1979-1981.txt");
const fs::path gfz_2016_on = example_data("data/Kp_ap_Ap_SN_F107_2016-latest.txt");
const fs::path celestrak = test_data("celestrak/SW-All.csv");

std::string name_of(int year, const char* suffix)
{
    char name[32];
    std::snprintf(name, sizeof name, "%.4d%s", year, suffix);
    return name;
}

std::string header_of(int first_day, int last_day)
{
    char header[32];
    std::snprintf(header, sizeof header, "%05d%05d\r\n", first_day, last_day);
    return header;
}

// The per-year pipeline in `dir`, which holds the daily index files: an empty next-year file
// for the last year when there is none (as a user would make one), a meanflux run for each year
// from `first` to `last`, and meanflux-combine over the yearly files of those from 1950 on.
// Returns the combined file; the yearly files stay in `dir`.
std::string per_year_pipeline(const fs::path& dir, int first, int last)
{
    if (!fs::exists(dir / name_of(last + 1, ".dat")))
        std::ofstream(dir / name_of(last + 1, ".dat"));
    std::vector<std::string> combine{"-o", "mean_flux.dat"};
    for (int year = first; year <= last; ++year) {
        const program_result r = run_meanflux(dir, std::to_string(year) + "\n");
        EXPECT_EQ(r.status, 0) << year << ": " << r.err;
        if (year >= 1950)
            combine.push_back(name_of(year, "_m.dat"));
    }
    if (last < 1950)
        return "";
    const program_result r = run_command("meanflux-combine", combine, dir);
    EXPECT_EQ(r.status, 0) << r.err;
    return read_file(dir / "mean_flux.dat");
}

// Import a published file into `dir`, as a user of the per-year pipeline does first.
void import_into(const fs::path& dir, const fs::path& source)
{
    const program_result r =
        run_command("meanflux-import", {"-d", dir.string(), source.string()}, ".");
    ASSERT_EQ(r.status, 0) << r.err;
}

// Each year's file that meanflux-build wrote into `built` is the yearly run's in `piped`.
void expect_same_yearly_files(const fs::path& built, const fs::path& piped, int first, int last)
{
    for (int year = first; year <= last; ++year) {
        const std::string name = name_of(year, "_m.dat");
        const std::string mine = read_file(built / name);
        ASSERT_FALSE(mine.empty()) << name;
        EXPECT_TRUE(mine == read_file(piped / name)) << name << " differs from the yearly run's";
    }
}

// The archive's daily index files of the years given (1979-1981 from examples/data, the others
// from tests/data/kp_ap).
void add_archive_years(const scratch_dir& dir, int first, int last)
{
    for (int year = first; year <= last; ++year)
        dir.add(real_year(year));
}

std::string end_warning(const std::string& source, const char* last_day, const char* complete)
{
    return "meanflux-build: warning: " + source + ": the data end on " + last_day + "; " +
           complete +
           " is the last day whose averaging windows are complete, the means of the days after "
           "it are one-sided\n";
}

TEST(Build, TheWholeArchiveIsThePerYearPipelineByteForByte)
{
    // 1950 to 2018 from 1949 to 2018: 69 years, the last incomplete (2018.dat has 120 days).
    scratch_dir source, piped, out;
    add_archive_years(source, 1949, 2018);
    add_archive_years(piped, 1949, 2018);
    const program_result r = run_command("meanflux-build",
                                         {"-o",
                                          (out / "mean_flux.dat").string(),
                                          "--yearly",
                                          (out / "yearly").string(),
                                          source.path().string()},
                                         ".");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, end_warning(source.path().string(), "2018-04-30", "2017-10-02"));
    EXPECT_EQ(r.out.substr(0, r.out.find('\n') + 1),
              (out / "yearly/1950_m.dat").string() + ": 365 days\n");
    EXPECT_TRUE(r.out.ends_with((out / "yearly/2018_m.dat").string() + ": 120 days\n" +
                                (out / "mean_flux.dat").string() +
                                ": 24957 days, 1950-01-01 to 2018-04-30\n"))
        << r.out;

    const std::string combined = per_year_pipeline(piped.path(), 1950, 2018);
    const std::string built = read_file(out / "mean_flux.dat");
    EXPECT_EQ(built.substr(0, 12), "0000024956\r\n");
    EXPECT_EQ(built.size(), combined.size());
    EXPECT_TRUE(built == combined) << "the combined files differ";
    expect_same_yearly_files(out / "yearly", piped.path(), 1950, 2018);
    EXPECT_EQ(read_file(out / "yearly/2018_m.dat").size(), 120u * 49u);
}

TEST(Build, FromTheGfzFileAsImportedAndRunYearByYear)
{
    // The excerpt of 2016 to 7 January 2026: by default 2017 (the first year whose preceding year
    // the file holds) to 2026, whose 7 days are its records.
    scratch_dir piped, out;
    import_into(piped.path(), gfz_2016_on);
    const program_result r =
        run_command("meanflux-build", {"--yearly", "y", gfz_2016_on.string()}, out.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, end_warning(gfz_2016_on.string(), "2026-01-07", "2025-06-11"));
    EXPECT_TRUE(r.out.ends_with("y/2026_m.dat: 7 days\nmean_flux.dat: 3294 days, 2017-01-01 to "
                                "2026-01-07\n"))
        << r.out;
    EXPECT_TRUE(read_file(out / "mean_flux.dat") == per_year_pipeline(piped.path(), 2017, 2026));
    expect_same_yearly_files(out / "y", piped.path(), 2017, 2026);
    EXPECT_FALSE(fs::exists(out / "y/2016_m.dat"));
    EXPECT_EQ(read_file(out / "y/2026_m.dat").size(), 7u * 49u);

    // A source that ends on 31 December: the year after it counts as empty all the same.
    scratch_dir piped_1979, out_1979;
    import_into(piped_1979.path(), gfz_1979_1981);
    const program_result r79 =
        run_command("meanflux-build", {"-o", "mf.dat", gfz_1979_1981.string()}, out_1979.path());
    ASSERT_EQ(r79.status, 0) << r79.err;
    EXPECT_EQ(r79.err, end_warning(gfz_1979_1981.string(), "1981-12-31", "1981-06-04"));
    EXPECT_TRUE(read_file(out_1979 / "mf.dat") == per_year_pipeline(piped_1979.path(), 1980, 1981));
}

TEST(Build, FromCelesTrakAsImportedWithoutPredictions)
{
    // SW-All.csv begins on 1 October 1957 (import writes the days of 1957 before it as days
    // without data) and is observed to 18 March 2024; its predictions are left out, as import
    // leaves them out.
    scratch_dir piped, out;
    import_into(piped.path(), celestrak);
    std::string first_years;
    for (const auto& [first, last] : {std::pair{1958, 1960}, std::pair{2021, 2024}}) {
        const program_result r = run_command("meanflux-build",
                                             {"--from",
                                              std::to_string(first),
                                              "--to",
                                              std::to_string(last),
                                              "-o",
                                              "mf.dat",
                                              "--yearly",
                                              ".",
                                              celestrak.string()},
                                             out.path());
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(read_file(out / "mf.dat") == per_year_pipeline(piped.path(), first, last))
            << first;
        expect_same_yearly_files(out.path(), piped.path(), first, last);
        if (first == 1958)
            first_years = read_file(out / "mf.dat");
    }
    EXPECT_EQ(read_file(out / "2024_m.dat").size(), 78u * 49u);
    // By default from 1958, the first year whose preceding year the file holds, to 2024.
    const program_result r =
        run_command("meanflux-build", {"-o", "-", celestrak.string()}, out.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 12), header_of(day_number(1, 1, 1958), day_number(18, 3, 2024)));
    EXPECT_TRUE(r.out.substr(12, 49 * (365 * 3 + 1)) == first_years.substr(12));
}

TEST(Build, FromCelesTrakWithPredictionsAsImportedWithThem)
{
    // The 45 daily predictions, 19 March to 2 May 2024, as import --predictions writes them;
    // the header adds the last observed day.
    scratch_dir piped, out;
    const program_result imported = run_command(
        "meanflux-import", {"--predictions", "-d", piped.path().string(), celestrak.string()}, ".");
    ASSERT_EQ(imported.status, 0) << imported.err;
    const program_result r = run_command(
        "meanflux-build",
        {"--predictions", "--from", "2023", "-o", "mf.dat", "--yearly", ".", celestrak.string()},
        out.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err,
              "meanflux-build: warning: " + celestrak.string() +
                  ": the observations end on 2024-03-18 and the predictions on 2024-05-02; "
                  "2023-10-05 is the last day whose averaging windows are complete, the means "
                  "of the days after it are one-sided\n");
    const std::string built = read_file(out / "mf.dat");
    const std::string header = header_of(day_number(1, 1, 2023), day_number(2, 5, 2024));
    const std::string observed = " " + std::to_string(day_number(18, 3, 2024)) + "\r\n";
    EXPECT_EQ(built.substr(0, 18), header.substr(0, 10) + observed);
    EXPECT_TRUE(built.substr(18) == per_year_pipeline(piped.path(), 2023, 2024).substr(12));
    expect_same_yearly_files(out.path(), piped.path(), 2023, 2024);
    EXPECT_EQ(read_file(out / "2024_m.dat").size(), 123u * 49u);
}

TEST(Build, TheYearsAskedForAndStandardOutput)
{
    scratch_dir source, piped, out;
    add_archive_years(source, 1978, 1983);
    add_archive_years(piped, 1978, 1983);
    const std::string dir = source.path().string();

    // --from and --to: the records of those years, with their data after them.
    program_result r =
        run_command("meanflux-build", {"--from", "1980", "--to", "1981", dir}, out.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "") << "1982 holds every day the windows of 1981 reach";
    EXPECT_EQ(r.out, "mean_flux.dat: 731 days, 1980-01-01 to 1981-12-31\n");
    const std::string built = read_file(out / "mean_flux.dat");
    EXPECT_EQ(built,
              header_of(10957, 11687) + yearly_mean_flux(piped.path(), 1980) +
                  yearly_mean_flux(piped.path(), 1981));

    // -o -: the combined file on standard output, and no summary beside it.
    r = run_command(
        "meanflux-build", {"-o", "-", "--from", "1980", "--to", "1981", dir}, out.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out == built);

    // By default 1979 (the first year whose preceding year is there) to 1983, the last, whose
    // next year counts as an empty file.
    r = run_command("meanflux-build", {"-o", "all.dat", dir}, out.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, end_warning(dir, "1983-12-31", "1983-06-04"));
    EXPECT_TRUE(read_file(out / "all.dat") == per_year_pipeline(piped.path(), 1979, 1983));
}

TEST(Build, YearsBefore1950GoIntoTheYearlyFilesOnly)
{
    scratch_dir source, piped, out;
    add_archive_years(source, 1944, 1951);
    add_archive_years(piped, 1944, 1951);
    const std::string dir = source.path().string();
    program_result r = run_command(
        "meanflux-build", {"--yearly", "y", "--from", "1945", "--to", "1950", dir}, out.path());
    ASSERT_EQ(r.status, 0) << r.err;
    // 1944 to 1946 have no flux at all: no mean of 1945 is defined.
    EXPECT_NE(r.err.find("meanflux-build: warning: 1945: 365 days without any observed flux in an "
                         "averaging window; their undefined values are written as nan\n"),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(r.out.starts_with("y/1945_m.dat: 365 days\ny/1946_m.dat: 365 days\n")) << r.out;
    EXPECT_TRUE(r.out.ends_with("y/1950_m.dat: 365 days\n"
                                "mean_flux.dat: 365 days, 1950-01-01 to 1950-12-31\n"))
        << r.out;
    per_year_pipeline(piped.path(), 1945, 1950);
    expect_same_yearly_files(out / "y", piped.path(), 1945, 1950);
    const std::string y1949 = read_file(out / "y/1949_m.dat");
    EXPECT_EQ(y1949.substr(0, 6), "-00365");
    EXPECT_EQ(y1949.size(), 365u * 50u) << "a day number with its sign takes six columns";
    EXPECT_EQ(read_file(out / "mean_flux.dat"),
              header_of(0, 364) + read_file(piped / "1950_m.dat"));

    // Only years before 1950: the yearly files, and no combined file.
    fs::remove(out / "mean_flux.dat");
    r = run_command(
        "meanflux-build", {"--yearly", "z", "--from", "1948", "--to", "1949", dir}, out.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "z/1948_m.dat: 366 days\nz/1949_m.dat: 365 days\n");
    EXPECT_FALSE(fs::exists(out / "mean_flux.dat"));
}

TEST(Build, ShortAndEmptyFilesAsTheYearlyRunTakesThem)
{
    // 1980.dat cut after 100 days: the runs of 1980 and 1981 go on without the days it lacks,
    // and say so; the build says so once.
    scratch_dir source, piped, out;
    add_archive_years(source, 1978, 1982);
    const std::string y1980 = read_file(source / "1980.dat");
    source.write("1980.dat", y1980.substr(0, 72 * 100));
    add_archive_years(piped, 1978, 1982);
    piped.write("1980.dat", y1980.substr(0, 72 * 100));
    const std::string dir = source.path().string();
    const std::string short_1980 =
        "meanflux-build: warning: " + (source / "1980.dat").string() +
        ": 100 lines for the 366 days of 1980; the days it lacks take no part in the means\n";
    for (const int year : {1979, 1980, 1981}) {
        const program_result r =
            run_command("meanflux-build",
                        {"--from", std::to_string(year), "--to", std::to_string(year), dir},
                        out.path());
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, short_1980);
        EXPECT_TRUE(read_file(out / "mean_flux.dat") == per_year_pipeline(piped.path(), year, year))
            << year;
    }
    // Within the combined file's years it would leave a gap, which no lookup could serve.
    program_result r =
        run_command("meanflux-build", {"-o", "new.dat", "--from", "1980", dir}, out.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "meanflux-build: " + (source / "1980.dat").string() +
                  ": 100 lines for the 366 days of 1980: the combined file would lack the days "
                  "after them; nothing written\n");
    EXPECT_FALSE(fs::exists(out / "new.dat"));

    // An empty 1981.dat: 1980 can be computed beside it, 1981 has no record to give.
    source.write("1980.dat", y1980);
    piped.write("1980.dat", y1980);
    source.write("1981.dat", "");
    piped.write("1981.dat", "");
    r = run_command("meanflux-build", {"--from", "1980", "--to", "1980", dir}, out.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(
        r.err,
        "meanflux-build: warning: " + (source / "1981.dat").string() +
            ": 0 lines for the 365 days of 1981; the days it lacks take no part in the means\n")
        << "1982.dat follows: 1981.dat is not where the data end";
    EXPECT_TRUE(read_file(out / "mean_flux.dat") == per_year_pipeline(piped.path(), 1980, 1980));
    r = run_command("meanflux-build", {"-o", "new.dat", "--from", "1980", dir}, out.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "meanflux-build: " + (source / "1981.dat").string() +
                  ": no lines; nothing written\n");
    EXPECT_FALSE(fs::exists(out / "new.dat"));

    // An empty 1979.dat is data the user gave: the build takes it as the run of 1980 does.  A
    // 2101.dat without 2100.dat stands in the way of no year computed.
    scratch_dir empty_first, piped_empty;
    for (const scratch_dir* d : {&empty_first, &piped_empty}) {
        add_archive_years(*d, 1980, 1981);
        d->write("1979.dat", "");
    }
    empty_first.write("2101.dat", "");
    r = run_command("meanflux-build", {"--from", "1980", empty_first.path().string()}, out.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.starts_with(
        "meanflux-build: warning: " + (empty_first / "1979.dat").string() +
        ": 0 lines for the 365 days of 1979; the days it lacks take no part in the means\n"))
        << r.err;
    EXPECT_TRUE(read_file(out / "mean_flux.dat") ==
                per_year_pipeline(piped_empty.path(), 1980, 1981));

    // An empty year before: a file that exists is data the user gave, taken as the run takes it.
    source.write("1981.dat", read_file(real_year(1981)));
    piped.write("1981.dat", read_file(real_year(1981)));
    source.write("1979.dat", "");
    piped.write("1979.dat", "");
    r = run_command("meanflux-build", {"--from", "1980", "--to", "1980", dir}, out.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(
        r.err,
        "meanflux-build: warning: " + (source / "1979.dat").string() +
            ": 0 lines for the 365 days of 1979; the days it lacks take no part in the means\n");
    EXPECT_TRUE(read_file(out / "mean_flux.dat") == per_year_pipeline(piped.path(), 1980, 1980));

    // An empty file after the last year adds no day (as the one a user makes for the per-year
    // runs), and a file of a year no run reads (2101.dat, with no 2100.dat) does not count.
    source.write("1983.dat", "");
    source.write("2101.dat", "never read\n");
    r = run_command("meanflux-build", {"-o", "after.dat", "--from", "1980", dir}, out.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "after.dat: 1096 days, 1980-01-01 to 1982-12-31\n");
}

TEST(Build, Refusals)
{
    scratch_dir source;
    add_archive_years(source, 1979, 1981);
    const std::string dir = source.path().string();
    scratch_dir gap, gap_after, gaps_after, only_1979;
    add_archive_years(only_1979, 1979, 1979);
    add_archive_years(gap, 1978, 1981);
    fs::remove(gap / "1979.dat");
    // The year after --to missing, a later year there; two years missing after the last built.
    add_archive_years(gap_after, 1979, 1987);
    fs::remove(gap_after / "1985.dat");
    add_archive_years(gaps_after, 1979, 1985);
    fs::remove(gaps_after / "1983.dat");
    fs::remove(gaps_after / "1984.dat");
    const std::string line = read_file(source / "1980.dat").substr(0, 72);
    scratch_dir long_line, high_flux, many_lines;
    add_archive_years(long_line, 1979, 1981);
    long_line.write("1980.dat", line + line + std::string(4097, ' ') + "\n");
    add_archive_years(high_flux, 1979, 1981);
    std::string high = read_file(source / "1980.dat");
    high.replace(72 * 11 + 65, 5, " 9999");
    high_flux.write("1980.dat", high);
    add_archive_years(many_lines, 1979, 1981);
    many_lines.write("1981.dat", read_file(source / "1980.dat"));
    scratch_dir files;
    std::string gfz = read_file(gfz_1979_1981);
    const std::size_t at = gfz.find("1980 01 12 ");
    gfz.replace(gfz.find('\n', at) - 7, 5, "999.9"); // F10.7 adjusted, before the qualifier
    files.write("gfz.txt", gfz);
    files.write("neither.txt", line);
    files.add(gfz_1979_1981, "good.txt");
    const std::string good = (files / "good.txt").string();

    struct Case {
        std::vector<std::string> args;
        int status;
        std::string message; // the first line of standard error
    };
    const std::string usage = "usage: meanflux-build [-o FILE|-] [--yearly DIR] [--from YEAR] "
                              "[--to YEAR] [--predictions] SOURCE\n";
    const Case cases[] = {
        {{}, 2, "meanflux-build: no SOURCE: name GFZ Potsdam's file, CelesTrak's SW-All.csv or"},
        {{dir, dir}, 2, "meanflux-build: 2 SOURCEs given: one is built at a time"},
        {{"--from", "198o", dir}, 2, "meanflux-build: --from 198o: not a year from 1937 to 2099"},
        {{"--from", "1936", "--yearly", "y", dir},
         2,
         "meanflux-build: --from 1936: not a year from 1937 to 2099"},
        {{"--to", "2100", dir}, 2, "meanflux-build: --to 2100: not a year from 1937 to 2099"},
        {{"--from", "1981", "--to", "1980", dir},
         2,
         "meanflux-build: --from 1981 is after --to 1980"},
        {{"--from", "1949", dir},
         2,
         "meanflux-build: --from 1949: the combined file begins in 1950 at the earliest (day "
         "number 0); "
         "years before 1950 need --yearly DIR"},
        {{"-o", "x.dat", "--yearly", "y", "--to", "1949", dir},
         2,
         "meanflux-build: -o x.dat: the years built end with 1949, and the combined file begins "
         "in 1950; without -o only the --yearly files are written\n"},
        // Without --from the first year is 1950: an earlier --to leaves none.
        {{"--yearly", "y", "--to", "1945", dir},
         1,
         "meanflux-build: " + dir +
             ": --to 1945 is before 1950, the first year built without "
             "--from\n"},
        {{"--yearly", "y", "--to", "1948", dir},
         1,
         "meanflux-build: " + dir +
             ": --to 1948 is before 1950, the first year built without "
             "--from\n"},
        {{"--frm", "1980", dir}, 2, "unrecognized option '--frm'"},
        {{(source / "none").string()},
         2,
         "meanflux-build: " + (source / "none").string() + ": No such file or directory"},
        {{"--predictions", dir},
         2,
         "meanflux-build: " + dir +
             ": holds no predictions; of the sources only CelesTrak's SW-All.csv has them\n"},
        {{"--predictions", gfz_1979_1981.string()},
         2,
         "meanflux-build: " + gfz_1979_1981.string() + ": holds no predictions"},
        {{(files / "neither.txt").string()},
         2,
         "meanflux-build: " + (files / "neither.txt").string() + ": neither a GFZ Potsdam"},
        {{gap.path().string()},
         1,
         "meanflux-build: " + (gap / "1979.dat").string() +
             ": cannot open: No such file or directory; meanflux-import makes it from GFZ "
             "Potsdam's or CelesTrak's file of daily indices, or download the archive's file of "
             "1979 and rename it\n"},
        {{"--from", "1980", "--to", "1984", gap_after.path().string()},
         1,
         "meanflux-build: " + (gap_after / "1985.dat").string() +
             ": cannot open: No such file or "
             "directory"},
        {{"--to", "1982", gaps_after.path().string()},
         1,
         "meanflux-build: " + (gaps_after / "1983.dat").string() +
             ": cannot open: No such file "
             "or directory"},
        // An output that is an input or another output: refused before anything is written.
        {{"-o", good, good},
         2,
         "meanflux-build: " + good + ": the same file as the input " + good +
             "; nothing written\n"},
        {{"-o", (source / "1981.dat").string(), dir},
         2,
         "meanflux-build: " + (source / "1981.dat").string() + ": the same file as the input " +
             (source / "1981.dat").string() + "; nothing written\n"},
        {{"--from", "1980", "--to", "1981", "--yearly", "y", "-o", "y/1980_m.dat", dir},
         2,
         "meanflux-build: y/1980_m.dat: the same file as the output y/1980_m.dat; nothing "
         "written\n"},
        {{"--from", "1979", dir},
         1,
         "meanflux-build: " + dir +
             ": no days of 1978, the year before 1979, which its means need; its first year is "
             "1979: --from 1980 at the earliest\n"},
        {{"--to", "1982", dir},
         1,
         "meanflux-build: " + dir +
             ": no days of 1982; its last day is 1981-12-31: --to 1981 at "
             "the latest\n"},
        {{"--from", "1982", good},
         1,
         "meanflux-build: " + good +
             ": no days of 1982; its last day is 1981-12-31: --from 1981 "
             "at the latest\n"},
        {{"--from", "1990", good}, 1, "meanflux-build: " + good + ": no day of 1989 to 2100\n"},
        {{only_1979.path().string()},
         1,
         "meanflux-build: " + only_1979.path().string() +
             ": no year to build: 1979 is its only year, and a year built needs the year before "
             "it\n"},
        {{"--from", "1990", dir},
         1,
         "meanflux-build: " + dir +
             ": no daily index file <yyyy>.dat of 1989 to 2100; "
             "meanflux-import makes them from GFZ Potsdam's or CelesTrak's file of daily "
             "indices\n"},
        {{long_line.path().string()},
         2,
         "meanflux-build: " + (long_line / "1980.dat").string() +
             ": line 3: longer than 4096 characters"},
        {{high_flux.path().string()},
         2,
         "meanflux-build: " + (high_flux / "1980.dat").string() +
             ": line 12: flux 9999 outside -93.0 to 935.0, which the records can hold\n"},
        {{many_lines.path().string()},
         2,
         "meanflux-build: " + (many_lines / "1981.dat").string() +
             ": 366 lines or more for the 365 days of 1981"},
        {{(files / "gfz.txt").string()},
         2,
         "meanflux-build: " + (files / "gfz.txt").string() +
             ": 1980-01-12: flux 999.9 outside -93.0 to 935.0, which the records can hold\n"},
    };
    for (const auto& c : cases) {
        scratch_dir out;
        std::vector<std::string> args = c.args;
        const program_result r = run_command("meanflux-build", args, out.path());
        std::string what;
        for (const std::string& a : c.args)
            what += a + " ";
        EXPECT_EQ(r.status, c.status) << what << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << what << r.err;
        if (c.status == 2 && c.message.find(": ") == c.message.rfind(": ")) {
            EXPECT_TRUE(r.err.ends_with(usage)) << what << "bad usage is followed by the usage";
        }
        EXPECT_EQ(r.out, "") << what;
        EXPECT_TRUE(out.entries().empty()) << what << ": nothing written";
    }
    EXPECT_EQ(read_file(files / "good.txt"), read_file(gfz_1979_1981)) << "a source kept";
    EXPECT_EQ(read_file(source / "1981.dat"), read_file(real_year(1981))) << "a year's file kept";
}

TEST(Build, NoOutputIsReplacedWhenOneCannotBeWritten)
{
    scratch_dir source, out;
    add_archive_years(source, 1979, 1982);
    const std::string dir = source.path().string();
    out.write("mean_flux.dat", "old combined file\n");
    fs::create_directory(out / "y");
    out.write("y/1980_m.dat", "old 1980\n");
    const auto untouched = [&](const std::string& what) {
        EXPECT_EQ(read_file(out / "mean_flux.dat"), "old combined file\n") << what;
        EXPECT_EQ(read_file(out / "y/1980_m.dat"), "old 1980\n") << what;
        EXPECT_FALSE(fs::exists(out / "y/1981_m.dat")) << what;
        EXPECT_EQ(out.entries(), (std::vector<std::string>{"mean_flux.dat", "y"})) << what;
        EXPECT_EQ(fs::directory_iterator(out / "y")->path().filename(), "1980_m.dat") << what;
    };

    // A yearly file's name taken by a directory.
    fs::create_directory(out / "y/1981_m.dat");
    program_result r = run_command("meanflux-build", {"--yearly", "y", dir}, out.path());
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.ends_with("meanflux-build: y/1981_m.dat: cannot write: Is a directory\n"))
        << r.err;
    fs::remove(out / "y/1981_m.dat");
    untouched("a directory in the way");

    // The combined file into a full device: the yearly files are not replaced either.
    r = run_command("meanflux-build", {"--yearly", "y", "-o", "/dev/full", dir}, out.path());
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.ends_with(
        "meanflux-build: /dev/full: cannot write: No space left on device; nothing written\n"))
        << r.err;
    untouched("/dev/full");

    // Standard output closed under -o -.
    run_options closed;
    closed.close_stdout = true;
    r = run_command("meanflux-build", {"--yearly", "y", "-o", "-", dir}, out.path(), "", closed);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.ends_with("meanflux-build: standard output: cannot write: Bad file "
                                "descriptor; nothing written\n"))
        << r.err;
    untouched("standard output closed");

    // A directory for the yearly files that cannot be made is not left half made.
    r = run_command("meanflux-build", {"--yearly", "new/y", dir}, out.path());
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("meanflux-build: new/y: cannot create the directory: No such file or "
                         "directory; nothing written\n"),
              std::string::npos)
        << r.err;
    fs::create_directory(out / "taken");
    r = run_command("meanflux-build", {"--yearly", "made", "-o", "taken", dir}, out.path());
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.ends_with("meanflux-build: taken: cannot write: Is a directory\n")) << r.err;
    EXPECT_FALSE(fs::exists(out / "made")) << "the directory made for the yearly files is gone";
}

TEST(Build, HelpAndVersion)
{
    scratch_dir out;
    program_result r = run_command("meanflux-build", {"--help"}, out.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.starts_with("usage: meanflux-build [-o FILE|-]")) << r.out;
    EXPECT_NE(r.out.find("--yearly DIR"), std::string::npos);
    r = run_command("meanflux-build", {"--version"}, out.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.starts_with("meanflux-build (meanflux) ")) << r.out;
    EXPECT_TRUE(out.entries().empty());
}

} // namespace
} // namespace meanflux::test
