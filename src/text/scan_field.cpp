#include "text/scan_field.h"

#include <array>
#include <cstdio>
#include <string>
#include <type_traits>

namespace meanflux {

namespace {

// The fields of the data files are plain decimal numbers; they are converted here without the
// cost of sscanf, with exactly its result.  Anything else (exponents, hexadecimal, nan and
// infinity, numbers too long for the shortcut) goes to sscanf itself.

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
    value,    // the number was converted
    undecided // leave it to sscanf
};

// The character at i, or NUL past the end: the field's text ends there as a C string would.
constexpr char at(std::string_view s, std::size_t i) noexcept
{
    return i < s.size() ? s[i] : '\0';
}

// Step over a sign.  The field has no leading white space left.
std::size_t skip_sign(std::string_view s, bool& negative) noexcept
{
    negative = at(s, 0) == '-';
    return at(s, 0) == '+' || at(s, 0) == '-' ? 1 : 0;
}

// "%d": an optional sign and up to nine digits, followed by anything but a digit, is the number
// those digits make.
shortcut decimal_integer(std::string_view s, int& value) noexcept
{
    bool negative = false;
    std::size_t i = skip_sign(s, negative);
    if (!is_digit(at(s, i)))
        return shortcut::undecided;
    int n = 0, digits = 0;
    for (; is_digit(at(s, i)); ++i, ++digits) {
        if (digits == 9)
            return shortcut::undecided;
        n = n * 10 + (s[i] - '0');
    }
    value = negative ? -n : n;
    return shortcut::value;
}

// Exact powers of ten.
constexpr std::array<double, 16> tens{
    1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// "%lf": an optional sign, then digits with at most one point among them (at most 15 digits in
// all, at least one), followed by anything that cannot continue a number (not a digit, an
// exponent or the x of a hexadecimal number).  Its value is m / 10^d, m the integer of all the
// digits and d the count of digits after the point: both are exact doubles, so the IEEE
// division rounds the exact quotient correctly, as sscanf does.
shortcut decimal_real(std::string_view s, double& value) noexcept
{
    bool negative = false;
    std::size_t i = skip_sign(s, negative);
    long long m = 0;
    int digits = 0, decimals = 0;
    bool point = false;
    for (;; ++i) {
        const char c = at(s, i);
        if (is_digit(c)) {
            if (++digits > 15)
                return shortcut::undecided;
            m = m * 10 + (c - '0');
            decimals += point ? 1 : 0;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    const char next = at(s, i);
    if (digits == 0 || next == 'e' || next == 'E' || next == 'x' || next == 'X')
        return shortcut::undecided;
    const double magnitude = static_cast<double>(m) / tens[static_cast<std::size_t>(decimals)];
    value = negative ? -magnitude : magnitude;
    return shortcut::value;
}

shortcut plain_number(std::string_view text, double& value) noexcept
{
    return decimal_real(text, value);
}
shortcut plain_number(std::string_view text, int& value) noexcept
{
    return decimal_integer(text, value);
}
template <class T>
constexpr const char* format_of = std::is_same_v<T, double> ? "%lf" : "%d";

// sscanf on a terminated copy of the text (which starts with no white space).
template <class T>
scan_result by_sscanf(std::string_view text, T& target) noexcept
{
    std::array<char, 64> small{};
    int result = 0;
    if (text.size() < small.size()) {
        text.copy(small.data(), text.size());
        result = std::sscanf(small.data(), format_of<T>, &target);
    } else {
        const std::string copy(text);
        result = std::sscanf(copy.c_str(), format_of<T>, &target);
    }
    return result == 1 ? scan_result::converted
                       : (result == 0 ? scan_result::no_number : scan_result::blank);
}

template <class T>
scan_result scan(std::string_view line, int first, int last, T& target) noexcept
{
    if (first < 0 || first > last || static_cast<std::size_t>(first) >= line.size())
        return scan_result::blank;
    const auto width = static_cast<std::size_t>(last) - static_cast<std::size_t>(first) + 1;
    std::string_view field = line.substr(static_cast<std::size_t>(first), width);
    field = field.substr(0, field.find('\0'));
    std::size_t start = 0;
    while (start < field.size() && is_space(field[start]))
        ++start;
    field.remove_prefix(start);
    if (field.empty())
        return scan_result::blank;
    if (plain_number(field, target) == shortcut::value)
        return scan_result::converted;
    return by_sscanf(field, target);
}

} // namespace

scan_result scan_field(std::string_view line, int first, int last, double& target) noexcept
{
    return scan(line, first, last, target);
}

scan_result scan_field(std::string_view line, int first, int last, int& target) noexcept
{
    return scan(line, first, last, target);
}

} // namespace meanflux
