// Arcs in each plane and direction, by centre offsets and by R, and their edge cases.
#include "preview_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace preview_test;

namespace {

constexpr double kPi = std::numbers::pi;

struct PlaneCase {
    const char* select;     // G17 / G18 / G19
    char a, b;              // the ordered pair of axes
    char offsetA, offsetB;  // their centre offset letters
};

const PlaneCase kPlanes[] = {
    {"G17", 'X', 'Y', 'I', 'J'},
    {"G18", 'Z', 'X', 'K', 'I'},
    {"G19", 'Y', 'Z', 'J', 'K'},
};

// Coordinate of a vertex on an axis letter.
double axisValue(const Toolpath& path, std::size_t v, char axis)
{
    return axis == 'X' ? path.x[v] : axis == 'Y' ? path.y[v] : path.z[v];
}

struct ArcCase {
    const char* motion;
    const char* centre;  // "%c-10.%c0" style: offset letters filled in, or an R word
    double centreA, centreB;
    double sweep;  // signed, in the (a, b) pair
    double endA = 0, endB = 10;
};

// From (10, 0) to (0, 10) in the plane's ordered pair, or back to (10, 0).
const ArcCase kArcs[] = {
    {"G03", "%c-10.%c0", 0, 0, kPi / 2},
    {"G02", "%c-10.%c0", 0, 0, -3 * kPi / 2},
    {"G02", "%c0%c10.", 10, 10, -kPi / 2},
    {"G03", "%c0%c10.", 10, 10, 3 * kPi / 2},
    {"G03", "R10.", 0, 0, kPi / 2},
    {"G02", "R10.", 10, 10, -kPi / 2},
    {"G02", "R-10.", 0, 0, -3 * kPi / 2},
    {"G03", "R-10.", 10, 10, 3 * kPi / 2},
    {"G02", "%c-10.%c0", 0, 0, -2 * kPi, 10, 0},  // full circles: which way round
    {"G03", "%c-10.%c0", 0, 0, 2 * kPi, 10, 0},
};

// `format` with its two "%c" filled in.
std::string filled(const char* format, char first, char second)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, first, second);
    return buffer;
}

TEST(PreviewArcs, EachPlaneAndDirectionWithOffsetsAndRadius)
{
    for (const auto& plane : kPlanes) {
        for (const auto& arc : kArcs) {
            const std::string centre = filled(arc.centre, plane.offsetA, plane.offsetB);
            const std::string start = std::string("G00") + plane.a + "10." + plane.b + "0";
            const std::string end = plane.a + std::to_string(arc.endA) + plane.b + std::to_string(arc.endB);
            const std::string move = arc.motion + end + centre + "F100";
            SCOPED_TRACE(std::string(plane.select) + " " + move);
            Toolpath path = run({"G90G00X0Y0Z0", plane.select, start, move});
            ASSERT_TRUE(path.diagnostics.empty()) << diagnosticText(path.diagnostics[0]);
            auto ranges = path.rangesOfLine(3);
            ASSERT_EQ(ranges.size(), 1u);
            const std::uint32_t first = path.ranges[ranges[0]].begin - 1, last = path.rangeEnd(ranges[0]) - 1;
            double swept = 0;
            for (std::uint32_t v = first; v <= last; ++v) {
                const double da = axisValue(path, v, plane.a) - arc.centreA, db = axisValue(path, v, plane.b) - arc.centreB;
                EXPECT_NEAR(std::hypot(da, db), 10.0, 1e-4) << "vertex " << v;
                if (v > first) {
                    const double pa = axisValue(path, v - 1, plane.a) - arc.centreA;
                    const double pb = axisValue(path, v - 1, plane.b) - arc.centreB;
                    swept += std::atan2(pa * db - pb * da, pa * da + pb * db);
                }
            }
            EXPECT_NEAR(swept, arc.sweep, 1e-4);
            EXPECT_NEAR(path.length[static_cast<int>(MoveKind::Arc)], 10 * std::fabs(arc.sweep), 1e-9);
            EXPECT_EQ(axisValue(path, last, plane.a), arc.endA);  // the programmed end, exactly
            EXPECT_EQ(axisValue(path, last, plane.b), arc.endB);
        }
    }
}

struct ExtentsCase {
    const char* name;
    std::vector<std::string> lines;
    double min[3], max[3];
    std::vector<DiagnosticCode> diagnostics;
};

TEST(PreviewArcs, EdgeCasesByExtentsAndDiagnostics)
{
    const ExtentsCase cases[] = {
        {"full circle by I", {"G00X10.Y0Z0", "G02X10.Y0I-10.F100"}, {-10, -10, 0}, {10, 10, 0}, {}},
        {"full circle by R is a 0 degree arc", {"G00X10.Y0Z0", "G02X10.Y0R10.F100"}, {10, 0, 0}, {10, 0, 0},
         {DiagnosticCode::ZeroArcWithRadius}},
        {"back to its start by R with a Z change is a straight feed", {"G00X10.Y0Z0", "G02X10.Y0Z-5.R10.F100"},
         {10, 0, -5}, {10, 0, 0}, {DiagnosticCode::ZeroArcWithRadius}},
        {"helical full turn judged in the plane", {"G00X10.Y0Z0", "G03X10.Y0Z-5.I-10.F100"}, {-10, -10, -5},
         {10, 10, 0}, {}},
        {"half turn by R exactly", {"G00X10.Y0Z0", "G02X-10.Y0R10.F100"}, {-10, -10, 0}, {10, 0, 0}, {}},
        {"half turn with R a hair short", {"G00X10.Y0Z0", "G03X-10.Y0R9.999999F100"}, {-10, 0, 0}, {10, 10, 0}, {}},
        {"R far too small is drawn as a half turn", {"G00X10.Y0Z0", "G03X-10.Y0R5.F100"}, {-10, 0, 0}, {10, 10, 0},
         {DiagnosticCode::RadiusTooSmall}},
        {"R wins over offsets", {"G00X10.Y0Z0", "G03X0Y10.R10.I5.J5.F100"}, {0, 0, 0}, {10, 10, 0}, {}},
        {"no centre at all is a straight feed", {"G00X0Y0Z0", "G02X10.Y0F100"}, {0, 0, 0}, {10, 0, 0},
         {DiagnosticCode::ArcWithoutCentre}},
        {"quadrant points count, chords do not", {"G00X10.Y0Z0", "G03X-10.Y0I-10.F100"}, {-10, 0, 0}, {10, 10, 0}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Toolpath path = run(c.lines);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(path.extents.min[i], c.min[i], 1e-6) << "axis " << i;
            EXPECT_NEAR(path.extents.max[i], c.max[i], 1e-6) << "axis " << i;
        }
        ASSERT_EQ(path.diagnostics.size(), c.diagnostics.size());
        for (std::size_t i = 0; i < c.diagnostics.size(); ++i) {
            EXPECT_EQ(path.diagnostics[i].code, c.diagnostics[i]);
            EXPECT_EQ(path.diagnostics[i].line, 1u);
        }
        for (std::size_t v = 0; v < path.vertexCount(); ++v)
            ASSERT_TRUE(std::isfinite(path.x[v]) && std::isfinite(path.y[v]) && std::isfinite(path.z[v]));
        EXPECT_EQ(path.x.back(), static_cast<float>(path.x.back()));
    }
}

TEST(PreviewArcs, MismatchedArcEndsOnTheProgrammedPoint)
{
    Toolpath path = run({"G00X0Y0Z0", "G03X10.Y1.I5.J0F100"});
    EXPECT_EQ(path.x.back(), 10.0f);
    EXPECT_EQ(path.y.back(), 1.0f);
    ASSERT_EQ(diagnosticLines(path, DiagnosticCode::ArcRadiusMismatch), std::vector<int>{1});
    EXPECT_NEAR(path.diagnostics.at(0).value, std::hypot(5.0, 1.0) - 5.0, 1e-9);
}

TEST(PreviewArcs, ChordsStayWithinTheTolerance)
{
    for (double tolerance : {0.1, 0.01, 0.001}) {
        InterpreterOptions options;
        options.chordTolerance = tolerance;
        Toolpath path = run({"G00X100.Y0Z0", "G02X100.Y0I-100.F100"}, options);
        SCOPED_TRACE(tolerance);
        ASSERT_GT(path.vertexCount(), 8u);
        for (std::size_t v = 1; v < path.vertexCount(); ++v) {
            const double mx = (path.x[v] + path.x[v - 1]) / 2.0, my = (path.y[v] + path.y[v - 1]) / 2.0;
            EXPECT_GE(std::hypot(mx, my), 100 - tolerance - 1e-4);
        }
        // Not wastefully fine either: within twice the chords the tolerance needs.
        const double needed = 2 * kPi / (2 * std::acos(1 - tolerance / 100));
        EXPECT_LE(static_cast<double>(path.segmentCount()), 2 * needed + 1);
    }
}

TEST(PreviewArcs, InchProgramsTightenTheChordTolerance)
{
    Toolpath metric = run({"G21G00X1.Y0Z0", "G02X1.Y0I-1.F10"});
    Toolpath inch = run({"G20G00X1.Y0Z0", "G02X1.Y0I-1.F10"});
    EXPECT_GT(inch.segmentCount(), metric.segmentCount());
}

}  // namespace
