// The numeric commands on the in-memory editor.
#include "nc/logic/nc_transforms.h"

#include "app/logic/colouring.h"
#include "app/logic/memory_editor.h"
#include "app/logic/user_error.h"

#include <gtest/gtest.h>

#include <numbers>

namespace zorvan::nc {
namespace {

const DecimalSettings defaults;

std::string join(const std::vector<std::string>& lines)
{
    std::string out;
    for (const auto& l : lines) {
        if (!out.empty())
            out += "\r\n";
        out += l;
    }
    return out;
}

MemoryEditor unmodified(const std::string& text)
{
    MemoryEditor editor(text);
    editor.setModified(false);
    return editor;
}

struct TextCase {
    const char* before;
    const char* after;
};

// --- Coordinate shift

TEST(Shift, WorkedExample)
{
    MemoryEditor editor = unmodified(join({"G01X12.5Y3.Z-1.F100", "G00Z50.", "(MAX DEPTH) G01X1."}));
    shiftCoordinates(editor, {10, -5, 0}, defaults);
    // The X of the comment is no word: the move's own X is shifted.
    EXPECT_EQ(editor.text(), join({"G01X22.5Y-2.0Z-1.F100", "G00Z50.", "(MAX DEPTH) G01X11.0"}));
    EXPECT_TRUE(editor.isModified());
}

TEST(Shift, LineByLine)
{
    const TextCase cases[] = {
        {"X5.X6.", "X6.0X6."},
        {"G01X-5.Y3.", "G01X-4.0Y5.0"},
        {"Z1.", "Z2.0"},            // every letter with its own offset
        {"I5.J5.R5.", "I5.J5.R5."},  // other addresses never touched
        {"X", "X1.0"},
        {"G01Y1.X1.Z1.", "G01Y3.0X2.0Z2.0"},
    };
    for (auto [before, after] : cases) {
        MemoryEditor editor(before);
        shiftCoordinates(editor, {1, 2, 1}, defaults);
        EXPECT_EQ(editor.text(), after) << before;
    }
    // A lower-case letter is read as a capital by some controls and not by others: refused.
    MemoryEditor lower("x5.");
    EXPECT_THROW(shiftCoordinates(lower, {1, 2, 1}, defaults), UserError);
    EXPECT_EQ(lower.text(), "x5.");
}

// Nothing changes, so nothing is marked and no step is left to undo.
TEST(Shift, ZeroOffsetsLeaveTheTextAndTheModifiedFlag)
{
    const std::string text = join({"G01X10.Y5.", "X1"});
    MemoryEditor editor = unmodified(text);
    shiftCoordinates(editor, {0, 0, 0}, defaults);
    EXPECT_EQ(editor.text(), text);
    EXPECT_FALSE(editor.isModified());
    EXPECT_FALSE(editor.canUndo());
}

TEST(Shift, WholeNumbersWithNonDecimal)
{
    DecimalSettings whole;
    whole.Non_Decimal = true;
    MemoryEditor editor("X1.5Y-1.5");
    shiftCoordinates(editor, {0.25, 0.25, 0}, whole);
    EXPECT_EQ(editor.text(), "X1Y-2");
}

TEST(Shift, SelectionInsideOneLineShiftsThatWholeLineOnly)
{
    MemoryEditor editor = unmodified(join({"X1.", "G01X2.Y2.", "X3."}));
    long start = editor.positionFromLine(1) + 4;
    editor.setSelection(start, 2);
    shiftCoordinates(editor, {1, 0, 0}, defaults);
    EXPECT_EQ(editor.text(), join({"X1.", "G01X3.0Y2.", "X3."}));
    EXPECT_EQ(editor.selectionStart(), start);
    EXPECT_EQ(editor.selectionLength(), 2);
}

TEST(Shift, SelectionAcrossTwoLinesCoversBothAndKeepsItsOffsets)
{
    MemoryEditor editor(join({"X1.", "X2.", "X3.", "X4."}));
    editor.setSelection(6, 5);  // from inside line 1 to inside line 2
    shiftCoordinates(editor, {10, 0, 0}, defaults);
    EXPECT_EQ(editor.text(), join({"X1.", "X12.0", "X13.0", "X4."}));
    EXPECT_EQ(editor.selectionStart(), 6);
    EXPECT_EQ(editor.selectionLength(), 5);
}

TEST(Shift, SelectionEndingAfterALineBreakLeavesTheNextLine)
{
    MemoryEditor editor(join({"X1.", "X2.", "X3."}));
    editor.setSelection(0, 5);  // "X1.\r\n"
    shiftCoordinates(editor, {1, 0, 0}, defaults);
    EXPECT_EQ(editor.text(), join({"X2.0", "X2.", "X3."}));
}

TEST(Shift, WithoutSelectionTheCaretStaysOnItsLineAndColumn)
{
    const struct {
        long caret;
        long after;
    } cases[] = {
        {7, 8},    // line 1, column 2: the same place of the longer line
        {0, 0},    // the start of the text
        {10, 12},  // the end, after the final break
    };
    for (const auto& c : cases) {
        MemoryEditor editor(join({"X1.", "X2."}) + "\r\n");
        editor.setCaret(c.caret);
        shiftCoordinates(editor, {1, 0, 0}, defaults);
        EXPECT_EQ(editor.text(), join({"X2.0", "X3.0"}) + "\r\n");  // final break kept
        EXPECT_EQ(editor.caret(), c.after) << c.caret;
        EXPECT_EQ(editor.selectionLength(), 0);
    }
}

TEST(Shift, EmptyTextIsLeftAlone)
{
    MemoryEditor editor = unmodified("");
    shiftCoordinates(editor, {1, 1, 1}, defaults);
    EXPECT_EQ(editor.text(), "");
    EXPECT_FALSE(editor.isModified());
}

TEST(Shift, AResultTooLargeToWriteChangesNothing)
{
    const std::string doc = join({"X1.", "X2.", "X" + std::string(309, '9')});  // above the largest double
    MemoryEditor editor = unmodified(doc);
    EXPECT_THROW(shiftCoordinates(editor, {1, 0, 0}, defaults), UserError);
    EXPECT_EQ(editor.text(), doc);
    EXPECT_FALSE(editor.isModified());
}

// A program long enough to be rewritten in many pieces: varied lines, some with colour, some
// with Japanese text.
std::vector<std::string> longProgram(int lines)
{
    std::vector<std::string> program;
    for (int i = 0; i < lines; ++i) {
        switch (i % 5) {
        case 0: program.push_back("N" + std::to_string(i) + "G01X" + std::to_string(i % 977) + ".5Y-3.25"); break;
        case 1: program.push_back("X-" + std::to_string(i % 311) + ".125Z2.(仕上げ" + std::to_string(i) + ")"); break;
        case 2: program.push_back(""); break;
        case 3: program.push_back("G00Y1.Z" + std::to_string(i % 13)); break;
        default: program.push_back("X.5F200"); break;
        }
    }
    return program;
}

TEST(Shift, ALongProgramComesOutAsIfEachLineWereShiftedAlone)
{
    const std::vector<std::string> program = longProgram(60000);  // about a megabyte
    for (Recolour recolour : {Recolour::WrittenLines, Recolour::None}) {
        MemoryEditor editor(join(program) + "\r\n");
        shiftCoordinates(editor, {10, 0, -1.5}, defaults, recolour);
        ASSERT_EQ(editor.lineCount(), static_cast<int>(program.size()));
        for (int i = 0; i < editor.lineCount(); i += 997) {
            MemoryEditor alone(program[static_cast<std::size_t>(i)]);
            shiftCoordinates(alone, {10, 0, -1.5}, defaults, recolour);
            ASSERT_EQ(editor.line(i), alone.text()) << "line " << i;
            const long start = editor.positionFromLine(i);
            for (long c = 0; c < alone.length(); ++c)
                ASSERT_EQ(editor.colourAt(start + c), alone.colourAt(c)) << "line " << i << " column " << c;
        }
        EXPECT_EQ(editor.text().substr(editor.text().size() - 2), "\r\n");
    }
}

TEST(Shift, AResultTooLargeFarDownNamesItsLineAndChangesNothing)
{
    std::vector<std::string> program = longProgram(60000);
    program[54321] = "X" + std::string(309, '9');
    const std::string doc = join(program);
    MemoryEditor editor = unmodified(doc);
    try {
        shiftCoordinates(editor, {1, 0, 0}, defaults);
        FAIL() << "no error";
    } catch (const UserError& e) {
        EXPECT_STREQ(e.what(), "54321 行目の X の値が大きすぎて書けません");
    }
    EXPECT_EQ(editor.text(), doc);
    EXPECT_FALSE(editor.isModified());
}

TEST(Shift, ColoursTheWrittenLines)
{
    MemoryEditor editor(join({"N10X1.", "N20X2."}));
    shiftCoordinates(editor, {1, 0, 0}, defaults);
    EXPECT_EQ(editor.colourAt(0), TextColour::Blue);
    EXPECT_EQ(editor.colourAt(editor.positionFromLine(1) + 1), TextColour::Blue);
}

// --- Axis rotation

constexpr double kQuarter = std::numbers::pi / 2;

TEST(Rotate, QuarterTurnAboutZ)
{
    MemoryEditor editor(join({"G01X10.Y0.", "X5.", "Z-2."}));
    rotateAxes(editor, {0, 0, kQuarter}, defaults);
    // The second line gets the Y its turned point needs.
    EXPECT_EQ(editor.text(), join({"G01X0Y10.0", "X0Y5.0", "Z-2.0"}));
}

TEST(Rotate, Cases)
{
    struct Case {
        const char* before;
        AxisValues angles;
        const char* after;
    } cases[] = {
        {"X10.Y5.", {0, 0, std::numbers::pi}, "X-10.0Y-5.0"},
        {"X10.\r\nY3.", {0, 0, kQuarter}, "X0Y10.0\r\nX-3.0Y10.0"},  // y3 = carried x; words added
        {"Y5.\r\nX1.", {0, 0, kQuarter}, "X-5.0Y0\r\nX-5.0Y1.0"},    // x = 0 on the first line
        {"X10.Y5.Z3.", {0, 0, 0}, "X10.0Y5.0Z3.0"},             // identity still rewrites
        {"Y10.Z0", {kQuarter, 0, 0}, "Y0Z10.0"},                // about X
        {"X10.Z0", {0, kQuarter, 0}, "X0Z-10.0"},               // about Y
        {"G00(NOTHING)", {1, 1, 1}, "G00(NOTHING)"},
        {"X1.X2.Y0", {0, 0, std::numbers::pi}, "X-1.0X2.Y0"},   // only the first words
    };
    for (const auto& c : cases) {
        MemoryEditor editor(c.before);
        rotateAxes(editor, c.angles, defaults);
        EXPECT_EQ(editor.text(), c.after) << c.before;
    }
}

TEST(Rotate, ALineBeforeAnyZWordTurnsAboutZZero)
{
    struct Case {
        const char* before;
        AxisValues angles;
        const char* after;
    } cases[] = {
        {"Y10.", {kQuarter, 0, 0}, "Y0Z10.0"},                 // about X: y' = y cos - z sin
        {"X10.", {0, kQuarter, 0}, "X0Z-10.0"},                // about Y: x' = x cos + z sin
        {"Y10.\r\nZ5.", {kQuarter, 0, 0}, "Y0Z10.0\r\nY-5.0Z10.0"},  // the Z read later does not reach back
    };
    for (const auto& c : cases) {
        MemoryEditor editor(c.before);
        rotateAxes(editor, c.angles, defaults);
        EXPECT_EQ(editor.text(), c.after) << c.before;
    }
}

TEST(Rotate, ForcedPlacesFromOneToEight)
{
    struct Case {
        int places;
        const char* after;
    } cases[] = {
        {1, "X12.6"}, {3, "X12.640"}, {8, "X12.64000000"}, {9, "X12.640000"}, {12, "X12.640000"},
    };
    for (const auto& c : cases) {
        DecimalSettings forced;
        forced.Froce_Decimal = true;
        forced.DecimalNumber = c.places;
        MemoryEditor editor("X12.64");
        rotateAxes(editor, {0, 0, 0}, forced);
        EXPECT_EQ(editor.text(), c.after) << c.places << " places";
    }
}

TEST(Rotate, CarriesTheUnrotatedCoordinates)
{
    MemoryEditor editor(join({"X10.Y0", "Y0", "Y0"}));
    rotateAxes(editor, {0, 0, kQuarter}, defaults);
    EXPECT_EQ(editor.text(), join({"X0Y10.0", "Y10.0", "Y10.0"}));
}

TEST(Rotate, CarriesCoordinatesThroughALongProgram)
{
    // Only the first line has a Y; a quarter turn about Z writes -Y into every later X.
    std::vector<std::string> program(100000, "X5.");
    program[0] = "X0Y7.Z0";
    MemoryEditor editor(join(program));
    rotateAxes(editor, {0, 0, kQuarter}, defaults);
    EXPECT_EQ(editor.line(1), "X-7.0Y5.0");
    EXPECT_EQ(editor.line(99999), "X-7.0");
}

TEST(Rotate, IgnoresNonDecimalAndForcesBareWholeNumbers)
{
    DecimalSettings whole;
    whole.Non_Decimal = true;
    MemoryEditor a("X1.5");
    rotateAxes(a, {0, 0, 0}, whole);
    EXPECT_EQ(a.text(), "X1.5");

    DecimalSettings forced;
    forced.Froce_Decimal = true;
    forced.DecimalNumber = 0;
    forced.DecimalView = 2;
    MemoryEditor b("X12.6Y-2.5");
    rotateAxes(b, {0, 0, 0}, forced);
    EXPECT_EQ(b.text(), "X12Y-3");
}

TEST(Rotate, SelectionKeepsItsOffsets)
{
    MemoryEditor editor(join({"X1.", "X2.", "X3."}));
    editor.setSelection(5, 3);
    rotateAxes(editor, {0, 0, std::numbers::pi}, defaults);
    EXPECT_EQ(editor.text(), join({"X1.", "X-2.0", "X3."}));
    EXPECT_EQ(editor.selectionStart(), 5);
    EXPECT_EQ(editor.selectionLength(), 3);
}

// --- Value calculation

struct CalcCase {
    char letter;
    Operation operation;
    double operand;
    const char* before;
    const char* after;
};

class Calculate : public ::testing::TestWithParam<CalcCase> {};

TEST_P(Calculate, RewritesTheLetter)
{
    const CalcCase& c = GetParam();
    MemoryEditor editor(c.before);
    calculateValues(editor, c.letter, c.operation, c.operand, defaults);
    EXPECT_EQ(editor.text(), c.after);
}

INSTANTIATE_TEST_SUITE_P(WorkedExamples, Calculate, ::testing::Values(
    CalcCase{'Z', Operation::Double, 0, "G01Z-2.5", "G01Z-5.0"},
    CalcCase{'Z', Operation::Halve, 0, "G01Z-2.5", "G01Z-1.25"},
    CalcCase{'X', Operation::Multiply, 25.4, "G01X1.Y2.", "G01X25.4Y2."},
    CalcCase{'X', Operation::Divide, 25.4, "G01X25.4Y2.", "G01X1.0Y2."},
    CalcCase{'Z', Operation::Subtract, 0.5, "Z0", "Z-0.5"},
    CalcCase{'Z', Operation::Subtract, 0.5, "Z.5", "Z0"},
    CalcCase{'X', Operation::Add, 5, "(X AXIS)", "(X AXIS)"},  // a comment holds no word
    CalcCase{'X', Operation::Add, 5, "G00Y1.", "G00Y1."},
    CalcCase{'I', Operation::Double, 0, "G02X1.I2.5J1.", "G02X1.I5.0J1."},
    CalcCase{'J', Operation::Add, 1, "G02I1.J1.", "G02I1.J2.0"},
    CalcCase{'K', Operation::Halve, 0, "K3.", "K1.5"},
    CalcCase{'R', Operation::Multiply, 2, "G02R5.", "G02R10.0"},
    CalcCase{'A', Operation::Add, 90, "A0", "A90.0"},
    CalcCase{'X', Operation::Divide, 1e-3, "X1.", "X1000.0"}));  // only an exact zero is refused

TEST(CalculateCommand, DivisionByExactZeroChangesNothing)
{
    const std::string text = join({"X1.", "X2."});
    MemoryEditor editor = unmodified(text);
    EXPECT_TRUE(dividesByZero(Operation::Divide, 0.0));
    EXPECT_TRUE(dividesByZero(Operation::Divide, -0.0));
    EXPECT_FALSE(dividesByZero(Operation::Multiply, 0.0));
    EXPECT_FALSE(dividesByZero(Operation::Divide, 1e-300));
    try {
        calculateValues(editor, 'X', Operation::Divide, 0, defaults);
        FAIL() << "no error";
    } catch (const UserError& e) {
        EXPECT_STREQ(e.what(), "0だよ割り算できない");
    }
    EXPECT_EQ(editor.text(), text);
    EXPECT_FALSE(editor.isModified());
}

TEST(CalculateCommand, EveryLineOfTheRange)
{
    MemoryEditor editor(join({"X1.", "Y1.", "X2."}));
    calculateValues(editor, 'X', Operation::Double, 0, defaults);
    EXPECT_EQ(editor.text(), join({"X2.0", "Y1.", "X4.0"}));

    editor.setSelection(editor.positionFromLine(2), 1);
    calculateValues(editor, 'X', Operation::Double, 0, defaults);
    EXPECT_EQ(editor.text(), join({"X2.0", "Y1.", "X8.0"}));
}

TEST(CalculateCommand, OverflowChangesNothing)
{
    const std::string text = join({"X1.", "X1" + std::string(300, '0')});
    MemoryEditor editor = unmodified(text);
    EXPECT_THROW(calculateValues(editor, 'X', Operation::Multiply, 1e10, defaults), UserError);
    EXPECT_EQ(editor.text(), text);
    EXPECT_FALSE(editor.isModified());
}

// --- Line-order reversal

TEST(Reverse, AllLines)
{
    MemoryEditor editor = unmodified(join({"N1", "N2", "N3", "N4"}));
    reverseLines(editor);
    EXPECT_EQ(editor.text(), join({"N4", "N3", "N2", "N1"}));
    EXPECT_TRUE(editor.isModified());
}

TEST(Reverse, SelectedLinesKeepTheirOffsets)
{
    MemoryEditor editor(join({"N10", "N20", "N30", "N40", "N50"}));
    long start = editor.positionFromLine(1) + 1;
    long length = editor.positionFromLine(3) + 2 - start;
    editor.setSelection(start, length);
    reverseLines(editor);
    EXPECT_EQ(editor.text(), join({"N10", "N40", "N30", "N20", "N50"}));
    EXPECT_EQ(editor.selectionStart(), start);
    EXPECT_EQ(editor.selectionLength(), length);
    reverseLines(editor);  // twice: the order as before
    EXPECT_EQ(editor.text(), join({"N10", "N20", "N30", "N40", "N50"}));
}

TEST(Reverse, SelectionEndingAfterALineBreak)
{
    MemoryEditor editor(join({"A", "BB", "CCC"}));
    editor.setSelection(0, 7);  // "A\r\nBB\r\n"
    reverseLines(editor);
    EXPECT_EQ(editor.text(), join({"BB", "A", "CCC"}));
}

TEST(Reverse, OddAndEvenCountsAndAFinalBreak)
{
    const TextCase cases[] = {
        {"A\r\nB\r\nC", "C\r\nB\r\nA"},
        {"A\r\nB\r\nC\r\n", "C\r\nB\r\nA\r\n"},
        {"A\r\n\r\nB", "B\r\n\r\nA"},
    };
    for (auto [before, after] : cases) {
        MemoryEditor editor(before);
        reverseLines(editor);
        EXPECT_EQ(editor.text(), after) << before;
    }
}

// The colours of line `index` as one letter per character: . default, r red, b blue, g green.
std::string coloursOfLine(const MemoryEditor& e, int index)
{
    static const char letters[] = {'.', 'r', 'b', 'g'};
    std::string out;
    const long start = e.positionFromLine(index);
    for (long i = 0; i < countCharacters(e.line(index)); ++i)
        out += letters[static_cast<int>(e.colourAt(start + i))];
    return out;
}

TEST(Reverse, RecoloursTheSwappedLinesAndLeavesTheMiddleOneAsItWas)
{
    // "N30.5" reads "bbbbb" after the whole-text pass and "bbb.." after the line pass, so the
    // middle line shows whether it was left alone.
    struct Case {
        std::vector<std::string> lines;
        std::vector<std::string> colours;  // of the reversed lines
    } cases[] = {
        {{"N10X1.", "G01", "N30.5", "(B", "O5"}, {"rr", "gg", "bbbbb", "...", "bbb..."}},
        {{"N10X1.", "(B", "N30.5", "O5"}, {"rr", "bbb..", "gg", "bbb..."}},
    };
    for (const auto& c : cases) {
        MemoryEditor editor(join(c.lines));
        colouring::ColourAll(editor);
        editor.setCaret(0);
        reverseLines(editor);
        for (std::size_t i = 0; i < c.colours.size(); ++i)
            EXPECT_EQ(coloursOfLine(editor, static_cast<int>(i)), c.colours[i]) << c.lines.size() << " lines, line " << i;
    }
}

TEST(Reverse, OneLineChangesNothing)
{
    MemoryEditor editor = unmodified(join({"N1", "N2"}));
    editor.setSelection(1, 1);
    reverseLines(editor);
    EXPECT_EQ(editor.text(), join({"N1", "N2"}));
    EXPECT_FALSE(editor.isModified());
}

}  // namespace
}  // namespace zorvan::nc
