// Works out the path of an NC program from its text (UTF-8, lines broken by CR LF or LF).
//
// Modal state (G00-G03, G17/G18/G19, G90/G91, G20/G21, G54-G59 and G43/G49 drawn in work
// coordinates at the programmed point, F, T with M06), arcs by I/J/K or R, canned cycles, macro
// variables with bracketed expressions, and M98/M99 subprograms in the same text. What it cannot
// follow is reported as a diagnostic and the rest of the program is still read.
#pragma once

#include "preview/logic/machine_state.h"
#include "preview/logic/macro_expression.h"
#include "preview/logic/toolpath.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace zorvan::preview {

struct InterpreterOptions {
    // Numbers written without "." count in least input increments (0.001 mm, 0.0001 inch).
    bool leastIncrement = false;
    bool blockDelete = true;        // skip blocks starting with "/"
    double chordTolerance = 0.005;  // largest gap between an arc and its chords, in millimetres
    double radiusTolerance = 0.01;  // start and end radius of an I/J/K arc may differ by this
    double rapidRate = 10000;       // rapid traverse per minute, for the time estimate
    double peckClearance = 0.1;     // G73 back-off and G83 re-approach distance
    int maxCallDepth = 8;
    // The most vertices a path may have. A program that would make more (repeats without end)
    // is cut short at the move that does not fit, with a diagnostic, and the rest is not run.
    std::size_t maxVertices = 20'000'000;
    // The most work a run may do in the runs of lines after their first (repeats of subprograms).
    // A block counts 16 and 2 a byte, a byte from its first "#" or "[" on 4, and each "#" (a
    // variable) and "[" (an expression) 16 more, so that a unit takes about the same time whatever
    // the block holds: repeats without end are cut short there, with a diagnostic, within about
    // two seconds.
    std::uint64_t maxWork = 400'000'000;
    // Diagnostics past this many are dropped (a fault in a subprogram repeated very often);
    // the note of a cut is still added.
    std::size_t maxDiagnostics = 10'000;
    // Keeps the vertices (and their lines, ranges and breaks); without them a run only sums the
    // path up (lengths, times, extents, by tool too) for a summary that draws nothing.
    bool keepVertices = true;
    // Keeps resume points in the path (Toolpath::resume), so that the state at any line can be
    // had later by running a short stretch from the nearest one (stateOfLine).
    bool keepResumePoints = true;
    // Called after every block run (each run of a line), with the line and the state after it.
    std::function<void(std::uint32_t line, const MachineState& state)> afterBlock;
    // Called when a run starts: a program is run a second time when an axis it never sets was
    // left out (it is then taken as 0), and what afterBlock gathered of the first run is void.
    std::function<void()> runStarts;
};

// Whether the interpreter follows G code `gTimesTen` (G54.1 is 541) or knowingly passes it by;
// the codes it does not know make no move and are reported.
bool interpreterKnowsG(int gTimesTen);
// The machine before and after the first run of one line: for a call, after its subprogram
// returned. `variables` hold the macro variables as they were before and after.
struct LineStates {
    MachineState before, after;
    MacroVariables variablesBefore, variablesAfter;
    std::vector<Diagnostic> diagnostics;  // of the line's own block
};

// The states of `line` in the program `text` whose path is `path` (interpreted from the same text
// with the same options and resume points kept), run from the resume point nearest before the
// line. Empty when the line never runs (or the path has no resume points).
std::optional<LineStates> stateOfLine(std::string_view text, const Toolpath& path, int line,
                                      const InterpreterOptions& options = {});

// Bytes held by the path's resume points.
std::size_t resumePointBytes(const Toolpath& path);

// The path; with `cancel` set (checked now and then) it stops early and marks the path cancelled.
Toolpath interpretProgram(std::string_view text, const InterpreterOptions& options = {},
                          const std::atomic<bool>* cancel = nullptr);

}  // namespace zorvan::preview
