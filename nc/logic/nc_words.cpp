#include "nc/logic/nc_words.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <limits>

namespace zorvan::nc {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Room for every digit of the largest double in fixed notation, its sign and point.
constexpr std::size_t kFixedIntegerRoom = std::numeric_limits<double>::max_exponent10 + 8;

// The value of a short plain decimal text ("-12.345") computed exactly: the digits as a whole
// number no larger than 2^53 divided by a power of ten up to 10^22 are both exact doubles, and one
// division rounds correctly, so the result equals from_chars. False when the text is longer.
bool shortDecimalValue(std::string_view text, bool negative, double& value)
{
    static constexpr double powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    std::uint64_t digits = 0;
    int fractionDigits = 0, counted = 0;
    bool inFraction = false;
    for (char c : text) {
        if (c == '.') {
            inFraction = true;
            continue;
        }
        if (!isDigit(c))
            continue;  // the sign
        if (++counted > 19)
            return false;
        digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
        fractionDigits += inFraction;
    }
    if (digits > (std::uint64_t{1} << 53) || fractionDigits > 22)
        return false;
    value = static_cast<double>(digits) / powers[fractionDigits];
    if (negative)
        value = -value;
    return true;
}

// "%.Nf" of a value below 10^9 with up to nine places, by exact integer arithmetic: the value is
// m * 2^e, so value * 10^places = m * 5^places * 2^(e + places), rounded to the nearest whole
// number with ties to even, as printf rounds. False when the value is outside that range.
bool shortFixedText(double value, int places, std::string& out)
{
    static constexpr std::uint64_t powers5[] = {1, 5, 25, 125, 625, 3125, 15625, 78125, 390625, 1953125};
    if (places > 9 || !std::isfinite(value) || std::fabs(value) >= 1e9)
        return false;
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const int biasedExponent = static_cast<int>((bits >> 52) & 0x7FF);
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    int exponent = -1074;  // subnormal
    if (biasedExponent != 0) {
        mantissa |= std::uint64_t{1} << 52;
        exponent = biasedExponent - 1075;
    }
    const int shift = exponent + places;
    unsigned __int128 scaled = static_cast<unsigned __int128>(mantissa) * powers5[places];
    std::uint64_t whole;
    if (shift >= 0) {
        whole = static_cast<std::uint64_t>(scaled << shift);
    } else if (-shift >= 100) {
        whole = 0;  // below 2^76 / 2^100: rounds to zero
    } else {
        const int down = -shift;
        unsigned __int128 quotient = scaled >> down;
        unsigned __int128 rest = scaled - (quotient << down);
        unsigned __int128 half = static_cast<unsigned __int128>(1) << (down - 1);
        if (rest > half || (rest == half && (quotient & 1)))
            ++quotient;
        whole = static_cast<std::uint64_t>(quotient);
    }
    // The digits of value * 10^places, at least one before the point.
    char buffer[32];
    char* end = buffer + sizeof buffer;
    char* p = end;
    int digits = 0;
    do {
        *--p = static_cast<char>('0' + whole % 10);
        whole /= 10;
        if (++digits == places)
            *--p = '.';
    } while (whole > 0 || digits <= places);
    if (std::signbit(value))
        *--p = '-';
    out.assign(p, end);
    return true;
}

}  // namespace

LineRange numericLineRange(const TextEditor& editor)
{
    LineRange range;
    long start = editor.selectionStart();
    long length = editor.selectionLength();
    if (length > 0) {
        range.hadSelection = true;
        range.selStart = start;
        range.selLength = length;
        range.first = editor.lineFromPosition(start);
        range.last = editor.lineFromPosition(start + length - 1);
    } else {
        range.first = 0;
        range.last = editor.lineCount() - 1;
        range.caretLine = editor.lineFromPosition(start);
        range.caretColumn = start - editor.positionFromLine(range.caretLine);
    }
    return range;
}

const char* numberProblemText(NumberProblem problem)
{
    switch (problem) {
    case NumberProblem::None: break;
    case NumberProblem::TwoPoints: return "小数点が二つ";
    case NumberProblem::NoDigit: return "数字がない";
    case NumberProblem::SignAfterPoint: return "小数点の後に符号";
    case NumberProblem::StrayPoint: return "離れた小数点";
    }
    return "";
}

NumberProblem numberProblem(std::string_view line, std::size_t from, std::size_t to, std::size_t& wordEnd)
{
    wordEnd = to;
    int points = 0;
    bool digits = false;
    for (std::size_t i = from; i < to; ++i) {
        points += line[i] == '.';
        digits = digits || isDigit(line[i]);
    }
    NumberProblem problem = NumberProblem::None;
    if (points > 1)
        problem = NumberProblem::TwoPoints;
    else if (points == 1 && !digits)
        problem = NumberProblem::NoDigit;
    else if (points == 1 && to < line.size() && (line[to] == '-' || line[to] == '+'))
        problem = NumberProblem::SignAfterPoint;
    if (problem != NumberProblem::None) {
        // A sign and digits straight after belong to the word as a control reads it ("X.-5").
        if (to < line.size() && (line[to] == '-' || line[to] == '+')) {
            wordEnd = to + 1;
            while (wordEnd < line.size() && (isDigit(line[wordEnd]) || line[wordEnd] == '.'))
                ++wordEnd;
        }
        return problem;
    }
    if (!digits)
        return NumberProblem::None;  // no number at all ("(X AXIS)"): nothing to read wrongly
    // Controls read a word across blanks: a point after them belongs to this number.
    std::size_t next = to;
    while (next < line.size() && (line[next] == ' ' || line[next] == '\t'))
        ++next;
    if (next == to || next >= line.size() || line[next] != '.')
        return NumberProblem::None;
    const bool digitAfter = next + 1 < line.size() && isDigit(line[next + 1]);
    if (digitAfter && points == 0)
        return NumberProblem::None;  // "X1 .5": a fraction after blanks
    wordEnd = next + 1;
    while (wordEnd < line.size() && (isDigit(line[wordEnd]) || line[wordEnd] == '.'))
        ++wordEnd;
    return digitAfter ? NumberProblem::TwoPoints : NumberProblem::StrayPoint;
}

std::optional<AddressWord> readAddressWord(std::string_view line, char letter)
{
    std::size_t at = line.find(letter);
    if (at == std::string_view::npos)
        return std::nullopt;
    std::size_t from = at + 1;
    std::size_t end = from;
    if (end < line.size() && line[end] == '-')
        ++end;
    while (end < line.size() && (isDigit(line[end]) || line[end] == '.'))
        ++end;
    AddressWord word;
    word.letterAt = at;
    word.numberLength = end - from;
    std::size_t wordEnd = end;
    word.problem = numberProblem(line, from, end, wordEnd);
    word.wordLength = wordEnd - at;
    if (word.problem == NumberProblem::None)
        word.value = numberTextValue(line.substr(from, end - from));
    return word;
}

void addUnreadableWords(std::string_view line, int lineIndex, std::vector<UnreadableWord>& out)
{
    for (std::size_t i = 0; i < line.size();) {
        const char c = line[i];
        if (c == '(') {
            const std::size_t close = line.find(')', i);
            i = close == std::string_view::npos ? line.size() : close + 1;
        } else if (c >= 'A' && c <= 'Z') {
            std::size_t from = i + 1, end = from;
            if (end < line.size() && line[end] == '-')
                ++end;
            while (end < line.size() && (isDigit(line[end]) || line[end] == '.'))
                ++end;
            std::size_t wordEnd = end;
            if (NumberProblem problem = numberProblem(line, from, end, wordEnd); problem != NumberProblem::None)
                out.push_back({lineIndex, i, std::string(line.substr(i, wordEnd - i)), problem});
            i = std::max(wordEnd, i + 1);
        } else if (c == '.' || (isDigit(c) && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t'))) {
            // A number that follows no letter and was not taken by the word before it: a point
            // alone in the block ("N210 ." is taken by its word; ". " alone is not).
            std::size_t end = i;
            bool point = false;
            while (end < line.size() && (isDigit(line[end]) || line[end] == '.')) {
                point = point || line[end] == '.';
                ++end;
            }
            if (point && c == '.' && (end == i + 1))
                out.push_back({lineIndex, i, ".", NumberProblem::StrayPoint});
            i = end;
        } else {
            ++i;
        }
    }
}

std::vector<UnreadableWord> unreadableFirstWords(std::string_view text, int firstLine, std::string_view letters)
{
    std::vector<UnreadableWord> found;
    int lineIndex = firstLine;
    for (;;) {
        const std::size_t at = text.find('\n');
        std::string_view line = text.substr(0, at);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        for (char letter : letters)
            if (auto word = readAddressWord(line, letter); word && word->problem != NumberProblem::None)
                found.push_back({lineIndex, word->letterAt, std::string(line.substr(word->letterAt, word->wordLength)),
                                 word->problem});
        if (at == std::string_view::npos)
            break;
        text.remove_prefix(at + 1);
        ++lineIndex;
    }
    return found;
}

std::vector<UnreadableWord> unreadableFirstWords(const TextEditor& editor, std::string_view letters)
{
    const LineRange range = numericLineRange(editor);
    if (range.count() == 0)
        return {};
    const LineSpan span = lineSpan(editor, range.first, range.last);
    std::string buffer;
    return unreadableFirstWords(editor.textView(span.start, span.length, buffer), range.first, letters);
}

std::string unreadableWordsMessage(const std::vector<UnreadableWord>& words, std::string_view heading)
{
    constexpr std::size_t kShown = 20;
    std::string text(heading);
    for (std::size_t i = 0; i < words.size() && i < kShown; ++i)
        text += "\n" + std::to_string(words[i].line) + " 行目 " + words[i].word + " (" +
                numberProblemText(words[i].reason) + ")";
    if (words.size() > kShown)
        text += "\nほか " + std::to_string(words.size() - kShown) + " 件";
    return text;
}

double numberTextValue(std::string_view text)
{
    std::size_t i = 0;
    bool negative = i < text.size() && text[i] == '-';
    if (negative)
        ++i;
    std::size_t integerFrom = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    std::size_t integerDigits = i - integerFrom;
    std::size_t end = i;
    if (i < text.size() && text[i] == '.') {
        ++i;
        std::size_t fractionFrom = i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
        if (integerDigits > 0 || i > fractionFrom)
            end = i;
    }
    if (end == integerFrom)  // no digit at all: "", "-", ".", "-."
        return 0.0;

    double value = 0;
    if (shortDecimalValue(text.substr(0, end), negative, value))
        return value;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + end, value);
    if (ec == std::errc::result_out_of_range) {
        // Too large when a non-zero digit stands before the point; else too small to show.
        bool large = text.substr(integerFrom, integerDigits).find_first_not_of('0') != std::string_view::npos;
        double magnitude = large ? std::numeric_limits<double>::infinity() : 0.0;
        return negative ? -magnitude : magnitude;
    }
    return value;
}

void replaceNumberText(std::string& line, const AddressWord& word, std::string_view newText)
{
    line.replace(word.letterAt + 1, word.numberLength, newText);
}

std::string fixedText(double value, int places)
{
    if (places < 0)
        places = 0;
    if (std::string text; shortFixedText(value, places, text))
        return text;
    const std::size_t room = kFixedIntegerRoom + static_cast<std::size_t>(places);
    char small[512];
    std::string large;
    char* first = small;
    if (room > sizeof small) {
        large.resize(room);
        first = large.data();
    }
    auto [end, ec] = std::to_chars(first, first + room, value, std::chars_format::fixed, places);
    return ec == std::errc() ? std::string(first, end) : std::string();
}

std::string wholeText(double value)
{
    double whole = std::floor(value);
    if (whole == 0)
        return "0";
    return fixedText(whole, 0);
}

std::string trimmedForm(double value, int places, int decimalView)
{
    if (places < 0)
        places = 6;
    if (value == 0)
        return "0";
    std::string text = fixedText(value, places);
    if (text.find('.') == std::string::npos) {
        if (decimalView == 1)
            text += '.';
        else if (decimalView == 2)
            text += ".0";
        return text;
    }
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') {
        if (decimalView == 0)
            text.pop_back();
        else if (decimalView == 2)
            text += '0';
    }
    return text;
}

std::optional<std::string> formatValue(double value, const DecimalSettings& settings)
{
    if (settings.Non_Decimal)
        return wholeText(value);
    if (!settings.Froce_Decimal)
        return trimmedForm(value, settings.DecimalNumber, settings.DecimalView);
    if (settings.DecimalNumber == 0) {
        switch (settings.DecimalView) {
        case 0: return wholeText(value);
        case 1: return wholeText(value) + ".";
        case 2: return wholeText(value) + ".0";
        default: return std::nullopt;
        }
    }
    if (settings.DecimalNumber >= 1 && settings.DecimalNumber <= 8)
        return fixedText(value, settings.DecimalNumber);
    return fixedText(value, 6);
}

std::string formatValueForRotation(double value, const DecimalSettings& settings)
{
    if (!settings.Froce_Decimal)
        return trimmedForm(value, settings.DecimalNumber, settings.DecimalView);
    if (settings.DecimalNumber == 0)
        return wholeText(value);
    if (settings.DecimalNumber >= 1 && settings.DecimalNumber <= 8)
        return fixedText(value, settings.DecimalNumber);
    return fixedText(value, 6);
}

std::optional<double> parseDecimalNumber(std::string_view text)
{
    auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    std::size_t digitsFrom = 0;
    if (!text.empty() && text[0] == '+') {
        text.remove_prefix(1);
    } else if (!text.empty() && text[0] == '-') {
        digitsFrom = 1;
    }
    // Only plain decimal notation: no "inf", "nan", hexadecimal or a second sign.
    if (text.size() <= digitsFrom || !(isDigit(text[digitsFrom]) || text[digitsFrom] == '.'))
        return std::nullopt;
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

}  // namespace zorvan::nc
