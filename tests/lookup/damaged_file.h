// Combined mean-flux files damaged at random, for tests that compare two readers of them.
#pragma once

#include <cstdio>
#include <random>
#include <string>
#include <string_view>

namespace meanflux::test {

// A damaged copy of a file: records left out, LF line ends, records cut short, stray and
// overwritten bytes, blank and "nan" fields, a cut-off file, another header.
inline std::string damaged(std::string text, std::mt19937& random)
{
    const auto pick = [&random](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n == 0 ? 0 : n - 1)(random);
    };
    const auto record_start = [&](const std::string& t) {
        const std::size_t header = t.find('\n') + 1;
        return header + 49 * pick((t.size() - header) / 49 + 1);
    };
    constexpr std::string_view noise = "0123456789 .-+\r\n\0naeE";
    const std::size_t damages = 1 + pick(4);
    for (std::size_t k = 0; k < damages && text.size() > 20; ++k) {
        const std::size_t at = std::min(record_start(text), text.size() - 1);
        switch (pick(9)) {
        case 0: // a day left out
            text.erase(at, 49);
            break;
        case 1: // LF line ends from here on, for a while
            for (std::size_t i = at, n = 0; i < text.size() && n < 200; ++i)
                if (text[i] == '\r' && (++n, true))
                    text.erase(i, 1);
            break;
        case 2: // a record cut short
            text.erase(at + pick(48), 1 + pick(40));
            break;
        case 3: // stray bytes
            text.insert(at + pick(49), std::string(1 + pick(3), noise[pick(noise.size())]));
            break;
        case 4: // bytes overwritten
            for (std::size_t i = 0, n = 1 + pick(6); i < n; ++i)
                text[std::min(at + pick(49), text.size() - 1)] = noise[pick(noise.size())];
            break;
        case 5: // a blank field
            text.replace(std::min(at + 5 + pick(40), text.size()), 3, "   ");
            break;
        case 6: // a flux field that holds no number
            text.replace(std::min(at + 27 + 5 * pick(4), text.size()), 5, "  nan");
            break;
        case 7: // the file ends early
            text.resize(at + pick(49));
            break;
        case 8: { // another range in the header
            int first = 0, last = 0;
            std::sscanf(text.c_str(), "%5d%5d", &first, &last);
            char header[32];
            std::snprintf(header,
                          sizeof header,
                          "%5d%5d",
                          first - 5 + static_cast<int>(pick(11)),
                          last - 400 + static_cast<int>(pick(500)));
            text.replace(0, 10, header);
            break;
        }
        }
    }
    return text;
}

} // namespace meanflux::test
