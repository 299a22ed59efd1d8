// The command-line kit: the help text made from a command's option table, the refusal of an
// output that is an input or another output, and the ranges of dates a command line gives.
#include "cli/command.h"

#include "support/run_program.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace meanflux::test {
namespace {

TEST(ParseDateRange, OneDateOrTwoJoinedByTwoDots)
{
    struct Case {
        const char* text;
        range_status status;
        calendar_date first, last;
    };
    const Case cases[] = {
        {"1980-02-29", range_status::valid, {1980, 2, 29}, {1980, 2, 29}},
        {"1980-12-31..1981-01-01", range_status::valid, {1980, 12, 31}, {1981, 1, 1}},
        {"1980-01-01..1980-01-01", range_status::valid, {1980, 1, 1}, {1980, 1, 1}},
        {"0000-01-01..9999-12-31", range_status::valid, {0, 1, 1}, {9999, 12, 31}},
        {"1980-01-02..1980-01-01", range_status::reversed, {}, {}},
        {"1981-01-01..1980-12-31", range_status::reversed, {}, {}},
        {"1980-01-01..", range_status::not_a_date, {}, {}},
        {"..1980-01-01", range_status::not_a_date, {}, {}},
        {"1980-01-01...1980-01-02", range_status::not_a_date, {}, {}},
        {"1980-01-01..1980-02-30", range_status::not_a_date, {}, {}},
        {"1980-01-01..1980-01-02..1980-01-03", range_status::not_a_date, {}, {}},
        {"1980-01-01-1980-01-02", range_status::not_a_date, {}, {}},
        {"1980-01-01 ..1980-01-02", range_status::not_a_date, {}, {}},
        // Months and years are their days, on either side of a range.
        {"1989-03..1989-05", range_status::valid, {1989, 3, 1}, {1989, 5, 31}},
        {"1980-02", range_status::valid, {1980, 2, 1}, {1980, 2, 29}},
        {"1989", range_status::valid, {1989, 1, 1}, {1989, 12, 31}},
        {"1989..1990-02-15", range_status::valid, {1989, 1, 1}, {1990, 2, 15}},
        {"1989-03-20..1989-03", range_status::valid, {1989, 3, 20}, {1989, 3, 31}},
        {"1989-03..1989-02-28", range_status::reversed, {}, {}},
        {"1989-13", range_status::not_a_date, {}, {}},
        {"1989-00", range_status::not_a_date, {}, {}},
        {"198", range_status::not_a_date, {}, {}},
        {"1989-3", range_status::not_a_date, {}, {}},
    };
    for (const auto& c : cases) {
        date_range r{{1, 1, 1}, {1, 1, 1}};
        EXPECT_EQ(parse_date_range(c.text, r), c.status) << c.text;
        if (c.status == range_status::valid) {
            EXPECT_EQ(r.first.year, c.first.year) << c.text;
            EXPECT_EQ(r.first.month, c.first.month) << c.text;
            EXPECT_EQ(r.first.day, c.first.day) << c.text;
            EXPECT_EQ(r.last.year, c.last.year) << c.text;
            EXPECT_EQ(r.last.month, c.last.month) << c.text;
            EXPECT_EQ(r.last.day, c.last.day) << c.text;
        } else {
            EXPECT_EQ(r.first.year, 1) << c.text << ": untouched";
        }
    }
}

TEST(CommandKit, HelpMadeFromTheOptionTable)
{
    constexpr option_definition options[] = {
        {'o', "output", "FILE", "where it goes; - for standard\noutput"},
        {1000, "csv", nullptr, "as CSV"},
    };
    const command_definition command{"meanflux-x",
                                     "meanflux-x [-o FILE] [--csv] INPUT",
                                     "Does x.\n",
                                     options,
                                     "A note.\n",
                                     "0 done, 2 usage error\n"};
    EXPECT_EQ(usage_text(command), "usage: meanflux-x [-o FILE] [--csv] INPUT\n");
    EXPECT_EQ(help_text(command),
              "usage: meanflux-x [-o FILE] [--csv] INPUT\n"
              "\n"
              "Does x.\n"
              "\n"
              "options:\n"
              "  -o, --output FILE  where it goes; - for standard\n"
              "                     output\n"
              "      --csv          as CSV\n"
              "  -h, --help         show this help\n"
              "      --version      show the version\n"
              "\n"
              "A note.\n"
              "\n"
              "exit status: 0 done, 2 usage error\n");
}

TEST(CommandKit, OutputsThatAreInputsOrEachOther)
{
    scratch_dir dir;
    dir.write("in.dat", "in\n");
    std::filesystem::create_symlink("in.dat", dir / "link.dat");
    const std::string in = (dir / "in.dat").string(), link = (dir / "link.dat").string(),
                      out = (dir / "out.dat").string(), other = (dir / "other.dat").string();
    struct Case {
        std::vector<std::string> inputs, outputs;
        std::string message; // empty: none refused
    };
    const Case cases[] = {
        {{in}, {out, other}, ""},
        {{in}, {"-", "-"}, ""}, // standard output, twice
        {{in},
         {out, link},
         "x: " + link + ": the same file as the input " + in + "; nothing written\n"},
        {{in},
         {out, other, out},
         "x: " + out + ": the same file as the output " + out + "; nothing written\n"},
    };
    for (const auto& c : cases) {
        std::FILE* err = std::tmpfile();
        const ending end = refuse_same_files(err, "x", c.inputs, c.outputs);
        std::rewind(err);
        std::string message(256, '\0');
        message.resize(std::fread(message.data(), 1, message.size(), err));
        std::fclose(err);
        EXPECT_EQ(end.has_value(), !c.message.empty()) << c.message;
        EXPECT_EQ(message, c.message);
        if (end) {
            EXPECT_EQ(*end, exit_usage_or_file);
        }
    }
}

} // namespace
} // namespace meanflux::test
