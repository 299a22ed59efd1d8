#include "input/scan_field.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <type_traits>

namespace meanflux {

namespace {

// The fields of the data files are plain decimal numbers; they are converted here without the
// cost of sscanf, with exactly its result.  Anything else (exponents, hexadecimal, nan and
// infinity, numbers too long for the shortcut, empty fields) goes to sscanf itself.

// White space as the C locale's isspace has it, which is what sscanf skips.
constexpr bool is_space(char c) noexcept
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr bool is_digit(char c) noexcept
{
    return c >= '0' && c <= '9';
}

enum class shortcut {
    value,    // the number was converted: result 1
    no_input, // nothing but white space: result EOF
    undecided // leave it to sscanf
};

// Step over the blanks before a number and its sign.  Returns false when the text holds nothing
// but white space.
bool skip_to_digits(const char*& s, bool& negative) noexcept
{
    while (is_space(*s))
        ++s;
    if (*s == '\0')
        return false;
    negative = *s == '-';
    if (*s == '+' || *s == '-')
        ++s;
    return true;
}

// "%d": blanks, an optional sign and up to nine digits, followed by anything but a digit, is the
// number those digits make.
shortcut decimal_integer(const char* s, int& value) noexcept
{
    bool negative = false;
    if (!skip_to_digits(s, negative))
        return shortcut::no_input;
    if (!is_digit(*s))
        return shortcut::undecided;
    int n = 0, digits = 0;
    for (; is_digit(*s); ++s, ++digits) {
        if (digits == 9)
            return shortcut::undecided;
        n = n * 10 + (*s - '0');
    }
    value = negative ? -n : n;
    return shortcut::value;
}

// Exact powers of ten.
constexpr std::array<double, 16> tens{
    1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// "%lf": blanks, an optional sign, then digits with at most one point among them (at most 15
// digits in all, at least one), followed by anything that cannot continue a number (not a digit,
// an exponent or the x of a hexadecimal number).  Its value is m / 10^d, m the integer of all
// the digits and d the count of digits after the point: both are exact doubles, so the IEEE
// division rounds the exact quotient correctly, as sscanf does.
shortcut decimal_real(const char* s, double& value) noexcept
{
    bool negative = false;
    if (!skip_to_digits(s, negative))
        return shortcut::no_input;
    long long m = 0;
    int digits = 0, decimals = 0;
    bool point = false;
    for (;; ++s) {
        if (is_digit(*s)) {
            if (++digits > 15)
                return shortcut::undecided;
            m = m * 10 + (*s - '0');
            decimals += point;
        } else if (*s == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0 || *s == 'e' || *s == 'E' || *s == 'x' || *s == 'X')
        return shortcut::undecided;
    const double magnitude = static_cast<double>(m) / tens[static_cast<std::size_t>(decimals)];
    value = negative ? -magnitude : magnitude;
    return shortcut::value;
}

// The shortcut for each kind of target, and the format it stands for.
shortcut plain_number(const char* text, double& value) noexcept
{
    return decimal_real(text, value);
}
shortcut plain_number(const char* text, int& value) noexcept
{
    return decimal_integer(text, value);
}
template <class T>
constexpr const char* plain_format = std::is_same_v<T, double> ? "%lf" : "%d";

template <class T>
int convert(const char* text, const char* format, T* target) noexcept
{
    if (std::strcmp(format, plain_format<T>) == 0) {
        switch (plain_number(text, *target)) {
        case shortcut::value:
            return 1;
        case shortcut::no_input:
            return EOF;
        case shortcut::undecided:
            break;
        }
    }
    return std::sscanf(text, format, target);
}

template <class T>
int scan_in_place(std::span<char> line, int first, int last, const char* format, T* target) noexcept
{
    if (first < 0 || first > last || static_cast<std::size_t>(last) + 1 >= line.size())
        return EOF;
    const std::size_t end = static_cast<std::size_t>(last) + 1;
    const char kept = line[end];
    line[end] = '\0';
    const int result = convert(line.data() + first, format, target);
    line[end] = kept;
    return result;
}

} // namespace

int scan_field(std::span<char> line, int first, int last, const char* format,
               double* target) noexcept
{
    return scan_in_place(line, first, last, format, target);
}

int scan_field(std::span<char> line, int first, int last, const char* format, int* target) noexcept
{
    return scan_in_place(line, first, last, format, target);
}

} // namespace meanflux
