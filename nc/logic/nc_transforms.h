// The numeric commands on a program text: coordinate shift, axis rotation, value calculation and
// line-order reversal. Each works on the lines touched by the selection (all lines without one),
// rewrites them in one edit (one undo step), recolours the written lines, restores the selection
// offsets and marks the document modified. A command that cannot finish changes nothing.
#pragma once

#include "app/logic/settings.h"
#include "app/logic/text_editor.h"

#include <functional>

namespace zorvan::nc {

// Whether the written lines get the line pass of the syntax colouring, or the colours a load
// gives them (the whole-text pass: renumbering and tidying, which rewrite lines as a whole). A
// caller that only wants the text (the command-line tool) leaves it out.
enum class Recolour { WrittenLines, None, AsLoaded };

// The colouring of the lines an edit writes: the line pass or the whole-text pass as `recolour`
// asks, else none.
TextEditor::LinesColouring linesColouring(Recolour recolour);
// Colours lines [first, last] with the line pass when `recolour` asks for it.
void colourLines(TextEditor& editor, Recolour recolour, int first, int last);

// Three values in the order X, Y, Z: offsets of the shift, angles (radians) of the rotation.
struct AxisValues {
    double x = 0;
    double y = 0;
    double z = 0;
};

// Adds the offsets to the first X, Y and Z word of every line; a zero offset leaves its letter
// alone. Throws UserError (and changes nothing) when a result is too large to write.
void shiftCoordinates(TextEditor& editor, const AxisValues& offsets, const DecimalSettings& settings,
                      Recolour recolour = Recolour::WrittenLines);

// Rotates the point (X, Y, Z) of every line about X, then Y, then Z; a line's missing
// coordinates are carried from the lines above it.
void rotateAxes(TextEditor& editor, const AxisValues& angles, const DecimalSettings& settings,
                Recolour recolour = Recolour::WrittenLines);

// The calculation's operations, in the order of the dialog's items "2X", "2/", "X", "/", "+", "-".
enum class Operation { Double = 0, Halve, Multiply, Divide, Add, Subtract };
inline constexpr const char* kOperationItems[] = {"2X", "2/", "X", "/", "+", "-"};
inline constexpr const char* kDivisionByZeroMessage = "0だよ割り算できない";

bool dividesByZero(Operation operation, double operand);
// Applies the operation to the first word of `letter` in every line. Throws UserError with
// kDivisionByZeroMessage for a division by exact zero, and changes nothing then.
void calculateValues(TextEditor& editor, char letter, Operation operation, double operand,
                     const DecimalSettings& settings, Recolour recolour = Recolour::WrittenLines);

// The shift, rotation and calculation in stages for a background runner: made on the editor's
// thread, where they read the range; the work then rewrites it on any thread (telling its progress,
// which may throw to stop it) and returns the one edit that writes it back on the editor's thread.
using EditStep = std::function<void(TextEditor&)>;
using StagedCommand = std::function<EditStep(const std::function<void(long long done, long long total)>&)>;
StagedCommand stagedShift(const TextEditor& editor, const AxisValues& offsets, const DecimalSettings& settings,
                          Recolour recolour = Recolour::WrittenLines);
StagedCommand stagedRotation(const TextEditor& editor, const AxisValues& angles, const DecimalSettings& settings,
                             Recolour recolour = Recolour::WrittenLines);
StagedCommand stagedCalculation(const TextEditor& editor, char letter, Operation operation, double operand,
                                const DecimalSettings& settings, Recolour recolour = Recolour::WrittenLines);

// Turns the lines of the range upside down.
void reverseLines(TextEditor& editor, Recolour recolour = Recolour::WrittenLines);
// The same in stages (see StagedCommand): the range is read now, turned on any thread.
StagedCommand stagedReversal(const TextEditor& editor, Recolour recolour = Recolour::WrittenLines);

}  // namespace zorvan::nc
