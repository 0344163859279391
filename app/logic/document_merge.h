// Adding the lines of a file to the document: at its end, or before the caret's line.
#pragma once

#include "app/logic/text_editor.h"

#include <string>
#include <vector>

namespace zorvan {

enum class MergeMode { Append = 1, InsertAtCaretLine = 2 };

// Adds `lines` (each without its break) in one edit; the caret's line moves down under an insert.
void mergeLines(TextEditor& editor, const std::vector<std::string>& lines, MergeMode mode);

// Adds the lines of `pieces` (whole lines, each ending with CR LF) as mergeLines does, and colours
// the whole text by `colouring` over the colours it had, in the same edit.
void mergeColouringAll(TextEditor& editor, std::vector<std::string> pieces, MergeMode mode,
                       const TextEditor::LinesColouring& colouring);

}  // namespace zorvan
