// What two program lines are compared by: the line cut into words (an address letter with its
// number text, a comment, a run of blanks, any other character) and each word's key under the
// options. Two lines are equal when their keys joined are.
#pragma once

#include "compare/logic/compare_options.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zorvan::compare {

struct Word {
    std::size_t begin = 0, end = 0;  // bytes of the line
    std::string key;                 // empty: the options leave the word out
};

// The words of a line (UTF-8, without its break), in order.
std::vector<Word> lineWords(std::string_view line, const CompareOptions& options);

// Appends the key of the whole line: its words' keys in order.
void appendLineKey(std::string& out, std::string_view line, const CompareOptions& options);
// The same written at the start of `buffer`, whose size it only ever grows (for a loop over many
// lines); the key is the part returned.
std::string_view lineKey(std::string& buffer, std::string_view line, const CompareOptions& options);

// The one form of a number text's value: "-010.50" and "-10.5" give "-10.5", "10." and "10.000"
// give "10", "-.0" gives "0". A text that is not a plain decimal ("", "-", "1.2.3") stays as it is.
void appendNumberKey(std::string& out, std::string_view numberText);

}  // namespace zorvan::compare
