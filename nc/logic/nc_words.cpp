#include "nc/logic/nc_words.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace zorvan::nc {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Room for every digit of the largest double in fixed notation, its sign and point.
constexpr std::size_t kFixedIntegerRoom = std::numeric_limits<double>::max_exponent10 + 8;

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
    }
    return range;
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
    word.value = numberTextValue(line.substr(from, end - from));
    return word;
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
