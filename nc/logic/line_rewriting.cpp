#include "nc/logic/line_rewriting.h"

#include <algorithm>

namespace zorvan::nc {

std::string_view readRangeText(const TextEditor& editor, const LineRange& range, std::string& buffer)
{
    const LineSpan span = lineSpan(editor, range.first, range.last);
    return editor.textView(span.start, span.length, buffer);
}

namespace {

// The caret back on the line it was on, at its column or the end of a shorter line; at the end of
// the text when that line is gone (or was the empty one after a final break). The view stays where
// it was (the editor keeps it through the edit), so the user goes on where he was reading.
void restoreCaretLine(TextEditor& editor, const LineRange& range)
{
    if (range.caretLine >= editor.lineCount()) {
        editor.setCaret(editor.length());
        return;
    }
    const LineSpan span = lineSpan(editor, range.caretLine, range.caretLine);
    editor.setCaret(span.start + std::min(range.caretColumn, span.length));
}

}  // namespace

void finish(TextEditor& editor, const LineRange& range)
{
    if (range.hadSelection)
        editor.setSelection(range.selStart, range.selLength);
    else
        restoreCaretLine(editor, range);
}

void finishLines(TextEditor& editor, const LineRange& range, int newLines)
{
    if (!range.hadSelection)
        restoreCaretLine(editor, range);
    else if (newLines > 0) {
        const LineSpan span = lineSpan(editor, range.first, range.first + newLines - 1);
        editor.setSelection(span.start, span.length);
    } else {
        editor.setCaret(editor.positionFromLine(std::min(range.first, editor.lineCount())));
    }
}

std::string tooLargeMessage(int lineIndex, char letter)
{
    return std::to_string(lineIndex) + " 行目の " + letter + " の値が大きすぎて書けません";
}

}  // namespace zorvan::nc
