#include "plot/svg_text.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace meanflux {

void append_format(std::string& svg, const char* format, ...)
{
    char buf[512];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    if (n > 0)
        svg.append(buf, static_cast<std::size_t>(std::min<int>(n, sizeof buf - 1)));
}

namespace {

// Length of the valid UTF-8 character at the start of `s` whose code point XML allows, or 0.
std::size_t utf8_character(std::string_view s) noexcept
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char b = byte(0);
    if (b < 0x80) // tab, line feed and carriage return are the only controls XML takes
        return b >= 0x20 || b == '\t' || b == '\n' || b == '\r' ? 1 : 0;
    std::size_t length = 0;
    char32_t code = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
        code = b & 0x1Fu;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        code = b & 0x0Fu;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        code = b & 0x07u;
    } else
        return 0;
    if (s.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0u) != 0x80u)
            return 0;
        code = (code << 6) | (byte(i) & 0x3Fu);
    }
    const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) ||
        code == 0xFFFE || code == 0xFFFF)
        return 0; // overlong, beyond Unicode, a surrogate, or a non-character XML refuses
    return length;
}

} // namespace

std::string xml_text(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const std::size_t n = utf8_character(text);
        if (n == 0) {
            out += "\uFFFD";
            text.remove_prefix(1);
            continue;
        }
        switch (text[0]) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            out.append(text.substr(0, n));
        }
        text.remove_prefix(n);
    }
    return out;
}

} // namespace meanflux
