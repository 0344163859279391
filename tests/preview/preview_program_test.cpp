// Canned cycles, subprograms, macro expressions, the reading of words and the diagnostics.
#include "nc/logic/nc_words.h"
#include "preview_support.h"

#include <gtest/gtest.h>

using namespace preview_test;

namespace {

struct LineCase {
    const char* name;
    std::vector<std::string> lines;
    int line;              // the line whose vertices are checked
    const char* vertices;  // as verticesOfLine writes them
};

void expectLines(const LineCase* begin, const LineCase* end, const InterpreterOptions& options = {})
{
    for (const LineCase* c = begin; c != end; ++c) {
        SCOPED_TRACE(c->name);
        Toolpath path = run(c->lines, options);
        EXPECT_EQ(verticesOfLine(path, c->line), c->vertices);
    }
}

TEST(PreviewCycles, ExpandedMoves)
{
    const LineCase cases[] = {
        {"G81 under G99 returns to R", {"G90G00X0Y0Z50.", "G99G81X10.Y0Z-5.R2.F100"}, 1,
         "c(10,0,50) c(10,0,2) d(10,0,-5) c(10,0,2)"},
        {"G81 under G98 returns to the initial level", {"G90G00X0Y0Z50.", "G98G81X10.Y0Z-5.R2.F100"}, 1,
         "c(10,0,50) c(10,0,2) d(10,0,-5) c(10,0,50)"},
        {"the next hole starts from the R level under G99", {"G90G00X0Y0Z50.", "G99G81X10.Z-5.R2.F100", "X20."}, 2,
         "c(20,0,2) d(20,0,-5) c(20,0,2)"},
        {"R and Z under G91: R from the initial level, Z from R, K repeats by X",
         {"G90G00X0Y0Z50.", "G91G98G81X10.Z-7.R-48.K3F100"}, 1,
         "c(10,0,50) c(10,0,2) d(10,0,-5) c(10,0,50) c(20,0,50) c(20,0,2) d(20,0,-5) c(20,0,50) "
         "c(30,0,50) c(30,0,2) d(30,0,-5) c(30,0,50)"},
        {"G91 holes step from a start that is not 0", {"G90G00X5.Y3.Z10.", "G91G99G81X10.Y2.Z-3.R-8.K2F100"}, 1,
         "c(15,5,10) c(15,5,2) d(15,5,-1) c(15,5,2) c(25,7,2) d(25,7,-1) c(25,7,2)"},
        {"G98 after G99 rises to the level before the cycle's first hole",
         {"G90G00X0Y0Z50.", "G99G81X10.Z-5.R2.F100", "G98X20."}, 2, "c(20,0,2) d(20,0,-5) c(20,0,50)"},
        {"a block with only R drills again where the tool is", {"G90G00X0Y0Z10.", "G99G81X5.Z-1.R1.F100", "R3."}, 2,
         "c(5,0,1) c(5,0,3) d(5,0,-1) c(5,0,3)"},
        {"K repeats under G90 drill the same hole", {"G90G00X0Y0Z10.", "G99G81X5.Z-1.R1.K2F100"}, 1,
         "c(5,0,10) c(5,0,1) d(5,0,-1) c(5,0,1) c(5,0,1) d(5,0,-1) c(5,0,1)"},
        {"K0 only stores the data", {"G90G00X0Y0Z10.", "G81X5.Z-1.R1.K0F100"}, 1, ""},
        {"G83 pecks back to R", {"G90G00X0Y0Z10.", "G98G83X0Y0Z-5.R2.Q2.F100"}, 1,
         "c(0,0,10) c(0,0,2) d(0,0,0) c(0,0,2) c(0,0,0.1) d(0,0,-2) c(0,0,2) c(0,0,-1.9) d(0,0,-4) c(0,0,2) "
         "c(0,0,-3.9) d(0,0,-5) c(0,0,10)"},
        {"G73 breaks the chip in place", {"G90G00X0Y0Z10.", "G99G73X0Y0Z-5.R2.Q3.F100"}, 1,
         "c(0,0,10) c(0,0,2) d(0,0,-1) c(0,0,-0.9) d(0,0,-4) c(0,0,-3.9) d(0,0,-5) c(0,0,2)"},
        {"G84 feeds out, then G98 rises", {"G90G00X0Y0Z10.", "G98G84X0Y0Z-5.R2.F100"}, 1,
         "c(0,0,10) c(0,0,2) d(0,0,-5) d(0,0,2) c(0,0,10)"},
        {"G85 feeds out to R under G99", {"G90G00X0Y0Z10.", "G99G85X0Y0Z-5.R2.F100"}, 1,
         "c(0,0,10) c(0,0,2) d(0,0,-5) d(0,0,2)"},
        {"G89 feeds out to R under G99", {"G90G00X0Y0Z10.", "G99G89X0Y0Z-5.R2.F100"}, 1,
         "c(0,0,10) c(0,0,2) d(0,0,-5) d(0,0,2)"},
        {"G80 cancels: axes move again", {"G90G00X0Y0Z10.", "G99G81X5.Z-1.R1.F100", "G80X9."}, 2, "r(9,0,1)"},
        {"a motion code cancels the cycle", {"G90G00X0Y0Z10.", "G81X5.Z-1.R1.F100", "G01X9.F50"}, 2, "f(9,0,10)"},
        {"a block with no position does not drill", {"G90G00X0Y0Z10.", "G81X5.Z-1.R1.F100", "F200"}, 2, ""},
    };
    expectLines(std::begin(cases), std::end(cases));
}

TEST(PreviewCycles, MissingDepthIsReported)
{
    Toolpath path = run({"G90G00X0Y0Z10.", "G81X5.R1.F100"});
    EXPECT_EQ(diagnosticLines(path, DiagnosticCode::CycleWithoutDepth), std::vector<int>{1});
}

TEST(PreviewSubprograms, EachSegmentKeepsItsLine)
{
    const std::vector<std::string> lines = {
        "O1",                   // 0
        "G90G00X0Y0Z0",         // 1
        "M98P100L2",            // 2
        "G01X50.F100",          // 3
        "M30",                  // 4
        "O100",                 // 5
        "G91G01X10.",           // 6
        "Y10.",                 // 7
        "G90M99",               // 8
    };
    Toolpath path = run(lines);
    EXPECT_EQ(path.line, (std::vector<std::uint32_t>{1, 6, 7, 6, 7, 3}));
    EXPECT_EQ(path.x, (std::vector<float>{0, 10, 10, 20, 20, 50}));
    EXPECT_EQ(path.y, (std::vector<float>{0, 0, 10, 10, 20, 20}));
    EXPECT_EQ(path.rangesOfLine(6).size(), 2u);
    EXPECT_EQ(path.rangesOfLine(5).size(), 0u);
    EXPECT_EQ(path.vertexAfterLine(4), 5);
    EXPECT_EQ(path.vertexAfterLine(2), 4);  // the call leaves the tool where the subprogram did
    EXPECT_TRUE(path.diagnostics.empty());
}

TEST(PreviewSubprograms, CallForms)
{
    const LineCase cases[] = {
        {"count before the number in P", {"G90G00X0Y0Z0", "M98P30200", "M30", "O200", "G91G01X1.F10", "M99"}, 4,
         "f(1,0,0) f(2,0,0) f(3,0,0)"},
        {"K as the count", {"G90G00X0Y0Z0", "M98P200K2", "M30", "O200", "G91G01X1.F10", "M99"}, 4,
         "f(1,0,0) f(2,0,0)"},
        {"nested calls", {"G90G00X0Y0Z0", "M98P10L2", "M30", "O10", "M98P20L2", "M99", "O20", "G91G01Y1.F10", "M99"}, 7,
         "f(0,1,0) f(0,2,0) f(0,3,0) f(0,4,0)"},
        {"the line after the call runs after the return",
         {"G90G00X0Y0Z0", "M98P10", "G90G00X9.", "M30", "O10", "G00Y5.", "M99"}, 2, "r(9,5,0)"},
    };
    expectLines(std::begin(cases), std::end(cases));
}

TEST(PreviewSubprograms, FaultsAreReportedAndTheProgramGoesOn)
{
    Toolpath unknown = run({"G00X0Y0Z0", "M98P77", "G01X5.F10"});
    EXPECT_EQ(diagnosticLines(unknown, DiagnosticCode::UnknownSubprogram), std::vector<int>{1});
    EXPECT_EQ(verticesOfLine(unknown, 2), "f(5,0,0)");

    Toolpath recursive = run({"G00X0Y0Z0", "M98P5", "M30", "O5", "G91G01X1.F10", "M98P5", "M99"});
    EXPECT_EQ(diagnosticLines(recursive, DiagnosticCode::CallsTooDeep), std::vector<int>{5});
    EXPECT_EQ(recursive.rangesOfLine(4).size(), 8u);

    Toolpath runaway = run({"G00X0Y0Z0", "M98P5", "G90G00X7.", "M30", "O5", "G91G01X1.F10"});
    EXPECT_EQ(diagnosticLines(runaway, DiagnosticCode::MissingReturn), std::vector<int>{5});
    EXPECT_EQ(verticesOfLine(runaway, 2), "r(7,0,0)");
}

TEST(PreviewMacros, ExpressionsInAddresses)
{
    const LineCase cases[] = {
        {"variables and brackets", {"#1=10.", "#2=[#1*2+1]/3", "G00X#1Y-#2Z[SIN[30.]*4]"}, 2, "r(10,-7,2)"},
        {"precedence and unary minus", {"G00X[1+2*3]Y[-[2-5]]Z[10/4-1]"}, 0, "r(7,3,1.5)"},
        {"functions", {"#5=SQRT[16]+ABS[-2]", "#6=ATAN[1]/[1]", "G00X#5Y#6Z[ROUND[1.5]+FIX[-1.7]+FUP[1.2]]"}, 2,
         "r(6,45,3)"},
        {"indirect variable", {"#1=90", "#[#1+10]=5.", "G00X#100Y0Z0"}, 2, "r(5,0,0)"},
        {"ATAN of two gives 0 to 360, MOD keeps the dividend's sign", {"G90G00X[ATAN[-1]/[-1]]Y[7MOD-3]Z[-7MOD3]"}, 0,
         "r(225,1,-1)"},
        {"#0 stays vacant when assigned", {"#0=5.", "G90G00X[#0+1]Y0Z0"}, 1, "r(1,0,0)"},
        {"a vacant variable leaves the address out", {"G00X1.Y2.Z3.", "G01X#9Y5.F10"}, 1, "f(1,5,3)"},
        {"vacant counts as 0 in arithmetic", {"G00X[#9+4]Y0Z0"}, 0, "r(4,0,0)"},
        {"expression values are not scaled by the increment reading", {"#1=10", "G00X#1Y10Z0"}, 1, "r(10,0.01,0)"},
    };
    InterpreterOptions increments;
    increments.leastIncrement = true;
    expectLines(std::begin(cases), std::end(cases) - 1);
    expectLines(std::end(cases) - 1, std::end(cases), increments);
}

TEST(PreviewWords, ReadingOfNumbersAndBlocks)
{
    const LineCase cases[] = {
        {"X10 is 10", {"G00X10Y-.5Z1.2"}, 0, "r(10,-0.5,1.2)"},
        {"comments with Japanese text and letters are skipped", {"G00X1.(工具 X99 ボールエンドミル)Y2.Z0"}, 0, "r(1,2,0)"},
        {"block delete skips the block", {"G00X1.Y1.Z0", "/G00X99."}, 1, ""},
        {"N words and percent lines carry nothing", {"%", "N10G00X3.Y0Z0"}, 1, "r(3,0,0)"},
        {"G91 adds", {"G00X1.Y1.Z0", "G91X2.Y-3."}, 1, "r(3,-2,0)"},
        {"work offsets and tool length are drawn at the programmed point", {"G54G43H1G00X1.Y2.Z3."}, 0, "r(1,2,3)"},
        {"dwell X is a time, not a move", {"G00X1.Y1.Z0", "G04X2."}, 1, ""},
        {"G92 names the position: the tool stays, later points follow", {"G00X1.Y1.Z0", "G92X0Y0", "G01X1.F10"}, 2,
         "f(2,1,0)"},
        {"a semicolon ends the block", {"G90G00X0Y0Z0", "G00X1.;Y5."}, 1, "r(1,0,0)"},
    };
    expectLines(std::begin(cases), std::end(cases));
}

// Each malformed number makes its block unreadable: no move, one diagnostic naming the word as
// written, and the next block moves from where the tool was.
TEST(PreviewWords, MalformedNumbersMakeNoMove)
{
    struct Case {
        const char* line;
        const char* word;
        zorvan::nc::NumberProblem reason;
    };
    using zorvan::nc::NumberProblem;
    const Case cases[] = {
        {"G1 X3..5 F100", "X3..5", NumberProblem::TwoPoints},
        {"G1 X2.5.7", "X2.5.7", NumberProblem::TwoPoints},
        {"G1 X.", "X.", NumberProblem::NoDigit},
        {"G1 X.-5", "X.-5", NumberProblem::NoDigit},
        {"G1 X5.-3", "X5.-3", NumberProblem::SignAfterPoint},
        {"G1 X1. Y0. .", "Y0. .", NumberProblem::StrayPoint},
        {"N210 .", "N210 .", NumberProblem::StrayPoint},
        {"G1 X4. .", "X4. .", NumberProblem::StrayPoint},
        {". G1 X4.", ".", NumberProblem::StrayPoint},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const Toolpath path = run({"G90G0X0Y0Z0", "G1X1.F100", c.line, "X2."});
        EXPECT_EQ(verticesOfLine(path, 2), "");
        EXPECT_EQ(verticesOfLine(path, 3), "f(2,0,0)");
        ASSERT_EQ(path.diagnostics.size(), 1u);
        const Diagnostic& d = path.diagnostics[0];
        EXPECT_EQ(d.line, 2u);
        EXPECT_EQ(d.code, DiagnosticCode::UnreadableNumber);
        EXPECT_EQ(d.word, c.word);
        EXPECT_EQ(d.reason, static_cast<std::uint8_t>(c.reason));
    }
    const Toolpath path = run({"G0 X3..5"});
    EXPECT_EQ(diagnosticText(path.diagnostics.at(0)), "「X3..5」の数値が読めません (小数点が二つ)。この行では動きません");
}

TEST(PreviewWords, LeastIncrementReading)
{
    const LineCase cases[] = {
        {"X10 is 0.010 in millimetres", {"G21G00X10Y10.Z-2500"}, 0, "r(0.01,10,-2.5)"},
        {"and 0.0010 in inches", {"G20G00X10Y10.Z0"}, 0, "r(0.001,10,0)"},
        {"R, I, J and Q scale too", {"G21G00X0Y0Z0", "G02X2000Y0I1000J0F100"}, 1, ""},
    };
    InterpreterOptions options;
    options.leastIncrement = true;
    expectLines(std::begin(cases), std::end(cases) - 1, options);
    Toolpath arc = run(cases[2].lines, options);
    EXPECT_NEAR(arc.extents.max[0], 2.0, 1e-9);
    EXPECT_NEAR(arc.extents.max[1], 1.0, 1e-9);
    EXPECT_TRUE(arc.diagnostics.empty());
}

TEST(PreviewTools, ToolChangesTakeEffectAtM06)
{
    Toolpath path = run({"T1M06", "G00X1.Y0Z0", "T2", "X2.", "M06", "X3."});
    ASSERT_EQ(path.vertexCount(), 3u);
    EXPECT_EQ(path.tools[path.tool[0]], 1);
    EXPECT_EQ(path.tools[path.tool[1]], 1);
    EXPECT_EQ(path.tools[path.tool[2]], 2);
}

TEST(PreviewDiagnostics, ReportedWithTheirLinesAndTheRestStillRuns)
{
    struct Case {
        const char* line;
        DiagnosticCode code;
    };
    const Case cases[] = {
        {"IF[#1GT2]GOTO10", DiagnosticCode::BranchSkipped},
        {"GOTO5", DiagnosticCode::BranchSkipped},
        {"WHILE[#1LT3]DO1", DiagnosticCode::BranchSkipped},
        {"END1", DiagnosticCode::BranchSkipped},
        {"G65P9000A1.", DiagnosticCode::UnsupportedG},
        {"G00X0.?Y0", DiagnosticCode::BadCharacter},
        {"#1=[2+", DiagnosticCode::BadExpression},
        {"#1=4/0", DiagnosticCode::DivisionByZero},
        {"G00X#5001", DiagnosticCode::UnreadableVariable},
        {"G00X#1000", DiagnosticCode::UnreadableVariable},
        {"G16X5.", DiagnosticCode::UnsupportedG},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        Toolpath path = run({"G00X0Y0Z0", c.line, "G01X7.F10"});
        EXPECT_EQ(diagnosticLines(path, c.code), std::vector<int>{1});
        EXPECT_EQ(verticesOfLine(path, 2), "f(7,0,0)");
        EXPECT_FALSE(diagnosticText(path.diagnostics.at(0)).empty());
    }
    // A skipped branch line runs nothing of itself.
    EXPECT_EQ(verticesOfLine(run({"G00X0Y0Z0", "IF[1EQ1]G00X5."}), 1), "");
}

TEST(PreviewTotals, ExtentsLengthsAndTime)
{
    InterpreterOptions options;
    options.rapidRate = 1000;
    // The first move counts by its end only; arcs, feeds and rapids add up by kind.
    Toolpath path = run({"G90G00X10.Y0Z5.", "G01Z0F100", "G02X-10.Y0R10.", "G00Z5."}, options);
    EXPECT_NEAR(path.length[static_cast<int>(MoveKind::Rapid)], 5, 1e-9);
    EXPECT_NEAR(path.length[static_cast<int>(MoveKind::Feed)], 5, 1e-9);
    EXPECT_NEAR(path.length[static_cast<int>(MoveKind::Arc)], 10 * 3.141592653589793, 1e-9);
    EXPECT_NEAR(path.minutes, 5.0 / 1000 + (5 + 10 * 3.141592653589793) / 100, 1e-9);
    EXPECT_DOUBLE_EQ(path.extents.min[0], -10);
    EXPECT_DOUBLE_EQ(path.extents.min[1], -10);
    EXPECT_DOUBLE_EQ(path.feedExtents.max[2], 5);  // the feed down starts at Z5
    EXPECT_EQ(path.vertexAfterLine(0), 0);
}

}  // namespace
