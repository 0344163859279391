// Programs made to hurt the preview: endless repeats, numbers past every range, nesting without
// end. The interpreter must finish on each with a path of bounded size and say what it left out.
#include "preview_support.h"

#include <gtest/gtest.h>

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

TEST(PreviewLimits, APeckTooSmallForTheDepthFeedsTheRestAtOnce)
{
    // 1 is below the spacing of doubles near 1e17: depth - Q is depth again.
    Toolpath path = run({"G90G00X0Y0Z0", "G98G83X0Y0R100000000000000000.Z-100000000000000000.Q1.F100"});
    EXPECT_EQ(verticesOfLine(path, 1), "c(0,0,0) c(0,0,1e+17) d(0,0,-1e+17) c(0,0,0)");
}

}  // namespace
