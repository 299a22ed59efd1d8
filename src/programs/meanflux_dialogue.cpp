#include "programs/meanflux_dialogue.h"

#include "daily/daily_year.h"
#include "record/format.h"

#include <cstdio>

namespace meanflux {

namespace {

// The banner, one text per line of the table it is printed from.
constexpr std::array<const char*, 22> banner{
    "****************************************************************************\n",
    "           Mean Solar Flux and geomagnetic activity file creator\n",
    "****************************************************************************\n\n",
    " This program updates the mean solar flux (F10.7bar) for a given year\n\n",
    " Obs: this program needs the daily solar flux data file of the input year,\n",
    " as well as the preceding and succeeding years. \n",
    " To compute the mean flux of 1980, for instance, you should provide the files: \n",
    " 1979.dat, 1980.dat and 1981.dat \n",
    " These files can be downloaded from: \n",
    "   ftp://ftp.ngdc.noaa.gov/STP/GEOMAGNETIC_DATA/INDICES/KP_AP/ \n",
    " and shall be renamed to <yyyy>.dat \n",
    " The output file is <yyyy>_m.dat, where <yyyy> is the input year\n",
    " Output format is: \n",
    "   Modified Julian date (cols 1-5)\n",
    "   8 values of observed kp (8 * 2 cols each) \n",
    "   Sum of kp (cols 22-24) \n",
    "   Mean daily amplitude Ap (cols 25-27) \n",
    "   Observed daily flux (cols 28-32) \n",
    "   Adjusted daily flux to 1 AU (cols 33-37) \n",
    "   Gaussian mean flux according to J77 (cols 38-42) \n",
    "   Aritmetic mean flux according to J70 (cols 43-47) \n",
    "\n",
};

// Room for one answer: 19 characters and the terminator.
constexpr int answer_room = 20;

enum class answer_status { line, end_of_input, error };

// Read one line of the console into `answer`, keeping at most its first 19 characters (line end
// included) and discarding the rest of a longer line.
answer_status read_answer(std::FILE* in, std::array<char, answer_room>& answer) noexcept
{
    std::size_t n = 0;
    int c = 0;
    while (n < answer.size() - 1 && (c = std::getc(in)) != EOF) {
        answer[n++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    answer[n] = '\0';
    if (c == EOF) {
        if (std::ferror(in))
            return answer_status::error;
        return n == 0 ? answer_status::end_of_input : answer_status::line;
    }
    if (answer[n - 1] != '\n') { // a longer line: its rest is no answer of its own
        while ((c = std::getc(in)) != EOF && c != '\n') {}
        if (std::ferror(in))
            return answer_status::error;
    }
    return answer_status::line;
}

} // namespace

void form_names(int y, year_files& files) noexcept
{
    files = year_files{};
    if (!is_run_year(y))
        return; // no names: they would not fit their room
    files.i_ano = y;
    daily_file_path("", y).copy(files.ano.data(), files.ano.size() - 1);
    daily_file_path("", y - 1).copy(files.ano_bef.data(), files.ano_bef.size() - 1);
    daily_file_path("", y + 1).copy(files.ano_aft.data(), files.ano_aft.size() - 1);
    mean_flux_file_path("", y).copy(files.ano_mean.data(), files.ano_mean.size() - 1);
}

void print_banner(std::FILE* out) noexcept
{
    for (const char* text : banner)
        std::fputs(text, out);
}

dialogue_status ask_year(std::FILE* in, std::FILE* out, year_files& files) noexcept
{
    std::array<char, answer_room> answer{};
    int y = 0;
    for (;;) {
        std::fputs(" Input year: \n", out);
        std::fputs("yyyy\n", out);
        if (std::fflush(out) != 0)
            return dialogue_status::output_error;
        switch (read_answer(in, answer)) {
        case answer_status::end_of_input:
            return dialogue_status::end_of_input;
        case answer_status::error:
            return dialogue_status::input_error;
        case answer_status::line:
            break;
        }
        if (std::sscanf(answer.data(), "%8d", &y) != 1)
            std::fputs(" invalid string \n", out);
        else if (!is_run_year(y))
            std::fputs(" invalid year \n", out);
        else
            break;
    }

    form_names(y, files);
    std::fputs("\n", out);
    std::fputs("\n", out);
    std::fprintf(out,
                 " Input data files: '%8s', '%8s', '%8s' \n",
                 files.ano_bef.data(),
                 files.ano.data(),
                 files.ano_aft.data());
    std::fprintf(out, " Output data file: '%8s' \n", files.ano_mean.data());
    return std::fflush(out) == 0 ? dialogue_status::accepted : dialogue_status::output_error;
}

} // namespace meanflux
