#include "sources/celestrak.h"
#include "sources/source.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace meanflux::test {
namespace {

const std::string header =
    "DATE,BSRN,ND,KP1,KP2,KP3,KP4,KP5,KP6,KP7,KP8,KP_SUM,AP1,AP2,AP3,AP4,AP5,AP6,AP7,AP8,AP_AVG,"
    "CP,C9,ISN,F10.7_OBS,F10.7_ADJ,F10.7_DATA_TYPE,F10.7_OBS_CENTER81,F10.7_OBS_LAST81,"
    "F10.7_ADJ_CENTER81,F10.7_ADJ_LAST81";

// Rows of the real file.
const std::string observed = "2001-01-01,2285,22,0,3,10,10,3,3,7,7,43,0,2,4,4,2,2,3,3,2,0.0,0,133,"
                             "171.0,165.3,OBS,173.0,175.1,167.8,171.1";
const std::string interpolated = "2011-01-01,2421,2,13,7,0,7,10,13,7,20,77,5,3,0,3,4,5,3,7,4,0.1,"
                                 "0,48,91.0,88.0,INT,83.3,83.7,80.7,81.8";
const std::string predicted = "2024-03-21,2599,24,30,40,47,30,40,30,30,20,267,15,27,39,15,27,15,"
                              "15,7,20,1.0,5,128,169.3,168.0,PRD,158.2,162.1,157.0,158";
const std::string monthly = "2024-06-01,2602,15,,,,,,,,,,,,,,,,,,,,,130,150.8,155.1,PRM,151.7,"
                            "154.6,155.6,156.0";

// A row with the field of column `name` replaced by `value`.
std::string with(const std::string& row, const std::string& name, const std::string& value)
{
    std::vector<std::string> names, fields;
    auto split = [](const std::string& text, std::vector<std::string>& parts) {
        std::size_t at = 0;
        for (std::size_t comma; (comma = text.find(',', at)) != std::string::npos; at = comma + 1)
            parts.push_back(text.substr(at, comma - at));
        parts.push_back(text.substr(at));
    };
    split(header, names);
    split(row, fields);
    std::string result;
    for (std::size_t i = 0; i < fields.size(); ++i)
        result += (i ? "," : "") + (i < names.size() && names[i] == name ? value : fields[i]);
    return result;
}

celestrak_columns real_columns()
{
    celestrak_columns columns;
    std::string problem;
    EXPECT_TRUE(read_celestrak_header(header, columns, problem)) << problem;
    return columns;
}

// The daily index line of a row, or "refused: <problem>".
std::string line_of_row(const std::string& row, const celestrak_columns& columns,
                        flux_data_type* type = nullptr)
{
    celestrak_row result;
    std::string problem;
    if (!parse_celestrak_row(row, columns, result, problem))
        return "refused: " + problem;
    if (type != nullptr)
        *type = result.type;
    std::string line(daily_line_length, '?');
    if (!format_daily_line(result.values,
                           std::span<char, daily_line_length>(line.data(), daily_line_length)))
        return "does not fit";
    return line;
}

TEST(CelesTrakRow, EachDataType)
{
    const celestrak_columns columns = real_columns();
    struct Case {
        std::string row;
        flux_data_type type;
        std::string line;
        const char* what;
    };
    const Case cases[] = {
        {observed,
         flux_data_type::observed,
         "010101228522 0 31010 3 3 7 7 43  0  2  4  4  2  2  3  3  20.00133165.30",
         "observed: the flux adjusted to 1 AU, qualifier 0"},
        {interpolated,
         flux_data_type::interpolated,
         "1101012421 213 7 0 71013 720 77  5  3  0  3  4  5  3  7  40.10 48  0.03",
         "interpolated: no observation, 0.0 and qualifier 3"},
        {predicted,
         flux_data_type::predicted,
         "2403212599243040473040303020267 15 27 39 15 27 15 15  7 201.05128168.02",
         "predicted: the predicted flux, qualifier 2"},
        {monthly,
         flux_data_type::monthly_predicted,
         "240601260215" + std::string(50, ' ') + "130155.12",
         "monthly prediction: read, never written"},
        {"1957-10-01,1700,19,43,40,30,20,37,23,43,37,273,32,27,15,7,22,9,32,22,21,1.1,5,334,"
         "269.3,269.8,OBS,266.6,230.9,266.8,235.5",
         flux_data_type::observed,
         "5710011700194340302037234337273 32 27 15  7 22  9 32 22 211.15334269.80",
         "the first row of the file"},
    };
    for (const auto& c : cases) {
        flux_data_type type{};
        EXPECT_EQ(line_of_row(c.row, columns, &type), c.line) << c.what;
        EXPECT_EQ(type, c.type) << c.what;
    }
}

TEST(CelesTrakRow, EmptyFieldsLeaveTheirColumnsBlank)
{
    const celestrak_columns columns = real_columns();
    struct Case {
        std::string row;
        std::string line;
    };
    const Case cases[] = {
        {with(observed, "KP3", ""),
         "010101228522 0 3  10 3 3 7 7 43  0  2  4  4  2  2  3  3  20.00133165.30"},
        {with(observed, "KP_SUM", ""),
         "010101228522 0 31010 3 3 7 7     0  2  4  4  2  2  3  3  20.00133165.30"},
        {with(observed, "AP8", ""),
         "010101228522 0 31010 3 3 7 7 43  0  2  4  4  2  2  3     20.00133165.30"},
        {with(with(observed, "CP", ""), "C9", ""),
         "010101228522 0 31010 3 3 7 7 43  0  2  4  4  2  2  3  3  2    133165.30"},
        {with(with(observed, "BSRN", ""), "ND", ""),
         "010101       0 31010 3 3 7 7 43  0  2  4  4  2  2  3  3  20.00133165.30"},
        {with(observed, "ISN", ""),
         "010101228522 0 31010 3 3 7 7 43  0  2  4  4  2  2  3  3  20.00   165.30"},
        {with(observed, "AP_AVG", ""),
         "010101228522 0 31010 3 3 7 7 43  0  2  4  4  2  2  3  3   0.00133165.30"},
        // No flux on a day said to be observed or predicted: a day without flux.
        {with(observed, "F10.7_ADJ", ""),
         "010101228522 0 31010 3 3 7 7 43  0  2  4  4  2  2  3  3  20.00133  0.03"},
        {with(predicted, "F10.7_ADJ", ""),
         "2403212599243040473040303020267 15 27 39 15 27 15 15  7 201.05128  0.03"},
        // The columns a daily index line does not take may hold anything or nothing.
        {with(with(observed, "F10.7_OBS", ""), "F10.7_ADJ_LAST81", "n/a"),
         "010101228522 0 31010 3 3 7 7 43  0  2  4  4  2  2  3  3  20.00133165.30"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(line_of_row(c.row, columns), c.line) << c.row;
}

TEST(CelesTrakRow, Refusals)
{
    const celestrak_columns columns = real_columns();
    struct Case {
        std::string row;
        std::string problem;
    };
    const Case cases[] = {
        {observed + ",1", "32 fields, not 31 as in the header row"},
        {observed.substr(0, observed.rfind(',')), "30 fields, not 31 as in the header row"},
        {"", "1 fields, not 31 as in the header row"},
        {with(observed, "DATE", "2001-02-29"), "DATE is not a date YYYY-MM-DD: '2001-02-29'"},
        {with(observed, "DATE", "2100-02-29"), "DATE is not a date YYYY-MM-DD: '2100-02-29'"},
        {with(observed, "DATE", "2001-1-1"), "DATE is not a date YYYY-MM-DD: '2001-1-1'"},
        {with(observed, "DATE", "01/01/2001"), "DATE is not a date YYYY-MM-DD: '01/01/2001'"},
        {with(observed, "DATE", "0000-01-01"), "DATE is not a date YYYY-MM-DD: '0000-01-01'"},
        {with(observed, "DATE", ""), "DATE is not a date YYYY-MM-DD: ''"},
        {with(observed, "F10.7_DATA_TYPE", "obs"),
         "F10.7_DATA_TYPE is 'obs', not OBS, INT, PRD or PRM"},
        {with(observed, "F10.7_DATA_TYPE", ""), "F10.7_DATA_TYPE is '', not OBS, INT, PRD or PRM"},
        {with(observed, "KP3", "1O"), "KP3 is not a whole number: '1O'"},
        {with(observed, "KP3", "1.0"), "KP3 is not a whole number: '1.0'"},
        {with(observed, "KP3", " 10"), "KP3 is not a whole number: ' 10'"},
        {with(observed, "KP3", "0x1A"), "KP3 is not a whole number: '0x1A'"},
        {with(observed, "KP3", "91"), "KP3 is 91, not 0 to 90"},
        {with(observed, "KP8", "-3"), "KP8 is -3, not 0 to 90"},
        {with(observed, "KP_SUM", "721"), "KP_SUM is 721, not 0 to 720"},
        {with(observed, "AP1", "1000"), "AP1 is 1000, not 0 to 999"},
        {with(observed, "AP_AVG", "2e1"), "AP_AVG is not a whole number: '2e1'"},
        {with(observed, "BSRN", "10000"), "BSRN is 10000, not 0 to 9999"},
        {with(observed, "ND", "0"), "ND is 0, not 1 to 99"},
        {with(observed, "CP", "2.6"), "CP is 2.6, not 0.0 to 2.5"},
        {with(observed, "CP", "-0.0"), "CP is -0.0, not 0.0 to 2.5"},
        {with(observed, "CP", "0x0p0"), "CP is not a number: '0x0p0'"},
        {with(observed, "C9", "10"), "C9 is 10, not 0 to 9"},
        {with(observed, "ISN", "1000"), "ISN is 1000, not 0 to 999"},
        {with(observed, "F10.7_ADJ", "165.3 sfu"), "F10.7_ADJ is not a number: '165.3 sfu'"},
        {with(observed, "F10.7_ADJ", "1.653e2"), "F10.7_ADJ is not a number: '1.653e2'"},
        {with(observed, "F10.7_ADJ", "0x1.4ap7"), "F10.7_ADJ is not a number: '0x1.4ap7'"},
        {with(observed, "F10.7_ADJ", "nan"), "F10.7_ADJ is not a number: 'nan'"},
        {with(observed, "F10.7_ADJ", "1000.0"), "F10.7_ADJ is 1000.0, not 0.0 to 999.9"},
        {with(observed, "F10.7_ADJ", std::string(40, '1')),
         "F10.7_ADJ is not a number: of 40 characters"},
        // A monthly prediction is checked like any row.
        {with(monthly, "ISN", "13O"), "ISN is not a whole number: '13O'"},
        {monthly + ",", "32 fields, not 31 as in the header row"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(line_of_row(c.row, columns), "refused: " + c.problem) << c.row;
    }
}

TEST(CelesTrakHeader, ColumnsAreFoundByTheirNames)
{
    // The same row in another order of columns, and with a column more.
    const std::string reordered_header =
        "F10.7_DATA_TYPE,F10.7_ADJ,DATE,ISN,C9,CP,AP_AVG,AP8,AP7,AP6,AP5,AP4,AP3,AP2,AP1,KP_SUM,"
        "KP8,KP7,KP6,KP5,KP4,KP3,KP2,KP1,ND,BSRN,NOTE";
    const std::string reordered_row =
        "OBS,165.3,2001-01-01,133,0,0.0,2,3,3,2,2,4,4,2,0,43,7,7,3,3,10,10,3,0,22,2285,x";
    celestrak_columns columns;
    std::string problem;
    ASSERT_TRUE(read_celestrak_header(reordered_header, columns, problem)) << problem;
    EXPECT_EQ(columns.count, 27u);
    EXPECT_EQ(line_of_row(reordered_row, columns), line_of_row(observed, real_columns()));

    struct Case {
        std::string header;
        std::string problem;
    };
    const Case refused[] = {
        {"DATE,BSRN,ND", "the header row has no column KP1"},
        {with(header, "F10.7_ADJ", "F10.7_ADJUSTED"), "the header row has no column F10.7_ADJ"},
        {with(header, "KP_SUM", "kp_sum"), "the header row has no column KP_SUM"},
        {header + std::string(40, ','), "the header row has more than 64 columns"},
    };
    for (const auto& c : refused) {
        EXPECT_FALSE(read_celestrak_header(c.header, columns, problem)) << c.header;
        EXPECT_EQ(problem, c.problem);
    }
}

TEST(CelesTrakHeader, Recognition)
{
    EXPECT_TRUE(looks_like_celestrak(header));
    EXPECT_TRUE(looks_like_celestrak("DATE,BSRN"));
    EXPECT_FALSE(looks_like_celestrak("DATE"));
    EXPECT_FALSE(looks_like_celestrak("date,bsrn"));
    EXPECT_FALSE(looks_like_celestrak(" DATE,BSRN"));
    EXPECT_FALSE(looks_like_celestrak(observed));
}

// A whole file: the header, the rows, with line end `eol`.
std::string file_of(const std::vector<std::string>& rows, const char* eol = "\n")
{
    std::string text = header + eol;
    for (const auto& row : rows)
        text += row + eol;
    return text;
}

TEST(CelesTrakFile, DaysPredictionsAndLineEnds)
{
    const std::string d1 = "2024-03-18,2599,21,3,3,7,0,7,3,20,27,70,2,2,3,0,3,2,7,12,4,0.1,0,125,"
                           "177.4,175.8,OBS,159.4,161.0,158.0,156.9";
    const std::string d2 = "2024-03-19,2599,22,27,20,20,20,13,13,20,20,153,12,7,7,7,5,5,7,7,7,0.4,"
                           "2,136,171.5,170.0,PRD,159.0,161.4,157.6,157.3";
    const std::string d3 = "2024-03-20,2599,23,17,20,17,30,37,37,40,47,243,6,7,6,15,22,22,27,39,"
                           "18,1.0,5,128,171.4,170.0,PRD,158.6,161.8,157.3,157.8";
    const std::string m1 = "2024-06-01,2602,15,,,,,,,,,,,,,,,,,,,,,130,150.8,155.1,PRM,151.7,"
                           "154.6,155.6,156.0";
    const std::string m0 = "2024-03-01,2602,15,,,,,,,,,,,,,,,,,,,,,130,150.8,155.1,PRM,151.7,"
                           "154.6,155.6,156.0";
    const std::string lines = "240318259921 3 3 7 0 7 32027 70  2  2  3  0  3  2  7 12  40.10125"
                              "175.80\n"
                              "2403192599222720202013132020153 12  7  7  7  5  5  7  7  70.42136"
                              "170.02\n"
                              "2403202599231720173037374047243  6  7  6 15 22 22 27 39 181.05128"
                              "170.02\n";
    struct Case {
        std::string bytes;
        const char* what;
    };
    const Case cases[] = {
        {file_of({d1, d2, d3, m1}), "LF"},
        {file_of({d1, d2, d3, m1}, "\r\n"), "CR LF"},
        {file_of({d1, d2, d3}).substr(0, file_of({d1, d2, d3}).size() - 1), "no last line end"},
        {file_of({d1, d2, d3}, "\r\n").substr(0, file_of({d1, d2, d3}, "\r\n").size() - 1),
         "cut between the last CR and LF"},
        {"\xEF\xBB\xBF" + file_of({d1, d2, d3, m1}), "a byte-order mark"},
        {file_of({d1, "", d2, d3, m1, ""}), "blank lines"},
        {file_of({d1, d2, m0, d3, m1}), "a monthly prediction among the days"},
    };
    for (const auto& c : cases) {
        source_days source;
        source_problem problem;
        ASSERT_EQ(read_celestrak(c.bytes, source, problem), source_status::read)
            << c.what << ": line " << problem.line << ": " << problem.what;
        EXPECT_EQ(source.format, source_format::celestrak);
        EXPECT_EQ(source.text, lines) << c.what;
        ASSERT_EQ(source.days.size(), 3u) << c.what;
        EXPECT_FALSE(source.days[0].predicted);
        EXPECT_TRUE(source.days[1].predicted);
        EXPECT_TRUE(source.days[2].predicted);
        EXPECT_EQ(source.days[2].year, 2024);
        EXPECT_EQ(source.days[2].month, 3);
        EXPECT_EQ(source.days[2].day, 20);
        EXPECT_EQ(days_before_predictions(source), 1u) << c.what;
        EXPECT_EQ(lines_of(source, 0, 3), lines);
        EXPECT_EQ(line_of(source, source.days[1]), lines.substr(72, 71));
    }
}

TEST(CelesTrakFile, RefusalsNameTheLine)
{
    const std::string d1 = observed;
    const std::string d2 = with(observed, "DATE", "2001-01-02");
    const std::string d3 = with(observed, "DATE", "2001-01-03");
    struct Case {
        std::string bytes;
        long line;
        std::string problem;
    };
    const Case cases[] = {
        {file_of({d1, d3}),
         3,
         "day 2001-01-03 does not follow the day before it, 2001-01-01 (a day missing, repeated "
         "or out of order)"},
        {file_of({d1, d2, d2}),
         4,
         "day 2001-01-02 does not follow the day before it, 2001-01-02 (a day missing, repeated "
         "or out of order)"},
        {file_of({d2, d1}),
         3,
         "day 2001-01-01 does not follow the day before it, 2001-01-02 (a day missing, repeated "
         "or out of order)"},
        {file_of({d1, d2, d3.substr(0, 40)}), 4, "13 fields, not 31 as in the header row"},
        {file_of({d1, with(d2, "AP3", "4.0")}), 3, "AP3 is not a whole number: '4.0'"},
        {file_of({d1, d2 + std::string(4096, ' ')}), 3, "longer than 4096 characters"},
        {"DATE,BSRN\n" + d1 + "\n", 1, "the header row has no column ND"},
        {"\n\n" + file_of({d1, with(d2, "C9", "x")}), 5, "C9 is not a whole number: 'x'"},
        {file_of({d1, with(d2, "F10.7_DATA_TYPE", "PRD"), d3}),
         4,
         "day 2001-01-03 is observed (OBS) but follows a daily prediction (PRD): predictions come "
         "after the last observed day"},
        {file_of({with(d1, "F10.7_DATA_TYPE", "PRD"), with(d2, "F10.7_DATA_TYPE", "INT")}),
         3,
         "day 2001-01-02 is interpolated (INT) but follows a daily prediction (PRD): predictions "
         "come after the last observed day"},
    };
    for (const auto& c : cases) {
        source_days source;
        source_problem problem;
        EXPECT_EQ(read_celestrak(c.bytes, source, problem), source_status::malformed);
        EXPECT_EQ(problem.line, c.line) << c.problem;
        EXPECT_EQ(problem.what, c.problem);
        EXPECT_TRUE(source.days.empty() && source.text.empty()) << "nothing of a refused file";
    }
}

} // namespace
} // namespace meanflux::test
