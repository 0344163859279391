#include "nc/logic/line_rewriting.h"

#include <algorithm>

namespace zorvan::nc {

std::string_view readRangeText(const TextEditor& editor, const LineRange& range, std::string& buffer)
{
    const LineSpan span = lineSpan(editor, range.first, range.last);
    return editor.textView(span.start, span.length, buffer);
}

void finish(TextEditor& editor, const LineRange& range, int lastWritten)
{
    if (range.hadSelection) {
        editor.setSelection(range.selStart, range.selLength);
    } else {
        const LineSpan written = lineSpan(editor, lastWritten, lastWritten);
        editor.setCaret(written.start + written.length);
    }
}

void finishLines(TextEditor& editor, const LineRange& range, int newLines)
{
    if (newLines > 0) {
        const LineSpan span = lineSpan(editor, range.first, range.first + newLines - 1);
        if (range.hadSelection)
            editor.setSelection(span.start, span.length);
        else
            editor.setCaret(span.start + span.length);
    } else {
        editor.setCaret(editor.positionFromLine(std::min(range.first, editor.lineCount())));
    }
}

std::string tooLargeMessage(int lineIndex, char letter)
{
    return std::to_string(lineIndex) + " 行目の " + letter + " の値が大きすぎて書けません";
}

}  // namespace zorvan::nc
