// The library's lookups for Python, over NumPy arrays: the compiled core of the package meanflux
// (meanflux/__init__.py turns dates, datetimes and texts into day numbers and seconds and gives
// the users' names).  Every loop over an array runs without the interpreter's lock.
#include <meanflux/meanflux.h>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <sys/mman.h>

namespace py = pybind11;

namespace {

constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();

template <typename T>
using array_in = py::array_t<T, py::array::c_style | py::array::forcecast>;

// A 1-D array of n values, or n rows of `columns` values.
template <typename T>
py::array_t<T> new_array(py::ssize_t n, py::ssize_t columns = 0)
{
    if (columns == 0)
        return py::array_t<T>(n);
    return py::array_t<T>({n, columns});
}

// Large blocks of output memory that their arrays no longer use, kept for the next calls.  On
// this kind of machine the first write to each fresh page of memory costs a page fault that
// takes longer than the call that fills it: a program that asks for the inputs at a million
// epochs again and again would otherwise pay the faults of 176 MB at every call.  Two blocks are
// kept, since a caller holds the previous results while the next are made; only the
// interpreter's lock guards them, held wherever blocks are taken and given back.
struct block_cache {
    static constexpr std::size_t slots = 2;
    static constexpr std::size_t largest = std::size_t{1} << 30; // larger blocks are freed
    std::array<void*, slots> memory{};
    std::array<std::size_t, slots> size{};

    // A kept block of at least `bytes` and at most twice that, or null.
    void* take(std::size_t bytes, std::size_t& got) noexcept
    {
        for (std::size_t i = 0; i < slots; ++i)
            if (memory[i] != nullptr && size[i] >= bytes && size[i] <= 2 * bytes) {
                got = size[i];
                return std::exchange(memory[i], nullptr);
            }
        return nullptr;
    }

    // Keep a block no array uses any more, or free it.
    void give_back(void* block, std::size_t bytes) noexcept
    {
        for (std::size_t i = 0; i < slots && bytes <= largest; ++i)
            if (memory[i] == nullptr) {
                memory[i] = block;
                size[i] = bytes;
                return;
            }
        std::free(block);
    }
};
block_cache kept_blocks;

// The output arrays of one call, carved from one block of memory that they share (the block
// lives as long as any of them).  A large block comes from the kept ones where one fits, else
// it is asked for in huge pages, so that its first writes fault in a few hundred pages rather
// than tens of thousands; it goes back to the kept ones when its arrays are gone.
class output_block {
  public:
    explicit output_block(std::size_t bytes)
    {
        constexpr std::size_t huge_page = std::size_t{2} << 20;
        void* memory = nullptr;
        if (bytes >= 4 * huge_page) {
            std::size_t size = (bytes + huge_page - 1) / huge_page * huge_page;
            memory = kept_blocks.take(size, size);
            if (memory == nullptr) {
                memory = std::aligned_alloc(huge_page, size);
                if (memory != nullptr)
                    madvise(memory, size, MADV_HUGEPAGE); // a hint: without it, ordinary pages
            }
            if (memory == nullptr)
                throw std::bad_alloc();
            // The capsule owns the block with its size, and gives it back when the arrays go.
            struct held_block {
                void* memory;
                std::size_t size;
            };
            auto* held = new (std::nothrow) held_block{memory, size};
            if (held == nullptr) {
                kept_blocks.give_back(memory, size);
                throw std::bad_alloc();
            }
            owner_ = py::capsule(held, [](void* p) {
                const auto* block = static_cast<held_block*>(p);
                kept_blocks.give_back(block->memory, block->size);
                delete block;
            });
        } else {
            memory = std::malloc(bytes == 0 ? 1 : bytes);
            if (memory == nullptr)
                throw std::bad_alloc();
            owner_ = py::capsule(memory, [](void* p) { std::free(p); });
        }
        base_ = static_cast<char*>(memory);
    }

    // The next n values (or n rows of `columns`), 64-byte aligned.
    template <typename T>
    py::array_t<T> take(py::ssize_t n, py::ssize_t columns = 0)
    {
        T* at = reinterpret_cast<T*>(base_ + used_);
        const auto count = static_cast<std::size_t>(n * (columns == 0 ? 1 : columns));
        used_ += (count * sizeof(T) + 63) / 64 * 64;
        if (columns == 0)
            return py::array_t<T>({n}, at, owner_);
        return py::array_t<T>({n, columns}, at, owner_);
    }

    // Bytes that `take` uses for n values of T, with its alignment.
    template <typename T>
    static std::size_t bytes(py::ssize_t n)
    {
        return (static_cast<std::size_t>(n) * sizeof(T) + 63) / 64 * 64;
    }

  private:
    char* base_ = nullptr;
    std::size_t used_ = 0;
    py::capsule owner_;
};

// A loaded table, with the file name it came from for messages.
struct table_handle {
    meanflux::mean_flux_table table;
    std::string file_name;
};

// Load a combined mean-flux file.  The package opens it first, so a file that cannot be opened
// has already raised OSError; what the library refuses here breaks the file's layout.
table_handle load_table(const std::string& file_name)
{
    table_handle handle{{}, file_name};
    int result = 0;
    {
        py::gil_scoped_release unlocked;
        result = meanflux::load_mean_flux_table(file_name.c_str(), handle.table);
    }
    if (result == meanflux::mean_flux_no_memory)
        throw std::bad_alloc(); // MemoryError
    if (result != meanflux::mean_flux_found)
        throw py::value_error(file_name + ": " + meanflux::mean_flux_result_text(result));
    return handle;
}

// The text of a failed build for its exception: the failure's own line, the last of what
// meanflux-build would print (the warnings before it are about means that were not written),
// or the result's text where there is none.
std::string failure_text(std::string message, const std::string& source, int result)
{
    while (!message.empty() && message.back() == '\n')
        message.pop_back();
    if (message.empty())
        return source + ": " + meanflux::mean_flux_result_text(result);
    return message.substr(message.rfind('\n') + 1); // npos + 1 is 0: the whole of one line
}

// Build a table from a source, as meanflux-build would write its combined file.  The package
// checks first that the source can be opened; what the library refuses here is a year missing
// or a source that breaks its format (ValueError, with the library's message).
table_handle build_table(const std::string& source, int from_year, int to_year, bool predictions)
{
    table_handle handle{{}, source};
    std::string message;
    int result = 0;
    {
        py::gil_scoped_release unlocked;
        result = meanflux::build_mean_flux_table(
            source.c_str(), {from_year, to_year, predictions}, handle.table, &message);
    }
    if (result == meanflux::mean_flux_no_memory)
        throw std::bad_alloc(); // MemoryError
    if (result != meanflux::mean_flux_found)
        throw py::value_error(failure_text(std::move(message), source, result));
    return handle;
}

// Write the files that meanflux-build writes, by its code.  The package checks first that the
// source can be opened.  Returns the build's warnings as text; raises OSError (with its errno,
// so that Python picks FileNotFoundError, PermissionError, ...) when an output cannot be written,
// ValueError when a year is not in the source, the years cannot be built into the files asked
// for, the source breaks its format or an output is a file read.  Temporary files never stay:
// the library removes them on every failure, and installs no signal handler of its own.
std::string build_files(const std::string& source, const std::optional<std::string>& output,
                        const std::optional<std::string>& yearly, int from_year, int to_year,
                        bool predictions)
{
    std::string message;
    int error_number = 0;
    int result = 0;
    {
        py::gil_scoped_release unlocked;
        result = meanflux::build_mean_flux_files(source.c_str(),
                                                 {from_year, to_year, predictions},
                                                 output ? output->c_str() : nullptr,
                                                 yearly ? yearly->c_str() : nullptr,
                                                 &message,
                                                 &error_number);
    }
    if (result == meanflux::mean_flux_found)
        return message;
    if (result == meanflux::mean_flux_no_memory)
        throw std::bad_alloc(); // MemoryError
    message = failure_text(std::move(message), source, result);
    if (error_number != 0) {
        PyErr_SetObject(PyExc_OSError, py::make_tuple(error_number, message).ptr());
        throw py::error_already_set();
    }
    throw py::value_error(message);
}

py::tuple table_days(const table_handle& handle)
{
    int first = 0, last = 0, observed = 0;
    if (meanflux::mean_flux_table_days(handle.table, first, last, observed) !=
        meanflux::mean_flux_found)
        throw py::value_error(handle.file_name + ": the table is empty");
    return py::make_tuple(first, last, observed);
}

// The density-model inputs at each epoch: arrays keyed as the members of space_weather, NaN, 0
// and false where the result is neither found nor partial.
py::dict space_weather_at(const table_handle& handle, const array_in<std::int32_t>& day_numbers,
                          const array_in<double>& seconds)
{
    if (day_numbers.ndim() != 1 || seconds.ndim() != 1 || day_numbers.size() != seconds.size())
        throw py::value_error("day numbers and seconds must be 1-D arrays of one length");
    const py::ssize_t n = day_numbers.size();
    output_block block(2 * output_block::bytes<std::int32_t>(n) + output_block::bytes<bool>(n) +
                       6 * output_block::bytes<double>(n) + output_block::bytes<double>(8 * n) +
                       output_block::bytes<double>(7 * n));
    auto result = block.take<std::int32_t>(n);
    auto obs_prev = block.take<double>(n), adj_prev = block.take<double>(n),
         gauss = block.take<double>(n), arith = block.take<double>(n),
         mean81 = block.take<double>(n), ap_daily = block.take<double>(n);
    auto kp = block.take<double>(n, 8), ap_history = block.take<double>(n, 7);
    auto mean81_days = block.take<std::int32_t>(n);
    auto predicted = block.take<bool>(n);

    const std::int32_t* day = day_numbers.data();
    const double* second = seconds.data();
    std::int32_t* r = result.mutable_data();
    double *o = obs_prev.mutable_data(), *a = adj_prev.mutable_data(), *g = gauss.mutable_data(),
           *c = arith.mutable_data(), *m = mean81.mutable_data(), *d = ap_daily.mutable_data(),
           *k = kp.mutable_data(), *h = ap_history.mutable_data();
    std::int32_t* md = mean81_days.mutable_data();
    bool* p = predicted.mutable_data();
    {
        py::gil_scoped_release unlocked;
        for (py::ssize_t i = 0; i < n; ++i) {
            meanflux::space_weather w;
            const int got = meanflux::space_weather_at(handle.table, day[i], second[i], w);
            r[i] = got;
            if (got != meanflux::mean_flux_found && got != meanflux::space_weather_partial) {
                w.f107_obs_prev_day = w.f107_adj_prev_day = w.f107_gauss_mean = w.f107_arith_mean =
                    w.f107_obs_mean81 = w.ap_daily = not_a_number;
                for (double& v : w.kp)
                    v = not_a_number;
                for (double& v : w.ap_history)
                    v = not_a_number;
                w.mean81_days = 0;
                w.predicted = false;
            }
            o[i] = w.f107_obs_prev_day;
            a[i] = w.f107_adj_prev_day;
            g[i] = w.f107_gauss_mean;
            c[i] = w.f107_arith_mean;
            m[i] = w.f107_obs_mean81;
            d[i] = w.ap_daily;
            for (std::size_t j = 0; j < 8; ++j)
                k[8 * i + static_cast<py::ssize_t>(j)] = w.kp[j];
            for (std::size_t j = 0; j < 7; ++j)
                h[7 * i + static_cast<py::ssize_t>(j)] = w.ap_history[j];
            md[i] = w.mean81_days;
            p[i] = w.predicted;
        }
    }
    py::dict out;
    out["result"] = result;
    out["f107_obs_prev_day"] = obs_prev;
    out["f107_adj_prev_day"] = adj_prev;
    out["f107_gauss_mean"] = gauss;
    out["f107_arith_mean"] = arith;
    out["f107_obs_mean81"] = mean81;
    out["mean81_days"] = mean81_days;
    out["predicted"] = predicted;
    out["kp"] = kp;
    out["ap_daily"] = ap_daily;
    out["ap_history"] = ap_history;
    return out;
}

// Each day's 14 values as find_mean_flux gives them, NaN where the record holds no value.
py::dict values(const table_handle& handle, const array_in<std::int32_t>& day_numbers)
{
    if (day_numbers.ndim() != 1)
        throw py::value_error("day numbers must be a 1-D array");
    const py::ssize_t n = day_numbers.size();
    auto result = new_array<std::int32_t>(n);
    auto kp = new_array<double>(n, 8);
    std::array<py::array_t<double>, 6> daily{new_array<double>(n),
                                             new_array<double>(n),
                                             new_array<double>(n),
                                             new_array<double>(n),
                                             new_array<double>(n),
                                             new_array<double>(n)};
    std::array<double*, 6> column{};
    for (std::size_t j = 0; j < daily.size(); ++j)
        column[j] = daily[j].mutable_data();
    const std::int32_t* day = day_numbers.data();
    std::int32_t* r = result.mutable_data();
    double* k = kp.mutable_data();
    {
        py::gil_scoped_release unlocked;
        for (py::ssize_t i = 0; i < n; ++i) {
            double v[meanflux::mean_flux_entries];
            for (double& x : v)
                x = not_a_number;
            // Days past a month's end count on, so day n + 1 of January 1950 is day number n.
            r[i] = meanflux::find_mean_flux(handle.table, day[i] + 1, 1, 1950, v);
            if (r[i] != meanflux::mean_flux_found)
                for (double& x : v)
                    x = not_a_number;
            for (py::ssize_t j = 0; j < 8; ++j)
                k[8 * i + j] = v[j];
            for (std::size_t j = 0; j < daily.size(); ++j)
                column[j][i] = v[meanflux::entry_kp_sum + j];
        }
    }
    py::dict out;
    out["result"] = result;
    out["kp"] = kp;
    constexpr std::array<const char*, 6> names{
        "kp_sum", "ap", "f107_obs", "f107_adj", "gauss_mean", "arith_mean"};
    for (std::size_t j = 0; j < daily.size(); ++j)
        out[names[j]] = daily[j];
    return out;
}

// Day numbers of calendar dates, as the library counts them.
py::array_t<std::int32_t> day_numbers(const array_in<std::int32_t>& days,
                                      const array_in<std::int32_t>& months,
                                      const array_in<std::int32_t>& years)
{
    if (days.ndim() != 1 || days.size() != months.size() || days.size() != years.size())
        throw py::value_error("days, months and years must be 1-D arrays of one length");
    auto out = new_array<std::int32_t>(days.size());
    std::int32_t* o = out.mutable_data();
    for (py::ssize_t i = 0; i < days.size(); ++i)
        o[i] = meanflux::day_number(days.data()[i], months.data()[i], years.data()[i]);
    return out;
}

// ISO 8601 epochs (UT) as day numbers and seconds of the day; ValueError names the first text
// that is not one.
py::tuple parse_epochs(const std::vector<std::string>& texts)
{
    const auto n = static_cast<py::ssize_t>(texts.size());
    auto days = new_array<std::int32_t>(n);
    auto seconds = new_array<double>(n);
    for (py::ssize_t i = 0; i < n; ++i) {
        int day = 0;
        double second = 0;
        const std::string& text = texts[static_cast<std::size_t>(i)];
        if (meanflux::parse_epoch(text, day, second) != meanflux::mean_flux_found)
            throw py::value_error("'" + text +
                                  "' is not an ISO 8601 epoch such as "
                                  "2026-05-01T06:30:15Z");
        days.mutable_data()[i] = day;
        seconds.mutable_data()[i] = second;
    }
    return py::make_tuple(days, seconds);
}

} // namespace

PYBIND11_MODULE(_core, m)
{
    m.doc() = "The compiled core of meanflux: lookups in a loaded mean-flux table over arrays.";
    m.attr("__version__") = MEANFLUX_VERSION;
    py::class_<table_handle>(m, "Table", "A combined mean-flux data file loaded into memory.")
        .def(py::init(&load_table), py::arg("file_name"), "Load a combined mean-flux file.")
        .def_static("from_source",
                    &build_table,
                    py::arg("source"),
                    py::arg("from_year"),
                    py::arg("to_year"),
                    py::arg("predictions"),
                    "Build the table of meanflux-build's combined file from a source, in memory.")
        .def("days",
             &table_days,
             "(first day number, last day number, last observed day number) of the table.")
        .def("space_weather_at",
             &space_weather_at,
             py::arg("day_numbers"),
             py::arg("seconds"),
             "Density-model inputs at each (day number, seconds of day), as a dict of arrays.")
        .def("values",
             &values,
             py::arg("day_numbers"),
             "Each day's record values, as a dict of arrays.");
    m.def("day_numbers",
          &day_numbers,
          py::arg("days"),
          py::arg("months"),
          py::arg("years"),
          "Day numbers (days from 1950-01-01) of calendar dates.");
    m.def("parse_epochs",
          &parse_epochs,
          py::arg("texts"),
          "(day numbers, seconds of day) of ISO 8601 UT epochs.");
    m.def("build_files",
          &build_files,
          py::arg("source"),
          py::arg("output"),
          py::arg("yearly"),
          py::arg("from_year"),
          py::arg("to_year"),
          py::arg("predictions"),
          "Write meanflux-build's files from a source; returns its warnings as text.");
    m.def("result_text",
          &meanflux::mean_flux_result_text,
          py::arg("result"),
          "A short text for a result code of the library.");
}
