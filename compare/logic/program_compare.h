// Comparing two program texts (UTF-8, CR LF or LF breaks, as the editor holds them) line by line
// under the options, and the words that differ within a pair of changed lines.
//
// Lines are compared by a 64-bit hash of their keys (line_key.h); each pair the alignment calls
// equal is checked again on the lines themselves, so a hash collision shows as a change and never
// hides one.
#pragma once

#include "compare/logic/compare_options.h"
#include "compare/logic/line_alignment.h"

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
    void skip(std::size_t lines);
    // Whether the line last returned ended with a break.
    bool lastHadBreak() const { return lastHadBreak_; }

private:
    std::string_view text_;
    std::size_t at_ = 0;
    bool lastHadBreak_ = true;
};

// The hash of each line's key, and the bytes of each line with its break.
struct LineKeys {
    std::vector<std::uint64_t> keys;
    std::vector<std::uint32_t> spans;
};
LineKeys lineKeys(std::string_view text, const CompareOptions& options);

// A line with its break (LF or CR LF) cut off.
std::string_view lineWithoutBreak(std::string_view line);

// The alignment of the lines of `a` and `b`, and where their lines are.
struct Comparison {
    Alignment alignment;
    std::vector<std::uint32_t> leftSpans, rightSpans;  // bytes of each line with its break
};
Comparison compareLines(std::string_view a, std::string_view b, const CompareOptions& options);
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

}  // namespace zorvan::compare
