// One line of an NC program read as a block: its address words, G and M codes, and the macro
// assignment it holds. Comments in parentheses (any bytes, Shift-JIS text included) are skipped,
// a leading "/" deletes the block, "%" lines and N words carry nothing. Words are read as controls
// read them: blanks inside a word are ignored, a value may carry a "+" sign, small letters are
// capitals. A word whose value cannot be read is left out and marks the block unreadable (it
// makes no move), with a diagnostic naming the character and the word; a malformed number ("X3..5",
// "X.", "X5.-3", a point alone after blanks as in "Y0. .") is named as written.
#pragma once

#include "preview/logic/macro_expression.h"
#include "preview/logic/toolpath.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace zorvan::preview {

struct Block {
    std::uint32_t present = 0;  // bit (letter - 'A') for every address given (G and M excluded)
    std::uint32_t plain = 0;    // bit for an address whose number text had no "." (literal only)
    std::uint32_t repeated = 0; // bit for an address given more than once (G, M and N excluded)
    double value[26];
    int g[12];  // G codes times ten (G54.1 is 541)
    int gCount = 0;
    int m[6];
    int mCount = 0;
    bool skipped = false;  // a branch or loop: nothing of the line is run
    bool unreadable = false;  // a word's value could not be read
    char corner = 0;          // ",C" (chamfer) or ",R" (rounding) after a straight move, else 0
    double cornerSize = 0;

    bool has(char letter) const { return present & (1u << (letter - 'A')); }
    double get(char letter) const { return value[letter - 'A']; }
    bool isPlain(char letter) const { return plain & (1u << (letter - 'A')); }
    bool hasG(int code) const
    {
        for (int i = 0; i < gCount; ++i)
            if (g[i] == code)
                return true;
        return false;
    }
    bool hasM(int code) const
    {
        for (int i = 0; i < mCount; ++i)
            if (m[i] == code)
                return true;
        return false;
    }
};

struct BlockOptions {
    bool blockDelete = true;  // "/" at the start skips the block
};

// Reads `text` (one line without its break) into `block`, running its macro assignments on
// `variables`. Problems go to `diagnostics` with `line`.
void parseBlock(std::string_view text, std::uint32_t line, const BlockOptions& options, MacroVariables& variables,
                Block& block, std::vector<Diagnostic>& diagnostics);

}  // namespace zorvan::preview
