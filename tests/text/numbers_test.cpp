// The numbers of the data files: the fixed-point formatter of the records and daily index lines
// against printf itself, and the strict readers of the published files' number fields.
#include "text/numbers.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

namespace meanflux {
namespace {

// What format_fixed_1 writes, or "(does not fit)".
std::string fixed_1(double value, int width)
{
    std::string field(static_cast<std::size_t>(width), '?');
    if (!format_fixed_1(value, std::span<char>(field)))
        return "(does not fit)";
    return field;
}

// What printf writes with "%W.1f", or "(does not fit)" when that is wider than W.
std::string printf_fixed_1(double value, int width)
{
    char text[1024];
    const int n = std::snprintf(text, sizeof text, "%*.1f", width, value);
    if (n > width)
        return "(does not fit)";
    return text;
}

// Compare the two, for the value and its negative, in the widths the files use and a wide one.
void expect_printf(double value)
{
    for (const double v : {value, -value})
        for (const int width : {3, 5, 9})
            ASSERT_EQ(fixed_1(v, width), printf_fixed_1(v, width))
                << std::hexfloat << v << std::defaultfloat << " (" << v << ") width " << width;
}

TEST(FixedFormat, EveryTenthAndEveryHalfwayPointWithTheirNeighbours)
{
    // The doubles nearest to every tenth and to every point halfway between two tenths, from 0 to
    // 1000.0 and beyond the five columns, and four doubles either side of each: where the
    // rounding of the tenfold product and of the exact value could part.
    for (int tenths = 0; tenths <= 10500; ++tenths) {
        for (const double centre : {tenths / 10.0, (tenths + 0.5) / 10.0}) {
            double below = centre, above = centre;
            expect_printf(centre);
            for (int step = 0; step < 4; ++step) {
                below = std::nextafter(below, -1.0);
                above = std::nextafter(above, 1e9);
                expect_printf(below);
                expect_printf(above);
            }
        }
    }
}

TEST(FixedFormat, ExactTiesRoundToTheEvenTenth)
{
    // n + 0.25 and n + 0.75 are the only values with one decimal that lie exactly halfway: printf
    // rounds them to the even tenth (0.25 gives 0.2, 0.75 gives 0.8).
    EXPECT_EQ(fixed_1(0.25, 5), "  0.2");
    EXPECT_EQ(fixed_1(0.75, 5), "  0.8");
    EXPECT_EQ(fixed_1(-2.25, 5), " -2.2");
    for (int n = 0; n < 100000; ++n) {
        expect_printf(n + 0.25);
        expect_printf(n + 0.75);
    }
}

TEST(FixedFormat, SignsAndValuesNearZero)
{
    // The sign comes from the value, not from the rounded digits: printf writes "-0.0".
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0.0, "  0.0"},
        {-0.0, " -0.0"},
        {-0.04, " -0.0"},
        {-0.05, " -0.1"},
        {0.05, "  0.1"},
        {0.04999, "  0.0"},
        {1e-300, "  0.0"},
        {-4.9e-324, " -0.0"},
        {999.94, "999.9"},
        {-99.94, "-99.9"},
        {70.46, " 70.5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fixed_1(c.value, 5), c.text) << c.value;
}

TEST(FixedFormat, RefusesWhatDoesNotFit)
{
    EXPECT_EQ(fixed_1(999.95, 5), "(does not fit)"); // "1000.0"
    EXPECT_EQ(fixed_1(-99.95, 5), "(does not fit)"); // "-100.0"
    EXPECT_EQ(fixed_1(10.0, 3), "(does not fit)");
    EXPECT_EQ(fixed_1(1e300, 5), "(does not fit)");
    EXPECT_EQ(fixed_1(NAN, 5), "(does not fit)");
    EXPECT_EQ(fixed_1(INFINITY, 5), "(does not fit)");
    EXPECT_EQ(fixed_1(-INFINITY, 9), "(does not fit)");
    EXPECT_EQ(fixed_1(9.94, 3), "9.9");
    EXPECT_EQ(fixed_1(1e300, 400), printf_fixed_1(1e300, 400)) << "a long field is written whole";
}

TEST(FixedFormat, RandomValues)
{
    std::mt19937_64 random(20240318);
    // Fluxes and means as the records hold them.
    std::uniform_real_distribution<double> flux(-100.0, 1000.0);
    for (int i = 0; i < 300000; ++i)
        expect_printf(flux(random));
    // Any magnitude: every bit pattern of a finite double, up to the fast path's limit and past it.
    std::uniform_int_distribution<std::uint64_t> bits(0, 0x7fefffffffffffffu);
    std::uniform_real_distribution<double> magnitude(0.0, 2e5);
    for (int i = 0; i < 100000; ++i)
        expect_printf(magnitude(random));
    for (int i = 0; i < 10000; ++i)
        expect_printf(std::bit_cast<double>(bits(random)));
}

TEST(Numbers, FixedFormatIsPrintfsOnEveryTenthOfTheFluxRange)
{
    // Every tenth from 0.0 to 999.9, as the sources' decimal texts give them, and the points
    // halfway between, where the rounding of the two could part.
    for (int tenths = 0; tenths <= 9999; ++tenths) {
        char text[16];
        std::snprintf(text, sizeof text, "%d.%d", tenths / 10, tenths % 10);
        double value = 0.0;
        ASSERT_TRUE(parse_decimal_number(text, value)) << text;
        ASSERT_EQ(fixed_1(value, 5), printf_fixed_1(value, 5)) << text;
        std::snprintf(text, sizeof text, "%d.%d5", tenths / 10, tenths % 10);
        ASSERT_TRUE(parse_decimal_number(text, value)) << text;
        if (value < 999.95) {
            ASSERT_EQ(fixed_1(value, 5), printf_fixed_1(value, 5)) << text;
        }
    }
}

TEST(Numbers, FixedFormatIsPrintfsOnRandomValues)
{
    std::mt19937_64 random(20240318);
    std::uniform_real_distribution<double> flux(0.0, 999.9);
    for (int i = 0; i < 200000; ++i) {
        const double value = flux(random);
        ASSERT_EQ(fixed_1(value, 5), printf_fixed_1(value, 5)) << value;
    }
    for (const double value : {0.05, 0.15, 0.25, 0.35, 2.45, 9.95, 999.94, -0.0, 1e-300})
        EXPECT_EQ(fixed_1(value, 5), printf_fixed_1(value, 5)) << value;
}

TEST(Numbers, FixedFormatRefusesWhatDoesNotFit)
{
    EXPECT_EQ(fixed_1(999.95, 5), "(does not fit)"); // "1000.0"
    EXPECT_EQ(fixed_1(10.0, 3), "(does not fit)");
    EXPECT_EQ(fixed_1(1e300, 5), "(does not fit)");
    EXPECT_EQ(fixed_1(NAN, 5), "(does not fit)");
    EXPECT_EQ(fixed_1(INFINITY, 5), "(does not fit)");
    EXPECT_EQ(fixed_1(9.94, 3), "9.9");
}

TEST(Numbers, NumberFields)
{
    struct Case {
        const char* text;
        bool whole;
        int whole_value;
        bool decimal;
        double decimal_value;
    };
    const Case cases[] = {
        {"0", true, 0, true, 0.0},           {"43", true, 43, true, 43.0},
        {"007", true, 7, true, 7.0},         {"-1", true, -1, true, -1.0},
        {"189.1", false, 0, true, 189.1},    {"2.333", false, 0, true, 2.333},
        {"-1.000", false, 0, true, -1.0},    {"999999999", true, 999999999, true, 999999999.0},
        {"1000000000", false, 0, true, 1e9}, // ten digits: no whole number of the files has them
        {"", false, 0, false, 0.0},          {"-", false, 0, false, 0.0},
        {" 1", false, 0, false, 0.0},        {"1 ", false, 0, false, 0.0},
        {"+1", false, 0, false, 0.0},        {"1.", false, 0, false, 0.0},
        {".5", false, 0, false, 0.0},        {"1.2.3", false, 0, false, 0.0},
        {"1e2", false, 0, false, 0.0},       {"1E2", false, 0, false, 0.0},
        {"0x10", false, 0, false, 0.0},      {"0x1p3", false, 0, false, 0.0},
        {"inf", false, 0, false, 0.0},       {"nan", false, 0, false, 0.0},
        {"12ab", false, 0, false, 0.0},      {"1,5", false, 0, false, 0.0},
        {"1\r", false, 0, false, 0.0},       {"--1", false, 0, false, 0.0},
    };
    for (const auto& c : cases) {
        int w = 12345;
        EXPECT_EQ(parse_whole_number(c.text, w), c.whole) << c.text;
        EXPECT_EQ(w, c.whole ? c.whole_value : 12345) << c.text;
        double d = 12345.0;
        EXPECT_EQ(parse_decimal_number(c.text, d), c.decimal) << c.text;
        EXPECT_EQ(d, c.decimal ? c.decimal_value : 12345.0) << c.text;
    }
}

TEST(Numbers, DecimalNumbersRoundAsStrtod)
{
    std::mt19937_64 random(1957);
    for (int i = 0; i < 200000; ++i) {
        char text[40];
        std::snprintf(text,
                      sizeof text,
                      "%llu.%llu",
                      static_cast<unsigned long long>(random() % 100000),
                      static_cast<unsigned long long>(random() % 100000000000ULL));
        double value = 0.0;
        ASSERT_TRUE(parse_decimal_number(text, value)) << text;
        ASSERT_EQ(value, std::strtod(text, nullptr)) << text;
    }
}

} // namespace
} // namespace meanflux
