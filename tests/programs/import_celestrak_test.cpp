// The CelesTrak space-weather file imported, and compared with independent data: the archive's
// yearly daily index files and the GFZ Potsdam file.
#include "support/reference_year.h"
#include "support/run_program.h"
#include "support/yearly_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace meanflux::test {
namespace {

namespace fs = std::filesystem;

const fs::path celestrak = test_data("celestrak/SW-All.csv");

// The lines of a daily index file, without their line ends.
std::vector<std::string> lines_of(const fs::path& file)
{
    std::vector<std::string> lines;
    const std::string text = read_file(file);
    for (std::size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The whole file imported once, without and with the predictions.
const scratch_dir& imported(bool predictions)
{
    static const scratch_dir observed, predicted;
    static bool done[2] = {false, false};
    const scratch_dir& dir = predictions ? predicted : observed;
    if (!done[predictions]) {
        std::vector<std::string> args{celestrak.string()};
        if (predictions)
            args.insert(args.begin(), "--predictions");
        const program_result r = run_command("meanflux-import", args, dir.path());
        EXPECT_EQ(r.status, 0) << r.err;
        done[predictions] = true;
    }
    return dir;
}

TEST(ImportCelesTrak, TheBundledYears1958To2023)
{
    scratch_dir dir;
    const program_result r = run_command(
        "meanflux-import", {"--from", "1958", "--to", "2023", celestrak.string()}, dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    std::string summary;
    int without_flux = 0;
    for (int year = 1958; year <= 2023; ++year) {
        const int days = year % 4 == 0 ? 366 : 365;
        summary += std::to_string(year) + ".dat: " + std::to_string(days) + " days\n";
        const std::string text = read_file(dir / (std::to_string(year) + ".dat"));
        ASSERT_EQ(text.size(), static_cast<std::size_t>(days) * 72u) << year;
        for (std::size_t at = 0; at < text.size(); at += 72) {
            const std::string line = text.substr(at, 72);
            ASSERT_EQ(line[71], '\n') << year;
            char date[8];
            std::snprintf(date, sizeof date, "%02d", year % 100);
            ASSERT_EQ(line.substr(0, 2), date) << year << " line " << at / 72;
            // Observed days carry 0, interpolated ones "  0.0" and 3.
            ASSERT_TRUE(line[70] == '0' || (line[70] == '3' && line.substr(65, 5) == "  0.0"))
                << line;
            without_flux += line[70] == '3';
        }
    }
    EXPECT_EQ(r.out, summary);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(dir.entries().size(), 66u);
    // The 55 rows of data type INT in those years.
    EXPECT_EQ(without_flux, 55);
    // Two days that the archive also marks as without flux.
    EXPECT_EQ(lines_of(dir / "2011.dat")[0],
              "1101012421 213 7 0 71013 720 77  5  3  0  3  4  5  3  7  40.10 48  0.03");
    EXPECT_EQ(lines_of(dir / "2015.dat")[12].substr(65), "  0.03");
}

TEST(ImportCelesTrak, TheFirstYearBeginsOn1JanuaryWithDaysWithoutData)
{
    // The file begins on 1 October 1957, but line i of 1957.dat must be day i + 1 of 1957.
    scratch_dir dir;
    const program_result r =
        run_command("meanflux-import", {"--to", "1959", celestrak.string()}, dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "1957.dat: 92 days from 1957-10-01; the 273 days before them without data\n"
              "1958.dat: 365 days\n1959.dat: 365 days\n");
    const std::vector<std::string> lines = lines_of(dir / "1957.dat");
    ASSERT_EQ(lines.size(), 365u);
    EXPECT_EQ(lines[0], "570101" + std::string(59, ' ') + "  0.03");
    EXPECT_EQ(lines[272], "570930" + std::string(59, ' ') + "  0.03");
    EXPECT_EQ(lines[273],
              "5710011700194340302037234337273 32 27 15  7 22  9 32 22 211.15334269.80");
    // 1958's means take the days of October to December 1957, and leave out those before.
    const program_result run = run_meanflux(dir.path(), "1958\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(read_file(dir / "1958_m.dat"), reference_mean_flux_file(dir.path(), 1958));
}

TEST(ImportCelesTrak, PredictionsOnlyWhenAskedForAndMonthlyOnesNever)
{
    const program_result plain = run_command(
        "meanflux-import", {"--from", "2023", celestrak.string()}, scratch_dir().path());
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.out, "2023.dat: 365 days\n2024.dat: 78 days\n");

    scratch_dir dir;
    const program_result r = run_command(
        "meanflux-import", {"--from", "2023", "--predictions", celestrak.string()}, dir.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "2023.dat: 365 days, 0 predicted\n2024.dat: 123 days, 45 predicted\n");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"2023.dat", "2024.dat"}));
    const std::vector<std::string> with = lines_of(dir / "2024.dat");
    const std::vector<std::string> without = lines_of(imported(false) / "2024.dat");
    ASSERT_EQ(with.size(), 123u);
    ASSERT_EQ(without.size(), 78u);
    for (std::size_t i = 0; i < with.size(); ++i) {
        if (i < 78) {
            EXPECT_EQ(with[i], without[i]);
        } else {
            EXPECT_EQ(with[i][70], '2') << with[i]; // 19 March to 2 May: predicted
        }
    }
    EXPECT_EQ(with[78], "2403192599222720202013132020153 12  7  7  7  5  5  7  7  70.42136170.02");
    EXPECT_EQ(with[122].substr(0, 6), "240502");
}

// The archive's yearly files and the imported ones, day by day.
struct archive_comparison {
    int days = 0;
    int text_equal_1_58 = 0;          // columns 1-58 equal as they stand
    int equal_1_58_padded = 0;        // equal once the archive's date is zero-padded
    int observed_in_both = 0;         // archive qualifier 0 or 1, CelesTrak 0
    int flux_equal = 0;               // columns 66-70 equal, on days observed in both
    int flux_and_qualifier_equal = 0; // columns 66-71 equal, on days observed in both
    int flux_within_0_2 = 0;          // |difference| <= 0.2 sfu, on days observed in both
    std::vector<std::string> far;     // days observed in both whose fluxes differ by more
    int estimated_in_archive = 0;     // archive qualifier 2
};

archive_comparison compare_with_archive(int first, int last)
{
    archive_comparison c;
    for (int year = first; year <= last; ++year) {
        const std::vector<std::string> archive = lines_of(real_year(year));
        const std::vector<std::string> ours =
            lines_of(imported(false) / (std::to_string(year) + ".dat"));
        EXPECT_EQ(archive.size(), ours.size()) << year;
        for (std::size_t i = 0; i < archive.size() && i < ours.size(); ++i) {
            const std::string& a = archive[i];
            const std::string& b = ours[i];
            ++c.days;
            c.text_equal_1_58 += a.substr(0, 58) == b.substr(0, 58);
            std::string padded = a.substr(0, 6);
            for (char& ch : padded)
                ch = ch == ' ' ? '0' : ch;
            c.equal_1_58_padded += padded + a.substr(6, 52) == b.substr(0, 58);
            c.estimated_in_archive += a[70] == '2';
            if ((a[70] != '0' && a[70] != '1') || b[70] != '0')
                continue;
            ++c.observed_in_both;
            c.flux_equal += a.substr(65, 5) == b.substr(65, 5);
            c.flux_and_qualifier_equal += a.substr(65, 6) == b.substr(65, 6);
            const double difference = std::stod(a.substr(65, 5)) - std::stod(b.substr(65, 5));
            if (std::abs(difference) <= 0.2 + 1e-9)
                ++c.flux_within_0_2;
            else
                c.far.push_back(b.substr(0, 6) + " " + a.substr(65, 5) + " " + b.substr(65, 5));
        }
    }
    return c;
}

TEST(ImportCelesTrak, AgreesWithTheArchiveOn1979To1981)
{
    const archive_comparison c = compare_with_archive(1979, 1981);
    EXPECT_EQ(c.days, 1096);
    // The archive wrote the month and day of those years blank-padded (" 79 1 1"): that is the
    // only difference in columns 1-58.
    EXPECT_EQ(c.text_equal_1_58, 195);
    EXPECT_EQ(c.equal_1_58_padded, 1096);
    EXPECT_EQ(c.observed_in_both, 1096);
    // The flux to the tenth on 531 days; the archive's qualifier 1 (a burst in progress during
    // the measurement) on 308 days, which CelesTrak does not carry.
    EXPECT_EQ(c.flux_equal, 531);
    EXPECT_EQ(c.flux_and_qualifier_equal, 385);
    EXPECT_EQ(c.flux_within_0_2, 1091);
    // The archive adjusted the flux to 1 AU with a slightly different Sun-Earth distance (its
    // factor differs by a few 1e-4, with the season): 0.3 or 0.4 sfu on four days of
    // September; 27 December 1980 is a day on which the sources disagree.
    EXPECT_EQ(c.far,
              (std::vector<std::string>{"790914 192.6 192.3",
                                        "800914 163.4 163.1",
                                        "801227 220.3 268.6",
                                        "810913 230.2 229.9",
                                        "810914 228.7 228.3"}));
}

TEST(ImportCelesTrak, AgreesWithTheArchiveOn2001To2003)
{
    const archive_comparison c = compare_with_archive(2001, 2003);
    EXPECT_EQ(c.days, 1095);
    EXPECT_EQ(c.text_equal_1_58, 1095);
    // 19 days the archive gives an estimated flux (qualifier 2) are not observed in both.
    EXPECT_EQ(c.estimated_in_archive, 19);
    EXPECT_EQ(c.observed_in_both, 1076);
    EXPECT_EQ(c.flux_equal, 1075);
    EXPECT_EQ(c.flux_and_qualifier_equal, 1075);
    EXPECT_EQ(c.far, std::vector<std::string>{"020801 188.3 198.3"});
}

TEST(ImportCelesTrak, AgreesWithTheGfzFileFrom2016To18March2024)
{
    scratch_dir gfz;
    const program_result r = run_command(
        "meanflux-import",
        {"--to", "2024", example_data("data/Kp_ap_Ap_SN_F107_2016-latest.txt").string()},
        gfz.path());
    ASSERT_EQ(r.status, 0) << r.err;
    struct field {
        const char* name;
        std::size_t from, count;
        int equal = 0;
        std::string first_different, last_different;
    };
    field fields[] = {{"date and rotation", 0, 12, 0, "", ""},
                      {"Kp", 12, 16, 0, "", ""},
                      {"Kp sum", 28, 3, 0, "", ""},
                      {"ap", 31, 24, 0, "", ""},
                      {"Ap", 55, 3, 0, "", ""},
                      {"Cp and C9", 58, 4, 0, "", ""},
                      {"sunspot number", 62, 3, 0, "", ""},
                      {"flux", 65, 5, 0, "", ""},
                      {"qualifier", 70, 1, 0, "", ""}};
    int days = 0;
    for (int year = 2016; year <= 2024; ++year) {
        const std::string name = std::to_string(year) + ".dat";
        const std::vector<std::string> a = lines_of(gfz / name);
        const std::vector<std::string> b = lines_of(imported(false) / name);
        const std::size_t count = year == 2024 ? 78 : b.size(); // to 18 March 2024
        ASSERT_GE(a.size(), count);
        for (std::size_t i = 0; i < count; ++i, ++days)
            for (field& f : fields) {
                if (a[i].substr(f.from, f.count) == b[i].substr(f.from, f.count)) {
                    ++f.equal;
                } else {
                    if (f.first_different.empty())
                        f.first_different = a[i].substr(0, 6);
                    f.last_different = a[i].substr(0, 6);
                }
            }
    }
    EXPECT_EQ(days, 3000);
    struct expected {
        int equal;
        const char* first_different;
        const char* last_different;
    };
    // Kp, ap and Ap differ only from 1 March 2024 on: CelesTrak's file of March 2024 still held
    // the nowcast values of its last weeks, which GFZ has since made definitive.  The sunspot
    // numbers from October 2023 on were preliminary.  The fluxes of 16 days differ by 0.1 to
    // 2.9 sfu.
    const expected figures[] = {{3000, "", ""},
                                {2983, "240301", "240318"},
                                {2985, "240301", "240318"},
                                {2983, "240301", "240318"},
                                {2991, "240301", "240318"},
                                {2995, "240304", "240314"},
                                {2864, "231002", "240318"},
                                {2984, "180220", "230218"},
                                {3000, "", ""}};
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        EXPECT_EQ(fields[i].equal, figures[i].equal) << fields[i].name;
        EXPECT_EQ(fields[i].first_different, figures[i].first_different) << fields[i].name;
        EXPECT_EQ(fields[i].last_different, figures[i].last_different) << fields[i].name;
    }
}

TEST(ImportCelesTrak, MeanfluxRunsOnTheImportedFiles)
{
    for (const int year : {1980, 2020, 2023}) {
        scratch_dir dir;
        for (int y = year - 1; y <= year + 1; ++y)
            dir.add(imported(false) / (std::to_string(y) + ".dat"));
        const program_result r = run_meanflux(dir.path(), std::to_string(year) + "\n");
        EXPECT_EQ(r.status, 0) << year;
        // 2024.dat ends on 18 March, the last observed day.
        EXPECT_EQ(r.err,
                  year == 2023 ? "meanflux: warning: 2024.dat: 78 lines for the 366 days of 2024; "
                                 "the days it lacks take no part in the means\n"
                               : "")
            << year;
        EXPECT_EQ(read_file(dir / (std::to_string(year) + "_m.dat")),
                  reference_mean_flux_file(dir.path(), year))
            << year;
    }

    // 2024 with and without the 45 predicted days; 2025 has no file yet, as a user would make
    // one: empty.
    std::string records[2];
    for (const bool predictions : {false, true}) {
        scratch_dir dir;
        dir.add(imported(predictions) / "2023.dat");
        dir.add(imported(predictions) / "2024.dat");
        dir.write("2025.dat", "");
        const program_result r = run_meanflux(dir.path(), "2024\n");
        EXPECT_EQ(r.status, 0) << r.err;
        records[predictions] = read_file(dir / "2024_m.dat");
        EXPECT_EQ(records[predictions], reference_mean_flux_file(dir.path(), 2024));
    }
    ASSERT_EQ(records[false].size(), 78u * 49u);
    ASSERT_EQ(records[true].size(), 123u * 49u);
    // The predicted days take part in the means of the observed ones: J77 (columns 38-42) and
    // J70 (43-47) of 1 January to 18 March change, but for the days on which they agree to the
    // tenth.
    int j77_changed = 0, j70_changed = 0;
    for (std::size_t at = 0; at < records[false].size(); at += 49) {
        EXPECT_EQ(records[false].substr(at, 37), records[true].substr(at, 37));
        j77_changed += records[false].substr(at + 37, 5) != records[true].substr(at + 37, 5);
        j70_changed += records[false].substr(at + 42, 5) != records[true].substr(at + 42, 5);
    }
    EXPECT_EQ(j77_changed, 63);
    EXPECT_EQ(j70_changed, 75);
}

} // namespace
} // namespace meanflux::test
