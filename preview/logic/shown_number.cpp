#include "preview/logic/shown_number.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace zorvan::preview {

std::string shownNumber(double value, int decimals)
{
    if (std::isnan(value))
        return "—";
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    char buffer[64];
    const auto format = std::fabs(value) < 1e15 ? std::chars_format::fixed : std::chars_format::scientific;
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, format, decimals);
    std::string text(buffer, ec == std::errc() ? end : buffer);
    if (text.size() > 1 && text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1);
    return text;
}

std::string shownDuration(double minutes)
{
    constexpr double kMostHours = 1e6;
    if (!(minutes >= 0) || minutes > kMostHours * 60)
        return "—";
    const long seconds = std::lround(minutes * 60);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return buffer;
}

}  // namespace zorvan::preview
