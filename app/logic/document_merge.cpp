#include "app/logic/document_merge.h"

namespace zorvan {

namespace {

int mergeLine(const TextEditor& editor, MergeMode mode)
{
    return mode == MergeMode::Append ? editor.lineCount() : editor.lineFromPosition(editor.caret());
}

}  // namespace

void mergeLines(TextEditor& editor, const std::vector<std::string>& lines, MergeMode mode)
{
    if (lines.empty())
        return;
    editor.replaceLines(mergeLine(editor, mode), 0, lines);
}

void mergeColouringAll(TextEditor& editor, std::vector<std::string> pieces, MergeMode mode,
                       const TextEditor::LinesColouring& colouring)
{
    if (pieces.empty())
        return;
    std::size_t given = 0;
    editor.insertLinesColouringAll(
        mergeLine(editor, mode),
        [&](std::string& piece) {
            if (given == pieces.size())
                return false;
            piece = std::move(pieces[given++]);
            return true;
        },
        colouring);
}

}  // namespace zorvan
