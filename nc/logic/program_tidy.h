// Tidying a program: the blanks between words ("空白の整理"), empty lines ("空行の削除") and
// parenthesised comments ("コメントの削除"). Each works on the lines touched by the selection (all
// lines without one), in one edit (one undo step); bytes it does not mean to change stay as they
// are, Japanese text and byte markers included.
#pragma once

#include "app/logic/text_editor.h"
#include "nc/logic/nc_transforms.h"

#include <optional>
#include <string>
#include <string_view>

namespace zorvan::nc {

enum class BlankStyle {
    Keep,
    Insert,  // one blank between words ("N10 G01 X1.")
    Remove,  // no blanks between words ("N10G01X1.")
};

struct TidyOptions {
    BlankStyle blanks = BlankStyle::Keep;
    bool emptyLines = false;  // drop lines of nothing but blanks
    bool comments = false;    // drop comments, with the blanks that set them apart; a line left empty goes

    bool operator==(const TidyOptions&) const = default;
};

// Tidies one line (without its break) into `out`; false when the line goes. Comments ("(…)", and
// ";" to the end of the line) are kept byte for byte, and the blanks before the first word and
// after the last stay. Words are an address letter with its value (a letter right after a digit, "." or "]" starts one); no blank is put inside a bracketed
// expression, and letters after letters ("GOTO", "GT") stay one word.
bool tidyLine(std::string_view line, const TidyOptions& options, std::string& out);

void tidyProgram(TextEditor& editor, const TidyOptions& options, Recolour recolour = Recolour::WrittenLines);

}  // namespace zorvan::nc
