#include "app/logic/document_merge.h"

namespace zorvan {

void mergeLines(TextEditor& editor, const std::vector<std::string>& lines, MergeMode mode)
{
    if (lines.empty())
        return;
    int at = mode == MergeMode::Append ? editor.lineCount() : editor.lineFromPosition(editor.caret());
    editor.replaceLines(at, 0, lines);
}

}  // namespace zorvan
