// The commands that move a program (shift, rotation, axis swap) checked by the interpreter: the
// path of the rewritten program is the command's transform applied to the path of the program,
// vertex by vertex within 0.001, with the same move kinds, and its arcs turn about the transformed
// centres in the transformed direction. Where no rewrite keeps the path the command refuses and
// changes nothing.
#include "app/logic/memory_editor.h"
#include "app/logic/user_error.h"
#include "bench/support/generated_program.h"
#include "nc/logic/axis_swap.h"
#include "nc/logic/nc_transforms.h"
#include "preview/logic/interpreter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

namespace zorvan::nc {
namespace {

using preview::Toolpath;

// p' = m p + t
struct Transform {
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    double t[3] = {0, 0, 0};

    void point(const double p[3], double out[3]) const
    {
        for (int i = 0; i < 3; ++i)
            out[i] = m[i][0] * p[0] + m[i][1] * p[1] + m[i][2] * p[2] + t[i];
    }
    double determinant() const
    {
        return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0])
               + m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    }
};

Transform translation(double x, double y, double z)
{
    Transform t;
    t.t[0] = x, t.t[1] = y, t.t[2] = z;
    return t;
}

// The rotation command's matrix, by turning the unit vectors one at a time.
Transform rotation(const AxisValues& angles)
{
    Transform t;
    for (int column = 0; column < 3; ++column) {
        std::string line = column == 0 ? "X1.Y0Z0" : column == 1 ? "X0Y1.Z0" : "X0Y0Z1.";
        MemoryEditor editor(line);
        DecimalSettings precise;
        precise.DecimalNumber = 8;
        rotateAxes(editor, angles, precise, Recolour::None);
        const Toolpath path = preview::interpretProgram(editor.text() + "\r\n");
        t.m[0][column] = path.x[0], t.m[1][column] = path.y[0], t.m[2][column] = path.z[0];
    }
    return t;
}

Transform exchange(int a, int b)
{
    Transform t;
    t.m[a][a] = t.m[b][b] = 0;
    t.m[a][b] = t.m[b][a] = 1;
    return t;
}

Transform reversal(int a)
{
    Transform t;
    t.m[a][a] = -1;
    return t;
}

// The turn of an arc as a vector along its plane's normal (right-handed).
void turnOf(const preview::ArcRecord& arc, double out[3])
{
    const int normal = arc.plane == 17 ? 2 : arc.plane == 18 ? 1 : 0;
    out[0] = out[1] = out[2] = 0;
    out[normal] = arc.counterClockwise ? 1 : -1;
}

// Whether `after` is `transform` applied to `before`; the first difference otherwise.
std::string pathDifference(const Toolpath& before, const Toolpath& after, const Transform& transform)
{
    if (before.vertexCount() != after.vertexCount())
        return "vertices " + std::to_string(before.vertexCount()) + " against " + std::to_string(after.vertexCount());
    for (std::size_t v = 0; v < before.vertexCount(); ++v) {
        const double p[3] = {before.x[v], before.y[v], before.z[v]};
        double q[3];
        transform.point(p, q);
        const double got[3] = {after.x[v], after.y[v], after.z[v]};
        for (int i = 0; i < 3; ++i)
            if (std::fabs(q[i] - got[i]) > 1e-3 * std::max(1.0, std::fabs(q[i]) / 1000))
                return "vertex " + std::to_string(v) + " of line " + std::to_string(before.line[v]) + " axis "
                       + std::to_string(i) + ": " + std::to_string(q[i]) + " against " + std::to_string(got[i]);
        if (before.kind[v] != after.kind[v])
            return "kind of vertex " + std::to_string(v);
    }
    if (before.breaks != after.breaks)
        return "breaks";
    if (before.arcs.size() != after.arcs.size())
        return "arcs";
    const double sign = transform.determinant() < 0 ? -1 : 1;
    for (std::size_t k = 0; k < before.arcs.size(); ++k) {
        const preview::ArcRecord& a = before.arcs[k];
        const preview::ArcRecord& b = after.arcs[k];
        const double c[3] = {a.centre[0], a.centre[1], a.centre[2]};
        double moved[3], turn[3], expected[3], got[3];
        transform.point(c, moved);
        turnOf(a, turn);
        turnOf(b, got);
        for (int i = 0; i < 3; ++i)
            expected[i] = sign * (transform.m[i][0] * turn[0] + transform.m[i][1] * turn[1] + transform.m[i][2] * turn[2]);
        for (int i = 0; i < 3; ++i) {
            if (std::fabs(moved[i] - b.centre[i]) > 1e-3 * std::max(1.0, std::fabs(moved[i]) / 1000))
                return "centre of arc " + std::to_string(k) + " (line " + std::to_string(before.line[a.end]) + ")";
            if (std::fabs(expected[i] - got[i]) > 1e-9)
                return "direction of arc " + std::to_string(k) + " (line " + std::to_string(before.line[a.end]) + ")";
        }
    }
    if (before.diagnostics.size() != after.diagnostics.size())
        return "diagnostics " + std::to_string(before.diagnostics.size()) + " against "
               + std::to_string(after.diagnostics.size());
    return {};
}

struct Command {
    const char* name;
    std::function<void(TextEditor&)> run;
    Transform transform;
};

DecimalSettings fine()
{
    DecimalSettings settings;
    settings.DecimalNumber = 6;
    return settings;
}

std::vector<Command> commands()
{
    const double quarter = std::numbers::pi / 2;
    auto shift = [](double x, double y, double z) {
        return Command{"shift", [=](TextEditor& e) { shiftCoordinates(e, {x, y, z}, fine(), Recolour::None); },
                       translation(x, y, z)};
    };
    auto rotate = [](AxisValues angles) {
        return Command{"rotate", [=](TextEditor& e) { rotateAxes(e, angles, fine(), Recolour::None); }, rotation(angles)};
    };
    auto swap = [](char a, char b, Transform t) {
        return Command{"swap", [=](TextEditor& e) { swapAxes(e, a, b, {false, true}, Recolour::None); }, t};
    };
    return {
        shift(10, -5, 2.5),
        shift(0, 0, -1),
        rotate({0, 0, 0.3}),
        rotate({0, 0, quarter}),
        rotate({std::numbers::pi, 0, 0}),
        rotate({0, quarter, 0}),
        swap('X', 'Y', exchange(0, 1)),
        swap('X', 'Z', exchange(0, 2)),
        swap('Y', 'Z', exchange(1, 2)),
        swap('X', '-', reversal(0)),
        swap('Z', '-', reversal(2)),
    };
}

std::string join(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& l : lines)
        text += l + "\r\n";
    return text;
}

struct Program {
    const char* name;
    std::vector<std::string> lines;
};

// Each program sets every axis absolutely before it moves, as a real program does.
const std::vector<Program>& programs()
{
    static const std::vector<Program> table = {
        {"comments",
         {"%", "O1000 (X AXIS, Y10. AND Z-5.)", "G90G17G00X0Y0Z10.(MAX DEPTH Z-3.)", "(MAX DEPTH) G01X1.F100",
          "G01Y2.(Y9.)Z-1.;X99", "X3.Y-4.", "G00Z10.", "M30"}},
        {"incremental section",
         {"G90G17G00X5.Y5.Z5.", "G91G01X1.Y2.F100", "X-3.Z-1.", "Y4.", "G90G00X0Y0Z5.", "G91X2.", "G90", "X7.Y8."}},
        {"arcs in G17",
         {"G90G17G00X0Y0Z1.", "G01Z-1.F100", "G02X-0.771Y-1.406I0.5J0.", "X1.Y2.I1.J0.5", "G03X3.Y3.R2.",
          "X5.Y3.R-1.5", "G02X5.Y3.I1.J0", "G01X0Y0", "G03X2.Y0Z-2.I1.J0", "G00Z5."}},
        {"arcs in G18 and G19",
         {"G90G17G00X0Y0Z0", "G18G02X2.Z0I1.K0F100", "G03X4.Z2.R2.", "X6.Z0I2.K0", "G19G02Y2.Z0J1.K0",
          "G03Y4.Z2.R2.", "G17G01X0Y0", "G02X1.Y1.I1."}},
        {"canned cycles",
         {"G90G17G00X0Y0Z50.", "G98G81X10.Y10.Z-5.R2.F100", "X20.", "Y20.Z-8.", "G99G83X30.Y30.Z-10.R3.Q2.", "X40.",
          "G80", "G00X0Y0", "G91G99G81X5.Y5.Z-7.R-45.", "X5.", "G90G80G00Z50."}},
        {"subprogram",
         {"O1", "G90G17G00X0Y0Z5.", "M98P100L2", "G90G00X10.Y10.", "M98P100", "G90G00Z50.", "M30", "O100",
          "G91G01Z-1.F100", "X2.", "G02X2.Y0I1.J0", "G01Z1.", "G90", "M99"}},
        {"reference, set position and dwell",
         {"G90G17G00X0Y0Z20.", "G01X5.Y5.F100", "G04X1.5", "G28Z25.", "G90G00X5.Y5.Z20.", "G92X0Y0Z0",
          "G01X2.Y3.Z-1.", "G00Z5."}},
        {"modal words and sequence numbers",
         {"N10G90G17G00X1.Y2.Z3.", "N20G01X4.F200", "N30Y5.", "N40Z-1.", "N50X0Y0Z0", "N60G00Z10."}},
        {"generated", {}},
    };
    return table;
}

std::string programText(const Program& program)
{
    if (program.lines.empty())
        return bench::generatedProgramText(3000);
    return join(program.lines);
}

TEST(ToolpathProperty, EveryCommandKeepsThePathOrRefuses)
{
    for (const Program& program : programs()) {
        const std::string text = programText(program);
        const Toolpath before = preview::interpretProgram(text);
        ASSERT_GT(before.vertexCount(), 2u) << program.name;
        for (const Command& command : commands()) {
            MemoryEditor editor(text);
            editor.setHistoryKept(false);
            try {
                command.run(editor);
            } catch (const UserError& e) {
                EXPECT_EQ(editor.text(), text) << program.name << ": " << command.name << " refused and changed";
                std::printf("%s: %s refused: %s\n", program.name, command.name, e.what());
                continue;
            }
            const Toolpath after = preview::interpretProgram(editor.text());
            EXPECT_EQ(pathDifference(before, after, command.transform), "")
                << program.name << ": " << command.name << "\n" << editor.text();
        }
    }
}

// Commands the property allows on these programs: none of them may refuse.
TEST(ToolpathProperty, TheseDoNotRefuse)
{
    const std::vector<Command> all = commands();
    for (const Program& program : programs()) {
        const std::string text = programText(program);
        for (const Command& command : all) {
            if (std::string(command.name) == "rotate")
                continue;  // rotations out of the plane refuse; their cases are below
            MemoryEditor editor(text);
            EXPECT_NO_THROW(command.run(editor)) << program.name << ": " << command.name;
        }
    }
}

struct Refusal {
    std::vector<std::string> lines;
    std::function<void(TextEditor&)> run;
    const char* message;
};

TEST(ToolpathProperty, RefusesWithTheLineAndWhy)
{
    const double quarter = std::numbers::pi / 2;
    const Refusal cases[] = {
        {{"G90G17G00X0Y0Z0", "G02X2.Y0I1.J0"},
         [=](TextEditor& e) { rotateAxes(e, {quarter / 2, 0, 0}, fine(), Recolour::None); },
         "1 行目: 円弧が回転で平面 (G17/G18/G19) から外れるため回転できません"},
        {{"G90G00X0Y0Z50.", "G81X10.Y10.Z-5.R2.F100"},
         [=](TextEditor& e) { rotateAxes(e, {quarter, 0, 0}, fine(), Recolour::None); },
         "1 行目: 固定サイクルの穴あけ軸が回転で向きを変えるため回転できません"},
        {{"G90G00X0", "G01X#101Y2.F100"},
         [](TextEditor& e) { shiftCoordinates(e, {1, 0, 0}, fine(), Recolour::None); },
         "1 行目: X の値がマクロ変数で与えられているため座標移動できません"},
        {{"G90G00X0", "G01x1.Y2."},
         [](TextEditor& e) { shiftCoordinates(e, {0, 1, 0}, fine(), Recolour::None); },
         "1 行目: 小文字のアドレス x は機械によって読み方が違うため座標移動できません"},
        {{"G90G00X0Y0Z0", "G28X10."},
         [=](TextEditor& e) { rotateAxes(e, {0, 0, quarter}, fine(), Recolour::None); },
         "1 行目: G28/G30 の中間点は指定のない軸と混ざるため回転できません"},
        {{"G68X0Y0R30."},
         [](TextEditor& e) { swapAxes(e, 'X', 'Y', {false, true}, Recolour::None); },
         "0 行目: G68 の座標回転は入れ替えできません"},
        {{"X1.", "Z#1"}, [](TextEditor& e) { calculateValues(e, 'Z', Operation::Double, 0, fine(), Recolour::None); },
         "1 行目: Z の値がマクロ変数で与えられているため計算できません"},
    };
    for (const Refusal& c : cases) {
        const std::string text = join(c.lines);
        MemoryEditor editor(text);
        try {
            c.run(editor);
            ADD_FAILURE() << "not refused: " << c.message;
        } catch (const UserError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
        EXPECT_EQ(editor.text(), text) << c.message;
    }
}

// A range that starts inside a modal arc: the rotation that turns arcs round cannot reach the
// G02 before it.
TEST(ToolpathProperty, ARangeInsideAModalArcIsRefused)
{
    MemoryEditor editor(join({"G90G17G00X0Y0Z0", "G02X2.Y0I1.J0", "X4.Y0I1.J0"}));
    editor.setSelection(editor.positionFromLine(2), 3);
    EXPECT_THROW(rotateAxes(editor, {std::numbers::pi, 0, 0}, fine(), Recolour::None), UserError);
    editor.setSelection(editor.positionFromLine(1), 3);
    EXPECT_NO_THROW(rotateAxes(editor, {std::numbers::pi, 0, 0}, fine(), Recolour::None));
}

TEST(ToolpathProperty, WorkedRewrites)
{
    struct Case {
        const char* before;
        std::function<void(TextEditor&)> run;
        const char* after;
    } cases[] = {
        // Comments hold no words; incremental words stay; the R level goes with Z.
        {"(XYZ) G00X1.\r\nG91X1.\r\nG90G81X1.Z-5.R2.",
         [](TextEditor& e) { shiftCoordinates(e, {1, 0, 1}, DecimalSettings{}, Recolour::None); },
         "(XYZ) G00X2.0\r\nG91X1.\r\nG90G81X2.0Z-4.0R3.0"},
        // The dwell's X is a time.
        {"G04X1.5", [](TextEditor& e) { shiftCoordinates(e, {1, 0, 0}, DecimalSettings{}, Recolour::None); },
         "G04X1.5"},
        // A half turn about X turns G17 arcs round and reverses J.
        {"G17G02X1.Y1.I1.J1.",
         [](TextEditor& e) { rotateAxes(e, {std::numbers::pi, 0, 0}, DecimalSettings{}, Recolour::None); },
         "G17G03X1.0Y-1.0I1.0J-1.0"},
        // A quarter turn about Y puts a G17 arc into G19.
        {"G17G02X1.Y0I1.",
         [](TextEditor& e) { rotateAxes(e, {0, std::numbers::pi / 2, 0}, DecimalSettings{}, Recolour::None); },
         "G19G02X0Y0Z-1.0K-1.0"},
        // A G91 move turns as a vector and gets the words it needs.
        {"G91G01X1.",
         [](TextEditor& e) { rotateAxes(e, {0, 0, std::numbers::pi / 2}, DecimalSettings{}, Recolour::None); },
         "G91G01X0Y1.0"},
        // An exchange with Z adds the plane word the arcs now need.
        {"G00X0Y0Z0\r\nG02X2.Y0I1.",
         [](TextEditor& e) { swapAxes(e, 'X', 'Z', {false, true}, Recolour::None); },
         "G00Z0Y0X0\r\nG19G03Z2.Y0K1."},
    };
    for (const auto& c : cases) {
        MemoryEditor editor(c.before);
        c.run(editor);
        EXPECT_EQ(editor.text(), c.after) << c.before;
    }
}

}  // namespace
}  // namespace zorvan::nc

namespace zorvan::nc {
namespace {

// A long text is cut into pieces: the exchange must give what it gives line by line.
TEST(ToolpathProperty, ALongSwapGivesWhatItsLinesGive)
{
    std::string text, expected;
    for (int i = 0; i < 40000; ++i) {
        text += "N" + std::to_string(i) + "G02X" + std::to_string(i % 7) + ".Y-" + std::to_string(i % 5) + ".I1.(X)\r\n";
        expected += "N" + std::to_string(i) + "G03Y" + std::to_string(i % 7) + ".X-" + std::to_string(i % 5) + ".J1.(X)\r\n";
    }
    MemoryEditor editor(text);
    swapAxes(editor, 'X', 'Y', {false, true}, Recolour::None);
    EXPECT_EQ(editor.text(), expected);
}

}  // namespace
}  // namespace zorvan::nc
