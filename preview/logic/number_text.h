// Number text after an address letter, read as the numeric commands read it: an optional
// leading "-", then a run of digits and "."; its value is that of the longest leading decimal
// part ("1.2.3" is 1.2, "" / "-" / "." are 0).
#pragma once

#include <charconv>
#include <cstdint>

namespace zorvan::preview {

struct NumberText {
    double value = 0;
    bool hasPoint = false;  // a "." was written (the least-input-increment reading scales the rest)
    bool empty = true;      // no digit at all
    bool twoPoints = false; // a second "." came: no control reads the number
};

inline bool isDigitChar(char c)
{
    return c >= '0' && c <= '9';
}

// Reads at p (p moves past the whole run, also a tail the value ignores).
inline NumberText readNumberText(const char*& p, const char* end, bool allowSign = true)
{
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    NumberText n;
    const char* start = p;
    bool negative = false;
    if (allowSign && p < end && *p == '-') {
        negative = true;
        ++p;
    }
    std::uint64_t digits = 0;
    int significant = 0, fraction = 0;
    bool inFraction = false;
    const char* valueEnd = nullptr;  // end of the leading decimal part when a second "." came
    for (; p < end; ++p) {
        char c = *p;
        if (isDigitChar(c)) {
            n.empty = false;
            if (valueEnd)
                continue;
            if (digits != 0 || c != '0')
                ++significant;
            digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
            if (inFraction)
                ++fraction;
        } else if (c == '.') {
            if (inFraction) {
                n.twoPoints = true;
                if (!valueEnd)
                    valueEnd = p;
            } else {
                inFraction = true;
                n.hasPoint = true;
            }
        } else {
            break;
        }
    }
    if (n.empty)
        return n;
    if (significant <= 15 && fraction <= 22) {
        // Both exact doubles, so one division rounds correctly.
        n.value = static_cast<double>(digits) / kPowers[fraction];
    } else {
        const char* from = start + (negative ? 1 : 0);
        const char* to = valueEnd ? valueEnd : p;
        if (*from == '.') {
            // from_chars wants a digit before the point.
            char buffer[400];
            int length = static_cast<int>(to - from);
            if (length > 398)
                length = 398;
            buffer[0] = '0';
            for (int i = 0; i < length; ++i)
                buffer[i + 1] = from[i];
            std::from_chars(buffer, buffer + length + 1, n.value);
        } else {
            std::from_chars(from, to, n.value);
        }
    }
    if (negative)
        n.value = -n.value;
    return n;
}

}  // namespace zorvan::preview
