#include "daily/index_line.h"

#include <gtest/gtest.h>

#include <string>

namespace meanflux {
namespace {

TEST(ReadDay, FluxAndQualifierFields)
{
    const std::string body(65, 'x');
    const double none = 0.0;
    struct Case {
        std::string line;
        flux_reading reading;
        double flux;
        int qual;
        const char* what;
    };
    const Case cases[] = {
        {body + " 70.51", flux_reading::observed, 70.5, 1, "qualifier 1"},
        {body + " 70.52", flux_reading::observed, 70.5, 2, "qualifier 2 keeps the flux"},
        {body + " 70.5 ", flux_reading::observed, 70.5, 0, "blank qualifier"},
        {body + " 70.5", flux_reading::observed, 70.5, 0, "a line that stops before column 71"},
        {body + "  0.03", flux_reading::no_observation, 0.0, MISSING_FLUX, "a missing day"},
        {body + "123.43", flux_reading::no_observation, 123.4, MISSING_FLUX, "a flux, but 3"},
        {body + "     3", flux_reading::no_observation, none, 3, "blank flux of a missing day"},
        {body + "      ", flux_reading::no_observation, none, 0, "blank flux: no observation"},
        {body + "abc.d0", flux_reading::no_observation, none, 0, "letters: nothing converts"},
        {body + "---070", flux_reading::no_observation, none, 0, "signs: nothing converts"},
        {body + "  nan0", flux_reading::no_observation, none, 0, "not a number"},
        {body + "  inf0", flux_reading::no_observation, none, 0, "infinite"},
        {body + "1e9990", flux_reading::no_observation, none, 0, "too large for a double"},
        {body, flux_reading::no_observation, none, 0, "a line that stops before the flux"},
        {"", flux_reading::no_observation, none, 0, "an empty line"},
        {body + " 12ab0", flux_reading::observed, 12.0, 0, "the number before the letters"},
        {body + "  1e20", flux_reading::observed, 100.0, 0, "an exponent"},
        {body + "-12.50", flux_reading::observed, -12.5, 0, "a negative flux stays"},
        {body + "-93.00", flux_reading::observed, lowest_flux, 0, "the lowest flux"},
        {body + "935.00", flux_reading::observed, highest_flux, 0, "the highest flux"},
        {body + "-93.10", flux_reading::out_of_range, -93.1, 0, "below the lowest"},
        {body + "935.10", flux_reading::out_of_range, 935.1, 0, "above the highest"},
        {body + " 99990", flux_reading::out_of_range, 9999.0, 0, "a flux of 9999"},
        {body + " 99993", flux_reading::out_of_range, 9999.0, 3, "whatever the qualifier"},
        {body + "-1e990", flux_reading::out_of_range, -1e99, 0, "finite but absurd"},
        {body + " 70.5" + "9999.9", flux_reading::observed, 70.5, 9, "columns after 71"},
    };
    for (const auto& c : cases) {
        double flux = -1.0;
        int qual = -1;
        EXPECT_EQ(read_day(c.line, flux, qual), c.reading) << c.what;
        EXPECT_EQ(flux, c.flux) << c.what;
        EXPECT_EQ(qual, c.qual) << c.what;
    }
}

TEST(ActivityText, ComesFromItsColumns)
{
    // Columns 1-12, then 13-31, 32-55, 56-58 and the rest, each with its own characters.
    const std::string full = std::string(12, 'a') + "0123456789ABCDEFGHI" + std::string(24, 'b') +
                             "XYZ" + std::string(13, 'c');
    activity_text text{};
    copy_activity_text(full, text);
    EXPECT_EQ(std::string(text.data(), text.size()), "0123456789ABCDEFGHIXYZ");

    // A line that stops inside the Kp columns gives blanks for the columns it does not reach.
    copy_activity_text("800101200119012345", text);
    EXPECT_EQ(std::string(text.data(), text.size()), "012345                ");
    copy_activity_text(full.substr(0, 56), text);
    EXPECT_EQ(std::string(text.data(), text.size()), "0123456789ABCDEFGHIX  ");

    // Any byte is copied as it stands.
    std::string odd = full;
    odd[14] = '\0';
    odd[56] = '\r';
    copy_activity_text(odd, text);
    EXPECT_EQ(std::string(text.data(), text.size()), std::string("01\0003456789ABCDEFGHIX\rZ", 22));
}

} // namespace
} // namespace meanflux
