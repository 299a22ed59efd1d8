// The year dialogue on any standard input.
#include "fuzz_support.h"
#include "programs/meanflux_dialogue.h"

#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace meanflux;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::FILE* in = fuzz::open_memory(input);
    std::FILE* out = std::fopen("/dev/null", "w");
    year_files files;
    const dialogue_status status = ask_year(in, out, files);
    std::fclose(in);
    std::fclose(out);
    if (status == dialogue_status::accepted) {
        // 1937 to 2099: the day numbers count 2100 as a leap year.
        if (files.i_ano < 1937 || files.i_ano > 2099)
            fuzz::fail("a year outside the accepted range");
        char expected[16];
        std::snprintf(expected, sizeof expected, "%.4d_m.dat", files.i_ano);
        if (std::strcmp(expected, files.ano_mean.data()) != 0 ||
            std::strlen(files.ano_bef.data()) != 8 || std::strlen(files.ano_aft.data()) != 8)
            fuzz::fail("file names of the wrong form");
    } else if (status != dialogue_status::end_of_input) {
        fuzz::fail("reading memory failed");
    }
    return 0;
}
