// Constructs of real programs, each worked out by hand: words as controls read them, full
// circles, codes that are not moves, coordinate changes, cycles in every plane, corners, and the
// axes that are unknown until the program sets them.
#include "preview_support.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace preview_test;

namespace {

struct VertexCase {
    const char* name;
    std::vector<std::string> lines;
    int line;              // the line whose vertices are checked
    const char* vertices;  // as verticesOfLine writes them
};

TEST(PreviewRealPrograms, VerticesOfEachRule)
{
    const VertexCase cases[] = {
        // Words.
        {"blanks inside words", {"G0 X0 Y0 Z0", "G1 X 20. Y -5. F100"}, 1, "f(20,-5,0)"},
        {"a plus sign", {"G0X+10.Y+0Z+1."}, 0, "r(10,0,1)"},
        {"small letters", {"g0 x0 y0 z0", "g1 x10. f100"}, 1, "f(10,0,0)"},
        {"a byte-order mark", {"\xEF\xBB\xBFG0X1.Y2.Z3."}, 0, "r(1,2,3)"},
        {"an unreadable value makes no move", {"G0X0Y0Z0", "G1X$1F100", "X5."}, 1, ""},
        {"nor does a stray character after a value", {"G0X0Y0Z0", "G1X1.?F100", "X5."}, 2, "f(5,0,0)"},
        // Full circles and codes that are not moves.
        {"dwell", {"G0X1.Y1.Z0", "G04X2."}, 1, ""},
        {"data setting", {"G0X1.Y1.Z0", "G10L2P1X-100.Y-50."}, 1, ""},
        {"a macro call's arguments", {"G0X1.Y1.Z0", "G65P9000X5.Y5."}, 1, ""},
        {"a modal macro call", {"G0X1.Y1.Z0", "G66P9000X5.", "G67"}, 1, ""},
        {"scaling is ignored", {"G0X1.Y1.Z0", "G51X0Y0P2.", "G1X3.F100"}, 2, "f(3,1,0)"},
        {"a code not followed", {"G0X1.Y1.Z0", "G16X5.Y45."}, 1, ""},
        {"skip is a feed", {"G0X0Y0Z0", "G31X5.F100"}, 1, "f(5,0,0)"},
        // Coordinate changes: the tool stays, later points follow.
        {"G92", {"G90G0X10.Y10.Z0", "G92X0Y0", "G1X5.F100"}, 2, "f(15,10,0)"},
        {"G52 shifts", {"G90G0X0Y0Z0", "G52X100.Y50.", "G0X0Y0"}, 2, "r(100,50,0)"},
        {"G52 alone cancels", {"G90G0X0Y0Z0", "G52X100.Y50.", "G0X0Y0", "G52", "G0X0Y0"}, 4, "r(0,0,0)"},
        {"G68 rotates about its centre", {"G90G0X10.Y0Z0", "G68X0Y0R90.", "G1X10.Y0F100"}, 2, "f(0,10,0)"},
        {"G69 cancels", {"G90G0X10.Y0Z0", "G68X0Y0R90.", "G69", "G1X10.Y0F100"}, 3, "f(10,0,0)"},
        {"G51.1 mirrors", {"G90G0X0Y0Z0", "G51.1X0", "G1X10.Y5.F100"}, 2, "f(-10,5,0)"},
        {"G50.1 cancels", {"G90G0X0Y0Z0", "G51.1X0", "G1X10.Y5.F100", "G50.1", "X10."}, 4, "f(10,5,0)"},
        // Cycles.
        {"L counts the holes", {"G90G0X0Y0Z10.", "G91G98G81X10.Z-7.R-8.L3F100"}, 1,
         "c(10,0,10) c(10,0,2) d(10,0,-5) c(10,0,10) c(20,0,10) c(20,0,2) d(20,0,-5) c(20,0,10) "
         "c(30,0,10) c(30,0,2) d(30,0,-5) c(30,0,10)"},
        {"G18 drills along Y", {"G90G0X0Y10.Z0", "G18G99G81X5.Z3.Y-5.R2.F100"}, 1,
         "c(5,10,3) c(5,2,3) d(5,-5,3) c(5,2,3)"},
        {"G19 drills along X", {"G90G0X10.Y0Z0", "G19G98G81Y5.Z3.X-5.R2.F100"}, 1,
         "c(10,5,3) c(2,5,3) d(-5,5,3) c(10,5,3)"},
        // Corners.
        {"a chamfer cuts both moves", {"G90G0X0Y0Z0", "G1X10.,C2.F100", "Y10."}, 1, "f(8,0,0) f(10,2,0)"},
        {"the move after a chamfer", {"G90G0X0Y0Z0", "G1X10.,C2.F100", "Y10."}, 2, "f(10,10,0)"},
        {"a corner too big for its moves is left plain", {"G90G0X0Y0Z0", "G1X10.,C20.F100", "Y10."}, 1,
         "f(10,0,0)"},
        // Unknown axes.
        {"a reference return draws its intermediate point", {"G90G0X0Y0Z10.", "G28X5.Y5."}, 1, "r(5,5,10)"},
        {"then its axes are unknown", {"G90G0X0Y0Z10.", "G28X5.Y5.", "G0X1."}, 2, ""},
        {"a machine move makes its axes unknown", {"G90G0X0Y0Z50.", "G53Z0", "G0X10.Y10."}, 2, ""},
        {"until the program sets them", {"G90G0X0Y0Z50.", "G53Z0", "G0X10.Y10.", "Z5."}, 3, "r(10,10,5)"},
    };
    for (const VertexCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(verticesOfLine(run(c.lines), c.line), c.vertices);
    }
}

struct ExtentsCase {
    const char* name;
    std::vector<std::string> lines;
    double min[3], max[3];
    std::size_t segments;
};

TEST(PreviewRealPrograms, ExtentsOfWholePrograms)
{
    const ExtentsCase cases[] = {
        {"a Fusion-style opening draws nothing before the first point it knows",
         {"%", "O1001", "(T1 D=10. FLAT END MILL)", "G90 G94 G17", "G21", "G28 G91 Z0.", "G90", "T1 M6", "S5000 M3",
          "G54", "G0 X-20. Y-10.", "G43 Z15. H1", "G0 Z5.", "G1 Z-5. F300.", "X50.", "Y30.", "G0 Z15.", "G28 G91 Z0.",
          "G90", "G28 G91 X0. Y0.", "M30", "%"},
         {-20, -10, -5}, {50, 30, 15}, 6},
        {"a plasma program with plus signs and no Z",
         {"G90", "G0X+0.Y+0.", "G1X+50.Y+0.F2000", "X+50.Y+25.", "G3X+25.Y+50.I-25.J+0.", "G1X+0.Y+50.", "Y+0."},
         {0, 0, 0}, {50, 50, 0}, 0},
        {"a program number after a colon, called", {":1", "M98P100", "M30", ":100", "G0X1.Y2.Z3.", "M99"}, {1, 2, 3},
         {1, 2, 3}, 0},
        {"a bore by I alone", {"G90G0X10.Y0Z0", "G1Z-5.F100", "G2I-10."}, {-10, -10, -5}, {10, 10, 0}, 0},
        {"a circle by J alone in G91", {"G90G0X0Y0Z0", "G91G3J5.F100"}, {-5, 0, 0}, {5, 10, 0}, 0},
        {"G90.1 names the centre", {"G0X10.Y0Z0", "G90.1G3X0Y10.I0J0F100"}, {0, 0, 0}, {10, 10, 0}, 0},
        {"G91.1 is the default", {"G0X10.Y0Z0", "G91.1G3X0Y10.I-10.J0F100"}, {0, 0, 0}, {10, 10, 0}, 0},
        {"a mirror turns an arc the other way", {"G90G51.1X0", "G0X10.Y0Z0", "G3X0Y10.I-10.J0F100"}, {-10, 0, 0},
         {0, 10, 0}, 0},
    };
    for (const ExtentsCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Toolpath path = run(c.lines);
        for (const Diagnostic& d : path.diagnostics)
            ADD_FAILURE() << d.line << ": " << diagnosticText(d);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(path.extents.min[i], c.min[i], 1e-6) << "axis " << i;
            EXPECT_NEAR(path.extents.max[i], c.max[i], 1e-6) << "axis " << i;
        }
        if (c.segments > 0) {
            EXPECT_EQ(path.segmentCount(), c.segments);
        }
    }
}

TEST(PreviewRealPrograms, ARoundedCornerIsAnArcTangentToBothMoves)
{
    const Toolpath path = run({"G90G0X0Y0Z0", "G1X10.,R2.F100", "Y10."});
    const auto ranges = path.rangesOfLine(1);
    ASSERT_FALSE(ranges.empty());
    const std::uint32_t first = path.ranges[ranges[0]].begin, last = path.rangeEnd(ranges.back()) - 1;
    EXPECT_EQ(path.x[first], 8.0f);
    EXPECT_EQ(path.y[first], 0.0f);
    EXPECT_EQ(path.x[last], 10.0f);
    EXPECT_EQ(path.y[last], 2.0f);
    for (std::uint32_t v = first; v <= last; ++v)
        EXPECT_NEAR(std::hypot(path.x[v] - 8.0, path.y[v] - 2.0), 2.0, 1e-5) << v;
    EXPECT_NEAR(path.extents.max[0], 10, 1e-9);
}

TEST(PreviewRealPrograms, DiagnosticsNameWhatWasNotFollowed)
{
    struct Case {
        const char* line;
        DiagnosticCode code;
        const char* text;
    };
    const Case cases[] = {
        {"G1X$1", DiagnosticCode::BadCharacter, "X の値に読めない文字「$」があります。この行では動きません"},
        {"G1X1.?", DiagnosticCode::BadCharacter, "X の値に読めない文字「?」があります。この行では動きません"},
        {"G1X１０.", DiagnosticCode::BadCharacter, "X の値に読めない文字「１」があります。この行では動きません"},
        {"G65P9000A1.", DiagnosticCode::UnsupportedG, "G65 は追えません"},
        {"G51X0Y0P2.", DiagnosticCode::UnsupportedG, "G51 は追えません"},
        {"G2R10.", DiagnosticCode::ZeroArcWithRadius, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const Toolpath path = run({"G90G0X10.Y0Z0", c.line});
        ASSERT_EQ(path.diagnostics.size(), 1u);
        EXPECT_EQ(path.diagnostics[0].code, c.code);
        if (c.text) {
            EXPECT_EQ(diagnosticText(path.diagnostics[0]), c.text);
        }
        EXPECT_EQ(path.vertexCount(), 1u);  // the block made no move
    }
    // Points past a break are not joined to those before it.
    const Toolpath broken = run({"G90G0X0Y0Z50.", "G53Z0", "G0X10.Y10.", "Z5."});
    EXPECT_EQ(broken.breaks, std::vector<std::uint32_t>{1});
    EXPECT_EQ(broken.segmentCount(), 0u);
}

}  // namespace
