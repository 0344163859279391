// What a compare of two programs treats as equal, kept as strings under the group "compare" of
// the settings store (organisation "Kw", application "Zorvan"): "1" on, "0" off.
#pragma once

namespace zorvan::compare {

struct CompareOptions {
    bool ignoreSequenceNumbers = false;  // "IgnoreN": N words are left out, with the blanks after them
    bool ignoreBlanks = true;            // "IgnoreBlanks": blanks and tabs are left out
    bool numbersByValue = true;          // "ByValue": X10 = X10. = X10.000
    bool ignoreComments = false;         // "IgnoreComments": "(...)" is left out
    bool ignoreCase = false;             // "IgnoreCase": ASCII letters compare without case
};

// The stored options over the defaults; what is missing or unreadable keeps its default.
CompareOptions readCompareOptions();
void writeCompareOptions(const CompareOptions& options);

}  // namespace zorvan::compare
