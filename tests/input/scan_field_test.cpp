#include "input/scan_field.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace meanflux {
namespace {

TEST(ScanField, IntegerFields)
{
    struct Case {
        std::string line;
        int first, last;
        int result, value;
        const char* what;
    };
    const Case cases[] = {
        {"12345678", 0, 4, 1, 12345, "the digits after the field are not taken"},
        {"12345678", 5, 7, 1, 678, "a field at the end of the text"},
        {"ab7xcd", 2, 3, 1, 7, "characters after the number are ignored"},
        {"12 34", 0, 4, 1, 12, "a blank ends the number"},
        {"xx3x", 2, 2, 1, 3, "a one-character field"},
        {"00365abc", 0, 4, 1, 365, "leading zeros"},
        {"-0036", 0, 4, 1, -36, "a sign"},
        {"     1", 0, 4, EOF, -99, "blanks only: no value"},
        {"ab", 0, 1, 0, -99, "a letter cannot begin a number"},
        {"12\n", 2, 2, EOF, -99, "the line end is white space"},
    };
    for (const auto& c : cases) {
        std::string line = c.line;
        int value = -99;
        EXPECT_EQ(scan_field(
                      std::span<char>(line.data(), line.size() + 1), c.first, c.last, "%d", &value),
                  c.result)
            << c.what;
        EXPECT_EQ(value, c.value) << c.what;
        EXPECT_EQ(line, c.line) << c.what << ": the line is restored";
    }
}

TEST(ScanField, RealFields)
{
    struct Case {
        std::string line;
        int first, last;
        int result;
        double value;
        const char* what;
    };
    const Case cases[] = {
        {"ab  71.4cd", 2, 7, 1, 71.4, "blanks before the number are skipped"},
        {"   0.0", 1, 5, 1, 0.0, "a missing flux written as 0.0"},
        {"220.31", 0, 4, 1, 220.3, "the qualifier after the field is not taken"},
        {"      ", 0, 4, EOF, -1.5, "a blank flux field"},
        {"  nan", 0, 4, 1, NAN, "an undefined value reads as not a number"},
    };
    for (const auto& c : cases) {
        std::string line = c.line;
        double value = -1.5;
        EXPECT_EQ(
            scan_field(
                std::span<char>(line.data(), line.size() + 1), c.first, c.last, "%lf", &value),
            c.result)
            << c.what;
        if (std::isnan(c.value))
            EXPECT_TRUE(std::isnan(value)) << c.what;
        else
            EXPECT_EQ(value, c.value) << c.what;
        EXPECT_EQ(line, c.line) << c.what;
    }
}

TEST(ScanField, TheDisplacedCharacterComesBack)
{
    // The field ends right before the newline, and then right before the terminator.
    char line[] = "x 70.5\n";
    double value = 0.0;
    EXPECT_EQ(scan_field(line, 1, 5, "%lf", &value), 1);
    EXPECT_EQ(value, 70.5);
    EXPECT_STREQ(line, "x 70.5\n");
    EXPECT_EQ(scan_field(line, 2, 6, "%lf", &value), 1);
    EXPECT_EQ(line[7], '\0');
    EXPECT_EQ(std::string(line, 7), "x 70.5\n");
}

TEST(ScanField, PositionsOutsideTheBufferGiveNoValue)
{
    char line[] = "12345";
    int value = -7;
    for (auto [first, last] : {std::pair{0, 5}, std::pair{-1, 2}, std::pair{3, 2}, {9, 12}})
        EXPECT_EQ(scan_field(line, first, last, "%d", &value), EOF) << first << ".." << last;
    EXPECT_EQ(value, -7);
    EXPECT_STREQ(line, "12345");
}

} // namespace
} // namespace meanflux

namespace meanflux {
namespace {

// scan_field converts plain decimal numbers without sscanf; over every kind of field it must give
// exactly what sscanf gives, result and value.
TEST(ScanField, AgreesWithSscanfOnAnyField)
{
    const char alphabet[] = " 0123456789.+-eExXnaifNAI\t\r\n9876543210...  ";
    std::uint64_t state = 0x9E3779B97F4A7C15u;
    auto next = [&] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    for (int round = 0; round < 400000; ++round) {
        const std::size_t length = 1 + next() % 20;
        std::string field;
        for (std::size_t i = 0; i < length; ++i)
            field += alphabet[next() % (sizeof alphabet - 1)];
        std::string line = field + "#"; // a character after the field, displaced during the scan
        const auto span = std::span<char>(line.data(), line.size() + 1);
        const int last = static_cast<int>(length) - 1;

        double got = -1.25, expected = -1.25;
        const int r = scan_field(span, 0, last, "%lf", &got);
        const int e = std::sscanf(field.c_str(), "%lf", &expected);
        ASSERT_EQ(r, e) << '"' << field << '"';
        ASSERT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << '"' << field << '"';

        int got_i = -7, expected_i = -7;
        ASSERT_EQ(scan_field(span, 0, last, "%d", &got_i),
                  std::sscanf(field.c_str(), "%d", &expected_i))
            << '"' << field << '"';
        ASSERT_EQ(got_i, expected_i) << '"' << field << '"';
    }
}

TEST(ScanField, AgreesWithSscanfOnEveryFluxOfFiveCharacters)
{
    // Every value a flux field "%5.1f" can hold, and the same without the decimal point's digit.
    char field[16];
    for (int tenths = -9999; tenths <= 99999; ++tenths) {
        std::snprintf(field, sizeof field, "%5.1f", tenths / 10.0);
        for (const char* text :
             {static_cast<const char*>(field), static_cast<const char*>(field + 1)}) {
            std::string line = text;
            double got = 0.0, expected = 0.0;
            ASSERT_EQ(scan_field(std::span<char>(line.data(), line.size() + 1),
                                 0,
                                 static_cast<int>(line.size()) - 1,
                                 "%lf",
                                 &got),
                      std::sscanf(text, "%lf", &expected));
            ASSERT_EQ(got, expected) << text;
        }
    }
}

} // namespace
} // namespace meanflux
