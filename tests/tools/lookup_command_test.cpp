#include "tools/command_line.h"

#include "support/run_program.h"
#include "support/yearly_files.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

namespace meanflux::test {
namespace {

TEST(ParseDate, OnlyRealDatesOfTheFormYYYYMMDD)
{
    struct Case {
        const char* text;
        bool valid;
    };
    constexpr Case cases[] = {
        {"1980-02-29", true},
        {"1981-02-29", false},
        {"2000-02-29", true},
        {"1900-02-29", false},
        {"1980-12-31", true},
        {"1980-13-01", false},
        {"1980-00-10", false},
        {"1980-01-00", false},
        {"1980-1-1", false},
        {"80-01-01", false},
        {"1980/01/01", false},
        {"1980-01-01x", false},
    };
    for (const auto& c : cases) {
        civil_day d{};
        EXPECT_EQ(parse_date(c.text, d), c.valid) << c.text;
    }
    civil_day d{};
    ASSERT_TRUE(parse_date("1981-07-04", d));
    EXPECT_EQ(d.year, 1981);
    EXPECT_EQ(d.month, 7);
    EXPECT_EQ(d.day, 4);
}

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
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out_rows, err;
    };
    const Case cases[] = {
        {{"1979-12-31", "1980-01-02"},
         1,
         "1980-01-02  4.3  3.0  2.0  2.3  3.3  2.0  1.0  2.0    20.0   12      206.7      199.9  "
         "   205.7     205.0\n",
         "meanflux-lookup: 1979-12-31: outside the range of days of mean_flux.dat\n"},
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
         "meanflux-lookup: nohead.dat: no day range in its header line\n"},
        {{"1980-02-30"}, 2, "", "meanflux-lookup: 1980-02-30: not a date of the form YYYY-MM-DD\n"},
        {{},
         2,
         "",
         "meanflux-lookup: no date\nusage: meanflux-lookup [-f FILE] [--csv] YYYY-MM-DD...\n"},
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
        {"short.dat", "short.dat: no day range in its header line"},
        {"fifo", "fifo: cannot read: Illegal seek"},
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
