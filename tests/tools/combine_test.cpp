#include "tools/combine.h"

#include "support/run_program.h"
#include "support/yearly_files.h"

#include <meanflux/meanflux.h>

#include <gtest/gtest.h>

#include <array>
#include <string>

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
         "meanflux-combine: no output file (-o)\nusage: meanflux-combine -o OUTPUT FILE...\n"},
        {{"-o", "x.dat"},
         2,
         "meanflux-combine: no input file\nusage: meanflux-combine -o OUTPUT FILE...\n"},
        {{"-o", "x.dat", "none.dat"}, 2, "meanflux-combine: none.dat: No such file or directory\n"},
        {{"-o", "x.dat", "."}, 2, "meanflux-combine: .: Is a directory\n"},
        {{"-o", "x.dat", "empty.dat"},
         1,
         "meanflux-combine: the files hold no record; nothing written\n"},
        {{"-o", "no/such/dir/x.dat", "1980_m.dat"},
         2,
         "meanflux-combine: no/such/dir/x.dat: cannot write: No such file or directory\n"},
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

TEST(CombinedHeader, DayNumbersInFiveColumns)
{
    EXPECT_EQ(combined_header(10957, 11322), "1095711322\r\n");
    EXPECT_EQ(combined_header(0, 365), "    0  365\r\n");
}

} // namespace
} // namespace meanflux::test
