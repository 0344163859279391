#include "compare/logic/line_key.h"

#include "nc/logic/nc_words.h"

#include <algorithm>
#include <charconv>
#include <cstring>

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

// Writes keys into a buffer through a pointer: keys are built for every line of both programs,
// and std::string's checks per character cost more than the rest of the work.
class KeyWriter {
public:
    KeyWriter(std::string& buffer, std::size_t length) : buffer_(buffer), length_(length) {}
    std::size_t length() const { return length_; }

    // Room for `count` more bytes.
    char* room(std::size_t count)
    {
        if (length_ + count > buffer_.size()) [[unlikely]]
            grow(count);
        return buffer_.data() + length_;
    }
    void wrote(char* end) { length_ = static_cast<std::size_t>(end - buffer_.data()); }
    void append(std::string_view text)
    {
        char* w = room(text.size());
        std::memcpy(w, text.data(), text.size());
        wrote(w + text.size());
    }

private:
    [[gnu::noinline]] void grow(std::size_t count) { buffer_.resize(std::max(buffer_.size() * 2, length_ + count + 64)); }

    std::string& buffer_;
    std::size_t length_;
};

// Number texts are a few bytes: a loop copies them faster than a call.
char* copyShort(char* w, const char* from, const char* to)
{
    while (from < to)
        *w++ = *from++;
    return w;
}

// The number key of appendNumberKey written at `w`, which has room for the text and 2 more
// bytes; nullptr when the text has more digits than a double holds and is read as a double.
// Every byte is looked at once: keys are made for every number of both programs.
[[gnu::always_inline]] inline char* writeShortNumberKey(char* w, std::string_view text)
{
    const char* p = text.data();
    const char* q = p + text.size();
    const bool negative = p < q && *p == '-';
    const char* r = p + negative;
    const char* wholeBegin = r;
    while (r < q && *r == '0')
        ++r;
    const char* significant = r;  // the whole part without its leading zeros
    while (r < q && *r != '.')
        ++r;
    const char* wholeEnd = r;
    const char* fractionBegin = r < q ? r + 1 : q;
    const char* fractionEnd = fractionBegin;  // after the fraction's last non-zero digit
    for (const char* f = fractionBegin; f < q; ++f) {
        if (*f == '.')  // a second point: not a plain decimal
            return copyShort(w, p, q);
        if (*f != '0')
            fractionEnd = f + 1;
    }
    if (wholeBegin == wholeEnd && fractionBegin == q)  // "", "-", ".", "-."
        return copyShort(w, p, q);
    if ((wholeEnd - significant) + (fractionEnd - fractionBegin) > 15)
        return nullptr;
    if (significant == wholeEnd && fractionBegin == fractionEnd) {
        *w++ = '0';  // zero has no sign
        return w;
    }
    if (negative)
        *w++ = '-';
    if (significant == wholeEnd)
        *w++ = '0';
    // The whole part and, when there is one, the point and the fraction lie together in the text.
    return copyShort(w, significant, fractionBegin < fractionEnd ? fractionEnd : wholeEnd);
}

// Beyond what a double holds exactly: equal when they read as the same double.
[[gnu::noinline]] void writeLongNumberKey(KeyWriter& out, std::string_view text)
{
    double value = nc::numberTextValue(text);
    if (value == 0)
        value = 0;  // no "-0"
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    out.append(std::string_view(buffer, result.ec == std::errc() ? static_cast<std::size_t>(result.ptr - buffer) : 0));
}

[[gnu::always_inline]] inline void writeNumberKey(KeyWriter& out, std::string_view text)
{
    if (char* end = writeShortNumberKey(out.room(text.size() + 2), text))
        out.wrote(end);
    else
        writeLongNumberKey(out, text);
}

// Inlined into the loop over a line's words, with the number keys: a call per word costs more
// than the word's own work. `afterIgnoredN` tells that the token before was an N word left out:
// the blanks that follow it separate it from the next word and are left out with it, so that
// "N10 G0" and "N10G0" both compare equal to "G0".
[[gnu::always_inline]] inline void writeTokenKey(KeyWriter& out, Kind kind, std::string_view text, const CompareOptions& options,
                                                 bool& afterIgnoredN)
{
    const bool separatorOfN = afterIgnoredN;
    afterIgnoredN = false;
    switch (kind) {
    case Kind::Comment: {
        if (options.ignoreComments)
            return;
        char* w = out.room(text.size());
        for (char c : text)
            if (!(options.ignoreBlanks && isBlank(c)))
                *w++ = options.ignoreCase ? folded(c) : c;
        out.wrote(w);
        return;
    }
    case Kind::Blanks:
        if (!options.ignoreBlanks && !separatorOfN)
            out.append(text);
        return;
    case Kind::Other: {
        char* w = out.room(text.size());
        out.wrote(copyShort(w, text.data(), text.data() + text.size()));
        return;
    }
    case Kind::Word: break;
    }
    const char letter = folded(text[0]);
    const std::string_view number = text.substr(1);
    if (letter == 'N' && options.ignoreSequenceNumbers && number.find_first_of("0123456789") != number.npos) {
        afterIgnoredN = true;
        return;
    }
    char* w = out.room(1);
    *w = letter;
    out.wrote(w + 1);
    if (options.numbersByValue)
        writeNumberKey(out, number);
    else
        out.append(number);
}

std::size_t writeLineKey(std::string& buffer, std::size_t length, std::string_view line, const CompareOptions& options)
{
    KeyWriter out(buffer, length);
    bool afterIgnoredN = false;
    forEachToken(line, options.ignoreCase, [&](Kind kind, std::size_t begin, std::size_t end) {
        writeTokenKey(out, kind, line.substr(begin, end - begin), options, afterIgnoredN);
    });
    return out.length();
}

}  // namespace

void appendNumberKey(std::string& out, std::string_view numberText)
{
    std::size_t length = out.size();
    KeyWriter writer(out, length);
    writeNumberKey(writer, numberText);
    out.resize(writer.length());
}

std::vector<Word> lineWords(std::string_view line, const CompareOptions& options)
{
    std::vector<Word> words;
    bool afterIgnoredN = false;
    forEachToken(line, options.ignoreCase, [&](Kind kind, std::size_t begin, std::size_t end) {
        Word word{begin, end, {}};
        KeyWriter out(word.key, 0);
        writeTokenKey(out, kind, line.substr(begin, end - begin), options, afterIgnoredN);
        word.key.resize(out.length());
        words.push_back(std::move(word));
    });
    return words;
}

void appendLineKey(std::string& out, std::string_view line, const CompareOptions& options)
{
    out.resize(writeLineKey(out, out.size(), line, options));
}

std::string_view lineKey(std::string& buffer, std::string_view line, const CompareOptions& options)
{
    // The key is written first: writing may move the buffer, so its address is taken after.
    const std::size_t size = writeLineKey(buffer, 0, line, options);
    return std::string_view(buffer.data(), size);
}

}  // namespace zorvan::compare
