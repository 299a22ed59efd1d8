// meanflux-plot as a user meets it: charts of real years rendered to pixels, the daily index
// files of -d, and the failures.
#include "plot/chart.h"

#include "support/run_program.h"
#include "support/yearly_files.h"

#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <string>

namespace meanflux::test {
namespace {

namespace fs = std::filesystem;

// The tools the charts are checked with; scripts/setup installs them (librsvg2-bin,
// libxml2-utils).  A missing one fails the test: it must never pass unchecked.
const fs::path rsvg_convert = "/usr/bin/rsvg-convert";
const fs::path xmllint = "/usr/bin/xmllint";

std::size_t count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// Whether xmllint finds the file well-formed XML.
::testing::AssertionResult well_formed(const fs::path& file)
{
    if (!fs::exists(xmllint))
        return ::testing::AssertionFailure() << "xmllint (libxml2-utils, scripts/setup) is missing";
    const program_result r =
        run_program(xmllint, {"--noout", file.string()}, file.parent_path(), "");
    if (r.status == 0 && r.err.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "xmllint: " << r.status << " " << r.err;
}

// A picture as rsvg-convert renders it.
struct picture {
    unsigned width = 0, height = 0;
    std::vector<unsigned char> rgba; // 4 bytes a pixel, row by row
};

// Render an SVG file to PNG with rsvg-convert and read its pixels with libpng.
::testing::AssertionResult render(const fs::path& svg, picture& p)
{
    if (!fs::exists(rsvg_convert))
        return ::testing::AssertionFailure()
               << "rsvg-convert (librsvg2-bin, scripts/setup) is missing";
    const fs::path png = fs::path(svg).replace_extension(".png");
    const program_result r =
        run_program(rsvg_convert, {"-o", png.string(), svg.string()}, svg.parent_path(), "");
    if (r.status != 0 || !r.err.empty())
        return ::testing::AssertionFailure() << "rsvg-convert: " << r.status << " " << r.err;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, png.c_str()))
        return ::testing::AssertionFailure() << "libpng: " << image.message;
    image.format = PNG_FORMAT_RGBA;
    p.rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, p.rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        return ::testing::AssertionFailure() << "libpng: " << image.message;
    }
    p.width = image.width;
    p.height = image.height;
    return ::testing::AssertionSuccess();
}

// Pixels inside a panel's frame that something was drawn on: neither the white ground, nor the
// light grid and storm band (every channel of those is above 200).
long drawn_pixels(const picture& p, const chart_box& box)
{
    long n = 0;
    for (unsigned y = static_cast<unsigned>(box.top) + 3; y + 3 < box.bottom; ++y)
        for (unsigned x = static_cast<unsigned>(box.left) + 3; x + 3 < box.right; ++x) {
            const unsigned char* px = &p.rgba[(y * p.width + x) * 4];
            if (std::min({px[0], px[1], px[2]}) < 200 && px[3] == 255)
                ++n;
        }
    return n;
}

// Draw `file` in `dir` with `args` before it, check the chart as XML and as pixels.
struct drawn_chart {
    std::string svg;
    picture png;
    long flux_ink = 0, activity_ink = 0;
};

drawn_chart draw(const fs::path& dir, std::vector<std::string> args, const std::string& file)
{
    args.insert(args.end(), {"-o", "chart.svg", file});
    const program_result r = run_command("meanflux-plot", args, dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    drawn_chart c;
    c.svg = read_file(dir / "chart.svg");
    EXPECT_TRUE(well_formed(dir / "chart.svg"));
    EXPECT_TRUE(render(dir / "chart.svg", c.png));
    EXPECT_EQ(c.png.width, 960u);
    EXPECT_GE(c.png.height, 520u);
    EXPECT_LE(c.png.height, 600u);
    if (c.png.width == 960 && c.png.height >= 520) {
        c.flux_ink = drawn_pixels(c.png, flux_box);
        c.activity_ink = drawn_pixels(c.png, activity_box);
    }
    return c;
}

TEST(Plot, AYearAtSolarMaximum)
{
    scratch_dir dir;
    yearly_mean_flux(dir.path(), 1980);
    const drawn_chart c = draw(dir.path(), {}, "1980_m.dat");
    EXPECT_GT(c.flux_ink, 5000);
    EXPECT_GT(c.activity_ink, 5000);
    EXPECT_NE(c.svg.find("<title>10.7 cm solar flux and geomagnetic activity, 1980</title>"),
              std::string::npos);
    EXPECT_NE(c.svg.find("From the mean-flux file 1980_m.dat: 366 records"), std::string::npos);
    EXPECT_NE(c.svg.find(">Jan</text>"), std::string::npos);
    EXPECT_NE(c.svg.find(">Dec</text>"), std::string::npos);
    // The flux of 1980 lies between 130 and 300: its axis spans the data, from 100 to 300 by
    // 50, not from zero (the Ap axis has its own ticks, by 20).
    EXPECT_NE(c.svg.find("class=\"ytick\">150</text>"), std::string::npos);
    EXPECT_EQ(c.svg.find("class=\"ytick\">50</text>"), std::string::npos);
    EXPECT_EQ(c.svg.find("without observation"), std::string::npos) << "no -d";
    EXPECT_LT(c.svg.size(), 100000u);
    std::printf("1980 chart: %zu bytes\n", c.svg.size());
}

TEST(Plot, AYearWithoutFluxSaysNoData)
{
    scratch_dir dir;
    yearly_mean_flux(dir.path(), 1945);
    const drawn_chart c = draw(dir.path(), {"-d", "."}, "1945_m.dat");
    EXPECT_EQ(count(c.svg, ">no data</text>"), 1u);
    EXPECT_GT(c.flux_ink, 50) << "the words";
    EXPECT_LT(c.flux_ink, 1500) << "and nothing else";
    EXPECT_GT(c.activity_ink, 5000);
    EXPECT_EQ(c.svg.find("observed daily flux"), std::string::npos);
}

TEST(Plot, DaysWithoutObservationFromTheDailyIndexFiles)
{
    scratch_dir dir;
    // 1950: 98 days with qualifier 3, which the yearly run filled from the J77 mean.
    yearly_mean_flux(dir.path(), 1950);
    const std::string daily = read_file(dir / "1950.dat");
    std::size_t missing = 0;
    for (std::size_t n = 0; n < 365; ++n)
        missing += daily[n * 72 + 70] == '3';
    ASSERT_EQ(missing, 98u);

    const drawn_chart c = draw(dir.path(), {"-d", dir.path().string()}, "1950_m.dat");
    EXPECT_GT(c.flux_ink, 5000);
    EXPECT_GT(c.activity_ink, 5000);
    EXPECT_EQ(count(c.svg, "<circle cx="), missing + 1) << "each day, and the legend";
    EXPECT_EQ(count(c.svg, ">day without observation</text>"), 1u);
    const std::size_t obs = c.svg.find("<path class=\"obs\" d=\"");
    ASSERT_NE(obs, std::string::npos);
    EXPECT_GT(count(c.svg.substr(obs, c.svg.find("\"/>", obs) - obs), "M"), 30u)
        << "the observed flux breaks at the filled days";

    // Without -d no day is marked, and the words are not used.
    const drawn_chart plain = draw(dir.path(), {}, "1950_m.dat");
    EXPECT_EQ(count(plain.svg, "<circle"), 0u);
    EXPECT_EQ(plain.svg.find("without observation"), std::string::npos);

    // Days that the daily index file has no line for are unknown: drawn, not marked, counted
    // apart and named in a warning.
    struct Case {
        std::size_t lines, marked, unknown;
    };
    for (const Case& k : {Case{0, 0, 365}, Case{10, 1, 355}}) {
        dir.write("1950.dat", daily.substr(0, k.lines * 72));
        const program_result r =
            run_command("meanflux-plot", {"-d", ".", "-o", "short.svg", "1950_m.dat"}, dir.path());
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err,
                  "meanflux-plot: warning: ./1950.dat: no line for " + std::to_string(k.unknown) +
                      " of the days drawn: whether they were observed is unknown, they are not "
                      "marked\n");
        const std::string svg = read_file(dir / "short.svg");
        EXPECT_EQ(count(svg, "<circle cx="), k.marked + (k.marked > 0 ? 1 : 0)) << k.lines;
        EXPECT_NE(svg.find("have no line for " + std::to_string(k.unknown) +
                           " days drawn, whose observation is unknown and not marked; of the "
                           "others they show " +
                           (k.marked == 0 ? "no day" : "1 day") + " without observation"),
                  std::string::npos)
            << k.lines;
    }
}

TEST(Plot, SixtyEightYearsInOneChart)
{
    scratch_dir dir;
    dir.write("mean_flux.dat", combined_mean_flux(dir.path(), 1950, 2017));
    const drawn_chart c = draw(dir.path(), {"-d", "."}, "mean_flux.dat");
    EXPECT_GT(c.flux_ink, 20000);
    EXPECT_GT(c.activity_ink, 20000);
    EXPECT_LT(c.svg.size(), 1000000u);
    for (const char* decade : {">1950</text>", ">1980</text>", ">2010</text>"})
        EXPECT_EQ(count(c.svg, decade), 1u) << decade;
    EXPECT_EQ(c.svg.find(">1955</text>"), std::string::npos) << "decades only";
    EXPECT_NE(c.svg.find("1 January 1950 to 31 December 2017"), std::string::npos);
    std::printf("1950-2017 chart: %zu bytes\n", c.svg.size());
}

TEST(Plot, AStormPeriod)
{
    scratch_dir dir;
    yearly_mean_flux(dir.path(), 2003);
    const drawn_chart c =
        draw(dir.path(), {"--from", "2003-10-15", "--to", "2003-11-30"}, "2003_m.dat");
    EXPECT_GT(c.flux_ink, 3000);
    EXPECT_GT(c.activity_ink, 3000);
    EXPECT_NE(c.svg.find("47 records, 15 October 2003 to 30 November 2003"), std::string::npos);
    // The storms of 29-31 October and 20 November: Ap bars of storm days.
    EXPECT_NE(c.svg.find("<path class=\"storm\""), std::string::npos);
}

TEST(Plot, PredictedDaysOnAHatchedGround)
{
    // CelesTrak's file of March 2024: observed to 18 March, 45 predicted days to 2 May.  The
    // same records with the header of a file without predictions draw as before.
    scratch_dir dir;
    const program_result built = run_command(
        "meanflux-build",
        {"--predictions", "--from", "2023", "-o", "mf.dat", test_data("celestrak/SW-All.csv")},
        dir.path());
    ASSERT_EQ(built.status, 0) << built.err;
    const std::string file = read_file(dir / "mf.dat");
    ASSERT_EQ(file.substr(0, 18), "2666327150 27105\r\n");
    dir.write("observed.dat", file.substr(0, 10) + file.substr(16));
    struct Case {
        const char* file;
        std::size_t hatched; // the two panels' grounds and the legend's swatch
        const char* said;
    };
    for (const Case& k : {Case{"mf.dat", 3, "The 45 days from 19 March 2024 on are predictions"},
                          Case{"observed.dat", 0, "123 records, 1 January 2024 to 2 May 2024."}}) {
        const drawn_chart c = draw(dir.path(), {"--from", "2024-01-01"}, k.file);
        EXPECT_EQ(count(c.svg, "fill=\"url(#predicted)\""), k.hatched) << k.file;
        EXPECT_EQ(count(c.svg, ">predicted days, from 19 March 2024</text>"), k.hatched / 3);
        EXPECT_NE(c.svg.find(k.said), std::string::npos) << k.file;
        EXPECT_GT(c.flux_ink, 5000) << k.file;
    }
    // Drawn up to the last observed day, nothing is predicted.
    const drawn_chart c = draw(dir.path(), {"--to", "2024-03-18"}, "mf.dat");
    EXPECT_EQ(c.svg.find("predict"), std::string::npos);
}

TEST(Plot, AbsurdFluxesStayBounded)
{
    // One record of 1980 with an absurd observed flux.  A flux of 1e9 once gave a 1.2 GB chart
    // and one of 1e300 grew the memory until the program aborted.
    scratch_dir dir;
    const std::string year = yearly_mean_flux(dir.path(), 1980);
    for (const std::string value : {"  1e9", "1e300", "-1e99", "  inf", "1e-99"}) {
        std::string bytes = year;
        bytes.replace(100 * 49 + 27, 5, value);
        dir.write("absurd.dat", bytes);
        run_options limited;
        limited.file_size_limit = 1 << 20;
        const program_result r = run_program(fs::path(MEANFLUX_COMMANDS) / "meanflux-plot",
                                             {"-o", "absurd.svg", "absurd.dat"},
                                             dir.path(),
                                             "",
                                             limited);
        ASSERT_EQ(r.status, 0) << value << ": " << r.signal << " " << r.err;
        const std::string svg = read_file(dir / "absurd.svg");
        EXPECT_LT(svg.size(), 60000u) << value;
        EXPECT_LE(count(svg, "class=\"ytick\""), 20u) << value;
        EXPECT_TRUE(well_formed(dir / "absurd.svg")) << value;
    }
}

TEST(Plot, UsageAndFiles)
{
    scratch_dir dir;
    dir.write("empty.dat", "");
    dir.write("text.dat", "hello\n");
    const std::string year = yearly_mean_flux(dir.path(), 1980);
    dir.write("1980_m.dat", year);
    fs::create_directory(dir / "index");
    fs::create_directory(dir / "long");
    std::string long_year;
    for (int i = 0; i < 367; ++i)
        long_year += read_file(dir / "1980.dat").substr(0, 72);
    dir.write("long/1980.dat", long_year);
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const std::string usage = "usage: meanflux-plot [-d DIR] [--from YYYY-MM-DD] "
                              "[--to YYYY-MM-DD] -o OUTPUT.svg FILE\n";
    const Case cases[] = {
        {{"-o", "x.svg", "empty.dat"}, 1, "meanflux-plot: empty.dat: no record to draw\n"},
        {{"-o", "x.svg", "text.dat"},
         2,
         "meanflux-plot: text.dat: line 1 is not a mean-flux record: a yearly <yyyy>_m.dat or a "
         "combined mean-flux file is drawn\n"},
        {{"-o", "x.svg", "none.dat"}, 2, "meanflux-plot: none.dat: No such file or directory\n"},
        {{"-o", "x.svg", "/dev/zero"},
         2,
         "meanflux-plot: /dev/zero: more than 5004096 bytes, more than a mean-flux file can "
         "hold\n"},
        {{"empty.dat"},
         2,
         "meanflux-plot: no output file: name the chart with -o OUTPUT.svg\n" + usage},
        {{"-o", "x.svg"},
         2,
         "meanflux-plot: no input file: name the mean-flux file to draw\n" + usage},
        {{"-o", "x.svg", "a.dat", "b.dat"},
         2,
         "meanflux-plot: one input file is needed, not 2\n" + usage},
        {{"-o", "x.svg", "--from", "1980-02-30", "1980_m.dat"},
         2,
         "meanflux-plot: --from 1980-02-30: February 1980 has no 30th day\n" + usage},
        {{"-o", "x.svg", "--to", "1980-13-01", "1980_m.dat"},
         2,
         "meanflux-plot: --to 1980-13-01: a year has the months 01 to 12\n" + usage},
        {{"-o", "x.svg", "--to", "1980-3-1", "1980_m.dat"},
         2,
         "meanflux-plot: --to 1980-3-1: not a date of the form YYYY-MM-DD\n" + usage},
        {{"-o", "x.svg", "--from", "1980-03-01", "--to", "1980-02-01", "1980_m.dat"},
         2,
         "meanflux-plot: --from 1980-03-01 is after --to 1980-02-01\n" + usage},
        {{"-o", "x.svg", "--from", "1981-01-01", "1980_m.dat"},
         1,
         "meanflux-plot: 1980_m.dat: no record in the period asked for (from 1981-01-01 on); its "
         "records run from 1980-01-01 to 1980-12-31\n"},
        {{"-o", "x.svg", "--from", "1979-01-01", "--to", "1979-12-31", "1980_m.dat"},
         1,
         "meanflux-plot: 1980_m.dat: no record in the period asked for (1979-01-01 to "
         "1979-12-31); its records run from 1980-01-01 to 1980-12-31\n"},
        {{"-o", "x.svg", "-d", "index", "1980_m.dat"},
         2,
         "meanflux-plot: index/1980.dat: cannot open: No such file or directory; meanflux-import "
         "makes it from GFZ Potsdam's or CelesTrak's file of daily indices, or download the "
         "archive's file of 1980 and rename it\n"},
        {{"-o", "x.svg", "-d", "long/", "1980_m.dat"},
         2,
         "meanflux-plot: long/1980.dat: 367 lines or more for the 366 days of 1980\n"},
        {{"-o", "no/such/dir/x.svg", "1980_m.dat"},
         2,
         "meanflux-plot: no/such/dir/x.svg: cannot create: No such file or directory\n"},
    };
    for (const auto& c : cases) {
        const program_result r = run_command("meanflux-plot", c.args, dir.path());
        EXPECT_EQ(r.status, c.status) << c.err;
        EXPECT_EQ(r.err, c.err);
        EXPECT_FALSE(fs::exists(dir / "x.svg"));
    }
    const program_result help = run_command("meanflux-plot", {"--help"}, dir.path());
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("the flux axis starts at 0 when"), std::string::npos);
    // A help that cannot be written is not a success.
    run_options full;
    full.stdout_path = "/dev/full";
    const program_result lost = run_program(
        fs::path(MEANFLUX_COMMANDS) / "meanflux-plot", {"--help"}, dir.path(), "", full);
    EXPECT_EQ(lost.status, 2);
    EXPECT_EQ(lost.err, "meanflux-plot: standard output: No space left on device\n");
}

} // namespace
} // namespace meanflux::test
