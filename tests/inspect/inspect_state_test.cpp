// The machine's state at a line: the modes after it, the positions before and after it, shifts,
// G91 sections, cycles, subprograms and macros, worked out from the resume points of a run.
#include "inspect/logic/line_state.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace zorvan;

namespace {

std::string program(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& l : lines)
        text += l + "\r\n";
    return text;
}

std::map<std::string, std::string> rowsAt(const std::string& text, int line)
{
    const preview::Toolpath path = preview::interpretProgram(text);
    const auto state = inspect::lineState(text, path, line, inspect::lineOfText(text, line));
    const inspect::StateRows rows = state ? inspect::stateRows(*state) : inspect::neverRunRows(line);
    std::map<std::string, std::string> out;
    for (const auto& [caption, value] : rows)
        out[caption] += out.count(caption) && !out[caption].empty() ? " / " + value : value;
    return out;
}

struct StateCase {
    const char* name;
    int line;
    std::map<std::string, std::string> rows;  // captions checked, with their values
};

void expectStates(const std::vector<std::string>& lines, const std::vector<StateCase>& cases)
{
    const std::string text = program(lines);
    for (const StateCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto rows = rowsAt(text, c.line);
        for (const auto& [caption, value] : c.rows) {
            const auto it = rows.find(caption);
            if (value.empty()) {
                EXPECT_TRUE(it == rows.end()) << caption << ": " << it->second;
                continue;
            }
            ASSERT_TRUE(it != rows.end()) << caption << " not among the rows";
            EXPECT_EQ(it->second, value) << caption;
        }
    }
}

TEST(InspectState, ModalGroups)
{
    expectStates({"%",                        // 0
                  "O1234 (TEST)",             // 1
                  "G90G54G17G40G49G80G21",    // 2
                  "T1M06",                    // 3
                  "T2 G00X0Y0S1000M03",       // 4
                  "G43Z50.H01M08",            // 5
                  "G01Z-1.F200",              // 6
                  "G41D11X10.",               // 7
                  "G18",                      // 8
                  "G19 G91",                  // 9
                  "G17G40G90 G20",            // 10
                  "G21 G55",                  // 11
                  "G54.1P3 M07",              // 12
                  "M09M05",                   // 13
                  "G95F0.1 M04",              // 14
                  "G49 G94"},                 // 15
                 {
                     {"start", 2,
                      {{"動作", "G00 位置決め (早送り)"}, {"平面", "G17 XY"}, {"指令", "G90 アブソリュート"}, {"単位", "G21 ミリ"},
                       {"ワーク座標系", "G54"}, {"工具", "T0 (主軸 T0)"}, {"工具長補正", "G49 H0 (オフ)"},
                       {"工具径補正", "G40 D0 (オフ)"}, {"主軸", "S0 M05 停止"}, {"クーラント", "M09 オフ"},
                       {"後の位置", "X? Y? Z?"}}},
                     {"tool change", 3, {{"工具", "T1 (主軸 T1)"}}},
                     {"tool called, not changed; spindle on", 4,
                      {{"工具", "T2 (主軸 T1)"}, {"主軸", "S1000 M03 正転"}, {"後の位置", "X0 Y0 Z?"}}},
                     {"length offset and coolant", 5,
                      {{"工具長補正", "G43 H1 (オン)"}, {"クーラント", "M08 オン"}, {"前の位置", "X0 Y0 Z?"},
                       {"後の位置", "X0 Y0 Z50"}}},
                     {"feed move", 6,
                      {{"動作", "G01 直線補間"}, {"送り", "F200 (G94 毎分)"}, {"前の位置", "X0 Y0 Z50"}, {"後の位置", "X0 Y0 Z-1"}}},
                     {"radius offset", 7, {{"工具径補正", "G41 D11 (オン)"}, {"後の位置", "X10 Y0 Z-1"}}},
                     {"plane ZX", 8, {{"平面", "G18 ZX"}}},
                     {"plane YZ, incremental", 9, {{"平面", "G19 YZ"}, {"指令", "G91 インクレメンタル"}}},
                     {"inch, radius offset off", 10,
                      {{"平面", "G17 XY"}, {"単位", "G20 インチ"}, {"工具径補正", "G40 D11 (オフ)"}, {"指令", "G90 アブソリュート"}}},
                     {"work offset 2", 11, {{"ワーク座標系", "G55"}, {"単位", "G21 ミリ"}}},
                     {"extra work offset, mist", 12, {{"ワーク座標系", "G54.1 P3"}, {"クーラント", "M07 ミスト + M08 オン"}}},
                     {"coolant off, spindle stop", 13, {{"クーラント", "M09 オフ"}, {"主軸", "S1000 M05 停止"}}},
                     {"feed per revolution, reverse", 14, {{"送り", "F0.1 (G95 毎回転)"}, {"主軸", "S1000 M04 逆転"}}},
                     {"length offset off", 15, {{"工具長補正", "G49 H1 (オフ)"}, {"送り", "F0.1 (G94 毎分)"}}},
                 });
}

TEST(InspectState, ShiftsAndIncrements)
{
    expectStates({"G90G00X10.Y10.Z10.",  // 0
                  "G52X100.Y0Z0",        // 1
                  "G00X0Y0",             // 2
                  "G52",                 // 3
                  "G92X0Y0Z0",           // 4
                  "G91X10.Y5.",          // 5
                  "X10."},               // 6
                 {
                     {"no shift yet", 0, {{"後の位置", "X10 Y10 Z10"}, {"G52 シフト", ""}, {"後の位置 (ワーク座標)", ""}}},
                     {"G52: the tool stays, its coordinates move", 1,
                      {{"G52 シフト", "X100 Y0 Z0"}, {"前の位置", "X10 Y10 Z10"}, {"後の位置", "X-90 Y10 Z10"},
                       {"後の位置 (ワーク座標)", "X10 Y10 Z10"}}},
                     {"a move in the shifted frame", 2, {{"後の位置", "X0 Y0 Z10"}, {"後の位置 (ワーク座標)", "X100 Y0 Z10"}}},
                     {"G52 without axes cancels", 3, {{"G52 シフト", ""}, {"後の位置", "X100 Y0 Z10"}}},
                     {"G92 renames the place", 4,
                      {{"G92 シフト", "X100 Y0 Z10"}, {"後の位置", "X0 Y0 Z0"}, {"後の位置 (ワーク座標)", "X100 Y0 Z10"}}},
                     {"G91 moves by", 5, {{"指令", "G91 インクレメンタル"}, {"前の位置", "X0 Y0 Z0"}, {"後の位置", "X10 Y5 Z0"}}},
                     {"G91 stays", 6, {{"後の位置", "X20 Y5 Z0"}, {"後の位置 (ワーク座標)", "X120 Y5 Z10"}}},
                 });
}

TEST(InspectState, CyclesSubprogramsMacrosAndTime)
{
    expectStates({"G90G00X0Y0Z50.",           // 0
                  "G99G81X10.Y0Z-5.R2.F100",  // 1
                  "G80",                      // 2
                  "#1=10.",                   // 3
                  "#2=#1*2+1",                // 4
                  "G00X#2Y[#1/4]Z0",          // 5
                  "G01X121.F1000",            // 6
                  "M98P200",                  // 7
                  "M30",                      // 8
                  "O200",                     // 9
                  "G91G01X5.F100",            // 10
                  "#3=#[#1-9]+#3",            // 11
                  "G90M99",                   // 12
                  "O300",                     // 13
                  "X1."},                     // 14
                 {
                     {"cycle", 1,
                      {{"動作", "G81 ドリルサイクル (スポットドリル): 穴底まで切削送りし早送りで戻る"}, {"後の位置", "X10 Y0 Z2"}}},
                     {"cycle cancelled", 2, {{"動作", "G00 位置決め (早送り)"}}},
                     {"a variable set", 3, {{"変数", "#1 ← 10"}}},
                     {"read and set", 4, {{"変数", "#1 = 10, #2 ← 21"}}},
                     {"expressions", 5, {{"変数", "#2 = 21, #1 = 10"}, {"後の位置", "X21 Y2.5 Z0"}}},
                     // The cycle: 7 mm of feed at F100 (4.2 s) and 65 mm of rapids (0.39 s); the
                     // rapid to X21 Y2.5 Z0 (0.07 s); 100 mm at F1000 (6 s): 10.66 s.
                     {"time so far", 6, {{"時間", "0:00:11 (この行まで)"}}},
                     {"a call: after its subprogram returned", 7,
                      {{"前の位置", "X121 Y2.5 Z0"}, {"後の位置", "X126 Y2.5 Z0"}, {"指令", "G90 アブソリュート"}}},
                     {"a subprogram line, run from the call", 10,
                      {{"指令", "G91 インクレメンタル"}, {"前の位置", "X121 Y2.5 Z0"}, {"後の位置", "X126 Y2.5 Z0"}}},
                     {"indirect variable and a vacant one", 11, {{"変数", "#1 = 10, #3 = 空, #3 ← 10"}}},
                     {"never run", 14, {{"状態", "この行は実行されません"}}},
                 });
}

// The state worked out from the nearest resume point equals the state the whole run reaches,
// for lines far from the start, in subprograms and after macro assignments.
TEST(InspectState, ResumePointsAgreeWithTheWholeRun)
{
    std::vector<std::string> lines = {"G90G00X0Y0Z10.", "G01Z0F500"};
    for (int i = 0; i < 12000; ++i) {
        if (i % 1000 == 500)
            lines.push_back("M98P77L2");
        else if (i % 7 == 0)
            lines.push_back("#" + std::to_string(100 + i % 20) + "=#" + std::to_string(100 + (i + 3) % 20) + "+" + std::to_string(i % 5) + ".5");
        else if (i % 11 == 0)
            lines.push_back("G02X" + std::to_string(i % 50) + ".Y0R40.");
        else
            lines.push_back("G01X" + std::to_string(i % 50) + ".Y" + std::to_string(i % 13) + ".Z-[#" + std::to_string(100 + i % 20) + "/100]");
    }
    lines.push_back("M30");
    lines.push_back("O77");
    lines.push_back("G91G01X1.Y1.");
    lines.push_back("#140=#140+1");
    lines.push_back("G90M99");
    const std::string text = program(lines);

    std::map<std::uint32_t, preview::MachineState> first;
    preview::InterpreterOptions observed;
    observed.runStarts = [&] { first.clear(); };
    observed.afterBlock = [&](std::uint32_t line, const preview::MachineState& s) { first.try_emplace(line, s); };
    preview::interpretProgram(text, observed);
    const preview::Toolpath path = preview::interpretProgram(text);
    ASSERT_TRUE(path.resume);

    const int count = static_cast<int>(lines.size());
    for (int line : {0, 1, 2, 999, 2502, 5000, 7777, 11999, count - 5, count - 3, count - 2}) {
        SCOPED_TRACE(line);
        const auto states = preview::stateOfLine(text, path, line);
        ASSERT_TRUE(states);
        const auto it = first.find(static_cast<std::uint32_t>(line));
        ASSERT_TRUE(it != first.end());
        const preview::MachineState& want = it->second;
        const preview::MachineState& got = states->after;
        if (!lines[static_cast<std::size_t>(line)].starts_with("M98")) {  // a call's state is after its return
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(got.position[i], want.position[i]);
                EXPECT_EQ(got.known[i], want.known[i]);
            }
            EXPECT_DOUBLE_EQ(got.minutes, want.minutes);
        }
        EXPECT_EQ(got.absolute, want.absolute);
        EXPECT_EQ(got.feed, want.feed);
    }
}

}  // namespace
