#include "yearly/writer.h"

#include "io/file_handle.h"
#include "io/output_file.h"
#include "record/format.h"

#include <meanflux/calendar.h>

#include <cerrno>
#include <cmath>

namespace meanflux {

calendar_anchors anchors_of(int y, int y_before) noexcept
{
    const int first_day = day_number(1, 1, y);
    return {first_day, first_day - day_number(1, 1, y_before)};
}

write_status write_records(std::FILE* in, std::FILE* out, calendar_anchors anchors,
                           const daily_series& series, const gauss_table& gauss_w,
                           line_buffer& line_buf, write_result& result) noexcept
{
    activity_text text{};
    record_buffer record{};
    for (int n = 0;; ++n) {
        errno = 0;
        switch (read_line(in, line_buf)) {
        case read_status::end_of_file:
            return write_status::written;
        case read_status::error:
            result.error_number = errno;
            return write_status::read_error;
        case read_status::line:
            break;
        }
        copy_activity_text(line_buf, text);
        const day_values values = day_fluxes(series, gauss_w, anchors.year_offset, n);
        const int length = format_record(record, anchors.first_day + n, text, values);
        errno = 0;
        if (std::fwrite(record.data(), 1, static_cast<std::size_t>(length), out) !=
            static_cast<std::size_t>(length)) {
            result.error_number = errno != 0 ? errno : EIO;
            return write_status::write_error;
        }
        ++result.records;
        if (std::isnan(values.flux_obs) || std::isnan(values.flux_adj) ||
            std::isnan(values.gauss_mean) || std::isnan(values.arith_mean))
            ++result.undefined_days;
    }
}

write_result write_mean_flux(int y, int y_before, const char* ano, const char* ano_mean,
                             const daily_series& series, const gauss_table& gauss_w,
                             line_buffer& line_buf) noexcept
{
    write_result result;
    const calendar_anchors anchors = anchors_of(y, y_before);

    // The output is opened before the given year's file is opened again, as the run has always
    // done; with the temporary file, a failure to read leaves the old output as it was.
    output_file out;
    if ((result.error_number = begin_output(ano_mean, out)) != 0) {
        result.status = write_status::cannot_create;
        return result;
    }
    errno = 0;
    file_handle in = open_for_reading(ano);
    if (!in) {
        result.error_number = errno;
        result.status = write_status::cannot_open_input;
        abandon_output(out);
        return result;
    }
    result.status = write_records(in.get(), out.stream, anchors, series, gauss_w, line_buf, result);
    in.reset(); // the given year's file is closed first, then the output
    if (result.status != write_status::written) {
        abandon_output(out);
        return result;
    }
    switch (finish_output(out, ano_mean, result.error_number)) {
    case finish_status::done:
        break;
    case finish_status::write_error:
        result.status = write_status::write_error;
        break;
    case finish_status::rename_error:
        result.status = write_status::rename_error;
        break;
    }
    return result;
}

} // namespace meanflux
