#include "support/run_program.h"
#include "support/yearly_files.h"

#include <meanflux/meanflux.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace meanflux::test {
namespace {

class Combine : public ::testing::Test {
  protected:
    static void SetUpTestSuite()
    {
        years = new scratch_dir;
        for (int y = 1979; y <= 1981; ++y)
            yearly_mean_flux(years->path(), y);
    }
    static void TearDownTestSuite() { delete years; }

    // A scratch directory with the yearly files of 1979 to 1981.
    void SetUp() override
    {
        for (const char* name : {"1979_m.dat", "1980_m.dat", "1981_m.dat"})
            dir.add(years->path() / name);
    }

    static inline scratch_dir* years = nullptr;
    scratch_dir dir;
};

TEST_F(Combine, ConsecutiveYearsServeTheLookupOnEveryDay)
{
    const program_result r =
        run_command("meanflux-combine",
                    {"-o", "mean_flux.dat", "1979_m.dat", "1980_m.dat", "1981_m.dat"},
                    dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    const std::string combined = read_file(dir / "mean_flux.dat");
    EXPECT_EQ(combined,
              "1059211687\r\n" + read_file(dir / "1979_m.dat") + read_file(dir / "1980_m.dat") +
                  read_file(dir / "1981_m.dat"));
    const std::string file = (dir / "mean_flux.dat").string();
    std::array<double, 14> v{};
    for (int n = 10592; n <= 11687; ++n) {
        const date_record d = day_to_date(n);
        ASSERT_EQ(read_mean_flux_file(file.c_str(),
                                      static_cast<int>(d.day),
                                      static_cast<int>(d.month),
                                      static_cast<int>(d.year),
                                      v.data()),
                  0)
            << n;
    }
}

TEST_F(Combine, RefusesRecordsThatWouldNotServeTheLookup)
{
    const std::string y1980 = read_file(dir / "1980_m.dat");
    std::string lf;
    for (std::size_t i = 0; i < y1980.size(); i += 49)
        lf += y1980.substr(i, 47) + "\n";
    std::string lettered = y1980;
    lettered.replace(49 * 5, 5, "1O962");
    dir.write("lf.dat", lf);
    dir.write("short.dat", y1980.substr(0, 49 * 10) + y1980.substr(49 * 10, 40) + "\r\n");
    dir.write("truncated.dat", y1980.substr(0, 49 * 10 + 30));
    dir.write("gap.dat", y1980.substr(0, 49 * 59) + y1980.substr(49 * 60));
    dir.write("repeat.dat", y1980.substr(0, 49 * 60) + y1980.substr(49 * 59));
    dir.write("lettered.dat", lettered);
    dir.write("1949_m.dat",
              "-00365"
              "2323172023202733"
              "187"
              " 10"
              "  nan  nan  nan  nan\r\n");
    dir.write("mean_flux.dat", "the user's earlier file\r\n");
    struct Case {
        std::vector<std::string> inputs;
        std::string message;
    };
    const Case cases[] = {
        {{"1979_m.dat", "1981_m.dat"},
         "1981_m.dat: record 1: day 11323 where day 10957 belongs: a gap"},
        {{"1979_m.dat", "1980_m.dat", "1980_m.dat"},
         "1980_m.dat: record 1: day 10957 where day 11323 belongs: an overlap or a wrong order"},
        {{"1980_m.dat", "1979_m.dat"},
         "1979_m.dat: record 1: day 10592 where day 11323 belongs: an overlap or a wrong order"},
        {{"gap.dat"}, "gap.dat: record 60: day 11017 where day 11016 belongs: a gap"},
        {{"repeat.dat"},
         "repeat.dat: record 61: day 11016 where day 11017 belongs: an overlap or a wrong order"},
        {{"short.dat"}, "short.dat: record 11: only 40 characters before its line end, not 47"},
        {{"truncated.dat"}, "truncated.dat: record 11: is not 47 characters followed by CR LF"},
        {{"lf.dat"}, "lf.dat: record 1: ends in LF alone; records end in CR LF"},
        {{"lettered.dat"},
         "lettered.dat: record 6: day number \"1O962\" is not five digits (0 to 99999)"},
        {{"1949_m.dat"},
         "1949_m.dat: record 1: day number \"-0036\" is not five digits (0 to 99999)"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"-o", "mean_flux.dat"};
        args.insert(args.end(), c.inputs.begin(), c.inputs.end());
        const auto before = dir.entries();
        const program_result r = run_command("meanflux-combine", args, dir.path());
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_EQ(r.err, "meanflux-combine: " + c.message + "; nothing written\n");
        EXPECT_EQ(read_file(dir / "mean_flux.dat"), "the user's earlier file\r\n");
        EXPECT_EQ(dir.entries(), before);
    }
}

TEST_F(Combine, UsageAndFiles)
{
    dir.write("empty.dat", "");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {{"1980_m.dat"},
         2,
         "meanflux-combine: no output file: name the combined file with -o OUTPUT\n"
         "usage: meanflux-combine -o OUTPUT FILE...\n"},
        {{"-o", "x.dat"},
         2,
         "meanflux-combine: no input file: name the yearly mean-flux files <yyyy>_m.dat to "
         "combine\nusage: meanflux-combine -o OUTPUT FILE...\n"},
        {{"-o", "x.dat", "none.dat"}, 2, "meanflux-combine: none.dat: No such file or directory\n"},
        {{"-o", "x.dat", "."}, 2, "meanflux-combine: .: Is a directory\n"},
        {{"-o", "x.dat", "empty.dat"},
         1,
         "meanflux-combine: empty.dat: no record; nothing written\n"},
        {{"-o", "x.dat", "empty.dat", "empty.dat"},
         1,
         "meanflux-combine: the 2 files hold no record; nothing written\n"},
        {{"-o", "no/such/dir/x.dat", "1980_m.dat"},
         2,
         "meanflux-combine: no/such/dir/x.dat: cannot create: No such file or directory\n"},
    };
    for (const auto& c : cases) {
        const program_result r = run_command("meanflux-combine", c.args, dir.path());
        EXPECT_EQ(r.status, c.status) << c.err;
        EXPECT_EQ(r.err, c.err);
        EXPECT_FALSE(std::filesystem::exists(dir / "x.dat"));
    }
    const program_result help = run_command("meanflux-combine", {"--help"}, dir.path());
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: meanflux-combine -o OUTPUT FILE...\n", 0), 0u);
    EXPECT_EQ(run_command("meanflux-combine", {"--bogus"}, dir.path()).status, 2);
}

TEST_F(Combine, EndlessAndHugeInputsStopAtWhatACombinedFileCanHold)
{
    // A combined file holds at most the records of day numbers 0 to 99999: 4 900 000 bytes.
    // Reading stops there, whatever the input holds beyond.
    std::filesystem::resize_file(dir / "1980_m.dat", 5'000'000'000); // sparse: no disk used
    dir.write("mean_flux.dat", "the user's earlier file\r\n");
    const auto before = dir.entries();
    for (const std::string input : {"/dev/zero", "1980_m.dat"}) {
        run_options o;
        o.timeout_seconds = 60;
        const program_result r = run_command(
            "meanflux-combine", {"-o", "mean_flux.dat", "1979_m.dat", input}, dir.path(), "", o);
        EXPECT_EQ(r.signal, 0) << input;
        EXPECT_EQ(r.status, 2) << input;
        EXPECT_EQ(r.err,
                  "meanflux-combine: " + input +
                      ": more than 4900000 bytes, more than a combined file can hold\n");
        EXPECT_EQ(read_file(dir / "mean_flux.dat"), "the user's earlier file\r\n");
        EXPECT_EQ(dir.entries(), before);
    }
}

// The values of a record, read from its columns by hand.
std::array<double, 14> values_of(std::string_view record)
{
    std::array<double, 14> v{};
    auto field = [&](std::size_t at, std::size_t width) {
        return std::stod(std::string(record.substr(at, width)));
    };
    for (std::size_t i = 0; i < 8; ++i)
        v[i] = field(5 + 2 * i, 2) / 10.0;
    v[8] = field(21, 3) / 10.0;
    v[9] = field(24, 3);
    for (std::size_t j = 0; j < 4; ++j)
        v[10 + j] = field(27 + 5 * j, 5);
    return v;
}

std::string iso_date(int n)
{
    const date_record d = day_to_date(n);
    char text[16];
    std::snprintf(text,
                  sizeof text,
                  "%04d-%02d-%02d",
                  static_cast<int>(d.year),
                  static_cast<int>(d.month),
                  static_cast<int>(d.day));
    return text;
}

// Runs the rest of a scope in another working directory.
class working_directory {
  public:
    explicit working_directory(const std::filesystem::path& dir)
        : previous_(std::filesystem::current_path())
    {
        std::filesystem::current_path(dir);
    }
    ~working_directory() { std::filesystem::current_path(previous_); }
    working_directory(const working_directory&) = delete;
    working_directory& operator=(const working_directory&) = delete;

  private:
    std::filesystem::path previous_;
};

TEST(CombineRealYears, EveryDayFrom1950To2017IsFound)
{
    // 1950 starts at day number 0; the days before 19 May 1977 have numbers of fewer than five
    // digits, which the header line must still give in five columns.
    scratch_dir dir;
    std::vector<std::string> args{"-o", "mean_flux.dat"};
    std::string records;
    for (int y = 1950; y <= 2017; ++y) {
        records += yearly_mean_flux(dir.path(), y);
        args.push_back(std::to_string(y) + "_m.dat");
    }
    const program_result r = run_command("meanflux-combine", args, dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string combined = read_file(dir / "mean_flux.dat");
    ASSERT_EQ(combined.substr(0, 12), "0000024836\r\n");
    ASSERT_TRUE(combined.substr(12) == records) << "the records, unchanged and in order";
    const std::string_view body = std::string_view(combined).substr(12);
    auto record = [&](int n) { return body.substr(static_cast<std::size_t>(n) * 49, 47); };

    const std::string file = (dir / "mean_flux.dat").string();
    for (int n = 0; n <= 24836; ++n) {
        const date_record d = day_to_date(n);
        std::array<double, 14> v{};
        ASSERT_EQ(read_mean_flux_file(file.c_str(),
                                      static_cast<int>(d.day),
                                      static_cast<int>(d.month),
                                      static_cast<int>(d.year),
                                      v.data()),
                  mean_flux_found)
            << iso_date(n);
        ASSERT_EQ(v, values_of(record(n))) << iso_date(n);
    }

    std::vector<int> days{0, 1, 9998, 9999, 10000, 24835, 24836};
    for (int n = 37; n < 24836; n += 211)
        days.push_back(n);
    {
        const working_directory in(dir.path());
        for (const int n : days) {
            const date_record d = day_to_date(n);
            std::array<double, 14> v{};
            ASSERT_EQ(read_mean_flux(static_cast<int>(d.day),
                                     static_cast<int>(d.month),
                                     static_cast<int>(d.year),
                                     v.data()),
                      mean_flux_found)
                << iso_date(n);
            EXPECT_EQ(v, values_of(record(n))) << iso_date(n);
        }
    }

    std::vector<std::string> dates{"--csv"};
    for (const int n : days)
        dates.push_back(iso_date(n));
    const program_result shown = run_command("meanflux-lookup", dates, dir.path());
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.err, "");
    std::string expected = "date,kp1,kp2,kp3,kp4,kp5,kp6,kp7,kp8,kp_sum,ap,f107_obs,f107_adj,"
                           "j77_mean,j70_mean\n";
    for (const int n : days) {
        const std::array<double, 14> v = values_of(record(n));
        char row[160];
        std::snprintf(row,
                      sizeof row,
                      "%s,%.1f,%.1f,%.1f,%.1f,%.1f,%.1f,%.1f,%.1f,%.1f,%.0f,%.1f,%.1f,%.1f,%.1f\n",
                      iso_date(n).c_str(),
                      v[0],
                      v[1],
                      v[2],
                      v[3],
                      v[4],
                      v[5],
                      v[6],
                      v[7],
                      v[8],
                      v[9],
                      v[10],
                      v[11],
                      v[12],
                      v[13]);
        expected += row;
    }
    EXPECT_EQ(shown.out, expected);
}

} // namespace
} // namespace meanflux::test
