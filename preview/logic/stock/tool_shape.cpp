#include "preview/logic/stock/tool_shape.h"

#include <charconv>
#include <cmath>
#include <numbers>

namespace zorvan::preview::stock {

double ToolShape::rise(double distance) const
{
    switch (kind) {
    case ToolKind::Flat:
        return 0;
    case ToolKind::Ball:
    case ToolKind::BullNose: {
        const double flat = radius() - cornerRadius;
        if (distance <= flat)
            return 0;
        const double d = distance - flat;
        return cornerRadius - std::sqrt(std::max(0.0, cornerRadius * cornerRadius - d * d));
    }
    case ToolKind::Drill:
        return distance / std::tan(pointAngle / 2 * std::numbers::pi / 180);
    }
    return 0;
}

namespace {

bool isAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool containsWord(std::string_view text, std::string_view word)
{
    for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < word.size() && upper(text[i + k]) == word[k])
            ++k;
        if (k == word.size())
            return true;
    }
    return false;
}

// The number at `at` (digits and "."), or empty; `at` moves past it.
std::optional<double> numberAt(std::string_view text, std::size_t& at)
{
    std::size_t end = at;
    while (end < text.size() && ((text[end] >= '0' && text[end] <= '9') || text[end] == '.'))
        ++end;
    double value = 0;
    auto [ptr, ec] = std::from_chars(text.data() + at, text.data() + end, value);
    if (ec != std::errc() || ptr == text.data() + at)
        return std::nullopt;
    at = static_cast<std::size_t>(ptr - text.data());
    return value;
}

std::optional<ToolKind> kindWord(std::string_view text)
{
    if (containsWord(text, "DRILL") || containsWord(text, "ドリル"))
        return ToolKind::Drill;
    if (containsWord(text, "BALL") || containsWord(text, "ボール"))
        return ToolKind::Ball;
    if (containsWord(text, "BULL") || containsWord(text, "RADIUS") || containsWord(text, "ブル") ||
        containsWord(text, "ラジアス"))
        return ToolKind::BullNose;
    if (containsWord(text, "FLAT") || containsWord(text, "SQUARE") || containsWord(text, "フラット") ||
        containsWord(text, "スクエア"))
        return ToolKind::Flat;
    return std::nullopt;
}

}  // namespace

std::optional<ToolEntry> readToolText(std::string_view text)
{
    std::optional<int> number;
    double values[26] = {};
    bool given[26] = {};
    for (std::size_t i = 0; i < text.size();) {
        const bool wordStart = i == 0 || !isAsciiLetter(text[i - 1]);
        std::size_t at = i;
        char letter = 0;
        if (text.substr(i, 2) == "φ" || text.substr(i, 2) == "Φ" || text.substr(i, 2) == "ø") {
            letter = 'D', at = i + 2;
        } else if (wordStart && isAsciiLetter(text[i])) {
            letter = upper(text[i]), at = i + 1;
        }
        if (letter) {
            if (auto value = numberAt(text, at)) {
                if (letter == 'T' && !number && *value == std::floor(*value))
                    number = static_cast<int>(*value);
                else if (letter != 'T') {
                    values[letter - 'A'] = *value;
                    given[letter - 'A'] = true;
                }
                i = at;
                continue;
            }
        }
        ++i;
    }
    const bool hasD = given['D' - 'A'], hasR = given['R' - 'A'];
    if (!number || (!hasD && !hasR))
        return std::nullopt;
    ToolShape shape;
    const double r = values['R' - 'A'];
    shape.diameter = hasD ? values['D' - 'A'] : 2 * r;
    const auto kind = kindWord(text);
    if (kind)
        shape.kind = *kind;
    else if (!hasR || r == 0)
        shape.kind = ToolKind::Flat;
    else if (!hasD || 2 * r >= shape.diameter)
        shape.kind = ToolKind::Ball;
    else
        shape.kind = ToolKind::BullNose;
    if (shape.kind == ToolKind::Ball)
        shape.cornerRadius = shape.diameter / 2;
    else if (shape.kind == ToolKind::BullNose)
        shape.cornerRadius = std::min(r, shape.diameter / 2);
    if (given['A' - 'A'] && values['A' - 'A'] > 0 && values['A' - 'A'] < 180)
        shape.pointAngle = values['A' - 'A'];
    shape.length = values['L' - 'A'];
    if (!(shape.diameter > 0))
        return std::nullopt;
    return ToolEntry{*number, shape};
}

void addToolsFromComments(std::string_view program, ToolTable& table)
{
    for (std::size_t open = program.find('('); open != std::string_view::npos; open = program.find('(', open + 1)) {
        const std::size_t close = program.find_first_of(")\n", open + 1);
        const std::size_t end = close == std::string_view::npos ? program.size() : close;
        if (auto entry = readToolText(program.substr(open + 1, end - open - 1)))
            table.emplace(entry->number, entry->shape);
    }
}

int readToolTable(std::string_view text, ToolTable& table)
{
    int lineNumber = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (line.empty() || line.front() == '#')
            continue;
        auto entry = readToolText(line);
        if (!entry)
            return lineNumber;
        table[entry->number] = entry->shape;
    }
    return 0;
}

}  // namespace zorvan::preview::stock
