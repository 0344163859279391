// Syntax colouring of NC text: comments green, "N" numbers blue, ":", "L", "O" numbers red.
// Two passes with slightly different rules: the whole-text pass after a load or merge, and the
// line pass after every change of a line.
#pragma once

#include "app/logic/text_editor.h"

namespace zorvan::colouring {

// Length of the token starting at character `pos` of the editor's text; 1 or less: no token.
long TokenLength(const TextEditor& editor, long pos);

// The whole-text pass; leaves the last coloured token selected (or the caret at the end).
void ColourAll(TextEditor& editor);

// The runs the whole-text pass gives `text` (whole lines), counted from its first character.
// Touches no editor.
std::vector<TextEditor::ColourRun> WholeTextRuns(std::string_view text);

// The whole-text pass over one line, over the colours it has.
void ColourAllOfLine(TextEditor& editor, int line);

// The whole-text pass worked out away from the editor, for a load: the text in pieces of whole
// lines, each with its runs, and the selection ColourAll leaves.
struct ColouredLoad {
    std::vector<TextEditor::ColouredPiece> pieces;
    bool coloured = false;
    long totalChars = 0;
    TextEditor::ColourRun lastRun{0, 0, TextColour::Default};  // length 0: none
};
// Without `colour` the pieces come without runs. Touches no editor.
ColouredLoad ColourForLoad(std::string&& text, bool colour);
// Loads the text as a load followed by ColourAll leaves it (without colours: as a load leaves it).
void LoadColoured(TextEditor& editor, ColouredLoad&& load);

// The line pass on the line of the selection start; the selection stays as it was.
void ColourCaretLine(TextEditor& editor);

// The runs of coloured characters the line pass gives the lines of `text` (separated by CR LF; a
// break after the last is allowed), the first line starting at position `firstPosition`. Touches
// no editor, so it may run on another thread.
std::vector<TextEditor::ColourRun> LineRuns(std::string_view text, long firstPosition);

// The line pass on lines [first, last], as if the caret had passed over each of them after it
// was written; the selection is left as it was.
void ColourLines(TextEditor& editor, int first, int last);

}  // namespace zorvan::colouring
