// Address words of NC program lines and the writing of values as number text.
//
// An address word is an upper-case letter (matched case-sensitively) followed by its number
// text: an optional leading "-", then any run of digits and ".". Only the first occurrence of a
// letter in a line is ever read or written. Values are written under the four decimal settings.
#pragma once

#include "app/logic/settings.h"
#include "app/logic/text_editor.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvan::nc {

// The lines a numeric command covers: those touched by the selection, else all lines.
struct LineRange {
    int first = 0;
    int last = -1;  // last < first: no line at all (empty text)
    bool hadSelection = false;
    long selStart = 0;
    long selLength = 0;
    int caretLine = 0;     // without a selection: where the caret was, put back there
    long caretColumn = 0;  // by the command that rewrites the range

    int count() const { return last >= first ? last - first + 1 : 0; }
};
LineRange numericLineRange(const TextEditor& editor);

// Why a word's number cannot be read: a control alarms on these, so no reader takes a value
// from them.
enum class NumberProblem : std::uint8_t {
    None,
    TwoPoints,       // a second decimal point: "X3..5", "X2.5.7", "Y0. .5"
    NoDigit,         // a point without a digit: "X.", "X-."
    SignAfterPoint,  // a sign straight after a number with a point: "X.-5", "X5.-3"
    StrayPoint,      // a point alone after the number and blanks: "Y0. .", "N210 ."; or alone in a block
};

// The reason in words, for messages.
const char* numberProblemText(NumberProblem problem);

struct AddressWord {
    std::size_t letterAt = 0;      // byte index of the letter in the line
    std::size_t numberLength = 0;  // bytes of number text after the letter (may be 0)
    double value = 0;              // of the longest leading decimal part; 0 when there is none
    NumberProblem problem = NumberProblem::None;  // not None: the word is unreadable, its value 0
    std::size_t wordLength = 0;    // bytes of the whole word from its letter (a stray point included)
};

// The first word of `letter` in `line`, or nothing when the letter does not occur.
std::optional<AddressWord> readAddressWord(std::string_view line, char letter);

// What is wrong with the number text at [from, to) of `line` (the run after a letter, as
// readAddressWord takes it), looking at what follows it; `wordEnd` is set past what belongs to the
// word (the number text, or a stray point after it).
NumberProblem numberProblem(std::string_view line, std::size_t from, std::size_t to, std::size_t& wordEnd);

// A word whose number cannot be read, for reports: where it is, as written, and why.
struct UnreadableWord {
    int line = 0;            // counted from 0
    std::size_t column = 0;  // byte of the word's letter (of the point, for a point alone)
    std::string word;        // as written: "X3..5", "Y0. ."
    NumberProblem reason = NumberProblem::None;

    bool operator==(const UnreadableWord&) const = default;
};

// The unreadable words of a line: every address word outside comments (upper-case letter and its
// number text), and a point that belongs to no word.
void addUnreadableWords(std::string_view line, int lineIndex, std::vector<UnreadableWord>& out);
// The unreadable first words of `letters` in each line (the words a numeric command reads and
// leaves alone) of `text`, lines separated by CR LF or LF, the first counted as `firstLine`.
std::vector<UnreadableWord> unreadableFirstWords(std::string_view text, int firstLine, std::string_view letters);
// The same over the numeric command's line range of the editor (read before the command runs).
std::vector<UnreadableWord> unreadableFirstWords(const TextEditor& editor, std::string_view letters);
inline constexpr const char* kUnreadableWordsLeft = "読めない数値の語はそのままにしました:";
// The heading and one line each ("12 行目 X3..5 (小数点が二つ)"), the first twenty.
std::string unreadableWordsMessage(const std::vector<UnreadableWord>& words, std::string_view heading);

// The value of a number text (digits, "." and a leading "-"): its longest leading part that
// reads as a decimal number; 0 when there is none. Too many digits give an infinite value.
double numberTextValue(std::string_view numberText);

// Puts `newText` in place of the word's whole number text, directly after its letter.
void replaceNumberText(std::string& line, const AddressWord& word, std::string_view newText);

// `value` in fixed-point notation with `places` decimals, exactly as C's "%.<places>lf".
std::string fixedText(double value, int places);
// The floor of `value` as a plain whole number (no exponent, no "-0").
std::string wholeText(double value);

// The trimming formatter: fixed-point with `places` decimals, trailing zeros removed, the point
// shown by DecimalView; an exact zero is "0". A negative `places` means six.
std::string trimmedForm(double value, int places, int decimalView);

// The shared writer of the shift and the calculation; nothing when the settings ask for no
// text at all (forced places 0 with an unknown DecimalView), so the old text stays.
std::optional<std::string> formatValue(double value, const DecimalSettings& settings);

// The writer of the rotation: ignores Non_Decimal, and forced places 0 always give "%d".
std::string formatValueForRotation(double value, const DecimalSettings& settings);

// Reads a field or option holding a decimal number ("12", "-3.5", "+.5", "1e3", blanks around
// it allowed); nothing when the text is not a finite decimal number.
std::optional<double> parseDecimalNumber(std::string_view text);

}  // namespace zorvan::nc
