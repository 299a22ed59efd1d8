#include "text/scan_field.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace meanflux {
namespace {

// sscanf's return value for each result.
int as_sscanf(scan_result r)
{
    return static_cast<int>(r);
}

TEST(ScanField, IntegerFields)
{
    struct Case {
        std::string line;
        int first, last;
        scan_result result;
        int value;
        const char* what;
    };
    const Case cases[] = {
        {"12345678",
         0,
         4,
         scan_result::converted,
         12345,
         "the digits after the field are not taken"},
        {"12345678", 5, 7, scan_result::converted, 678, "a field at the end of the text"},
        {"ab7xcd", 2, 3, scan_result::converted, 7, "characters after the number are ignored"},
        {"12 34", 0, 4, scan_result::converted, 12, "a blank ends the number"},
        {"xx3x", 2, 2, scan_result::converted, 3, "a one-character field"},
        {"00365abc", 0, 4, scan_result::converted, 365, "leading zeros"},
        {"-0036", 0, 4, scan_result::converted, -36, "a sign"},
        {"     1", 0, 4, scan_result::blank, -99, "blanks only: no value"},
        {"ab", 0, 1, scan_result::no_number, -99, "a letter cannot begin a number"},
        {"12\n", 2, 2, scan_result::blank, -99, "the line end is white space"},
        {"12345", 3, 9, scan_result::converted, 45, "positions beyond the line are no characters"},
        {"12345", 5, 9, scan_result::blank, -99, "a field wholly beyond the line"},
        {std::string("12\0"
                     "45",
                     5),
         0,
         4,
         scan_result::converted,
         12,
         "a NUL ends the field"},
        {std::string("\0"
                     "345",
                     4),
         0,
         3,
         scan_result::blank,
         -99,
         "a field that starts at a NUL"},
        {"12345", -1, 2, scan_result::blank, -99, "a position before the line"},
        {"12345", 3, 2, scan_result::blank, -99, "first after last"},
    };
    for (const auto& c : cases) {
        int value = -99;
        EXPECT_EQ(scan_field(c.line, c.first, c.last, value), c.result) << c.what;
        EXPECT_EQ(value, c.value) << c.what;
    }
}

TEST(ScanField, RealFields)
{
    struct Case {
        std::string line;
        int first, last;
        scan_result result;
        double value;
        const char* what;
    };
    const Case cases[] = {
        {"ab  71.4cd", 2, 7, scan_result::converted, 71.4, "blanks before the number are skipped"},
        {"   0.0", 1, 5, scan_result::converted, 0.0, "a missing flux written as 0.0"},
        {"220.31",
         0,
         4,
         scan_result::converted,
         220.3,
         "the qualifier after the field is not taken"},
        {"      ", 0, 4, scan_result::blank, -1.5, "a blank flux field"},
        {"  nan", 0, 4, scan_result::converted, NAN, "an undefined value reads as not a number"},
        {"  1e2", 0, 4, scan_result::converted, 100.0, "an exponent goes to sscanf"},
        {"x 70.5\n", 1, 5, scan_result::converted, 70.5, "a field right before the line end"},
    };
    for (const auto& c : cases) {
        double value = -1.5;
        EXPECT_EQ(scan_field(c.line, c.first, c.last, value), c.result) << c.what;
        if (std::isnan(c.value))
            EXPECT_TRUE(std::isnan(value)) << c.what;
        else
            EXPECT_EQ(value, c.value) << c.what;
    }
}

// scan_field converts plain decimal numbers without sscanf; over every kind of field it must give
// exactly what sscanf gives on the field's text, result and value.
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
        const std::string line = field + "7"; // a digit right after the field is not taken
        const int last = static_cast<int>(length) - 1;

        double got = -1.25, expected = -1.25;
        const scan_result r = scan_field(line, 0, last, got);
        const int e = std::sscanf(field.c_str(), "%lf", &expected);
        ASSERT_EQ(as_sscanf(r), e) << '"' << field << '"';
        ASSERT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << '"' << field << '"';

        int got_i = -7, expected_i = -7;
        ASSERT_EQ(as_sscanf(scan_field(line, 0, last, got_i)),
                  std::sscanf(field.c_str(), "%d", &expected_i))
            << '"' << field << '"';
        ASSERT_EQ(got_i, expected_i) << '"' << field << '"';
    }
}

TEST(ScanField, AgreesWithSscanfOnEveryFluxOfFiveCharacters)
{
    // Every value a flux field "%5.1f" can hold, and the same without its first character.
    char field[16];
    for (int tenths = -9999; tenths <= 99999; ++tenths) {
        std::snprintf(field, sizeof field, "%5.1f", tenths / 10.0);
        for (const char* text :
             {static_cast<const char*>(field), static_cast<const char*>(field + 1)}) {
            const std::string_view line = text;
            double got = 0.0, expected = 0.0;
            ASSERT_EQ(as_sscanf(scan_field(line, 0, static_cast<int>(line.size()) - 1, got)),
                      std::sscanf(text, "%lf", &expected));
            ASSERT_EQ(got, expected) << text;
        }
    }
}

} // namespace
} // namespace meanflux
