#include "preview/logic/stock/tool_shape.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <initializer_list>
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

// A tool number as a T word can carry it: a whole number of at most eight digits.
std::optional<int> toolNumberOf(double value)
{
    if (!(value >= 0 && value <= 99999999) || value != std::floor(value))
        return std::nullopt;
    return static_cast<int>(value);
}

// Sizes past this (mm) are no tool's: a text that gives one gives no size that can be used.
constexpr double kLargestToolSize = 10000;

bool isAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
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

bool containsAny(std::string_view text, std::initializer_list<std::string_view> words)
{
    return std::any_of(words.begin(), words.end(), [&](std::string_view w) { return containsWord(text, w); });
}

// The number at `at` (digits and at most one "."), or empty; `at` moves past the run of digits and
// points. A run with a second point ("3..175") is no number.
std::optional<double> numberAt(std::string_view text, std::size_t& at)
{
    std::size_t end = at;
    int points = 0, digits = 0;
    while (end < text.size() && (isDigit(text[end]) || text[end] == '.')) {
        points += text[end] == '.';
        digits += text[end] != '.';
        ++end;
    }
    if (end == at)
        return std::nullopt;
    const std::string_view run = text.substr(at, end - at);
    at = end;
    if (points > 1 || digits == 0)
        return std::nullopt;
    // from_chars wants a digit before the point.
    char buffer[64];
    if (run.size() + 1 >= sizeof buffer)
        return std::nullopt;
    buffer[0] = '0';
    run.copy(buffer + 1, run.size());
    double value = 0;
    auto [ptr, ec] = std::from_chars(buffer, buffer + run.size() + 1, value);
    if (ec != std::errc() || ptr != buffer + run.size() + 1)
        return std::nullopt;
    return value;
}

// Skips the blanks and marks between a key and its number: "DIA. - 6.", "D=3.", "TOOL NO. 1".
std::size_t skipSeparators(std::string_view text, std::size_t at)
{
    for (;;) {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '=' || text[at] == ':' ||
                                    text[at] == '-' || text[at] == '#'))
            ++at;
        if (text.size() - at >= 3 && upper(text[at]) == 'N' && upper(text[at + 1]) == 'O' && text[at + 2] == '.')
            at += 3;
        else if (text.size() - at >= 6 && containsWord(text.substr(at, 6), "NUMBER"))
            at += 6;
        else
            return at;
    }
}

enum class Kind { Drill, Cone, Ball, BullNose, Flat };

std::optional<Kind> kindWord(std::string_view text)
{
    if (containsAny(text, {"DRILL", "ドリル"}))
        return Kind::Drill;
    if (containsAny(text, {"CHAMFER", "COUNTERSINK", "COUNTER SINK", "V-BIT", "VBIT", "面取り"}))
        return Kind::Cone;
    if (containsAny(text, {"BALL", "ボール"}))
        return Kind::Ball;
    if (containsAny(text, {"BULL", "RADIUS", "ブル", "ラジアス"}))
        return Kind::BullNose;
    if (containsAny(text, {"FLAT", "SQUARE", "END MILL", "ENDMILL", "FACE MILL", "フラット", "スクエア", "エンドミル"}))
        return Kind::Flat;
    return std::nullopt;
}

// What a comment or a table line says of a tool.
struct ToolWords {
    std::optional<int> number;
    std::optional<double> diameter, radius, pointAngle, taper, length, millimetres, degrees;
    bool sizeWord = false;  // a size was asked for ("D=", "DIA.", "CR="), whether it could be read or not
};

ToolWords readToolWords(std::string_view text)
{
    ToolWords words;
    auto keyed = [&](std::size_t& at, std::optional<double>& slot) {
        words.sizeWord = true;
        std::size_t from = skipSeparators(text, at);
        if (from < text.size() && (isDigit(text[from]) || text[from] == '.')) {
            at = from;
            if (auto value = numberAt(text, at); value && !slot)
                slot = value;
        }
    };
    for (std::size_t i = 0; i < text.size();) {
        if (text.substr(i, 2) == "φ" || text.substr(i, 2) == "Φ" || text.substr(i, 2) == "ø") {
            i += 2;
            keyed(i, words.diameter);
            continue;
        }
        const bool wordStart = i == 0 || !isAsciiLetter(text[i - 1]);
        if (wordStart && isAsciiLetter(text[i])) {
            std::size_t end = i;
            while (end < text.size() && isAsciiLetter(text[end]))
                ++end;
            std::string word;
            for (std::size_t k = i; k < end; ++k)
                word += upper(text[k]);
            if (end < text.size() && text[end] == '.' && word.size() > 1)
                ++end;  // "DIA.", "RAD."
            const bool valueNext = end < text.size() && (isDigit(text[end]) || text[end] == '.' || text[end] == '=');
            if (word.size() == 1 && valueNext) {
                std::size_t at = end;
                switch (word[0]) {
                case 'T': {
                    if (auto value = numberAt(text, at); value && !words.number)
                        words.number = toolNumberOf(*value);
                    break;
                }
                case 'D': keyed(at, words.diameter); break;
                case 'R': keyed(at, words.radius); break;
                case 'A': keyed(at, words.pointAngle); break;
                case 'L': keyed(at, words.length); break;
                default: numberAt(text, at); break;  // a word of its own ("X900"), passed over
                }
                i = std::max(at, end);
                continue;
            }
            std::size_t at = end;
            if (word == "DIA" || word == "DIAM" || word == "DIAMETER") {
                std::optional<double> value;
                keyed(at, value);
                if (value)
                    words.diameter = value;  // the last one: Mastercam's "DIA. OFF. - 1 ... DIA. - 6."
            } else if (word == "CR" || word == "RAD" || word == "RADIUS") {
                keyed(at, words.radius);
            } else if (word == "TAPER") {
                keyed(at, words.taper);
            } else if (word == "ZMIN" || word == "ZMAX" || word == "LEN") {
                const std::size_t from = skipSeparators(text, at);
                at = from;
                numberAt(text, at);  // not a size: its number is passed over
            } else if (word == "TOOL") {
                const std::size_t from = skipSeparators(text, at);
                std::size_t to = from;
                if (auto value = numberAt(text, to); value && !words.number && toolNumberOf(*value)) {
                    words.number = toolNumberOf(*value);
                    at = to;
                }
            }
            i = std::max(at, end);
            continue;
        }
        if (isDigit(text[i]) || (text[i] == '.' && i + 1 < text.size() && isDigit(text[i + 1]))) {
            // A number of its own: "5mm", "1. RAD", "60 DEGREE".
            std::size_t at = i;
            const auto value = numberAt(text, at);
            std::size_t next = at;
            while (next < text.size() && text[next] == ' ')
                ++next;
            std::size_t wordEnd = next;
            while (wordEnd < text.size() && isAsciiLetter(text[wordEnd]))
                ++wordEnd;
            std::string word;
            for (std::size_t k = next; k < wordEnd; ++k)
                word += upper(text[k]);
            if (value && word == "MM") {
                words.millimetres = value;
            } else if (value && word == "RAD" && !words.radius) {
                words.radius = value;
                words.sizeWord = true;
            } else if (value && (word == "DEG" || word == "DEGREE" || word == "DEGREES")) {
                words.degrees = value;
            }
            i = at;
            continue;
        }
        ++i;
    }
    return words;
}

// The shape the words describe, when they give a size.
std::optional<ToolShape> shapeOf(std::string_view text, const ToolWords& words)
{
    const bool hasR = words.radius.has_value();
    const double r = words.radius.value_or(0);
    ToolShape shape;
    if (words.diameter)
        shape.diameter = *words.diameter;
    else if (words.millimetres)
        shape.diameter = *words.millimetres;
    else
        shape.diameter = 2 * r;
    const std::optional<Kind> kind = kindWord(text);
    if (kind == Kind::Drill || kind == Kind::Cone) {
        shape.kind = ToolKind::Drill;
        // A drill's taper is its point angle, a chamfer mill's is half of it.
        double angle = kind == Kind::Drill ? 118 : 90;
        if (words.pointAngle)
            angle = *words.pointAngle;
        else if (words.taper)
            angle = kind == Kind::Drill ? *words.taper : 2 * *words.taper;
        else if (words.degrees)
            angle = *words.degrees;
        if (angle > 0 && angle < 180)
            shape.pointAngle = angle;
    } else if (kind == Kind::Ball) {
        shape.kind = ToolKind::Ball;
    } else if (kind == Kind::BullNose) {
        shape.kind = ToolKind::BullNose;
    } else if (kind == Kind::Flat || !hasR || r == 0) {
        shape.kind = ToolKind::Flat;
    } else if (!(words.diameter || words.millimetres) || 2 * r >= shape.diameter) {
        shape.kind = ToolKind::Ball;
    } else {
        shape.kind = ToolKind::BullNose;
    }
    if (shape.kind == ToolKind::Ball)
        shape.cornerRadius = shape.diameter / 2;
    else if (shape.kind == ToolKind::BullNose)
        shape.cornerRadius = std::min(r, shape.diameter / 2);
    shape.length = words.length.value_or(0);
    if (!(shape.diameter > 0 && shape.diameter <= kLargestToolSize) ||
        !(shape.length >= 0 && shape.length <= kLargestToolSize))
        return std::nullopt;
    return shape;
}

// FreeCAD's tool-controller comment: "TC: <label>", also inside "begin operation: TC: <label>".
bool isToolControllerComment(std::string_view text)
{
    const std::size_t at = text.find("TC:");
    return at != std::string_view::npos && (at == 0 || !isAsciiLetter(text[at - 1]));
}

// The number of the first T word in the code after `from` (comments passed over), within a few lines.
std::optional<int> nextToolChange(std::string_view program, std::size_t from)
{
    int lines = 0;
    for (std::size_t i = from; i < program.size(); ++i) {
        const char c = program[i];
        if (c == '\n' && ++lines > 4)
            return std::nullopt;
        if (c == '(') {
            const std::size_t close = program.find_first_of(")\n", i + 1);
            if (close == std::string_view::npos)
                return std::nullopt;
            i = program[close] == ')' ? close : close - 1;
            continue;
        }
        if ((c == 'T' || c == 't') && (i == 0 || !isAsciiLetter(program[i - 1])) && i + 1 < program.size() &&
            isDigit(program[i + 1])) {
            std::size_t at = i + 1;
            if (auto value = numberAt(program, at))
                return toolNumberOf(*value);
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<ToolEntry> readToolText(std::string_view text)
{
    const ToolWords words = readToolWords(text);
    if (!words.number)
        return std::nullopt;
    auto shape = shapeOf(text, words);
    if (!shape)
        return std::nullopt;
    return ToolEntry{*words.number, *shape};
}

std::vector<UnreadToolComment> addToolsFromComments(std::string_view program, ToolTable& table)
{
    std::vector<UnreadToolComment> unread;
    std::uint32_t line = 0;
    std::size_t counted = 0;  // the line breaks before this byte are counted
    for (std::size_t open = program.find('('); open != std::string_view::npos; open = program.find('(', open + 1)) {
        const std::size_t close = program.find_first_of(")\n", open + 1);
        const std::size_t end = close == std::string_view::npos ? program.size() : close;
        const std::string_view text = program.substr(open + 1, end - open - 1);
        ToolWords words = readToolWords(text);
        const bool controller = isToolControllerComment(text);
        if (controller && !words.number)
            words.number = nextToolChange(program, end);
        if (!words.number && !controller)
            continue;
        if (words.number)
            if (auto shape = shapeOf(text, words)) {
                table.emplace(*words.number, *shape);
                continue;
            }
        // A comment that names a tool and says what it is, without a size that can be read.
        if (!controller && !words.sizeWord && !kindWord(text))
            continue;
        line += static_cast<std::uint32_t>(std::count(program.begin() + static_cast<long>(counted),
                                                      program.begin() + static_cast<long>(open), '\n'));
        counted = open;
        const int number = words.number.value_or(-1);
        const bool seen = std::any_of(unread.begin(), unread.end(), [&](const UnreadToolComment& u) {
            return number >= 0 ? u.number == number : u.text == text;
        });
        if (!seen)
            unread.push_back({line, number, std::string(text)});
    }
    std::erase_if(unread, [&](const UnreadToolComment& u) { return u.number >= 0 && table.count(u.number); });
    return unread;
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
