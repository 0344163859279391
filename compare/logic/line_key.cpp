#include "compare/logic/line_key.h"

#include "nc/logic/nc_words.h"

#include <charconv>

namespace zorvan::compare {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool isLower(char c) { return c >= 'a' && c <= 'z'; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }
char folded(char c) { return isLower(c) ? static_cast<char>(c - 'a' + 'A') : c; }

enum class Kind { Word, Comment, Blanks, Other };

// The words of an NC line as the numeric commands read them: an upper-case letter (any ASCII
// letter when case is ignored) and the run of "-" (first only), digits and "." after it; a
// comment from "(" to the first ")" or the end of the line; runs of blanks; anything else one
// UTF-8 character at a time.
template <typename Fn> void forEachToken(std::string_view line, bool anyCaseLetters, Fn&& token)
{
    const std::size_t n = line.size();
    std::size_t i = 0;
    while (i < n) {
        const char c = line[i];
        std::size_t j = i + 1;
        Kind kind = Kind::Other;
        if (c == '(') {
            kind = Kind::Comment;
            while (j < n && line[j - 1] != ')')
                ++j;
            if (line[j - 1] != ')')
                j = n;
        } else if (isUpper(c) || (anyCaseLetters && isLower(c))) {
            kind = Kind::Word;
            if (j < n && line[j] == '-')
                ++j;
            while (j < n && (isDigit(line[j]) || line[j] == '.'))
                ++j;
        } else if (isBlank(c)) {
            kind = Kind::Blanks;
            while (j < n && isBlank(line[j]))
                ++j;
        } else {
            while (j < n && (static_cast<unsigned char>(line[j]) & 0xC0) == 0x80)
                ++j;
        }
        token(kind, i, j);
        i = j;
    }
}

void appendTokenKey(std::string& out, Kind kind, std::string_view text, const CompareOptions& options)
{
    switch (kind) {
    case Kind::Comment:
        if (options.ignoreComments)
            return;
        for (char c : text)
            if (!(options.ignoreBlanks && isBlank(c)))
                out.push_back(options.ignoreCase ? folded(c) : c);
        return;
    case Kind::Blanks:
        if (!options.ignoreBlanks)
            out.append(text);
        return;
    case Kind::Other:
        out.append(text);
        return;
    case Kind::Word: break;
    }
    const char letter = folded(text[0]);
    const std::string_view number = text.substr(1);
    if (letter == 'N' && options.ignoreSequenceNumbers && number.find_first_of("0123456789") != number.npos)
        return;
    out.push_back(letter);
    if (options.numbersByValue)
        appendNumberKey(out, number);
    else
        out.append(number);
}

}  // namespace

void appendNumberKey(std::string& out, std::string_view numberText)
{
    std::string_view t = numberText;
    const bool negative = !t.empty() && t[0] == '-';
    if (negative)
        t.remove_prefix(1);
    const std::size_t point = t.find('.');
    std::string_view whole = t.substr(0, point);
    std::string_view fraction = point == t.npos ? std::string_view() : t.substr(point + 1);
    if ((whole.empty() && fraction.empty()) || fraction.find('.') != fraction.npos) {
        out.append(numberText);  // not a plain decimal: compared as written
        return;
    }
    while (!whole.empty() && whole.front() == '0')
        whole.remove_prefix(1);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.remove_suffix(1);
    if (whole.size() + fraction.size() > 15) {
        // Beyond what a double holds exactly: equal when they read as the same double.
        double value = nc::numberTextValue(numberText);
        if (value == 0)
            value = 0;  // no "-0"
        char buffer[400];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
        out.append(buffer, result.ec == std::errc() ? result.ptr : buffer);
        return;
    }
    if (whole.empty() && fraction.empty()) {
        out.push_back('0');
        return;
    }
    if (negative)
        out.push_back('-');
    if (whole.empty())
        out.push_back('0');
    out.append(whole);
    if (!fraction.empty()) {
        out.push_back('.');
        out.append(fraction);
    }
}

std::vector<Word> lineWords(std::string_view line, const CompareOptions& options)
{
    std::vector<Word> words;
    forEachToken(line, options.ignoreCase, [&](Kind kind, std::size_t begin, std::size_t end) {
        Word word{begin, end, {}};
        appendTokenKey(word.key, kind, line.substr(begin, end - begin), options);
        words.push_back(std::move(word));
    });
    return words;
}

void appendLineKey(std::string& out, std::string_view line, const CompareOptions& options)
{
    forEachToken(line, options.ignoreCase, [&](Kind kind, std::size_t begin, std::size_t end) {
        appendTokenKey(out, kind, line.substr(begin, end - begin), options);
    });
}

}  // namespace zorvan::compare
