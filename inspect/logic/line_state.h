// The machine's state at one line of a program, from the interpretation kept with its path: the
// modes after the line, the position before and after it, the macro variables it reads and sets,
// and how long the program has run when the line is done.
#pragma once

#include "preview/logic/interpreter.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvan::inspect {

struct VariableUse {
    int number;
    bool set;                     // false: read
    std::optional<double> value;  // read: before the line; set: after it; empty: vacant
};

struct LineState {
    int line = 0;
    preview::LineStates states;
    std::vector<VariableUse> variables;
};

// The state at `line` of `text` (the program `path` was interpreted from with `options`);
// `lineText` is the line itself. Empty when the line never runs.
std::optional<LineState> lineState(std::string_view text, const preview::Toolpath& path, int line,
                                   std::string_view lineText, const preview::InterpreterOptions& options = {});

// Line `line` of `text` without its break (empty past the end).
std::string_view lineOfText(std::string_view text, int line);

// The state as rows of a table: caption and value, in Japanese.
using StateRows = std::vector<std::pair<std::string, std::string>>;
StateRows stateRows(const LineState& state);
// The rows for a line that never runs.
StateRows neverRunRows(int line);

}  // namespace zorvan::inspect
