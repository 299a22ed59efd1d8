#include "support/run_program.h"
#include "support/yearly_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace meanflux::test {
namespace {

namespace fs = std::filesystem;

const fs::path gfz_1979_1981 = test_data("gfz/Kp_ap_Ap_SN_F107_1979-1981.txt");
const fs::path gfz_2016_on = example_data("data/Kp_ap_Ap_SN_F107_2016-latest.txt");

TEST(Import, ReproducesTheArchiveFilesOf1979To1981)
{
    scratch_dir dir;
    const program_result r =
        run_command("meanflux-import", {"-d", dir.path().string(), gfz_1979_1981.string()}, ".");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              dir.path().string() + "/1979.dat: 365 days\n" + dir.path().string() +
                  "/1980.dat: 366 days\n" + dir.path().string() + "/1981.dat: 365 days\n");
    int days = 0, equal_flux = 0;
    for (int year = 1979; year <= 1981; ++year) {
        const std::string got = read_file(dir / (std::to_string(year) + ".dat"));
        const std::string archive = read_file(real_year(year));
        ASSERT_EQ(got.size(), archive.size()) << year;
        for (std::size_t at = 0; at < got.size(); at += 72, ++days) {
            const std::string a = got.substr(at, 72), b = archive.substr(at, 72);
            ASSERT_EQ(a[71], '\n');
            // Date zero-padded, as the files from 2000 on write it; the rotation as there.
            EXPECT_EQ(a.substr(0, 2), b.substr(0, 2));
            EXPECT_EQ(std::stoi(a.substr(2, 2)), std::stoi(b.substr(2, 2)));
            EXPECT_EQ(std::stoi(a.substr(4, 2)), std::stoi(b.substr(4, 2)));
            EXPECT_EQ(a.substr(6, 6), b.substr(6, 6));
            // Kp, their sum, ap and Ap, then Cp and C9, character for character.
            EXPECT_EQ(a.substr(12, 46), b.substr(12, 46)) << year << " line " << at / 72;
            EXPECT_EQ(a.substr(58, 4), b.substr(58, 4)) << year << " line " << at / 72;
            const double fa = std::stod(a.substr(65, 5)), fb = std::stod(b.substr(65, 5));
            const bool the_sources_disagree = year == 1980 && at / 72 == 361; // 27 December
            if (!the_sources_disagree) {
                EXPECT_NEAR(fa, fb, 1.0) << year << " line " << at / 72;
            }
            equal_flux += a.substr(65, 5) == b.substr(65, 5);
            EXPECT_EQ(a[70], '0');
        }
    }
    EXPECT_EQ(days, 1096);
    // The two sources adjusted the flux to 1 AU slightly differently: about half the days agree
    // to the tenth.
    EXPECT_EQ(equal_flux, 531);
}

TEST(Import, GivesMeanfluxTheYearsTheArchiveNoLongerHas)
{
    scratch_dir dir;
    const program_result r = run_command("meanflux-import", {gfz_2016_on.string()}, dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("2024.dat: 366 days\n2025.dat: 365 days\n2026.dat: 7 days\n"),
              std::string::npos)
        << r.out;
    for (int year = 2017; year <= 2024; ++year) {
        const program_result run = run_meanflux(dir.path(), std::to_string(year) + "\n");
        EXPECT_EQ(run.status, 0) << year;
        EXPECT_EQ(run.err, "") << year;
        EXPECT_EQ(read_file(dir / (std::to_string(year) + "_m.dat")).size(),
                  (year % 4 == 0 ? 366u : 365u) * 49u);
    }
    // 2017 as the archive has it: the same Kp, ap and Ap on every day.
    const std::string imported = read_file(dir / "2017.dat");
    const std::string archive = read_file(real_year(2017));
    for (std::size_t at = 0; at < archive.size(); at += 72)
        EXPECT_EQ(imported.substr(at + 12, 46), archive.substr(at + 12, 46)) << at / 72;
}

// A GFZ data line of the given date, with the values of 1 January 1980.
std::string gfz_line(int year, int month, int day)
{
    char date[48];
    std::snprintf(date, sizeof date, "%04d %02d %02d", year, month, day);
    return date + std::string(" 17532 17532.5 2001 19  2.333  2.333  2.333  3.333  3.333  4.333  "
                              "5.000  5.000    9    9    9   18   18   32   48   48    24 217    "
                              "195.6    189.1 2\n");
}

// The directory's files and their contents, to see that nothing changed.
std::map<std::string, std::string> contents(const scratch_dir& dir)
{
    std::map<std::string, std::string> files;
    for (const std::string& name : dir.entries())
        files[name] = fs::is_regular_file(dir / name) ? read_file(dir / name) : "(not a file)";
    return files;
}

TEST(Import, RefusesAFaultyLineByItsNumberAndWritesNothing)
{
    const std::string good = "# a header line\n#\n" + gfz_line(1980, 1, 1);
    struct Case {
        std::string file;
        std::string message;
    };
    const Case cases[] = {
        {good + gfz_line(1980, 1, 3),
         "line 4: day 1980-01-03 does not follow the day before it, 1980-01-01 (a day missing, "
         "repeated or out of order)"},
        {good + gfz_line(1980, 1, 1),
         "line 4: day 1980-01-01 does not follow the day before it, 1980-01-01 (a day missing, "
         "repeated or out of order)"},
        {good + gfz_line(1980, 1, 2).substr(0, 60), "line 4: 11 fields, not 28"},
        {good +
             [] {
                 std::string line = gfz_line(1980, 1, 2);
                 return line.replace(line.find("189.1"), 5, "0x1p7");
             }(),
         "line 4: an F10.7 is neither 0 to 999.9 nor -1"},
        {good + std::string(5000, ' ') + "\n", "line 4: longer than 4096 characters"},
    };
    for (const auto& c : cases) {
        scratch_dir dir;
        dir.write("gfz.txt", c.file);
        const program_result r =
            run_command("meanflux-import", {"-d", "new", "gfz.txt"}, dir.path());
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_EQ(r.err, "meanflux-import: gfz.txt: " + c.message + "\n");
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"gfz.txt"}) << "nothing written";
    }
}

TEST(Import, ChecksTheWholeFileBeforeReplacingAnyYear)
{
    // A new copy of the file of 1979 to 1981 whose last line was cut off in the middle: the
    // years imported before stay as they were.
    const std::string whole = read_file(gfz_1979_1981);
    const std::string cut = whole.substr(0, whole.size() - 80);
    scratch_dir dir;
    dir.write("gfz.txt", cut);
    dir.write("1979.dat", "the earlier 1979\n");
    dir.write("1980.dat", "the earlier 1980\n");
    const auto before = contents(dir);
    const program_result r = run_command("meanflux-import", {"gfz.txt"}, dir.path());
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "meanflux-import: gfz.txt: line 1136: 14 fields, not 28\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(contents(dir), before);
}

TEST(Import, AFileThatCannotBeWrittenReplacesNone)
{
    const std::string whole = read_file(gfz_1979_1981);
    struct Case {
        long file_size_limit;
        const char* make_directory;
        std::string message;
    };
    // 1979.dat needs 26 280 bytes, 1980.dat 26 352: a limit between them fails the second.
    const Case cases[] = {
        {26300,
         nullptr,
         "meanflux-import: 1980.dat: cannot write: File too large; nothing written\n"},
        {-1, "1981.dat", "meanflux-import: 1981.dat: cannot write: Is a directory\n"},
    };
    for (const auto& c : cases) {
        scratch_dir dir;
        dir.write("gfz.txt", whole);
        dir.write("1979.dat", "the earlier 1979\n");
        if (c.make_directory != nullptr)
            fs::create_directory(dir / c.make_directory);
        run_options options;
        options.file_size_limit = c.file_size_limit;
        const auto before = contents(dir);
        const program_result r = run_program(
            fs::path(MEANFLUX_COMMANDS) / "meanflux-import", {"gfz.txt"}, dir.path(), "", options);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_EQ(r.err, c.message);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(contents(dir), before) << "nothing replaced, no temporary file left";
    }
}

TEST(Import, DatesFollowTheGregorianCalendarPast2100)
{
    // 2100 is not a leap year: 28 February is followed by 1 March.
    scratch_dir dir;
    dir.write(
        "gfz.txt",
        "#\n" + gfz_line(2099, 12, 31) + gfz_line(2100, 1, 1) +
            [] {
                std::string days;
                for (int d = 2; d <= 31; ++d)
                    days += gfz_line(2100, 1, d);
                for (int d = 1; d <= 28; ++d)
                    days += gfz_line(2100, 2, d);
                return days;
            }() +
            gfz_line(2100, 3, 1) + gfz_line(2100, 3, 2));
    const program_result r = run_command("meanflux-import", {"gfz.txt"}, dir.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "2099.dat: 1 days from 2099-12-31; the 364 days before them without data\n"
              "2100.dat: 61 days\n");
    const std::string lines = read_file(dir / "2100.dat");
    ASSERT_EQ(lines.size(), 61u * 72u);
    EXPECT_EQ(lines.substr(58 * 72, 6), "000228");
    EXPECT_EQ(lines.substr(59 * 72, 6), "000301");
}

TEST(Import, AnEndlessInputIsRefusedAfterABoundedRead)
{
    scratch_dir dir;
    const program_result r = run_command("meanflux-import", {"/dev/zero"}, dir.path());
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err,
              "meanflux-import: /dev/zero: more than 33554432 bytes, more than a GFZ Potsdam or "
              "CelesTrak file can hold\n");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{});
}

TEST(Import, ALineOfMoreThan4096CharactersIsRefused)
{
    scratch_dir dir;
    for (const std::string& text : {"#" + std::string(1 << 20, '#'),
                                    std::string(5000, '\0'),
                                    "#\n#" + std::string(4096, 'x')}) {
        dir.write("long.txt", text);
        const program_result r = run_command("meanflux-import", {"long.txt"}, dir.path());
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err,
                  "meanflux-import: long.txt: line " + std::string(text[1] == '\n' ? "2" : "1") +
                      ": longer than 4096 characters\n");
    }
}

TEST(Import, StandardOutputFullIsReported)
{
    // The files are written, and the failure is said.
    scratch_dir dir;
    run_options full;
    full.stdout_path = "/dev/full";
    const program_result r = run_program(fs::path(MEANFLUX_COMMANDS) / "meanflux-import",
                                         {"--from", "1981", gfz_1979_1981.string()},
                                         dir.path(),
                                         "",
                                         full);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err,
              "meanflux-import: standard output: No space left on device (the files were "
              "written)\n");
    EXPECT_EQ(read_file(dir / "1981.dat").size(), 365u * 72u);
}

TEST(Import, RefusesAFileOfNeitherFormat)
{
    scratch_dir dir;
    dir.add(real_year(1980));
    dir.write("empty.txt", "");
    const std::string expected =
        ": neither a GFZ Potsdam Kp_ap_Ap_SN_F107 file ('#' header lines, then lines of 28 "
        "numbers) nor a CelesTrak SW-All.csv (a header row DATE,BSRN,ND,KP1,...)\n";
    for (const char* name : {"1980.dat", "empty.txt"}) {
        const program_result r = run_command("meanflux-import", {name}, dir.path());
        EXPECT_EQ(r.status, 2) << name;
        EXPECT_EQ(r.err, "meanflux-import: " + std::string(name) + expected);
    }
    const program_result r = run_command("meanflux-import", {"."}, dir.path());
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "meanflux-import: .: Is a directory\n");
}

TEST(Import, YearsAskedForAndUsage)
{
    scratch_dir dir;
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out, err;
    };
    const std::string file = gfz_1979_1981.string();
    const std::string usage =
        "usage: meanflux-import [-d DIR] [--from YEAR] [--to YEAR] [--predictions] FILE\n";
    const Case cases[] = {
        {{"--from", "1980", "--to", "1980", file}, 0, "1980.dat: 366 days\n", ""},
        {{"--from", "1981", file}, 0, "1981.dat: 365 days\n", ""},
        {{"--from", "1981", "--predictions", file}, 0, "1981.dat: 365 days, 0 predicted\n", ""},
        {{"--from", "1990", file},
         1,
         "",
         "meanflux-import: " + file +
             ": no day of 1990 to 9999; its days run from 1979-01-01 to 1981-12-31\n"},
        {{"--from", "1985", "--to", "1985", file},
         1,
         "",
         "meanflux-import: " + file +
             ": no day of 1985; its days run from 1979-01-01 to 1981-12-31\n"},
        {{"--from", "1981", "--to", "1979", file},
         2,
         "",
         "meanflux-import: --from 1981 is after --to 1979\n" + usage},
        {{"--to", "nineteen", file},
         2,
         "",
         "meanflux-import: --to nineteen: not a year from 1 to 9999\n" + usage},
        {{"--to", "0x7b2", file},
         2,
         "",
         "meanflux-import: --to 0x7b2: not a year from 1 to 9999\n" + usage},
        {{"--from", "10000", file},
         2,
         "",
         "meanflux-import: --from 10000: not a year from 1 to 9999\n" + usage},
        {{},
         2,
         "",
         "meanflux-import: no FILE: name GFZ Potsdam's Kp_ap_Ap_SN_F107 file or CelesTrak's "
         "SW-All.csv\n" +
             usage},
        {{file, file},
         2,
         "",
         "meanflux-import: 2 FILEs given: one is imported at a time\n" + usage},
        {{"none.txt"}, 2, "", "meanflux-import: none.txt: No such file or directory\n"},
        {{"-d", "no/such/dir", "--from", "1981", file},
         2,
         "",
         "meanflux-import: no/such/dir: cannot create the directory: No such file or "
         "directory\n"},
        {{"-d", "new", "--to", "1979", file}, 0, "new/1979.dat: 365 days\n", ""},
    };
    for (const auto& c : cases) {
        const program_result r = run_command("meanflux-import", c.args, dir.path());
        EXPECT_EQ(r.status, c.status) << c.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
    }
    const program_result help = run_command("meanflux-import", {"--help"}, dir.path());
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.substr(0, usage.size()), usage);
}

} // namespace
} // namespace meanflux::test
