// The library's functions under C names, for C, Fortran and every language that calls C.
#include <meanflux/meanflux.h>
#include <meanflux/meanflux_c.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>

// The table behind the C handle: the C++ table, owned by the handle.
struct meanflux_table {
    meanflux::mean_flux_table table;
};

namespace {

// The C struct is the C++ one member for member, so a C program sees exactly the same bytes.
using cpp_weather = meanflux::space_weather;
static_assert(sizeof(meanflux_space_weather) == sizeof(cpp_weather));
static_assert(std::is_standard_layout_v<cpp_weather>);
#define MEANFLUX_SAME_MEMBER(m)                                                                    \
    static_assert(offsetof(meanflux_space_weather, m) == offsetof(cpp_weather, m) &&               \
                  sizeof(meanflux_space_weather::m) == sizeof(cpp_weather::m))
MEANFLUX_SAME_MEMBER(f107_obs_prev_day);
MEANFLUX_SAME_MEMBER(f107_adj_prev_day);
MEANFLUX_SAME_MEMBER(f107_gauss_mean);
MEANFLUX_SAME_MEMBER(f107_arith_mean);
MEANFLUX_SAME_MEMBER(f107_obs_mean81);
MEANFLUX_SAME_MEMBER(kp);
MEANFLUX_SAME_MEMBER(ap_daily);
MEANFLUX_SAME_MEMBER(ap_history);
MEANFLUX_SAME_MEMBER(mean81_days);
MEANFLUX_SAME_MEMBER(predicted);
#undef MEANFLUX_SAME_MEMBER

static_assert(MEANFLUX_FOUND == meanflux::mean_flux_found &&
              MEANFLUX_SPACE_WEATHER_PARTIAL == meanflux::space_weather_partial &&
              MEANFLUX_NO_RECORD == meanflux::mean_flux_no_record &&
              MEANFLUX_OUT_OF_RANGE == meanflux::mean_flux_out_of_range &&
              MEANFLUX_NO_FILE == meanflux::mean_flux_no_file &&
              MEANFLUX_NO_MEMORY == meanflux::mean_flux_no_memory);
static_assert(MEANFLUX_ENTRY_KP_SUM == meanflux::entry_kp_sum &&
              MEANFLUX_ENTRY_AP == meanflux::entry_ap &&
              MEANFLUX_ENTRY_FLUX_OBS == meanflux::entry_flux_obs &&
              MEANFLUX_ENTRY_FLUX_ADJ == meanflux::entry_flux_adj &&
              MEANFLUX_ENTRY_GAUSS_MEAN == meanflux::entry_gauss_mean &&
              MEANFLUX_ENTRY_ARITH_MEAN == meanflux::entry_arith_mean);

// The table a handle stands for; a null handle is an empty table.
const meanflux::mean_flux_table& table_of(const meanflux_table* handle) noexcept
{
    static const meanflux::mean_flux_table empty;
    return handle != nullptr ? handle->table : empty;
}

} // namespace

extern "C" {

int read_mean_flux(int day, int month, int year, double values[14])
{
    return meanflux::read_mean_flux(day, month, year, values);
}

int meanflux_read_mean_flux_file(const char* file_name, int day, int month, int year,
                                 double values[14])
{
    if (file_name == nullptr)
        return meanflux::mean_flux_no_file;
    return meanflux::read_mean_flux_file(file_name, day, month, year, values);
}

int meanflux_day_number(int day, int month, int year)
{
    return meanflux::day_number(day, month, year);
}

int meanflux_parse_epoch(const char* text, int* day_number, double* seconds_of_day)
{
    if (text == nullptr || day_number == nullptr || seconds_of_day == nullptr)
        return meanflux::mean_flux_out_of_range;
    return meanflux::parse_epoch(
        std::string_view(text, std::strlen(text)), *day_number, *seconds_of_day);
}

const char* meanflux_result_text(int result)
{
    return meanflux::mean_flux_result_text(result);
}

int meanflux_table_load(const char* file_name, meanflux_table** table)
{
    if (table == nullptr)
        return meanflux::mean_flux_no_file;
    *table = nullptr;
    if (file_name == nullptr)
        return meanflux::mean_flux_no_file;
    auto* handle = new (std::nothrow) meanflux_table;
    if (handle == nullptr)
        return meanflux::mean_flux_no_memory;
    const int result = meanflux::load_mean_flux_table(file_name, handle->table);
    if (result != meanflux::mean_flux_found) {
        delete handle;
        return result;
    }
    *table = handle;
    return result;
}

int meanflux_table_build(const char* source, const meanflux_build_options* options,
                         meanflux_table** table, char* message, size_t message_size)
{
    if (message != nullptr && message_size > 0)
        message[0] = '\0';
    if (table == nullptr)
        return meanflux::mean_flux_no_file;
    *table = nullptr;
    meanflux::mean_flux_build_options cpp_options;
    if (options != nullptr)
        cpp_options = {options->from_year, options->to_year, options->predictions};
    auto* handle = new (std::nothrow) meanflux_table;
    if (handle == nullptr)
        return meanflux::mean_flux_no_memory;
    std::string text;
    const int result = meanflux::build_mean_flux_table(source, cpp_options, handle->table, &text);
    if (message != nullptr && message_size > 0) {
        const std::size_t length = std::min(text.size(), message_size - 1);
        std::memcpy(message, text.data(), length);
        message[length] = '\0';
    }
    if (result != meanflux::mean_flux_found) {
        delete handle;
        return result;
    }
    *table = handle;
    return result;
}

int meanflux_build_files(const char* source, const meanflux_build_options* options,
                         const char* output, const char* yearly_dir, char* message,
                         size_t message_size, int* error_number)
{
    meanflux::mean_flux_build_options cpp_options;
    if (options != nullptr)
        cpp_options = {options->from_year, options->to_year, options->predictions};
    std::string text;
    const int result = meanflux::build_mean_flux_files(
        source, cpp_options, output, yearly_dir, &text, error_number);
    if (message != nullptr && message_size > 0) {
        const std::size_t length = std::min(text.size(), message_size - 1);
        std::memcpy(message, text.data(), length);
        message[length] = '\0';
    }
    return result;
}

int meanflux_table_days(const meanflux_table* table, int* first_day, int* last_day,
                        int* last_observed_day)
{
    int first = 0, last = 0, observed = 0;
    const int result = meanflux::mean_flux_table_days(table_of(table), first, last, observed);
    if (result == meanflux::mean_flux_found) {
        if (first_day != nullptr)
            *first_day = first;
        if (last_day != nullptr)
            *last_day = last;
        if (last_observed_day != nullptr)
            *last_observed_day = observed;
    }
    return result;
}

void meanflux_table_free(meanflux_table* table)
{
    delete table;
}

int meanflux_find(const meanflux_table* table, int day, int month, int year, double values[14])
{
    return meanflux::find_mean_flux(table_of(table), day, month, year, values);
}

int meanflux_space_weather_at(const meanflux_table* table, int day_number, double seconds_of_day,
                              meanflux_space_weather* out)
{
    meanflux::space_weather weather{};
    const int result =
        meanflux::space_weather_at(table_of(table), day_number, seconds_of_day, weather);
    if (out != nullptr &&
        (result == meanflux::mean_flux_found || result == meanflux::space_weather_partial))
        std::memcpy(static_cast<void*>(out), &weather, sizeof weather);
    return result;
}

} // extern "C"
