#include "input/line_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace meanflux {
namespace {

// Every line that the reading rule yields from `bytes`, with the status that ended the reading.
std::vector<std::string> lines_of(std::string bytes, read_status* last = nullptr)
{
    std::vector<std::string> lines;
    std::FILE* f =
        bytes.empty() ? std::fopen("/dev/null", "r") : fmemopen(bytes.data(), bytes.size(), "r");
    line_buffer buf{};
    read_status status;
    while ((status = read_line(f, buf)) == read_status::line)
        lines.emplace_back(buf.data());
    std::fclose(f);
    if (last)
        *last = status;
    return lines;
}

TEST(ReadLine, LineEndsAndTheEndOfTheFile)
{
    const std::string d71(71, 'd');
    const std::string d72(72, 'd');
    struct Case {
        std::string bytes;
        std::vector<std::string> lines;
        const char* what;
    };
    const Case cases[] = {
        {"a\nb\n", {"a\n", "b\n"}, "LF"},
        {"a\r\nb\r\n", {"a\n", "b\n"}, "CR LF is one line end"},
        {"a\rb\n", {"a\rb\n"}, "a lone CR is an ordinary character"},
        {"a\r\r\n", {"a\r\n"}, "CR before CR LF"},
        {"a\nb", {"a\n"}, "a last line without line end is dropped"},
        {"a\nb\r", {"a\n"}, "a CR at the very end meets the end of the file"},
        {"", {}, "an empty file has no line"},
        {"\n\n", {"\n", "\n"}, "empty lines are lines"},
        {d71 + "\n", {d71 + "\n"}, "71 characters: one line"},
        {d71 + "\r\n", {d71 + "\n"}, "71 characters and CR LF: one line"},
        {d72 + "\n", {d72, "\n"}, "72 characters: two days, the second the line end alone"},
        {d72 + "\r\n", {d72, "\n"}, "72 characters and CR LF"},
        {d71 + "\r" + "x\n", {d71 + "\r", "x\n"}, "a lone CR as the 72nd character"},
        {std::string(150, 'e') + "\n",
         {std::string(72, 'e'), std::string(72, 'e'), "eeeeee\n"},
         "a very long line is several days"},
        {d72, {d72}, "72 characters without line end fill a read without meeting the end"},
    };
    for (const auto& c : cases) {
        read_status last;
        EXPECT_EQ(lines_of(c.bytes, &last), c.lines) << c.what;
        EXPECT_EQ(last, read_status::end_of_file) << c.what;
    }
}

TEST(ReadLine, ColumnsAShortLineDoesNotReachAreZero)
{
    std::string bytes = std::string(71, '9') + "\nab\n";
    std::FILE* f = fmemopen(bytes.data(), bytes.size(), "r");
    line_buffer buf{};
    ASSERT_EQ(read_line(f, buf), read_status::line);
    ASSERT_EQ(read_line(f, buf), read_status::line);
    EXPECT_EQ(std::string(buf.data(), 3), "ab\n");
    for (std::size_t i = 3; i < buf.size(); ++i)
        EXPECT_EQ(buf[i], '\0') << i;
    EXPECT_EQ(line_text_length(buf), 2);
    std::fclose(f);
}

TEST(ReadLine, AReadThatFailsIsReported)
{
    std::FILE* dir = std::fopen(".", "r");
    ASSERT_NE(dir, nullptr);
    line_buffer buf{};
    EXPECT_EQ(read_line(dir, buf), read_status::error);
    std::fclose(dir);
}

} // namespace
} // namespace meanflux
