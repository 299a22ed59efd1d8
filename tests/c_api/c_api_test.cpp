// The library's C names against its C++ functions: the same results and the same bytes, and
// the handle's null and failure cases.
#include "lookup/real_years.h"

#include <meanflux/meanflux.h>
#include <meanflux/meanflux_c.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace meanflux {
namespace {

// 1979 to 1981 with the days after 30 September 1981 as predictions.
const test::real_combined& forecast_file()
{
    static const test::scratch_dir dir;
    static test::real_combined file;
    if (file.path.empty()) {
        file.text = test::real_years(1979, 1981).text;
        file.text.insert(10, " 11595");
        dir.write("forecast.dat", file.text);
        file.path = (dir / "forecast.dat").string();
    }
    return file;
}

TEST(CApi, EveryDayAsTheCppFunctions)
{
    const test::real_combined& file = forecast_file();
    mean_flux_table table;
    ASSERT_EQ(load_mean_flux_table(file.path.c_str(), table), mean_flux_found);
    meanflux_table* handle = nullptr;
    ASSERT_EQ(meanflux_table_load(file.path.c_str(), &handle), MEANFLUX_FOUND);
    ASSERT_NE(handle, nullptr);

    int first = 0, last = 0, observed = 0, c_first = 0, c_last = 0, c_observed = 0;
    ASSERT_EQ(mean_flux_table_days(table, first, last, observed), mean_flux_found);
    ASSERT_EQ(meanflux_table_days(handle, &c_first, &c_last, &c_observed), MEANFLUX_FOUND);
    EXPECT_EQ(c_first, first);
    EXPECT_EQ(c_last, last);
    EXPECT_EQ(c_observed, 11595);

    int partial = 0;
    for (int n = first - 3; n <= last + 3; ++n) {
        const date_record date = civil_date(n);
        const int day = static_cast<int>(date.day), month = static_cast<int>(date.month),
                  year = static_cast<int>(date.year);
        ASSERT_EQ(meanflux_day_number(day, month, year), n);
        double cpp[14], c[14];
        for (int i = 0; i < 14; ++i)
            cpp[i] = c[i] = -1.0 - i;
        ASSERT_EQ(meanflux_find(handle, day, month, year, c),
                  find_mean_flux(table, day, month, year, cpp));
        ASSERT_EQ(std::memcmp(c, cpp, sizeof c), 0) << n;
        if (n % 97 == 0) { // the file itself, read at every call
            ASSERT_EQ(meanflux_read_mean_flux_file(file.path.c_str(), day, month, year, c),
                      read_mean_flux_file(file.path.c_str(), day, month, year, cpp));
            ASSERT_EQ(std::memcmp(c, cpp, sizeof c), 0) << n;
        }
        for (const double seconds : {0.0, 10799.5, 45000.25, 86399.0}) {
            space_weather w;
            meanflux_space_weather cw;
            std::memset(&w, 0x5a, sizeof w);
            std::memset(&cw, 0x5a, sizeof cw);
            const int result = space_weather_at(table, n, seconds, w);
            ASSERT_EQ(meanflux_space_weather_at(handle, n, seconds, &cw), result);
            // Every member's bytes, up to the padding after the last.
            ASSERT_EQ(std::memcmp(&cw, &w, offsetof(space_weather, predicted) + sizeof(bool)), 0)
                << n << " " << seconds;
            partial += result == space_weather_partial && cw.predicted;
        }
    }
    EXPECT_GT(partial, 0);
    meanflux_table_free(handle);
}

TEST(CApi, FailuresAndNullArguments)
{
    meanflux_table* handle = reinterpret_cast<meanflux_table*>(&handle);
    EXPECT_EQ(meanflux_table_load("/nonexistent/mean_flux.dat", &handle), MEANFLUX_NO_FILE);
    EXPECT_EQ(handle, nullptr) << "no table on failure";
    EXPECT_EQ(meanflux_table_load(nullptr, &handle), MEANFLUX_NO_FILE);
    EXPECT_EQ(meanflux_table_load(forecast_file().path.c_str(), nullptr), MEANFLUX_NO_FILE);

    // A null table is an empty one.
    double values[14] = {7.0};
    int first = 3;
    meanflux_space_weather w{};
    w.mean81_days = 7;
    EXPECT_EQ(meanflux_find(nullptr, 1, 1, 1980, values), MEANFLUX_NO_FILE);
    EXPECT_EQ(meanflux_table_days(nullptr, &first, &first, &first), MEANFLUX_NO_FILE);
    EXPECT_EQ(meanflux_space_weather_at(nullptr, 10957, 0.0, &w), MEANFLUX_NO_FILE);
    EXPECT_EQ(values[0], 7.0);
    EXPECT_EQ(first, 3);
    EXPECT_EQ(w.mean81_days, 7);
    meanflux_table_free(nullptr);
    EXPECT_EQ(meanflux_read_mean_flux_file(nullptr, 1, 1, 1980, values), MEANFLUX_NO_FILE);

    struct Case {
        const char* text;
        int result;
    };
    for (const Case& c : {Case{"2024-02-29T06:30:15.25Z", 0},
                          Case{"2024-02-30", -1},
                          Case{"", -1},
                          Case{nullptr, -1}}) {
        int day = -7, cpp_day = -7;
        double seconds = -7, cpp_seconds = -7;
        EXPECT_EQ(meanflux_parse_epoch(c.text, &day, &seconds), c.result);
        if (c.text != nullptr) {
            EXPECT_EQ(parse_epoch(c.text, cpp_day, cpp_seconds), c.result);
            EXPECT_EQ(day, cpp_day);
            EXPECT_EQ(seconds, cpp_seconds);
        }
    }
    for (int result = -4; result <= 3; ++result)
        EXPECT_STREQ(meanflux_result_text(result), mean_flux_result_text(result));
}

// The table built from a source: that of the C++ function, day by day; its message in the
// caller's buffer, cut to its size.
TEST(CApi, TableBuiltFromASource)
{
    const std::string celestrak = test::test_data("celestrak/SW-All.csv").string();
    const std::string gfz = test::test_data("gfz/Kp_ap_Ap_SN_F107_1979-1981.txt").string();
    const meanflux_build_options options{2023, 0, true};
    meanflux_table* handle = nullptr;
    char message[256] = "old";
    ASSERT_EQ(meanflux_table_build(celestrak.c_str(), &options, &handle, message, sizeof message),
              MEANFLUX_FOUND);
    mean_flux_table table;
    std::string cpp_message;
    ASSERT_EQ(build_mean_flux_table(celestrak.c_str(), {2023, 0, true}, table, &cpp_message), 0);
    EXPECT_EQ(message, cpp_message.substr(0, sizeof message - 1));
    int first = 0, last = 0, observed = 0, c_first = 0, c_last = 0, c_observed = 0;
    ASSERT_EQ(mean_flux_table_days(table, first, last, observed), 0);
    ASSERT_EQ(meanflux_table_days(handle, &c_first, &c_last, &c_observed), 0);
    EXPECT_EQ(c_first, first);
    EXPECT_EQ(c_last, last);
    EXPECT_EQ(c_observed, observed);
    EXPECT_LT(observed, last);
    for (int n = first; n <= last; ++n) {
        meanflux_space_weather w{};
        space_weather cpp{};
        ASSERT_EQ(meanflux_space_weather_at(handle, n, 43200.0, &w),
                  space_weather_at(table, n, 43200.0, cpp));
        ASSERT_EQ(std::memcmp(&w, &cpp, sizeof w), 0) << n;
    }
    meanflux_table_free(handle);

    // Failures: no table; the message cut to the buffer; null options and buffers.
    handle = reinterpret_cast<meanflux_table*>(&handle);
    char short_message[16] = "old";
    EXPECT_EQ(
        meanflux_table_build(gfz.c_str(), &options, &handle, short_message, sizeof short_message),
        MEANFLUX_NO_FILE);
    EXPECT_EQ(handle, nullptr);
    EXPECT_STREQ(short_message, "meanflux-build:");
    EXPECT_EQ(meanflux_table_build(gfz.c_str(), nullptr, &handle, nullptr, 0), MEANFLUX_FOUND);
    meanflux_table_free(handle);
    EXPECT_EQ(meanflux_table_build(nullptr, nullptr, &handle, message, sizeof message),
              MEANFLUX_NO_FILE);
    EXPECT_STREQ(message, "");
    EXPECT_EQ(meanflux_table_build(gfz.c_str(), nullptr, nullptr, nullptr, 0), MEANFLUX_NO_FILE);
}

TEST(CApi, FilesWrittenAsTheCppFunctionWritesThem)
{
    const std::string celestrak = test::test_data("celestrak/SW-All.csv").string();
    const test::scratch_dir dir;
    const meanflux_build_options options{2023, 0, true};
    struct Case {
        std::string output, yearly;
        int result, error_number;
    };
    const Case cases[] = {
        {"c.dat", "c", MEANFLUX_FOUND, 0},
        {"none/c.dat", "", MEANFLUX_NO_FILE, ENOENT},
        {"c.dat", "c.dat/y", MEANFLUX_NO_FILE, ENOTDIR},
    };
    for (const Case& c : cases) {
        const std::string output = (dir / c.output).string(), yearly = (dir / c.yearly).string();
        char message[512] = "old";
        int error_number = -1;
        EXPECT_EQ(meanflux_build_files(celestrak.c_str(),
                                       &options,
                                       output.c_str(),
                                       c.yearly.empty() ? nullptr : yearly.c_str(),
                                       message,
                                       sizeof message,
                                       &error_number),
                  c.result)
            << c.output;
        EXPECT_EQ(error_number, c.error_number) << c.output;
        std::string cpp_message;
        if (c.result == MEANFLUX_FOUND) {
            const std::string cpp = (dir / "cpp.dat").string();
            ASSERT_EQ(build_mean_flux_files(
                          celestrak.c_str(), {2023, 0, true}, cpp.c_str(), nullptr, &cpp_message),
                      0);
            EXPECT_EQ(test::read_file(dir / "cpp.dat"), test::read_file(output));
            EXPECT_TRUE(std::filesystem::exists(dir / "c" / "2024_m.dat"));
            EXPECT_EQ(message, cpp_message.substr(0, sizeof message - 1));
        } else {
            EXPECT_NE(std::string(message).find(c.output), std::string::npos) << message;
        }
    }
}

TEST(CApi, ReadMeanFluxKeepsItsCName)
{
    const std::string& file = test::real_years(1980, 1980).path;
    test::scratch_dir dir;
    dir.write("mean_flux.dat", test::real_years(1980, 1980).text);
    const std::string before = std::filesystem::current_path();
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    double c[14] = {}, cpp[14] = {};
    const int result = ::read_mean_flux(14, 7, 1980, c);
    ASSERT_EQ(chdir(before.c_str()), 0);
    ASSERT_EQ(result, MEANFLUX_FOUND);
    ASSERT_EQ(read_mean_flux_file(file.c_str(), 14, 7, 1980, cpp), mean_flux_found);
    EXPECT_EQ(std::memcmp(c, cpp, sizeof c), 0);
}

} // namespace
} // namespace meanflux
