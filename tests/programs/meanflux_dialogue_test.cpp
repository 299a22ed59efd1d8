#include "programs/meanflux_dialogue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace meanflux {
namespace {

// Console streams over memory.
struct console {
    explicit console(const std::string& input)
        : text(input), in(fmemopen(text.data(), text.size(), "r")),
          out(open_memstream(&out_buf, &out_size))
    {}
    ~console()
    {
        std::fclose(in);
        std::fclose(out);
        std::free(out_buf);
    }
    std::string text;
    std::FILE* in;
    char* out_buf = nullptr;
    std::size_t out_size = 0;
    std::FILE* out;
};

TEST(AskYear, FormsTheFourNames)
{
    struct Case {
        const char* input;
        int year;
        const char *bef, *ano, *aft, *mean;
    };
    constexpr Case cases[] = {
        {"1980\n", 1980, "1979.dat", "1980.dat", "1981.dat", "1980_m.dat"},
        {"1937\n", 1937, "1936.dat", "1937.dat", "1938.dat", "1937_m.dat"},
        {"2000\n", 2000, "1999.dat", "2000.dat", "2001.dat", "2000_m.dat"},
        {"2099\n", 2099, "2098.dat", "2099.dat", "2100.dat", "2099_m.dat"},
    };
    for (const auto& c : cases) {
        console con(c.input);
        year_files files;
        ASSERT_EQ(ask_year(con.in, con.out, files), dialogue_status::accepted) << c.input;
        EXPECT_EQ(files.i_ano, c.year);
        EXPECT_STREQ(files.ano_bef.data(), c.bef);
        EXPECT_STREQ(files.ano.data(), c.ano);
        EXPECT_STREQ(files.ano_aft.data(), c.aft);
        EXPECT_STREQ(files.ano_mean.data(), c.mean);
    }
}

TEST(AskYear, ReportsStreamsThatFail)
{
    year_files files;
    {
        console con("");
        EXPECT_EQ(ask_year(con.in, con.out, files), dialogue_status::end_of_input);
    }
    {
        // Reading a directory fails on the first read.
        std::FILE* in = std::fopen(".", "r");
        ASSERT_NE(in, nullptr);
        console con("");
        EXPECT_EQ(ask_year(in, con.out, files), dialogue_status::input_error);
        std::fclose(in);
    }
    {
        std::FILE* full = std::fopen("/dev/full", "w");
        ASSERT_NE(full, nullptr);
        console con("1980\n");
        EXPECT_EQ(ask_year(con.in, full, files), dialogue_status::output_error);
        std::fclose(full);
    }
}

} // namespace
} // namespace meanflux
