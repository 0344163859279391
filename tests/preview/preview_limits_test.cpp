// Programs made to hurt the preview: endless repeats, numbers past every range, nesting without
// end. The interpreter must finish on each with a path of bounded size and say what it left out.
#include "preview_support.h"

#include "preview/logic/shown_number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace preview_test;

namespace {

TEST(PreviewLimits, RepeatsAreCutShortAtTheVertexBudget)
{
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        std::size_t vertices;  // made before the cut
        int cutLine;           // the line whose move did not fit
        int laterLine;         // a line after the cut: never run
    };
    const Case cases[] = {
        {"subprogram repeats",
         {"G90G00X0Y0Z0", "M98P5L5000", "G90G00X-5.", "M30", "O5", "G91G01X1.F10", "M99"}, 1000, 5, 2},
        {"canned-cycle repeats", {"G90G00X0Y0Z10.", "G91G99G81X1.Z-2.R-9.K5000F100", "G90G00X-5."}, 1000, 1, 2},
        {"pecks", {"G90G00X0Y0Z0", "G83X0Y0Z-100.R0Q.01F100", "G00X-5."}, 1000, 1, 2},
        // A circle of radius 100 is 315 chords: a fourth one does not fit and is left out whole.
        {"arcs", {"G90G00X0Y0Z0", "M98P7L50", "G00X-5.", "M30", "O7", "G02X0Y0I-100.F100", "M99"}, 1 + 3 * 315, 5,
         2},
    };
    InterpreterOptions options;
    options.maxVertices = 1000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Toolpath path = run(c.lines, options);
        EXPECT_EQ(path.vertexCount(), c.vertices);
        EXPECT_EQ(diagnosticLines(path, DiagnosticCode::PathCutShort), std::vector<int>{c.cutLine});
        EXPECT_EQ(verticesOfLine(path, c.laterLine), "");
        EXPECT_FALSE(path.cancelled);
        EXPECT_NE(diagnosticText(path.diagnostics.back()), "?");
    }
    // Within the budget nothing is cut.
    Toolpath whole = run(cases[0].lines, {});
    EXPECT_EQ(whole.vertexCount(), 5002u);
    EXPECT_TRUE(whole.diagnostics.empty());
}

TEST(PreviewLimits, RepeatsWithoutMovesAreCutShortByTheirWork)
{
    InterpreterOptions options;
    options.maxWork = 100000;
    Toolpath path = run({"M98P5L99999999", "G00X1.Y1.Z1.", "M30", "O5", "G04X1.", "M99"}, options);
    ASSERT_EQ(path.diagnostics.size(), 1u);
    EXPECT_EQ(path.diagnostics[0].code, DiagnosticCode::RunCutShort);
    EXPECT_GE(path.diagnostics[0].line, 4u);
    EXPECT_NE(diagnosticText(path.diagnostics[0]), "?");
    EXPECT_EQ(path.vertexCount(), 0u);
}

TEST(PreviewLimits, AssignmentsAndExpressionsCountTowardTheWork)
{
    // Each run of the subprogram makes one vertex, so the vertices count the runs made before the
    // cut: the work of 200 assignments a run bounds them, with the default budget.
    std::vector<std::string> lines = {"M98P5L2147483647", "M30", "O5"};
    for (int i = 0; i < 200; ++i)
        lines.push_back("#1=[#1+1]*1");
    lines.insert(lines.end(), {"G91G00X1.", "M99"});
    Toolpath path = run(lines);
    ASSERT_FALSE(path.diagnostics.empty());
    EXPECT_EQ(path.diagnostics.back().code, DiagnosticCode::RunCutShort);
    EXPECT_GT(path.vertexCount(), 1000u);
    EXPECT_LT(path.vertexCount(), 30000u);
}

TEST(PreviewLimits, EachLineOfALongProgramRunsOnceWhateverTheBudget)
{
    std::vector<std::string> lines;
    for (int i = 0; i < 2000; ++i)
        lines.push_back("#1=[#1+1]*1G01X#1F100");
    InterpreterOptions options;
    options.maxWork = 0;
    Toolpath path = run(lines, options);
    EXPECT_EQ(path.vertexCount(), 2000u);
    EXPECT_TRUE(path.diagnostics.empty());
}

TEST(PreviewLimits, NumbersShowAsShortTexts)
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        int decimals;
        const char* shown;
    } numbers[] = {
        {1.5, 3, "1.500"},      {-0.0004, 3, "0.000"}, {1e65, 3, "1.000e+65"}, {-1e300, 4, "-1.0000e+300"},
        {inf, 3, "inf"},        {-inf, 3, "-inf"},     {std::nan(""), 3, "—"},  {99999999999., 0, "99999999999"},
    };
    for (const auto& n : numbers)
        EXPECT_EQ(shownNumber(n.value, n.decimals), n.shown) << n.value;
    const struct {
        double minutes;
        const char* shown;
    } durations[] = {{0, "0:00:00"}, {61.5, "1:01:30"}, {inf, "—"}, {-1, "—"}, {std::nan(""), "—"}, {1e12, "—"}};
    for (const auto& d : durations)
        EXPECT_EQ(shownDuration(d.minutes), d.shown) << d.minutes;
    // A message ends whole whatever its number.
    EXPECT_EQ(diagnosticText({0, DiagnosticCode::ArcRadiusMismatch, 1e300}), "円弧の始点と終点で半径が 1.0000e+300 違います");
}

TEST(PreviewLimits, DiagnosticsAreBoundedButTheCutIsAlwaysTold)
{
    const std::vector<std::string> lines = {"M98P5L1000", "M30", "O5", "G91G00X1.Y#5001", "M99"};
    InterpreterOptions options;
    options.maxDiagnostics = 50;
    Toolpath bounded = run(lines, options);
    EXPECT_EQ(bounded.diagnostics.size(), 50u);
    EXPECT_EQ(bounded.vertexCount(), 1000u);  // the rest of the run goes on

    options.maxVertices = 100;
    Toolpath cut = run(lines, options);
    ASSERT_EQ(cut.diagnostics.size(), 51u);
    EXPECT_EQ(cut.diagnostics.back().code, DiagnosticCode::PathCutShort);
}

TEST(PreviewLimits, MoreToolsThanAVertexCanNameShareTheLast)
{
    // Tools 1 .. 70000, each changed to and moved with once.
    Toolpath path = run({"M98P5L70000", "M30", "O5", "#1=#1+1", "T#1M06", "G00X#1", "M99"});
    ASSERT_EQ(path.vertexCount(), 70000u);
    ASSERT_EQ(path.tools.size(), 0x10000u);  // tool 0 (before any change) and 1 .. 65535
    EXPECT_EQ(path.tools[path.tool[65534]], 65535);
    EXPECT_EQ(path.tool[65535], 0xffff);
    EXPECT_EQ(path.tool.back(), 0xffff);
}

TEST(PreviewLimits, APeckTooSmallForTheDepthFeedsTheRestAtOnce)
{
    // 1 is below the spacing of doubles near 1e17: depth - Q is depth again.
    Toolpath path = run({"G90G00X0Y0Z0", "G98G83X0Y0R100000000000000000.Z-100000000000000000.Q1.F100"});
    EXPECT_EQ(verticesOfLine(path, 1), "c(0,0,0) c(0,0,1e+17) d(0,0,-1e+17) c(0,0,0)");
}

TEST(PreviewLimits, ValuesPastEveryRangeAreNotGiven)
{
    // #1 is NaN; each word below is left out with a diagnostic, and the rest of its block runs.
    const char* words[] = {"#1", "-#1", "[#1]", "[EXP[1000]]", "-[EXP[1000]]", "[LN[0]]", "[ACOS[2]]"};
    for (const char* word : words) {
        SCOPED_TRACE(word);
        Toolpath path = run({"G00X0Y0Z0#1=SQRT[-1]", std::string("G01X") + word + "Y5.F10"});
        EXPECT_EQ(verticesOfLine(path, 1), "f(0,5,0)");
        EXPECT_EQ(diagnosticLines(path, DiagnosticCode::BadExpression), std::vector<int>{1});
    }
    // A code too: the motion stays as it was.
    Toolpath code = run({"G00X0Y0Z0", "G[EXP[1000]]X3."});
    EXPECT_EQ(verticesOfLine(code, 1), "r(3,0,0)");
    EXPECT_EQ(diagnosticLines(code, DiagnosticCode::BadExpression), std::vector<int>{1});
    EXPECT_TRUE(diagnosticLines(code, DiagnosticCode::UnsupportedG).empty());
}

// `count` copies of `piece`.
std::string repeated(const std::string& piece, std::size_t count)
{
    std::string out;
    out.reserve(piece.size() * count);
    for (std::size_t i = 0; i < count; ++i)
        out += piece;
    return out;
}

TEST(PreviewLimits, ExpressionsNestedTooDeeplyAreRefused)
{
    struct Case {
        const char* name;
        std::string word;  // after "G01X" in a block that also moves on Y
        bool refused;
    };
    const std::size_t deep = 2'000'000;
    const Case cases[] = {
        {"brackets", repeated("[", deep) + "1" + repeated("]", deep), true},
        {"an unclosed run of brackets", repeated("[", deep), true},
        {"signs", "[" + repeated("-", deep) + "1]", true},
        {"functions", "[" + repeated("ABS[", deep) + "1" + repeated("]", deep) + "]", true},
        {"indirect variables", repeated("#", deep) + "1", true},
        {"a written depth is read", repeated("[", 60) + "-[ABS[-2]]+#[1+[0]]" + repeated("]", 60), false},
        {"brackets at the limit", "-" + repeated("[", 200) + "2" + repeated("]", 200), false},
        {"brackets one past the limit", "-" + repeated("[", 201) + "2" + repeated("]", 201), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Toolpath path = run({"G00X0Y0Z0", "G01Y5.F10X" + c.word});
        EXPECT_EQ(verticesOfLine(path, 1), c.refused ? "f(0,5,0)" : "f(-2,5,0)");
        EXPECT_EQ(diagnosticLines(path, DiagnosticCode::BadExpression), c.refused ? std::vector<int>{1} : std::vector<int>{});
    }
    // On the left of an assignment too.
    Toolpath assigned = run({"#" + repeated("#", deep) + "1=5", "G00X#1Y0Z0"});
    EXPECT_EQ(diagnosticLines(assigned, DiagnosticCode::BadExpression), std::vector<int>{0});
}

TEST(PreviewLimits, NumbersBeyondAnIntegersRangeAreNotCastToOne)
{
    struct Case {
        const char* word;  // after "G00Y5.X"
        const char* vertices;
        std::vector<DiagnosticCode> diagnostics;
    };
    const Case cases[] = {
        {"[3OR4]", "r(7,5,0)", {}},
        {"[6AND3]", "r(2,5,0)", {}},
        {"[5XOR1]", "r(4,5,0)", {}},
        {"[-1AND255]", "r(255,5,0)", {}},
        {"[SQRT[-1]OR1]", "r(0,5,0)", {DiagnosticCode::BadExpression}},
        {"[1OR10000000000000000000.]", "r(0,5,0)", {DiagnosticCode::BadExpression}},
        {"[-10000000000000000000.XOR0]", "r(0,5,0)", {DiagnosticCode::BadExpression}},
        {"[10000000000000000000.AND1]", "r(0,5,0)", {DiagnosticCode::BadExpression}},
        {"[1AND[1/0]]", "r(0,5,0)", {DiagnosticCode::DivisionByZero}},
        {"#[99999999999.]", "r(0,5,0)", {DiagnosticCode::UnreadableVariable}},
        {"#[-99999999999.]", "r(0,5,0)", {DiagnosticCode::UnreadableVariable}},
        {"#[SQRT[-1]]", "r(0,5,0)", {DiagnosticCode::UnreadableVariable}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        Toolpath path = run({"G00X0Y0Z0", std::string("G00Y5.X") + c.word});
        EXPECT_EQ(verticesOfLine(path, 1), c.vertices);
        std::vector<DiagnosticCode> codes;
        for (const Diagnostic& d : path.diagnostics)
            codes.push_back(d.code);
        EXPECT_EQ(codes, c.diagnostics);
    }
    // Assigned to: the number is told as written.
    Toolpath assigned = run({"#[99999999999.]=1"});
    ASSERT_EQ(assigned.diagnostics.size(), 1u);
    EXPECT_EQ(assigned.diagnostics[0].value, 99999999999.);

    // A program number past int names no program (it is not its value cut to 32 bits).
    Toolpath call = run({"G00X0Y0Z0", "M98P1", "M30", "O4294967297", "G00X9.", "M99"});
    EXPECT_EQ(diagnosticLines(call, DiagnosticCode::UnknownSubprogram), std::vector<int>{1});
    EXPECT_EQ(verticesOfLine(call, 4), "");
}

TEST(PreviewLimits, AnArcPastTheRangeOfDoublesIsOneChord)
{
    // R 1e308: the centre's distance from the chord overflows, the sweep comes out NaN.
    Toolpath path = run({"G00X0Y0Z0", "G02X10.Y0R1" + std::string(308, '0') + ".F100"});
    EXPECT_EQ(verticesOfLine(path, 1), "a(10,0,0)");
    EXPECT_TRUE(diagnosticLines(path, DiagnosticCode::PathCutShort).empty());
}

}  // namespace
