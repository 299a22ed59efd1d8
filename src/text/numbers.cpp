#include "text/numbers.h"

#include <charconv>
#include <cstring>

namespace meanflux {

namespace {

bool all_digits(std::string_view text) noexcept
{
    if (text.empty())
        return false;
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

} // namespace

bool parse_whole_number(std::string_view text, int& value) noexcept
{
    const bool negative = !text.empty() && text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    if (!all_digits(text) || text.size() > 9)
        return false;
    int n = 0;
    for (const char c : text)
        n = n * 10 + (c - '0');
    value = negative ? -n : n;
    return true;
}

bool parse_decimal_number(std::string_view text, double& value) noexcept
{
    if (text.size() > 32)
        return false;
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '-')
        digits.remove_prefix(1);
    const std::size_t point = digits.find('.');
    if (!all_digits(digits.substr(0, point)) ||
        (point != std::string_view::npos && !all_digits(digits.substr(point + 1))))
        return false;
    double v = 0.0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), v, std::chars_format::fixed);
    if (error != std::errc{} || end != text.data() + text.size())
        return false;
    value = v;
    return true;
}

} // namespace meanflux
