// Comparing two program texts (UTF-8, CR LF or LF breaks, as the editor holds them) line by line
// under the options, and the words that differ within a pair of changed lines.
//
// Lines are compared by a 64-bit hash of their keys (line_key.h); each pair the alignment calls
// equal is checked again on the lines themselves, so a hash collision shows as a change and never
// hides one.
#pragma once

#include "compare/logic/compare_options.h"
#include "compare/logic/line_alignment.h"
#include "nc/logic/nc_words.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zorvan::compare {

// The lines of a text one after another. A break after the last line starts no further line.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : text_(text) {}
    bool atEnd() const { return at_ >= text_.size(); }
    // The next line without its break; empty at the end.
    std::string_view next();

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

// The bytes of each line with its break, two bytes a line: lines of 64 kB and more are rare and
// listed apart.
class LineSpans {
public:
    void reserve(std::size_t lines) { short_.reserve(lines); }
    void push_back(std::size_t bytes)
    {
        if (bytes < kLong) {
            short_.push_back(static_cast<std::uint16_t>(bytes));
            return;
        }
        long_.emplace_back(short_.size(), bytes);
        short_.push_back(kLong);
    }
    std::size_t operator[](std::size_t line) const
    {
        if (short_[line] < kLong)
            return short_[line];
        return std::lower_bound(long_.begin(), long_.end(), std::pair<std::size_t, std::size_t>(line, 0))->second;
    }
    std::size_t size() const { return short_.size(); }

private:
    static constexpr std::uint16_t kLong = 0xFFFF;
    std::vector<std::uint16_t> short_;
    std::vector<std::pair<std::size_t, std::size_t>> long_;  // line, bytes
};

// The hash of each line's key, and the bytes of each line.
struct LineKeys {
    std::vector<std::uint64_t> keys;
    LineSpans spans;
};
LineKeys lineKeys(std::string_view text, const CompareOptions& options);
// Adds the lines of a piece of text that ends with a line break or the text's end (so a file can
// be keyed piece by piece while it is read); `scratch` holds the key being built.
void addLineKeys(LineKeys& lines, std::string_view piece, const CompareOptions& options, std::string& scratch);

// The same for a text that is mostly `knownText` (whose keys are `known`) changed in places: a line
// with the same bytes as the line of `knownText` it lines up with takes that line's key, so most
// lines need no key of their own. Lines are lined up in step, and after a line found nowhere near
// its place, by looking a few lines around it.
LineKeys lineKeysLike(std::string_view text, const CompareOptions& options, std::string_view knownText,
                      const LineKeys& known);

// A line with its break (LF or CR LF) cut off.
std::string_view lineWithoutBreak(std::string_view line);

// The alignment of the lines of `a` and `b`, and where their lines are.
struct Comparison {
    Alignment alignment;
    LineSpans leftSpans, rightSpans;
};
Comparison compareLines(std::string_view a, std::string_view b, const CompareOptions& options);
// The same with the lines' keys made already (lineKeys under the same options).
Comparison compareLines(std::string_view a, std::string_view b, LineKeys&& left, LineKeys&& right,
                        const CompareOptions& options);
inline Alignment compareTexts(std::string_view a, std::string_view b, const CompareOptions& options)
{
    return compareLines(a, b, options).alignment;
}

// The bytes of each line that differ from the other line, in order.
struct WordSpan {
    std::size_t begin = 0, end = 0;
};
struct WordDiff {
    std::vector<WordSpan> left, right;
};
WordDiff wordDiff(std::string_view a, std::string_view b, const CompareOptions& options);

// The words whose numbers cannot be read ("X3..5") in the lines the alignment marks changed on
// one side (`left`: text a, whose lines `spans` holds): compared by value they are compared as
// written, which may be what makes the line differ, and are told so. Equal lines hold the same
// text for them.
std::vector<nc::UnreadableWord> unreadableWordsOfChanges(std::string_view text, const LineSpans& spans,
                                                         const Alignment& alignment, bool left);

}  // namespace zorvan::compare
