// The stock simulation, from geometry: what the tools leave, which moves are warned about, and
// zorvan-cli stock-check.
#include "preview/logic/stock/stock_simulation.h"
#include "preview_support.h"
#include "support/cli_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>

namespace {

using namespace zorvan::preview::stock;
using preview_test::program;
using Code = StockWarningCode;

struct Probe {
    double x, y, top;
};

struct Expected {
    std::uint32_t line;
    Code code;
    double value;
};

struct StockCase {
    const char* name;
    std::vector<std::string> lines;
    std::vector<Probe> probes;
    std::vector<Expected> warnings;
};

// 20 x 20 x 10 under Z 0, columns of 0.1 centred on whole and tenth millimetres.
StockOptions stockOptions()
{
    StockOptions options;
    options.box = StockBox{{-0.05, -0.05, -10}, {19.95, 19.95, 0}};
    options.longSideColumns = 200;
    return options;
}

const double kScallop = 3 - std::sqrt(3.0 * 3 - 1.0 * 1);                     // ball R3, passes 2 apart
const double kDrillRise = 4 / std::tan(118.0 / 2 * std::numbers::pi / 180);  // 4 from the drill's axis

TEST(Stock, CutsAndWarnings)
{
    const StockCase cases[] = {
        {"a flat end mill's slot: exact width and depth",
         {"T1M06", "(T1 D6. FLAT)", "G00X-5.Y10.Z5.", "G01Z-2.F100", "X25.", "G00Z5."},
         {{10, 10, -2}, {10, 7.1, -2}, {10, 12.9, -2}, {10, 6.9, 0}, {10, 13.1, 0}},
         {}},
        {"a ball end mill's scallop between two passes",
         {"T1M06", "(T1 ボールエンドミル R3)", "G00X-5.Y9.Z5.", "G01Z-1.F100", "X25.", "Y11.", "X-5.", "G00Z5."},
         {{10, 9, -1}, {10, 11, -1}, {10, 10, -1 + kScallop}},
         {}},
        {"a drilled hole's depth with the point angle; its rapids stay in the air and the hole",
         {"T2M06", "(T2 DRILL D10.)", "G00X10.Y10.Z50.", "G99G81Z-5.R2.F100", "G80"},
         {{10, 10, -5}, {14, 10, -5 + kDrillRise}, {15.1, 10, 0}},
         {}},
        {"the last column and row: cuts along the far X and Y edges",
         {"T1M06", "(T1 D6. FLAT)", "G00X21.Y-5.Z5.", "G01Z-2.F100", "Y21.", "X-5.", "G00Z5."},
         {{19.9, 10, -2}, {10, 19.9, -2}, {19.9, 19.9, -2}, {17.9, 10, 0}, {10, 17.9, 0}},
         {}},
        {"a move that does not start where the last cut ended is cut from its own start",
         {"T1M06", "(T1 D6. FLAT)", "G00X-5.Y15.Z5.", "G01Z-1.F100", "X10.", "G00Z-3.", "G01X15.", "G00Z5."},
         {{9, 15, -3}, {7.5, 15, -3}, {12, 15, -3}, {10, 17.5, -3}},
         {{5, Code::RapidHitsStock, 2}}},
        {"a rapid 0.1 under the top is a hit",
         {"T1M06", "(T1 D6.)", "G00X-10.Y10.Z5.", "Z-0.1", "X30."},
         {},
         {{4, Code::RapidHitsStock, 0.1}}},
        {"a rapid 0.1 over the top is not", {"T1M06", "(T1 D6.)", "G00X-10.Y10.Z5.", "Z0.1", "X30."}, {}, {}},
        {"a rapid down into the slot just cut is not a hit",
         {"T1M06", "(T1 D6.)", "G00X-5.Y10.Z5.", "G01Z-2.F100", "X25.", "G00Z5.", "X10.", "Z-2."},
         {},
         {}},
        {"a rapid up from the end of a ramp is not a hit",
         {"T1M06", "(T1 D6.)", "G00X2.Y10.Z0.", "G01X12.Z-1.F100", "G00Z5."},
         {{12, 10, -1}, {9.1, 10, -1}},
         {}},
        {"a steep rapid from far above, into the stock",
         {"T1M06", "(T1 D6.)", "G00X-1000.Y10.Z1000000.", "X10.Z-0.5"},
         {},
         {{3, Code::RapidHitsStock, 0.5}}},
        {"a cycle's rapid to an R level under the top",
         {"T2M06", "(T2 DRILL D10.)", "G00X10.Y10.Z50.", "G98G81Z-5.R-1.F100", "G80"},
         {},
         {{3, Code::RapidHitsStock, 1}}},
        {"a tool without size cuts as a point and is reported once",
         {"T3M06", "G00X-5.Y10.Z5.", "G01Z-1.F100", "X25.", "G00Z5.", "X10.Y-5.", "G01Z-1.", "Y25."},
         {{5, 10, -1}, {5, 10.2, 0}, {10, 5, -1}},
         {{2, Code::ToolWithoutSize, 3}}},
        {"a flat end mill plunging into material",
         {"T1M06", "(T1 D6.)", "G00X10.Y10.Z5.", "G01Z-2.F100"},
         {{10, 10, -2}},
         {{3, Code::BottomCut, 2}}},
        {"a ball end mill plunging is no bottom cut",
         {"T1M06", "(T1 D6. R3.)", "G00X10.Y10.Z5.", "G01Z-2.F100"},
         {{10, 10, -2}},
         {}},
        {"past the flute length", {"T1M06", "(T1 D6. R3. L5.)", "G00X10.Y10.Z5.", "G01Z-7.F100"}, {}, {{3, Code::DeeperThanFlute, 2}}},
        {"rotary axis words; the arguments of a macro call (G65, G66) are none",
         {"T1M06", "(T1 D6. R3.)", "G00X10.Y10.Z5.A90.", "G65P9000A1.B2.", "(A1 B2)", "G66P9001A3.C4."},
         {},
         {{2, Code::RotaryAxisMove, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string text = program(c.lines);
        const auto result = simulateStock(text, zorvan::preview::interpretProgram(text), stockOptions());
        for (const auto& probe : c.probes)
            EXPECT_NEAR(result.field.topAt(probe.x, probe.y), probe.top, 1e-4) << probe.x << ", " << probe.y;
        ASSERT_EQ(result.warnings.size(), c.warnings.size());
        for (std::size_t i = 0; i < c.warnings.size(); ++i) {
            EXPECT_EQ(result.warnings[i].line, c.warnings[i].line);
            EXPECT_EQ(result.warnings[i].code, c.warnings[i].code);
            EXPECT_NEAR(result.warnings[i].value, c.warnings[i].value, 1e-3);
        }
    }
}

// A rapid into material is found wherever it is, also by a tool narrower than a column or of no
// size; below the stock's bottom, and in a column cut through, there is no material.
TEST(Stock, HitsFoundWhereverTheyAreAndOnlyThere)
{
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        StockBox box;
        int columns;
        std::vector<Expected> warnings;
    };
    const Case cases[] = {
        {"a 1 mm tool between the centres of 2 mm columns",
         {"T1M06", "(T1 D1.)", "G00X100.Y100.Z5.", "Z-3."}, {{0, 0, -10}, {2000, 1000, 0}}, 1000,
         {{3, Code::RapidHitsStock, 3}}},
        {"a tool of no size at the corner of four columns",
         {"T3M06", "G00X10.Y10.Z5.", "Z-1."}, {{0, 0, -10}, {20, 20, 0}}, 20,
         {{2, Code::RapidHitsStock, 1}, {2, Code::ToolWithoutSize, 3}}},
        {"a slot cut through a thin plate: the retract and a plunge beside it",
         {"T1M06", "(T1 D6. R3.)", "G00X-5.Y10.Z5.", "G01Z-1.F100", "X15.", "G00Z5.", "X10.Y-5.", "Z-1.",
          "X-5.", "Z5."},
         {{0, 0, -0.5}, {20, 20, 0}}, 200, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string text = program(c.lines);
        StockOptions options;
        options.box = c.box;
        options.longSideColumns = c.columns;
        const auto result = simulateStock(text, zorvan::preview::interpretProgram(text), options);
        ASSERT_EQ(result.warnings.size(), c.warnings.size());
        for (std::size_t i = 0; i < c.warnings.size(); ++i) {
            EXPECT_EQ(result.warnings[i].line, c.warnings[i].line);
            EXPECT_EQ(result.warnings[i].code, c.warnings[i].code);
            EXPECT_NEAR(result.warnings[i].value, c.warnings[i].value, 1e-3);
        }
    }
}

// Past its work limit the simulation stops before the move that spent it and keeps only what the
// moves before found: a cut left half done would show material that is not there.
TEST(Stock, WorkLimitStopsBeforeTheMoveThatSpentIt)
{
    const std::string text = program({"T1M06", "(T1 D6.)", "G00X10.Y10.Z5.", "Z-1.", "G01Z-2.F100", "X15.",
                                       "G01Y100.Z-9.", "G00Z5."});
    StockOptions options = stockOptions();
    options.maxWork = 20000;  // the plunges fit; the long ramp's thousands of pieces do not
    const auto result = simulateStock(text, zorvan::preview::interpretProgram(text), options);
    ASSERT_TRUE(result.cutShortAt.has_value());
    EXPECT_EQ(*result.cutShortAt, 6u);
    ASSERT_EQ(result.warnings.size(), 2u);
    EXPECT_EQ(result.warnings[0].code, Code::RapidHitsStock);
    EXPECT_EQ(result.warnings[1].code, Code::BottomCut);
    EXPECT_FALSE(simulateStock(text, zorvan::preview::interpretProgram(text), stockOptions()).cutShortAt);
}

// A ramp from above the stock: a flat D6 going down from Z1 at X2 to Z-1 at X12 along Y10. A
// column at x is cut where the tool within its reach is deepest, at X min(x + 3, 12): along the
// ramp within one slope step, and round the lower end exactly as the tool standing there.
TEST(Stock, ARampCutsItsDepthAlongItsLength)
{
    const std::string text = program({"T1M06", "(T1 D6. FLAT)", "G00X2.Y10.Z5.", "Z1.", "G01X12.Z-1.F100", "G00Z5."});
    const auto result = simulateStock(text, zorvan::preview::interpretProgram(text), stockOptions());
    const auto deepest = [](double x) { return std::min(0.0, 1 - (std::min(x + 3, 12.0) - 2) / 5); };
    for (double x : {3.0, 4.5, 5.5, 6.5, 7.5, 8.5}) {
        const double top = result.field.topAt(x, 10);
        EXPECT_GE(top, deepest(x) - 1e-6) << x;
        EXPECT_LE(top, deepest(x) + HeightField::kSlopeStep) << x;
    }
    for (double x : {9.5, 10.0, 12.0, 14.5})
        EXPECT_NEAR(result.field.topAt(x, 10), -1, 1e-6) << x;
}

// A move taken up where the last one ended skips the columns behind its start: the field must come
// out as when every move is cut on its own. Random walks in small and large steps, up, down and
// level, in every direction, for each kind of tool.
TEST(Stock, MovesFollowingEachOtherCutAsAlone)
{
    ToolShape ball{ToolKind::Ball, 6, 3}, flat{ToolKind::Flat, 6}, bull{ToolKind::BullNose, 8, 1},
        drill{ToolKind::Drill, 5}, point{};
    const StockBox box{{0, 0, -10}, {40, 40, 0}};
    std::uint32_t seed = 12345;
    const auto next = [&] { return (seed = seed * 1664525u + 1013904223u) / 4294967296.0; };
    for (const ToolShape& tool : {ball, flat, bull, drill, point}) {
        for (const double step : {0.15, 2.5}) {
            SCOPED_TRACE(testing::Message() << static_cast<int>(tool.kind) << " step " << step);
            HeightField followed(box, 160), alone(box, 160);
            // A cut in a corner, which `alone` repeats between the moves so that the next one does
            // not follow the last.
            const ToolShape aside{ToolKind::Flat, 0.1};
            const double corner[3] = {0.1, 0.1, -0.001};
            followed.cut(corner, corner, aside);
            double at[3] = {20, 20, -1};
            for (int k = 0; k < 1500; ++k) {
                const double angle = next() * 6.3, rise = (next() - 0.5) * 0.1;
                double to[3] = {std::clamp(at[0] + step * std::cos(angle), 2.0, 38.0),
                                std::clamp(at[1] + step * std::sin(angle), 2.0, 38.0),
                                std::clamp(at[2] + rise, -4.0, 0.5)};
                if (k % 7 == 0)
                    to[2] = at[2];  // level
                if (k % 11 == 0)
                    to[0] = at[0];  // along Y
                followed.cut(at, to, tool);
                alone.cut(at, to, tool);
                alone.cut(corner, corner, aside);
                std::copy(to, to + 3, at);
            }
            int differing = 0;
            for (int j = 0; j < alone.rows(); ++j)
                for (int i = 0; i < alone.columns(); ++i)
                    differing += std::abs(followed.top(i, j) - alone.top(i, j)) > 1e-6;
            EXPECT_EQ(differing, 0);
        }
    }
}

// Threads share the rows of the field: field and warnings come out as with one thread, over more
// than one block of moves, with rapids into the material and plunges past the flute.
TEST(Stock, ThreadsCutAsOne)
{
    std::vector<std::string> lines = {"T1M06", "(T1 D6. L1.5)", "G00X0Y0Z5."};
    for (int row = 0; row < 34; ++row) {
        lines.push_back("G00X0Y" + std::to_string(row * 0.5) + "Z-" + std::to_string(row % 3 * 0.4));
        for (int k = 0; k < 500; ++k)
            lines.push_back("G01X" + std::to_string(k * 0.04) + "Z-" + std::to_string(row % 5 * 0.5 + (k % 9) * 0.01) +
                            "F100");
    }
    const std::string text = program(lines);
    const auto path = zorvan::preview::interpretProgram(text);
    StockOptions options = stockOptions();
    options.threads = 1;
    const auto one = simulateStock(text, path, options);
    ASSERT_FALSE(one.warnings.empty());
    for (int threads : {2, 3}) {
        options.threads = threads;
        const auto shared = simulateStock(text, path, options);
        ASSERT_EQ(shared.warnings.size(), one.warnings.size()) << threads;
        for (std::size_t k = 0; k < one.warnings.size(); ++k) {
            EXPECT_EQ(shared.warnings[k].line, one.warnings[k].line);
            EXPECT_EQ(shared.warnings[k].code, one.warnings[k].code);
            EXPECT_EQ(shared.warnings[k].value, one.warnings[k].value);
        }
        int differing = 0;
        for (int j = 0; j < one.field.rows(); ++j)
            for (int i = 0; i < one.field.columns(); ++i)
                differing += shared.field.top(i, j) != one.field.top(i, j);
        EXPECT_EQ(differing, 0) << threads;
    }
}

TEST(Stock, ToolTexts)
{
    struct Case {
        const char* text;
        int number;  // 0: no tool read
        ToolKind kind;
        double diameter, corner;
    };
    const Case cases[] = {
        {"T1 D6. R3.", 1, ToolKind::Ball, 6, 3},
        {"仕上 T1 ボールエンドミル R3", 1, ToolKind::Ball, 6, 3},
        {"T12 D10. R1.", 12, ToolKind::BullNose, 10, 1},
        {"T3 DRILL D8.5 A140", 3, ToolKind::Drill, 8.5, 0},
        {"T4 φ12 フラット", 4, ToolKind::Flat, 12, 0},
        {"T5 D8. RADIUS R0.5", 5, ToolKind::BullNose, 8, 0.5},
        {"T7 D10. R2. ball", 7, ToolKind::Ball, 10, 5},  // the kind word at the very end
        {"T8 D10. R1. ボール", 8, ToolKind::Ball, 10, 5},
        {"T6 CENTER DRILL", 0, ToolKind::Flat, 0, 0},
        {"END MILL D6.", 0, ToolKind::Flat, 0, 0},
        // Numbers and sizes no tool has: refused, never an overflow.
        {"T99999999999 D6.", 0, ToolKind::Flat, 0, 0},
        {"T1 R99999.", 0, ToolKind::Flat, 0, 0},
        {"T99999999 D6.", 99999999, ToolKind::Flat, 6, 0},
        // Fusion 360 / HSM (and HSMWorks, Inventor HSM: the same post engine).
        {"T1 D=3.175 CR=0. - ZMIN=-5. - flat end mill", 1, ToolKind::Flat, 3.175, 0},
        {"T2  D=6. CR=3. - ZMIN=-2. - ball end mill", 2, ToolKind::Ball, 6, 3},
        {"T3 D=10. CR=1. - ZMIN=-8. - bull nose end mill", 3, ToolKind::BullNose, 10, 1},
        {"T4 D=50.8 CR=0. - ZMIN=0. - FACE MILL", 4, ToolKind::Flat, 50.8, 0},
        {"T5 D=6.8 CR=0. TAPER=118deg - ZMIN=-20. - drill", 5, ToolKind::Drill, 6.8, 0},
        {"T6 D=10. CR=0. TAPER=45deg - ZMIN=-1. - chamfer mill", 6, ToolKind::Drill, 10, 0},
        {"T7 D=3..175 CR=0. - flat end mill", 0, ToolKind::Flat, 0, 0},
        // Mastercam.
        {" 1/16 FLAT ENDMILL TOOL - 1 DIA. OFF. - 1 LEN. - 1 DIA. - .0625", 1, ToolKind::Flat, 0.0625, 0},
        {"TOOL - 6 2\"  MITSUBISHI FACE MILL    DIA. OFF. - 6  LEN. - 6  DIA. - 2. ", 6, ToolKind::Flat, 2, 0},
        {"8. BALL ENDMILL TOOL - 2 DIA. OFF. - 2 LEN. - 2 DIA. - 8.", 2, ToolKind::Ball, 8, 4},
        {"10. BULL ENDMILL 1. RAD TOOL - 3 DIA. OFF. - 3 LEN. - 3 DIA. - 10.", 3, ToolKind::BullNose, 10, 1},
        {" 1/8 X 900 CHAMFER MILL TOOL - 14 DIA. OFF. - 14 LEN. - 14 TOOL DIA. - .125 ", 14, ToolKind::Drill, 0.125, 0},
        {"5. DRILL TOOL - 4 DIA. OFF. - 4 LEN. - 4 DIA. - 5.", 4, ToolKind::Drill, 5, 0},
        // FreeCAD and other posts that write a number and a size in words.
        {"T1 6mm Endmill D=6.0 CR=0.0", 1, ToolKind::Flat, 6, 0},
        {"TOOL NO. 8 DIAMETER: 12. CORNER RAD. - 0.5", 8, ToolKind::BullNose, 12, 0.5},
        {"TOOL 9 : 6MM BALL END", 9, ToolKind::Ball, 6, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto entry = readToolText(c.text);
        ASSERT_EQ(entry.has_value(), c.number != 0);
        if (!entry)
            continue;
        EXPECT_EQ(entry->number, c.number);
        EXPECT_EQ(entry->shape.kind, c.kind);
        EXPECT_DOUBLE_EQ(entry->shape.diameter, c.diameter);
        EXPECT_DOUBLE_EQ(entry->shape.cornerRadius, c.corner);
    }
}

// Tools read from a program's comments as posts write them, and the comments that name a tool but
// give no size that can be read: each reported once, on its line.
TEST(Stock, ToolsFromComments)
{
    const std::string program =
        "%\r\nO1001\r\n(T1 D=3.175 CR=0. - ZMIN=-5. - flat end mill)\r\n(T2 D=? CR=0. - flat end mill)\r\n"
        "(T3 FLAT END MILL)\r\n(T4 ROUGHING)\r\n(TC: 5mm Endmill)\r\nM6 T5\r\n(begin operation: TC: 6mm Ball End)\r\n"
        "(machine units: mm/min)\r\nM6 T6\r\n(TC: Default Tool)\r\nM6 T7\r\n(T2 D=? CR=0. - flat end mill)\r\n"
        "(T8 CENTER DRILL)\r\n(T8 D=3. - spot drill)\r\nT1M6\r\n";
    ToolTable tools;
    tools[3] = ToolShape{ToolKind::Flat, 8};  // from the tools file: its comment is not needed
    const auto unread = addToolsFromComments(program, tools);
    ASSERT_TRUE(tools.count(1) && tools.count(5) && tools.count(6) && tools.count(8));
    EXPECT_DOUBLE_EQ(tools[1].diameter, 3.175);
    EXPECT_DOUBLE_EQ(tools[3].diameter, 8);
    EXPECT_DOUBLE_EQ(tools[5].diameter, 5);
    EXPECT_EQ(tools[6].kind, ToolKind::Ball);
    EXPECT_EQ(tools[8].kind, ToolKind::Drill);
    EXPECT_EQ(tools.count(2) + tools.count(4) + tools.count(7), 0u);
    const std::vector<UnreadToolComment> expected = {{3, 2, "T2 D=? CR=0. - flat end mill"}, {11, 7, "TC: Default Tool"}};
    EXPECT_EQ(unread, expected);

    const CliRun run = runZorvanCli({"stock-check", "--stock", "0:20,0:20,-10:0"}, program);
    // Without the tools file T3 is not known either.
    EXPECT_EQ(run.out, "3: 工具 T2 のコメントから寸法を読めません\n4: 工具 T3 のコメントから寸法を読めません\n"
                       "11: 工具 T7 のコメントから寸法を読めません\n") << run.err;
}

// A tool in the tool table (the settings or --tools) wins over a comment on the same tool; the
// comments give the tools the table lacks.
TEST(Stock, TheToolTableWinsOverToolComments)
{
    const std::string text = program({"T1M06", "(T1 D10.)", "G00X-5.Y5.Z5.", "G01Z-1.F100", "X25.", "G00Z5.",
                                      "T2M06", "(T2 D4.)", "G00X-5.Y15.Z5.", "G01Z-1.F100", "X25.", "G00Z5."});
    StockOptions options = stockOptions();
    options.tools[1] = ToolShape{ToolKind::Flat, 2};
    const auto result = simulateStock(text, zorvan::preview::interpretProgram(text), options);
    const Probe probes[] = {{10, 5.5, -1}, {10, 7, 0}, {10, 16.5, -1}, {10, 12, 0}};
    for (const Probe& probe : probes)
        EXPECT_NEAR(result.field.topAt(probe.x, probe.y), probe.top, 1e-6) << probe.x << ", " << probe.y;
}

TEST(Stock, CheckCommand)
{
    const std::string tools = testing::TempDir() + "stock_tools.txt";
    std::ofstream(tools) << "# number, kind, sizes\nT1 BALL D6.\n\nT2 DRILL D10. A118\n";
    const std::string badTools = testing::TempDir() + "stock_bad_tools.txt";
    std::ofstream(badTools) << "T1 BALL D6.\nT2\n";
    const std::string hugeTools = testing::TempDir() + "stock_huge_tools.txt";
    std::ofstream(hugeTools) << "T1 R" << std::string(308, '9') << ".\n";
    const char* hit = "T1M06\r\nG00X-10.Y10.Z5.\r\nZ-0.1\r\nX30.\r\n";
    struct Case {
        const char* name;
        std::vector<std::string> args;
        const char* input;
        int status;
        const char* out;
    };
    const Case cases[] = {
        {"a hit: its line, status 1", {"stock-check", "--stock", "0:20,0:20,-10:0", "--tools", tools}, hit, 1,
         "3: 早送りで材料に当たります (深さ 0.100)\n"},
        {"clear of a lower stock", {"stock-check", "--stock", "0:20,0:20,-10:-0.2", "--tools", tools}, hit, 0, ""},
        {"a tool without size is a note only", {"stock-check", "--stock", "0:20,0:20,-10:-0.2"}, hit, 0,
         "2: 工具 T1 の寸法が分かりません (点として削ります)\n"},
        {"the default stock under Z 0 from the feeds", {"stock-check", "--tools", tools},
         "T1M06\r\nG00X0Y0Z5.\r\nG01Z-1.F100\r\nX10.\r\nG00Z5.\r\nX5.Y2.9\r\nZ-0.5\r\n", 1,
         "6: 早送りで材料に当たります (深さ 0.500)\n"},
        {"a bad --stock", {"stock-check", "--stock", "0:20,0:20"}, hit, 2, ""},
        {"an inverted --stock range", {"stock-check", "--stock", "0:20,20:0,-1:0"}, hit, 2, ""},
        {"a tool table line without size", {"stock-check", "--tools", badTools}, hit, 1, ""},
        {"a tool table line whose size overflows", {"stock-check", "--tools", hugeTools}, hit, 1, ""},
        {"a box whose width overflows", {"stock-check", "--stock", "-1e308:1e308,0:20,-1:0"}, hit, 2, ""},
        {"a grid too coarse to trust: cut short wins over the hit it still prints",
         {"stock-check", "--stock", "0:100000,0:100000,-10:0", "--tools", tools}, hit, 3,
         "3: 早送りで材料に当たります (深さ 0.100)\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun run = runZorvanCli(c.args, c.input);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_EQ(run.out, c.out);
    }
}

}  // namespace
