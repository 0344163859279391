// Adding the lines of a file to the document: at its end, or before the caret's line.
#pragma once

#include "app/logic/text_editor.h"

#include <string>
#include <vector>

namespace zorvan {

enum class MergeMode { Append = 1, InsertAtCaretLine = 2 };

// Adds `lines` (each without its break) in one edit; the caret's line moves down under an insert.
void mergeLines(TextEditor& editor, const std::vector<std::string>& lines, MergeMode mode);

}  // namespace zorvan
