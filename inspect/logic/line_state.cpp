#include "inspect/logic/line_state.h"

#include "inspect/logic/code_help.h"
#include "inspect/logic/code_table.h"
#include "preview/logic/shown_number.h"

#include <cstring>

namespace zorvan::inspect {

namespace {

constexpr char kAxes[3] = {'X', 'Y', 'Z'};

std::string gName(int tenths)
{
    return codeName('G', tenths / 10.0);
}

std::string position(const double p[3], const bool known[3])
{
    std::string out;
    for (int i = 0; i < 3; ++i)
        out += std::string(i ? " " : "") + kAxes[i] + (known[i] ? plainNumber(p[i]) : std::string("?"));
    return out;
}

bool shifted(const preview::CoordinateFrame& frame)
{
    return !frame.identity;
}

std::string shifts(const double s[3])
{
    std::string out;
    for (int i = 0; i < 3; ++i)
        out += std::string(i ? " " : "") + kAxes[i] + plainNumber(s[i]);
    return out;
}

std::string motionText(const preview::MachineState& s)
{
    if (s.cycle != 0) {
        const std::string name = codeName('G', s.cycle);
        const auto meaning = builtinCodeTable().find('G', s.cycle);
        return name + " " + std::string(meaning ? *meaning : "固定サイクル");
    }
    static const char* const kMotion[4] = {"G00 位置決め (早送り)", "G01 直線補間", "G02 円弧 時計回り",
                                           "G03 円弧 反時計回り"};
    return kMotion[s.motion & 3];
}

}  // namespace

std::string_view lineOfText(std::string_view text, int line)
{
    const char* p = text.data();
    const char* end = p + text.size();
    for (int l = 0; l < line && p < end; ++l) {
        const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
        p = nl ? static_cast<const char*>(nl) + 1 : end;
    }
    const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
    const char* lineEnd = nl ? static_cast<const char*>(nl) : end;
    if (lineEnd > p && lineEnd[-1] == '\r')
        --lineEnd;
    return {p, static_cast<std::size_t>(lineEnd - p)};
}

std::optional<LineState> lineState(std::string_view text, const preview::Toolpath& path, int line,
                                   std::string_view lineText, const preview::InterpreterOptions& options)
{
    std::optional<preview::LineStates> states = preview::stateOfLine(text, path, line, options);
    if (!states)
        return std::nullopt;
    LineState out;
    out.line = line;
    out.states = std::move(*states);
    // The variables the line's words read (with the values before the line and its earlier
    // assignments) and those it sets (with their values after the line).
    preview::MacroVariables running = out.states.variablesBefore;
    auto note = [&out](int n, bool set, std::optional<double> value) {
        for (auto& use : out.variables)
            if (use.number == n && use.set == set) {
                if (set)
                    use.value = value;
                return;
            }
        out.variables.push_back({n, set, value});
    };
    for (const Word& word : wordsOfLine(lineText)) {
        std::vector<std::pair<int, std::optional<double>>> read;
        if (word.letter == '#') {
            const std::size_t eq = word.valueText.find('=');
            if (eq != std::string_view::npos) {
                variablesRead(word.valueText.substr(0, eq), running, read);  // #[#1]= reads #1
                variablesRead(word.valueText.substr(eq + 1), running, read);
                for (const auto& [n, v] : read)
                    note(n, false, v);
                const int n = runAssignment(word, running);
                if (n > 0)
                    note(n, true, out.states.variablesAfter.isSet(n) ? std::optional<double>(out.states.variablesAfter.get(n))
                                                                     : std::nullopt);
                continue;
            }
            variablesRead("#" + std::string(word.valueText), running, read);
        } else {
            variablesRead(word.valueText, running, read);
        }
        for (const auto& [n, v] : read)
            note(n, false, v);
    }
    return out;
}

StateRows neverRunRows(int line)
{
    return {{"行", std::to_string(line)}, {"状態", "この行は実行されません"}};
}

StateRows stateRows(const LineState& state)
{
    const preview::MachineState& a = state.states.after;
    const preview::MachineState& b = state.states.before;
    StateRows rows;
    rows.emplace_back("行", std::to_string(state.line));
    rows.emplace_back("動作", motionText(a));
    rows.emplace_back("平面", a.plane == 17 ? "G17 XY" : a.plane == 18 ? "G18 ZX" : "G19 YZ");
    rows.emplace_back("指令", a.absolute ? "G90 アブソリュート" : "G91 インクレメンタル");
    rows.emplace_back("単位", a.inch ? "G20 インチ" : "G21 ミリ");
    rows.emplace_back("ワーク座標系", a.workOffset == 541 ? "G54.1 P" + std::to_string(a.workOffsetP) : gName(a.workOffset));
    if (a.frame.localShift[0] != 0 || a.frame.localShift[1] != 0 || a.frame.localShift[2] != 0)
        rows.emplace_back("G52 シフト", shifts(a.frame.localShift));
    if (a.frame.positionShift[0] != 0 || a.frame.positionShift[1] != 0 || a.frame.positionShift[2] != 0)
        rows.emplace_back("G92 シフト", shifts(a.frame.positionShift));
    rows.emplace_back("工具", "T" + std::to_string(a.toolCalled) + " (主軸 T" + std::to_string(a.toolInSpindle) + ")");
    rows.emplace_back("工具長補正", gName(a.lengthComp) + " H" + std::to_string(a.lengthOffset)
                                        + (a.lengthComp == 490 ? " (オフ)" : " (オン)"));
    rows.emplace_back("工具径補正", gName(a.radiusComp) + " D" + std::to_string(a.radiusOffset)
                                        + (a.radiusComp == 400 ? " (オフ)" : " (オン)"));
    rows.emplace_back("送り", "F" + plainNumber(a.feed) + (a.feedPerRev ? " (G95 毎回転)" : " (G94 毎分)"));
    static const char* const kTurn[3] = {"M03 正転", "M04 逆転", "M05 停止"};
    rows.emplace_back("主軸", "S" + plainNumber(a.spindle) + " " + kTurn[a.spindleTurn >= 3 && a.spindleTurn <= 5 ? a.spindleTurn - 3 : 2]);
    rows.emplace_back("クーラント", a.mist && a.flood ? "M07 ミスト + M08 オン" : a.flood ? "M08 オン" : a.mist ? "M07 ミスト" : "M09 オフ");
    rows.emplace_back("前の位置", position(b.position, b.known));
    rows.emplace_back("後の位置", position(a.position, a.known));
    if (shifted(b.frame) || shifted(a.frame)) {
        double wb[3], wa[3];
        b.workPosition(wb);
        a.workPosition(wa);
        rows.emplace_back("前の位置 (ワーク座標)", position(wb, b.known));
        rows.emplace_back("後の位置 (ワーク座標)", position(wa, a.known));
    }
    std::string vars;
    for (const VariableUse& v : state.variables)
        vars += (vars.empty() ? "" : ", ") + ("#" + std::to_string(v.number)) + (v.set ? " ← " : " = ")
            + (v.value ? plainNumber(*v.value) : std::string("空"));
    if (!vars.empty())
        rows.emplace_back("変数", vars);
    rows.emplace_back("時間", preview::shownDuration(a.minutes) + " (この行まで)");
    for (const auto& d : state.states.diagnostics)
        rows.emplace_back("注意", preview::diagnosticText(d));
    return rows;
}

}  // namespace zorvan::inspect
