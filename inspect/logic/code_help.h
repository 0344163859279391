// The help shown for one word of a program line: what its G or M code does, what its address
// means, and its value as the control reads it (an expression's value with the variables it used).
#pragma once

#include "inspect/logic/code_table.h"
#include "preview/logic/macro_expression.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvan::inspect {

// One word of a line: an address letter with its value text, or a macro variable ("#100", an
// assignment "#1=…"; letter '#'). Byte offsets into the line.
struct Word {
    std::size_t begin = 0, end = 0;
    char letter = 0;            // upper case; '#' for a variable or an assignment
    std::string_view valueText; // after the letter (for '#', after the "#")
};

// The words of a line in order; comments, ";" tails and words like IF/GOTO/WHILE are skipped.
std::vector<Word> wordsOfLine(std::string_view line);
// The word covering byte `at` of the line (a blank right after a word counts to it).
std::optional<Word> wordAt(std::string_view line, std::size_t at);

// The byte offset of character `column` (code points) in a UTF-8 line; the line's size past it.
std::size_t byteOfColumn(std::string_view line, long column);

// A value of a word as read: the number, or why none; with the variables its expression read.
struct WordValue {
    bool read = false;  // a value came out (false: vacant, unreadable or a bad expression)
    bool vacant = false;
    double value = 0;
    bool expression = false;  // written with "#" or "["
    std::vector<std::pair<int, std::optional<double>>> variables;  // number and value (empty: vacant)
};
WordValue wordValue(const Word& word, const preview::MacroVariables& variables);

// The variables an expression text reads (each "#" in it, numbered on `variables`), once each.
void variablesRead(std::string_view text, const preview::MacroVariables& variables,
                   std::vector<std::pair<int, std::optional<double>>>& out);
// Runs the assignment of a '#' word on `variables` as the block reader does; its variable number,
// or -1 when the word is no assignment.
int runAssignment(const Word& word, preview::MacroVariables& variables);

// The help text for the word at byte `at` of `line` (several lines of Japanese text); empty when
// no word is there. `variables` are the macro variables before the line; the line's own
// assignments before the word are run on a copy first.
std::string codeHelp(const CodeTable& table, std::string_view line, std::size_t at,
                     const preview::MacroVariables& variables);

// A number shown short: at most four decimals, trailing zeros dropped ("12.5", "-3", "0.0001").
std::string plainNumber(double value);

}  // namespace zorvan::inspect
