#include "daily/line_cutter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace meanflux {
namespace {

struct cut {
    std::vector<std::string> lines;
    bool too_long = false;
    int too_long_line = 0;    // its number, from 1
    std::size_t consumed = 0; // bytes taken from the input when the cutting ended
    bool operator==(const cut&) const = default;
};

// Every line the rule cuts from `bytes`, fed in pieces of `piece` bytes.
cut cut_all(const std::string& bytes, std::size_t piece)
{
    cut result;
    line_cutter cutter;
    std::string_view line;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        std::string_view rest = std::string_view(bytes).substr(at, piece);
        for (;;) {
            const cut_status s = cut_line(cutter, rest, line);
            if (s == cut_status::line) {
                result.lines.emplace_back(line);
                continue;
            }
            if (s == cut_status::too_long) {
                result.too_long = true;
                result.too_long_line = cutter.lines + 1;
                result.consumed = at + std::min(piece, bytes.size() - at) - rest.size();
                return result;
            }
            EXPECT_TRUE(rest.empty());
            break;
        }
    }
    switch (cut_last_line(cutter, line)) {
    case cut_status::line:
        result.lines.emplace_back(line);
        break;
    case cut_status::too_long:
        result.too_long = true;
        result.too_long_line = cutter.lines + 1;
        break;
    case cut_status::no_line:
    case cut_status::need_more:
        break;
    }
    result.consumed = bytes.size();
    EXPECT_EQ(cutter.lines, static_cast<int>(result.lines.size()));
    return result;
}

TEST(CutLine, EveryLineEndedByLFIsADay)
{
    const std::string d71(71, 'd');
    const std::string d80 = d71 + "123456789";
    const std::string long_line(max_line_length, 'e');
    struct Case {
        std::string bytes;
        std::vector<std::string> lines;
        const char* what;
    };
    const Case cases[] = {
        {"a\nb\n", {"a", "b"}, "LF"},
        {"a\r\nb\r\n", {"a", "b"}, "CR LF is one line end"},
        {"a\rb\n", {"a\rb"}, "a lone CR is an ordinary character"},
        {"a\r\r\n", {"a\r"}, "CR before CR LF"},
        {"a\nb", {"a", "b"}, "a last line without line end is a day"},
        {"a\nb\r", {"a", "b"}, "a CR at the very end is the line end"},
        {"a\n\r", {"a", ""}, "a lone CR after the last LF ends an empty line, as CR LF does"},
        {"a\rb\r", {"a\rb"}, "only the CR at the very end is a line end"},
        {"", {}, "an empty file has no line"},
        {"\n\n", {"", ""}, "empty lines are lines"},
        {"\r\n", {""}, "an empty line with CR LF"},
        {d71 + "\n", {d71}, "71 characters"},
        {d71 + "\r\n", {d71}, "71 characters and CR LF"},
        {d80 + "\n" + d80 + "\r\n", {d71, d71}, "80 characters (as 1932.dat has): one day each"},
        {long_line + "\n", {std::string(71, 'e')}, "the longest line"},
        {long_line + "\r\n" + "x", {std::string(71, 'e'), "x"}, "the longest line and CR LF"},
        {long_line, {std::string(71, 'e')}, "the longest line without line end"},
        {long_line + "\r", {std::string(71, 'e')}, "the longest line and a CR at the very end"},
        {std::string(3, '\0') + "\n", {std::string(3, '\0')}, "a NUL is a character"},
    };
    for (const auto& c : cases)
        for (const std::size_t piece : {std::size_t{1},
                                        std::size_t{2},
                                        std::size_t{70},
                                        std::size_t{72},
                                        std::size_t{4097},
                                        std::size_t{1} << 20}) {
            const cut got = cut_all(c.bytes, piece);
            EXPECT_EQ(got.lines, c.lines) << c.what << ", pieces of " << piece;
            EXPECT_FALSE(got.too_long) << c.what << ", pieces of " << piece;
        }
}

TEST(CutLine, ALineLongerThanTheLongestIsRefused)
{
    const std::string longest(max_line_length, 'e');
    struct Case {
        std::string bytes;
        int line;
        const char* what;
    };
    const Case cases[] = {
        {longest + "e\n", 1, "one character more"},
        {longest + "\rx\n", 1, "a CR not before the LF is a character"},
        {longest + "e", 1, "without line end"},
        {longest + "e\r", 1, "one character more, with a CR at the very end"},
        {"a\nb\n" + longest + longest, 3, "the third line"},
    };
    for (const auto& c : cases)
        for (const std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{1} << 20}) {
            const cut got = cut_all(c.bytes, piece);
            EXPECT_TRUE(got.too_long) << c.what << ", pieces of " << piece;
            EXPECT_EQ(got.too_long_line, c.line) << c.what << ", pieces of " << piece;
        }
}

TEST(CutLine, AnInputWithoutLineEndsIsGivenUpEarly)
{
    // A megabyte of NULs, as /dev/zero gives, in one piece and in pieces: the cutting stops
    // within the longest line and its line end, wherever the pieces are cut.
    const std::string zeros(1 << 20, '\0');
    for (const std::size_t piece : {std::size_t{1}, std::size_t{4096}, std::size_t{1} << 20}) {
        const cut got = cut_all(zeros, piece);
        EXPECT_TRUE(got.too_long);
        EXPECT_EQ(got.too_long_line, 1);
        EXPECT_LE(got.consumed, static_cast<std::size_t>(max_line_length + 2) + piece) << piece;
    }
    const cut whole = cut_all(zeros, zeros.size());
    EXPECT_EQ(whole.consumed, static_cast<std::size_t>(max_line_length + 2))
        << "never searched further than a line can reach";
}

TEST(CutLine, AWholeLineInOnePieceIsNotCopied)
{
    const std::string bytes = std::string(80, 'x') + "\n";
    std::string_view rest = bytes;
    line_cutter cutter;
    std::string_view line;
    ASSERT_EQ(cut_line(cutter, rest, line), cut_status::line);
    EXPECT_EQ(line.data(), bytes.data());
    EXPECT_EQ(line.size(), static_cast<std::size_t>(used_columns));
    EXPECT_TRUE(rest.empty());
}

} // namespace
} // namespace meanflux
