// What a program holds, tool by tool: for each tool in order of use its number, the comment that
// names it, the first and last line run with it, the feed and rapid distances and times (the
// preview's time model: feeds at F, rapids at the rapid rate), the extents of its moves, and the
// spindle speeds and feeds it cut with; the totals; the program number and its size.
#pragma once

#include "preview/logic/interpreter.h"

#include <string>
#include <string_view>
#include <vector>

namespace zorvan::inspect {

struct ToolSummary {
    int tool = 0;
    std::string comment;  // without the parentheses; empty when no comment names the tool
    int firstLine = -1, lastLine = -1;
    double feedDistance = 0, rapidDistance = 0;  // program units
    double feedTime = 0, rapidTime = 0;          // seconds
    preview::Box3 extents;
    std::vector<double> speeds, feeds;  // S and F values of its feed moves, ascending
};

struct ProgramInfo {
    std::string programNumber;  // "O1000"; empty when the program names none
    int lines = 0, blocks = 0;  // blocks: lines with at least one word
    bool inch = false;          // the units the program ends in (G20)
    std::vector<ToolSummary> tools;
    ToolSummary totals;         // tool 0, lines of the whole run
    std::size_t diagnostics = 0;
    bool cutShort = false;      // a bound of the interpreter cut the run short
};

// Runs the program once and sums it up.
ProgramInfo summarizeProgram(std::string_view text, const preview::InterpreterOptions& options = {});

// The summary as a table of text (tabs between columns), as the window copies it.
std::string infoText(const ProgramInfo& info);
// The same as JSON: {"program", "lines", "blocks", "units", "tools": [{"tool", "comment",
// "first_line", "last_line", "feed_distance", "rapid_distance", "feed_time", "rapid_time",
// "extents", "speeds", "feeds"}], "totals": {…}, "diagnostics"}.
std::string infoJson(const ProgramInfo& info);

}  // namespace zorvan::inspect
