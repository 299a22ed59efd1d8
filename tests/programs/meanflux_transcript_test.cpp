// The program as a user meets it on the console: whole standard-input texts in, standard output
// compared byte for byte.
#include "support/console_texts.h"
#include "support/run_program.h"

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>

namespace meanflux::test {
namespace {

struct dialogue_case {
    const char* what;
    std::string input;
    std::string expected_out;
};

void PrintTo(const dialogue_case& c, std::ostream* os)
{
    *os << c.what;
}

class Dialogue : public ::testing::TestWithParam<dialogue_case> {};

TEST_P(Dialogue, AcceptedYears)
{
    scratch_dir dir;
    const auto& c = GetParam();
    const program_result r = run_meanflux(dir.path(), c.input);
    EXPECT_EQ(r.out, c.expected_out);
    // The directory holds no daily index files: the run stops at the first one it needs, the
    // preceding year's, after the dialogue, and says what makes it.
    const std::string before = c.expected_out.substr(c.expected_out.find("files: '") + 8, 8);
    EXPECT_EQ(r.err.rfind("meanflux: " + before +
                              ": cannot open: No such file or directory; meanflux-import makes it",
                          0),
              0U)
        << r.err;
    EXPECT_EQ(r.status, 1);
}

const std::string answer_1980 = banner + prompt + echo("1979", "1980", "1981");

INSTANTIATE_TEST_SUITE_P(
    Transcript, Dialogue,
    ::testing::Values(
        dialogue_case{"plain year", "1980\n", answer_1980},
        dialogue_case{"CR LF line ends",
                      "abc\r\n\r\n1980\r\n",
                      banner + prompt + invalid_string + prompt + invalid_string + prompt +
                          echo("1979", "1980", "1981")},
        dialogue_case{"last line without line end", "1980", answer_1980},
        dialogue_case{"letters and an empty line",
                      "letters\n\n1980\n",
                      banner + prompt + invalid_string + prompt + invalid_string + prompt +
                          echo("1979", "1980", "1981")},
        dialogue_case{"lowest year",
                      "1936\n1937\n",
                      banner + prompt + invalid_year + prompt + echo("1936", "1937", "1938")},
        // 2100: from 1 March on the day numbers would count a 29 February that is not there.
        dialogue_case{"zero, negative, five-digit and too late years",
                      "0\n-1980\n19800\n2100\n9998\n2099\n",
                      banner + prompt + invalid_year + prompt + invalid_year + prompt +
                          invalid_year + prompt + invalid_year + prompt + invalid_year + prompt +
                          echo("2098", "2099", "2100")},
        dialogue_case{"nine digits scan as eight",
                      "198000000\n1980\n",
                      banner + prompt + invalid_year + prompt + echo("1979", "1980", "1981")},
        dialogue_case{"blanks before, letters after",
                      "  1981abc\n",
                      banner + prompt + echo("1980", "1981", "1982")},
        dialogue_case{"a sign before the number", "+1980\n", answer_1980},
        // 19 blanks, then 1980 and more: 30 characters.  Only the blanks are looked at, and the
        // rest of the line is not the next answer.
        dialogue_case{"line of 30 characters",
                      std::string(19, ' ') + "1980xxxxxxx\n1982\n",
                      banner + prompt + invalid_string + prompt + echo("1981", "1982", "1983")},
        dialogue_case{"long line ending the input",
                      "1983" + std::string(40, 'x'),
                      banner + prompt + echo("1982", "1983", "1984")},
        dialogue_case{"number in the last looked-at characters",
                      std::string(15, ' ') + "1984\n",
                      banner + prompt + echo("1983", "1984", "1985")}),
    [](const auto& test) {
        std::string name = test.param.what;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

TEST(Transcript, EndOfInputWhileThePromptWaits)
{
    struct Case {
        std::string input, expected_out;
    };
    const Case cases[] = {
        {"", banner + prompt},
        {"abc\n", banner + prompt + invalid_string + prompt},
        {"1936\n\n", banner + prompt + invalid_year + prompt + invalid_string + prompt},
    };
    for (const auto& c : cases) {
        scratch_dir dir;
        const program_result r = run_meanflux(dir.path(), c.input);
        EXPECT_EQ(r.out, c.expected_out);
        EXPECT_NE(r.status, 0);
        EXPECT_EQ(r.err,
                  "meanflux: standard input: ended before a year from 1937 to 2099 was accepted\n");
        EXPECT_TRUE(dir.entries().empty());
    }
}

} // namespace
} // namespace meanflux::test
