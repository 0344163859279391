// The extreme value search: the word of one address letter with the largest or smallest value,
// or the largest or smallest magnitude, in a range of the text. It reads the text only.
//
// A word is the letter followed by its number run: the characters directly after it that are
// digits, "-" or ".", in any order. A run must read as one decimal number as a whole; a run that
// does not ("-", "1-2", "1.2.3") is passed over. A letter without a run is passed over together
// with the character after it. On equal values the earliest word wins.
#pragma once

#include "app/logic/text_editor.h"
#include "nc/logic/command_range.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zorvan::nc {

enum class ExtremeMethod { Max = 0, Min, AbsMax, AbsMin };
inline constexpr const char* kExtremeMethodItems[] = {"Max", "Min", "AbsMax", "AbsMin"};
inline constexpr std::string_view kExtremeLetters = "XYZABC";

// The value of a number run read as one decimal number ("-12.5", ".5", "5."); nothing when the
// run is not one.
std::optional<double> strictNumberValue(std::string_view run);

// A word in a text: byte offset of its letter, bytes of letter and run, the compared value.
struct FoundWord {
    std::size_t at = 0;
    std::size_t length = 0;
    double value = 0;
};
// The best word of `text` whose letter lies before byte `letterLimit` (its run may go on).
// Letters in comments ("(" to ")" or the line's end, and after ";") are no words;
// `inComment` tells that the text starts inside one.
std::optional<FoundWord> bestWordIn(std::string_view text, std::size_t letterLimit, char letter, ExtremeMethod method,
                                    bool inComment = false);

// The best word in the editor: its character position, length (letter and run) and line.
struct ExtremeWord {
    long start = 0;
    long length = 0;
    double value = 0;
    int line = 0;
};
std::optional<ExtremeWord> findExtreme(const TextEditor& editor, char letter, ExtremeMethod method,
                                       const CommandRange& range);

// The same search in three steps, so that its heavy middle can run away from the editor's thread:
// the range is read when the search is made (on the editor's thread), search() looks through a
// copy of it on any thread (telling its progress, which may throw to stop it), and result() gives
// the word's line from the editor, whose text is the same as when the range was read.
class StagedExtremeSearch {
public:
    StagedExtremeSearch(const TextEditor& editor, char letter, ExtremeMethod method, const CommandRange& range);
    void search(const std::function<void(long long done, long long total)>& progress);
    std::optional<ExtremeWord> result(const TextEditor& editor) const;

private:
    char letter_;
    ExtremeMethod method_;
    long rangeStart_ = 0;
    std::string text_;  // from the range's start to the end of its last line
    long rangeCharacters_ = 0;
    std::size_t letterLimit_ = 0;  // the range's end in text_, in bytes
    bool startsInComment_ = false;  // the range starts inside a comment of its line
    std::optional<ExtremeWord> best_;
};

}  // namespace zorvan::nc
