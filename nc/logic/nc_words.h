// Address words of NC program lines and the writing of values as number text.
//
// An address word is an upper-case letter (matched case-sensitively) followed by its number
// text: an optional leading "-", then any run of digits and ".". Only the first occurrence of a
// letter in a line is ever read or written. Values are written under the four decimal settings.
#pragma once

#include "app/logic/settings.h"
#include "app/logic/text_editor.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

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

struct AddressWord {
    std::size_t letterAt = 0;      // byte index of the letter in the line
    std::size_t numberLength = 0;  // bytes of number text after the letter (may be 0)
    double value = 0;              // of the longest leading decimal part; 0 when there is none
};

// The first word of `letter` in `line`, or nothing when the letter does not occur.
std::optional<AddressWord> readAddressWord(std::string_view line, char letter);

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
