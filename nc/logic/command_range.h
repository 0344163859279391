// Where the axis swap and the extreme search work.
#pragma once

#include "app/logic/text_editor.h"

#include <utility>

namespace zorvan::nc {

// The selection when `selectionOnly`, else from the start of the text (`wholeFile`) or from the
// caret, to the end of the text.
struct CommandRange {
    bool selectionOnly = false;
    bool wholeFile = false;
};

// The first position of the range in `editor` and the position behind it.
inline std::pair<long, long> positionsOf(const TextEditor& editor, const CommandRange& range)
{
    if (range.selectionOnly)
        return {editor.selectionStart(), editor.selectionStart() + editor.selectionLength()};
    return {range.wholeFile ? 0 : editor.caret(), editor.length()};
}

}  // namespace zorvan::nc
