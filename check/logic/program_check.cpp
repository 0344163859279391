#include "check/logic/program_check.h"

#include "nc/logic/nc_words.h"
#include "preview/logic/block_parser.h"
#include "preview/logic/interpreter.h"
#include "preview/logic/stock/stock_simulation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <utility>

namespace zorvan::check {

using preview::Block;
using preview::Diagnostic;
using preview::DiagnosticCode;

namespace {

// Lines between two kept states.
constexpr std::uint32_t kSnapshotLines = 2048;
constexpr char kAxes[3] = {'X', 'Y', 'Z'};

// A number as the program would write it: "12.5", "-3", "0.012".
std::string number(double v)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.4f", v);
    std::string s = buffer;
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    if (!s.empty() && s.back() == '.')
        s.pop_back();
    if (s == "-0")
        s = "0";
    return s;
}

std::string word(char letter, double v)
{
    return std::string(1, letter) + number(v);
}

std::string gName(int gTimesTen)
{
    char buffer[32];
    if (gTimesTen % 10 == 0)
        std::snprintf(buffer, sizeof buffer, "G%02d", gTimesTen / 10);
    else
        std::snprintf(buffer, sizeof buffer, "G%02d.%d", gTimesTen / 10, gTimesTen % 10);
    return buffer;
}

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The modal group of a G code, for two codes of one group in a block; 0 for codes that may stand
// together with anything.
int gGroup(int g)
{
    switch (g) {
    case 0: case 10: case 20: case 30: return 1;
    case 170: case 180: case 190: return 2;
    case 900: case 910: return 3;
    case 200: case 210: return 6;
    case 400: case 410: case 420: return 7;
    case 430: case 440: case 490: return 8;
    case 730: case 740: case 760: case 800: case 810: case 820: case 830: case 840: case 850: case 860:
    case 870: case 880: case 890: return 9;
    case 980: case 990: return 10;
    case 540: case 550: case 560: case 570: case 580: case 590: return 14;
    default: return 0;
    }
}

}  // namespace

// What a line tells the structure rules.
struct ProgramCheck::Fact {
    enum Kind : std::uint8_t { N, O, Goto, Call, ReturnTo, Percent };
    std::uint32_t line;
    Kind kind;
    long number;  // the N, O, target or program number
};

enum class Spindle : std::uint8_t { Unknown, Never, Stopped, ChangedTool, On };

// The modal state between two lines.
struct ProgramCheck::State {
    int motion = 0;  // 0..3; -1 not known (a subprogram's start)
    int plane = 17;
    bool absolute = true, absoluteCentres = false, inch = false;
    double pos[3] = {0, 0, 0};
    bool known[3] = {false, false, false};
    int cycle = 0;
    bool returnToInitial = true;
    double cycleInitial = 0, cycleR = 0;
    bool cycleInitialKnown = false, cycleRKnown = false;
    bool feedGiven = false, feedReported = false;
    Spindle spindle = Spindle::Never;
    bool spindleReported = false;
    int pendingTool = -1, tool = -1;  // T given; T of the last tool change (-1 none)
    bool needOffset = false, offsetReported = false, hGiven = false, dGiven = false;
    int compensation = 40;
    bool compensationFirstMove = false;  // the next move is the first under G41/G42
    bool ended = false;  // M30, M02 or M99 ran: what follows is a subprogram
    preview::MacroVariables variables;

    bool operator==(const State&) const = default;
};

struct ProgramCheck::Snapshot {
    std::uint32_t line;  // the state before this line
    std::size_t offset;  // where the line starts in the text
    State state;
};

namespace {

using State = ProgramCheck::State;
using Fact = ProgramCheck::Fact;
using Snapshot = ProgramCheck::Snapshot;

// The pass over the lines from one kept state on.
class Pass {
public:
    Pass(const CheckOptions& options, std::vector<Finding>& findings, std::vector<Fact>& facts)
        : options_(options), findings_(findings), facts_(facts)
    {
    }

    void line(std::string_view text, std::uint32_t line, State& state);

private:
    void add(Rule rule, std::string message)
    {
        if (options_.on(rule))
            findings_.push_back({line_, rule, std::move(message)});
    }
    void rawFacts(std::string_view text);
    void words(const std::vector<Diagnostic>& diagnostics);
    void codes(State& s);
    void moves(State& s);
    void feedMove(State& s, const char* what);
    void arcChecks(State& s, const double to[3], const bool known[3]);
    void travel(const double to[3], const bool known[3]);
    void target(const State& s, double to[3], bool known[3]) const;
    double tolerance(const State& s) const { return s.inch ? options_.arcTolerance / 25.4 : options_.arcTolerance; }

    const CheckOptions& options_;
    std::vector<Finding>& findings_;
    std::vector<Fact>& facts_;
    std::uint32_t line_ = 0;
    Block block_;
    std::vector<Diagnostic> diagnostics_;
    preview::BlockOptions blockOptions_;
};

void Pass::rawFacts(std::string_view text)
{
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end && isBlank(*p))
        ++p;
    if (p < end && *p == '%') {
        facts_.push_back({line_, Fact::Percent, 0});
        return;
    }
    if (p < end && *p == '/')
        ++p;
    auto readNumber = [&](const char*& q, long& n) {
        while (q < end && isBlank(*q))
            ++q;
        if (q >= end || !isDigit(*q))
            return false;
        n = 0;
        while (q < end && isDigit(*q) && n < 100000000)
            n = n * 10 + (*q++ - '0');
        return true;
    };
    long n = 0;
    const char first = p < end ? upper(*p) : 0;
    if ((first == 'O' || first == ':') && p + 1 < end) {
        const char* q = p + 1;
        if (readNumber(q, n))
            facts_.push_back({line_, Fact::O, n});
    } else if (first == 'N') {
        const char* q = p + 1;
        if (readNumber(q, n))
            facts_.push_back({line_, Fact::N, n});
    }
    // GOTO n, also after IF [...]: outside comments.
    for (const char* q = p; q + 4 <= end; ++q) {
        if (*q == '(') {
            const void* close = std::memchr(q, ')', static_cast<std::size_t>(end - q));
            if (!close)
                break;
            q = static_cast<const char*>(close);
            continue;
        }
        if (upper(q[0]) == 'G' && upper(q[1]) == 'O' && upper(q[2]) == 'T' && upper(q[3]) == 'O') {
            const char* r = q + 4;
            if (readNumber(r, n))
                facts_.push_back({line_, Fact::Goto, n});
            break;
        }
    }
}

void Pass::words(const std::vector<Diagnostic>& diagnostics)
{
    for (const Diagnostic& d : diagnostics) {
        switch (d.code) {
        case DiagnosticCode::BadCharacter: {
            std::string what;
            const auto code = static_cast<std::uint32_t>(d.value);
            if (code >= 0x21 && code < 0x7f)
                what = std::string("'") + static_cast<char>(code) + "'";
            else if (code == 0)
                what = "行末";
            else
                what = "U+" + [code] {
                    char buffer[16];
                    std::snprintf(buffer, sizeof buffer, "%04X", code);
                    return std::string(buffer);
                }();
            add(Rule::UnreadableWord, d.letter ? std::string("ワード ") + d.letter + " の値を読めません (" + what + ")"
                                               : "読めない文字があります (" + what + ")");
            break;
        }
        case DiagnosticCode::BadExpression:
            add(Rule::UnreadableWord, "式を読めません");
            break;
        case DiagnosticCode::DivisionByZero:
            add(Rule::UnreadableWord, "式が 0 で割っています");
            break;
        case DiagnosticCode::UnreadableVariable:
            add(Rule::UnreadableWord, "#" + number(d.value) + " は読めない変数です");
            break;
        case DiagnosticCode::UnreadableNumber:
            add(Rule::UnreadableWord, "「" + d.word + "」の数値が読めません ("
                                          + nc::numberProblemText(static_cast<nc::NumberProblem>(d.reason)) + ")");
            break;
        case DiagnosticCode::BranchSkipped:
            break;  // IF, GOTO and loops are read by the structure rules
        default:
            // Whatever else the block reader finds wrong in a line, in its own words.
            add(Rule::UnreadableWord, preview::diagnosticText(d));
            break;
        }
    }
    std::uint32_t repeated = block_.repeated;
    if (block_.hasG(650) || block_.hasG(660))
        repeated &= ~((1u << ('I' - 'A')) | (1u << ('J' - 'A')) | (1u << ('K' - 'A')));  // arguments of the second form
    for (int letter = 0; letter < 26; ++letter)
        if (repeated & (1u << letter))
            add(Rule::RepeatedLetter, std::string("アドレス ") + static_cast<char>('A' + letter) + " が 1 ブロックに 2 回あります");
    for (int i = 0; i < block_.gCount; ++i) {
        const int group = gGroup(block_.g[i]);
        for (int k = 0; k < i && group; ++k)
            if (gGroup(block_.g[k]) == group && block_.g[k] != block_.g[i]) {
                add(Rule::RepeatedLetter, gName(block_.g[k]) + " と " + gName(block_.g[i]) + " は同じグループの G コードです");
                break;
            }
        const int g = block_.g[i];
        if (g != 650 && g != 660 && !preview::interpreterKnowsG(g))
            add(Rule::UnknownCode, gName(g) + " はプレビューが扱わないコードです (移動は描きません)");
    }
}

void Pass::codes(State& s)
{
    const Block& b = block_;
    bool lengthOn = false;
    bool compensationOn = false;
    for (int i = 0; i < b.gCount; ++i) {
        const int g = b.g[i];
        switch (g) {
        case 0: case 10: case 20: case 30: s.motion = g / 10; s.cycle = 0; break;
        case 800: s.cycle = 0; break;
        case 730: case 740: case 760: case 810: case 820: case 830: case 840: case 850: case 860: case 870:
        case 880: case 890: {
            if (s.cycle == 0) {
                const int linear = s.plane == 17 ? 2 : s.plane == 18 ? 1 : 0;
                s.cycleInitial = s.pos[linear];
                s.cycleInitialKnown = s.known[linear];
            }
            s.cycle = g / 10;
            break;
        }
        case 170: case 180: case 190: s.plane = g / 10; break;
        case 900: s.absolute = true; break;
        case 910: s.absolute = false; break;
        case 901: s.absoluteCentres = true; break;
        case 911: s.absoluteCentres = false; break;
        case 200: s.inch = true; break;
        case 210: s.inch = false; break;
        case 980: s.returnToInitial = true; break;
        case 990: s.returnToInitial = false; break;
        case 430: case 440: lengthOn = true; break;
        case 490: s.needOffset = s.tool >= 0; s.offsetReported = false; break;
        case 400: s.compensation = 40; s.compensationFirstMove = false; break;
        case 410: case 420: compensationOn = true; s.compensation = g / 10; break;
        default: break;
        }
    }
    if (b.has('F') && b.get('F') > 0)
        s.feedGiven = true;
    if (b.has('T'))
        s.pendingTool = static_cast<int>(std::lround(b.get('T')));
    if (b.hasM(6)) {
        if (s.compensation != 40)
            add(Rule::CompensationOpen, "工具交換 (M06) の時に工具径補正 G" + std::to_string(s.compensation) + " が有効のままです");
        s.tool = s.pendingTool;
        s.needOffset = true;
        s.offsetReported = false;
        s.hGiven = s.dGiven = false;
        if (options_.toolChangeStopsSpindle) {
            s.spindle = Spindle::ChangedTool;
            s.spindleReported = false;
        }
    }
    if (b.hasM(3) || b.hasM(4)) {
        s.spindle = Spindle::On;
        s.spindleReported = false;
    } else if (b.hasM(5)) {
        s.spindle = Spindle::Stopped;
        s.spindleReported = false;
    }
    if (b.has('H'))
        s.hGiven = true;
    if (lengthOn && (b.has('H') || s.hGiven)) {
        s.needOffset = false;
        if (b.has('H') && s.tool > 0 && std::lround(b.get('H')) != s.tool)
            add(Rule::OffsetNumber, "H" + std::to_string(std::lround(b.get('H'))) + " が工具番号 T" + std::to_string(s.tool) + " と違います");
    }
    if (b.has('D') && (compensationOn || s.compensation != 40)) {
        const long d = std::lround(b.get('D'));
        if (s.tool > 0 && d != s.tool)
            add(Rule::OffsetNumber, "D" + std::to_string(d) + " が工具番号 T" + std::to_string(s.tool) + " と違います");
    }
    if (b.has('D'))
        s.dGiven = true;
    if (compensationOn) {
        if (!s.dGiven)
            add(Rule::CompensationNoD, "G" + std::to_string(s.compensation) + " に D (工具径補正番号) がありません");
        s.compensationFirstMove = true;
    }
}

void Pass::target(const State& s, double to[3], bool known[3]) const
{
    for (int i = 0; i < 3; ++i) {
        to[i] = s.pos[i];
        known[i] = s.known[i];
        if (!block_.has(kAxes[i]))
            continue;
        if (s.absolute) {
            to[i] = block_.get(kAxes[i]);
            known[i] = true;
        } else {
            to[i] += block_.get(kAxes[i]);
        }
    }
}

void Pass::travel(const double to[3], const bool known[3])
{
    if (!options_.travel || !options_.on(Rule::OutsideTravel))
        return;
    const TravelBox& box = *options_.travel;
    for (int i = 0; i < 3; ++i) {
        if (!known[i] || (to[i] >= box.min[i] - 1e-9 && to[i] <= box.max[i] + 1e-9))
            continue;
        add(Rule::OutsideTravel, word(kAxes[i], to[i]) + " が機械のストローク (" + kAxes[i] + number(box.min[i]) + " ～ "
                                     + number(box.max[i]) + ") の外です");
        return;
    }
}

void Pass::feedMove(State& s, const char* what)
{
    if (!s.feedGiven && !s.feedReported && s.motion != -1) {
        add(Rule::NoFeed, std::string(what) + " の送り速度 F が一度も指令されていません");
        s.feedReported = true;
    }
    if (!s.spindleReported && s.spindle != Spindle::On && s.spindle != Spindle::Unknown) {
        const char* why = s.spindle == Spindle::Stopped       ? "M05 の後"
                          : s.spindle == Spindle::ChangedTool ? "工具交換の後 M03/M04 なし"
                                                              : "M03/M04 なし";
        add(Rule::SpindleStopped, std::string("主軸が止まったまま ") + what + " で切削します (" + why + ")");
        s.spindleReported = true;
    }
    if (s.needOffset && !s.offsetReported) {
        add(Rule::NoLengthOffset, "工具交換 (T" + std::to_string(s.tool) + ") の後 G43 H (工具長補正) なしで " + what + " で切削します");
        s.offsetReported = true;
    }
}

void Pass::arcChecks(State& s, const double to[3], const bool known[3])
{
    const int a = s.plane == 17 ? 0 : s.plane == 18 ? 2 : 1;
    const int b = s.plane == 17 ? 1 : s.plane == 18 ? 0 : 2;
    static constexpr char kOffsets[3] = {'I', 'J', 'K'};
    const char wrong = s.plane == 17 ? 'K' : s.plane == 18 ? 'J' : 'I';
    if (block_.has(wrong))
        add(Rule::ArcWrongPlane, std::string(1, wrong) + " は G" + std::to_string(s.plane) + " の円弧には使えません ("
                                     + kOffsets[a] + "/" + kOffsets[b] + " を使います)");
    if (!s.known[a] || !s.known[b] || !known[a] || !known[b])
        return;
    const double sa = s.pos[a], sb = s.pos[b], ea = to[a], eb = to[b];
    const std::string g = s.motion == 2 ? "G02" : "G03";
    if (block_.has('R')) {
        const double r = std::fabs(block_.get('R'));
        const double chord = std::hypot(ea - sa, eb - sb);
        if (chord > 2 * r + tolerance(s))
            add(Rule::ArcRadiusShort, g + " R" + number(block_.get('R')) + " の始点と終点の距離 " + number(chord)
                                          + " が直径 " + number(2 * r) + " より長く、円弧になりません");
        return;
    }
    const char la = kOffsets[a], lb = kOffsets[b];
    if (!block_.has(la) && !block_.has(lb))
        return;
    double ca, cb;
    if (s.absoluteCentres) {
        ca = block_.has(la) ? block_.get(la) : sa;
        cb = block_.has(lb) ? block_.get(lb) : sb;
    } else {
        ca = sa + (block_.has(la) ? block_.get(la) : 0);
        cb = sb + (block_.has(lb) ? block_.get(lb) : 0);
    }
    const double r0 = std::hypot(sa - ca, sb - cb), r1 = std::hypot(ea - ca, eb - cb);
    if (std::fabs(r0 - r1) > tolerance(s)) {
        std::string centre;
        if (block_.has(la))
            centre += word(la, block_.get(la));
        if (block_.has(lb))
            centre += (centre.empty() ? "" : " ") + word(lb, block_.get(lb));
        add(Rule::ArcOffCircle, g + " の終点 " + word(kAxes[a], ea) + " " + word(kAxes[b], eb) + " が " + centre
                                    + " の円上にありません (半径 " + number(r0) + " と " + number(r1) + "、差 "
                                    + number(std::fabs(r0 - r1)) + ")");
    }
}

void Pass::moves(State& s)
{
    const Block& b = block_;
    const bool axes = b.has('X') || b.has('Y') || b.has('Z');
    bool reference = false, machine = false, setPosition = false, noMove = false;
    for (int i = 0; i < b.gCount; ++i) {
        switch (b.g[i]) {
        case 280: case 300: reference = true; break;
        case 530: machine = true; break;
        case 920: setPosition = true; break;
        case 40: case 100: case 110: case 520: case 680: case 690: case 511: case 501: case 500: case 510: case 650:
        case 660:
            noMove = true;
            break;
        default:
            if (!preview::interpreterKnowsG(b.g[i]))
                noMove = true;
        }
    }
    if (reference || machine) {
        for (int i = 0; i < 3; ++i)
            if (b.has(kAxes[i]))
                s.known[i] = false;
        return;
    }
    if (setPosition) {
        for (int i = 0; i < 3; ++i)
            if (b.has(kAxes[i])) {
                s.pos[i] = b.get(kAxes[i]);
                s.known[i] = true;
            }
        return;
    }
    if (noMove || b.unreadable)
        return;
    double to[3];
    bool known[3];
    if (s.cycle != 0) {
        const int linear = s.plane == 17 ? 2 : s.plane == 18 ? 1 : 0;
        if (b.has('R')) {
            s.cycleR = b.get('R');
            s.cycleRKnown = s.absolute;
        }
        const bool hole = b.has(kAxes[(linear + 1) % 3]) || b.has(kAxes[(linear + 2) % 3]) || b.has('R');
        if (!hole)
            return;
        const bool repeats0 = (b.has('K') && std::lround(b.get('K')) <= 0) || (b.has('L') && std::lround(b.get('L')) <= 0);
        target(s, to, known);
        if (!repeats0) {
            feedMove(s, ("G" + std::to_string(s.cycle)).c_str());
            travel(to, known);
        }
        for (int i = 0; i < 3; ++i)
            if (i != linear) {
                s.pos[i] = to[i];
                s.known[i] = known[i];
            }
        if (s.returnToInitial) {
            s.pos[linear] = s.cycleInitial;
            s.known[linear] = s.cycleInitialKnown;
        } else {
            s.pos[linear] = s.cycleR;
            s.known[linear] = s.cycleRKnown;
        }
        return;
    }
    const bool arc = s.motion == 2 || s.motion == 3;
    if (!axes && !(arc && (b.has('I') || b.has('J') || b.has('K') || b.has('R'))))
        return;
    target(s, to, known);
    if (s.motion >= 1) {
        const std::string what = s.motion == 1 ? "G01" : s.motion == 2 ? "G02" : "G03";
        feedMove(s, what.c_str());
        if (arc)
            arcChecks(s, to, known);
    }
    if (s.compensationFirstMove && s.motion != -1) {
        if (arc)
            add(Rule::CompensationArcFirst, "G" + std::to_string(s.compensation) + " の後の最初の移動が円弧 (G0"
                                                + std::to_string(s.motion) + ") です");
        s.compensationFirstMove = false;
    }
    travel(to, known);
    for (int i = 0; i < 3; ++i) {
        s.pos[i] = to[i];
        s.known[i] = known[i];
    }
}

void Pass::line(std::string_view text, std::uint32_t line, State& s)
{
    line_ = line;
    rawFacts(text);
    if (!facts_.empty() && facts_.back().line == line && facts_.back().kind == Fact::O && s.ended) {
        // A subprogram: what it starts with is the caller's, not known here.
        preview::MacroVariables variables = std::move(s.variables);
        s = State{};
        s.variables = std::move(variables);
        s.motion = -1;
        s.feedGiven = true;
        s.spindle = Spindle::Unknown;
    }
    diagnostics_.clear();
    preview::parseBlock(text, line, blockOptions_, s.variables, block_, diagnostics_);
    words(diagnostics_);
    if (block_.skipped)
        return;
    codes(s);
    moves(s);
    const Block& b = block_;
    if (b.hasM(98) || b.hasG(650) || b.hasG(660)) {
        if (b.has('P')) {
            long program = std::lround(b.get('P'));
            if (b.hasM(98) && program > 9999 && !b.has('L') && !b.has('K'))
                program %= 10000;  // the repeat count before four digits of program number
            facts_.push_back({line, Fact::Call, program});
        }
    }
    if (b.hasM(99) && b.has('P'))
        facts_.push_back({line, Fact::ReturnTo, std::lround(b.get('P'))});
    if (b.hasM(30) || b.hasM(2) || b.hasM(99)) {
        if (!s.ended && s.compensation != 40 && !b.hasM(99))
            add(Rule::CompensationOpen, "プログラムの終わりで工具径補正 G" + std::to_string(s.compensation) + " が有効のままです");
        s.ended = true;
    }
}

// The lines of `text` from `p` (the start of line `line`), run until the end or until `stop`
// says so before a line (with the state before it).
template <typename Stop>
std::uint32_t runLines(std::string_view text, const char* p, std::uint32_t line, State& state, Pass& pass,
                       std::vector<Snapshot>& snapshots, const std::atomic<bool>* cancel, bool& cancelled, Stop&& stop)
{
    const char* end = text.data() + text.size();
    std::uint32_t run = 0;
    while (p < end) {
        if (run % kSnapshotLines == 0 && run != 0) {
            if (cancel && cancel->load(std::memory_order_relaxed)) {
                cancelled = true;
                return run;
            }
        }
        if (stop(line, state))
            return run;
        if ((line % kSnapshotLines) == 0 && (snapshots.empty() || snapshots.back().line < line))
            snapshots.push_back({line, static_cast<std::size_t>(p - text.data()), state});
        const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
        const char* lineEnd = nl ? static_cast<const char*>(nl) : end;
        const char* next = nl ? lineEnd + 1 : end;
        if (lineEnd > p && lineEnd[-1] == '\r')
            --lineEnd;
        pass.line(std::string_view(p, static_cast<std::size_t>(lineEnd - p)), line, state);
        p = next;
        ++line;
        ++run;
    }
    return run;
}

const char* bodyStart(std::string_view text)
{
    return text.starts_with("\xEF\xBB\xBF") ? text.data() + 3 : text.data();
}

// Whether a line holds no block: only blanks and comments, or a "%" line (whatever follows the
// "%", as the reader passes it by); `percent` tells the latter.
bool isEmptyLine(std::string_view line, bool& percent)
{
    std::size_t i = 0;
    while (i < line.size() && isBlank(line[i]))
        ++i;
    percent = i < line.size() && line[i] == '%';
    if (percent)
        return true;
    while (i < line.size()) {
        const char c = line[i];
        if (isBlank(c)) {
            ++i;
        } else if (c == '(') {
            const std::size_t close = line.find(')', i);
            if (close == std::string_view::npos)
                return true;
            i = close + 1;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string findingLine(const Finding& finding)
{
    return std::to_string(finding.line) + ": " + severityName(finding.severity()) + ": " + finding.message + " ["
           + ruleInfo(finding.rule).id + "]";
}

FindingCounts countFindings(const std::vector<Finding>& findings)
{
    FindingCounts counts;
    for (const Finding& f : findings) {
        switch (f.severity()) {
        case Severity::Error: ++counts.errors; break;
        case Severity::Warning: ++counts.warnings; break;
        case Severity::Note: ++counts.notes; break;
        }
    }
    return counts;
}

ProgramCheck::ProgramCheck(CheckOptions options) : options_(std::move(options)) {}
ProgramCheck::~ProgramCheck() = default;
ProgramCheck::ProgramCheck(ProgramCheck&&) noexcept = default;
ProgramCheck& ProgramCheck::operator=(ProgramCheck&&) noexcept = default;

void ProgramCheck::run(std::string_view text, const std::atomic<bool>* cancel)
{
    lineFindings_.clear();
    facts_.clear();
    snapshots_.clear();
    cancelled_ = false;
    State state;
    Pass pass(options_, lineFindings_, facts_);
    linesRun_ = runLines(text, bodyStart(text), 0, state, pass, snapshots_, cancel, cancelled_,
                         [](std::uint32_t, const State&) { return false; });
    if (snapshots_.empty())
        snapshots_.push_back({0, static_cast<std::size_t>(bodyStart(text) - text.data()), State{}});
    textSize_ = text.size();
    lineBreaks_ = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    checked_ = !cancelled_;
    if (!cancelled_)
        finish(text);
}

void ProgramCheck::update(std::string_view text, int firstLine, int lastLine, int lineDelta,
                          const std::atomic<bool>* cancel)
{
    if (!checked_ || firstLine < 0) {
        run(text, cancel);
        return;
    }
    lastLine = std::max(lastLine, firstLine);
    // The changed lines in the old numbering: [firstLine, oldLast].
    const long oldLast = std::max<long>(firstLine, static_cast<long>(lastLine) - lineDelta);
    // Start from the last kept state at or before the change.
    std::size_t s = 0;
    while (s + 1 < snapshots_.size() && snapshots_[s + 1].line <= static_cast<std::uint32_t>(firstLine))
        ++s;
    const std::uint32_t start = snapshots_[s].line;
    State state = snapshots_[s].state;
    // The old states after the change, where the new run may meet the old one again.
    std::vector<Snapshot> old(std::make_move_iterator(snapshots_.begin() + static_cast<long>(s) + 1),
                              std::make_move_iterator(snapshots_.end()));
    snapshots_.resize(s + 1);
    std::size_t candidate = 0;
    while (candidate < old.size() && old[candidate].line <= static_cast<std::uint32_t>(oldLast))
        ++candidate;

    auto firstAt = [](auto& v, std::uint32_t line) {
        return std::lower_bound(v.begin(), v.end(), line, [](const auto& e, std::uint32_t l) { return e.line < l; });
    };
    std::vector<Finding> oldFindings(std::make_move_iterator(firstAt(lineFindings_, start)),
                                     std::make_move_iterator(lineFindings_.end()));
    lineFindings_.erase(firstAt(lineFindings_, start), lineFindings_.end());
    std::vector<Fact> oldFacts(firstAt(facts_, start), facts_.end());
    facts_.erase(firstAt(facts_, start), facts_.end());

    // The text before the change is as it was: line `start` begins where it began.
    const char* p = text.data() + std::min(snapshots_[s].offset, text.size());
    const long byteDelta = static_cast<long>(text.size()) - static_cast<long>(textSize_);
    textSize_ = text.size();
    const char* from = p;
    cancelled_ = false;
    bool met = false;
    std::uint32_t metOld = 0;
    Pass pass(options_, lineFindings_, facts_);
    linesRun_ = runLines(text, p, start, state, pass, snapshots_, cancel, cancelled_,
                         [&](std::uint32_t line, const State& now) {
                             while (candidate < old.size()
                                    && static_cast<long>(old[candidate].line) + lineDelta < static_cast<long>(line))
                                 ++candidate;
                             if (candidate == old.size() || static_cast<long>(old[candidate].line) + lineDelta != line)
                                 return false;
                             if (!(old[candidate].state == now)) {
                                 ++candidate;
                                 return false;
                             }
                             met = true;
                             metOld = old[candidate].line;
                             return true;
                         });
    if (cancelled_) {
        checked_ = false;
        return;
    }
    if (met)
        lineBreaks_ = static_cast<std::size_t>(std::max(0L, static_cast<long>(lineBreaks_) + lineDelta));
    else
        lineBreaks_ = start + static_cast<std::size_t>(std::count(from, text.data() + text.size(), '\n'));
    if (met) {
        auto shifted = [lineDelta](std::uint32_t line) { return static_cast<std::uint32_t>(static_cast<long>(line) + lineDelta); };
        for (auto it = firstAt(oldFindings, metOld); it != oldFindings.end(); ++it) {
            it->line = shifted(it->line);
            lineFindings_.push_back(std::move(*it));
        }
        for (auto it = firstAt(oldFacts, metOld); it != oldFacts.end(); ++it) {
            it->line = shifted(it->line);
            facts_.push_back(*it);
        }
        for (std::size_t k = candidate; k < old.size(); ++k) {
            old[k].line = shifted(old[k].line);
            old[k].offset = static_cast<std::size_t>(static_cast<long>(old[k].offset) + byteDelta);
            snapshots_.push_back(std::move(old[k]));
        }
    }
    // The stock's findings move with their lines; those in the change wait for the next simulation.
    std::vector<Finding> stock;
    for (Finding& f : stockFindings_) {
        if (f.line < static_cast<std::uint32_t>(firstLine))
            stock.push_back(std::move(f));
        else if (static_cast<long>(f.line) > oldLast) {
            f.line = static_cast<std::uint32_t>(static_cast<long>(f.line) + lineDelta);
            stock.push_back(std::move(f));
        }
    }
    stockFindings_ = std::move(stock);
    finish(text);
}

std::size_t ProgramCheck::memoryBytes() const
{
    std::size_t bytes = snapshots_.capacity() * sizeof(Snapshot) + facts_.capacity() * sizeof(Fact);
    // A state's macro variables: a double and a flag each.
    bytes += snapshots_.size() * preview::MacroVariables::kCount * (sizeof(double) + 1);
    for (const auto* v : {&lineFindings_, &stockFindings_, &findings_}) {
        bytes += v->capacity() * sizeof(Finding);
        for (const Finding& f : *v)
            bytes += f.message.capacity();
    }
    return bytes;
}

void ProgramCheck::setStockFindings(std::vector<Finding> findings)
{
    stockFindings_ = std::move(findings);
    std::vector<Finding> merged;
    merged.reserve(findings_.size() + stockFindings_.size());
    for (const Finding& f : findings_)
        if (f.rule != Rule::RapidIntoStock)
            merged.push_back(f);
    findings_ = std::move(merged);
    findings_.insert(findings_.end(), stockFindings_.begin(), stockFindings_.end());
    std::stable_sort(findings_.begin(), findings_.end(), [](const Finding& a, const Finding& b) { return a.line < b.line; });
}

void ProgramCheck::finish(std::string_view text)
{
    std::vector<Finding> structure;
    structureFindings(text, structure);
    findings_.clear();
    findings_.reserve(lineFindings_.size() + structure.size() + stockFindings_.size());
    findings_ = lineFindings_;
    findings_.insert(findings_.end(), structure.begin(), structure.end());
    findings_.insert(findings_.end(), stockFindings_.begin(), stockFindings_.end());
    std::stable_sort(findings_.begin(), findings_.end(), [](const Finding& a, const Finding& b) { return a.line < b.line; });
}

void ProgramCheck::structureFindings(std::string_view text, std::vector<Finding>& out) const
{
    auto add = [&](std::uint32_t line, Rule rule, std::string message) {
        if (options_.on(rule))
            out.push_back({line, rule, std::move(message)});
    };
    // Programs by O number, and which program each line is in (the count of O lines before it).
    std::unordered_map<long, std::uint32_t> programs;
    std::vector<std::uint32_t> oLines;
    for (const Fact& f : facts_) {
        if (f.kind != Fact::O)
            continue;
        oLines.push_back(f.line);
        auto [it, fresh] = programs.try_emplace(f.number, f.line);
        if (!fresh)
            add(f.line, Rule::DuplicateO, "O" + std::to_string(f.number) + " は行 " + std::to_string(it->second) + " にもあります");
    }
    auto programOf = [&](std::uint32_t line) {
        return static_cast<long>(std::upper_bound(oLines.begin(), oLines.end(), line) - oLines.begin());
    };
    // Jump targets: GOTO within its program, M99 P in any program.
    std::unordered_map<long, int> named;  // N number to how it is named: 1 GOTO, 2 M99 P
    for (const Fact& f : facts_) {
        if (f.kind == Fact::Goto)
            named[f.number] |= 1;
        else if (f.kind == Fact::ReturnTo)
            named[f.number] |= 2;
        else if (f.kind == Fact::Call && !programs.count(f.number))
            add(f.line, Rule::MissingProgram, "呼び出すプログラム O" + std::to_string(f.number) + " がこのファイルにありません");
    }
    if (!named.empty()) {
        // (program, N) -> lines, for the named numbers only.
        std::unordered_map<long, std::vector<std::pair<long, std::uint32_t>>> places;
        for (const Fact& f : facts_)
            if (f.kind == Fact::N && named.count(f.number))
                places[f.number].push_back({programOf(f.line), f.line});
        for (const Fact& f : facts_) {
            if (f.kind != Fact::Goto && f.kind != Fact::ReturnTo)
                continue;
            const auto it = places.find(f.number);
            bool found = false;
            if (it != places.end())
                for (const auto& [program, line] : it->second)
                    found = found || f.kind == Fact::ReturnTo || program == programOf(f.line);
            if (!found)
                add(f.line, Rule::MissingTarget, std::string(f.kind == Fact::Goto ? "GOTO " : "M99 P") + std::to_string(f.number)
                                                     + " の行き先 N" + std::to_string(f.number) + " がありません");
        }
        for (const auto& [n, lines] : places) {
            const bool byReturn = named[n] & 2;
            for (std::size_t i = 1; i < lines.size(); ++i)
                for (std::size_t k = 0; k < i; ++k)
                    if (byReturn || lines[k].first == lines[i].first) {
                        add(lines[i].second, Rule::DuplicateN,
                            "N" + std::to_string(n) + " は " + (byReturn ? "M99 P" : "GOTO ") + " の行き先ですが行 "
                                + std::to_string(lines[k].second) + " にもあります");
                        break;
                    }
        }
    }
    // The ends: the first and last lines that hold anything, and the last block.
    const char* begin = bodyStart(text);
    const char* end = text.data() + text.size();
    auto lineAt = [&](const char* p) {
        const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
        const char* e = nl ? static_cast<const char*>(nl) : end;
        return std::string_view(p, static_cast<std::size_t>(e - p));
    };
    long firstContent = -1;
    bool firstPercent = false;
    {
        const char* p = begin;
        for (std::uint32_t l = 0; p < end; ++l) {
            std::string_view ln = lineAt(p);
            bool percent;
            const bool empty = isEmptyLine(ln, percent);
            if (!empty || percent) {
                firstContent = l;
                firstPercent = percent;
                break;
            }
            p = ln.data() + ln.size() + 1;
        }
    }
    if (firstContent < 0)
        return;
    // From the end: walk the line starts backwards.
    long lastContent = -1, lastBlock = -1;
    bool lastPercent = false, endCode = false;
    {
        long line = static_cast<long>(lineBreaks_);
        const char* e = end;
        while (e >= begin && (lastContent < 0 || lastBlock < 0)) {
            const char* s = e;
            while (s > begin && s[-1] != '\n')
                --s;
            std::string_view ln(s, static_cast<std::size_t>(e - s));
            if (!ln.empty() && ln.back() == '\r')
                ln.remove_suffix(1);
            bool percent;
            const bool empty = isEmptyLine(ln, percent);
            if (lastContent < 0 && (!empty || percent)) {
                lastContent = line;
                lastPercent = percent;
            }
            if (lastBlock < 0 && !empty) {
                lastBlock = line;
                preview::MacroVariables variables;
                Block block;
                std::vector<Diagnostic> ignored;
                preview::parseBlock(ln, static_cast<std::uint32_t>(line), {}, variables, block, ignored);
                endCode = block.hasM(30) || block.hasM(2) || block.hasM(99);
            }
            if (s == begin)
                break;
            e = s - 1;
            --line;
        }
    }
    if (lastBlock >= 0 && !endCode)
        add(static_cast<std::uint32_t>(lastBlock), Rule::NoEnd, "プログラムの終わりに M30/M02/M99 がありません");
    for (const Fact& f : facts_) {
        if (f.kind != Fact::Percent)
            continue;
        if (static_cast<long>(f.line) != firstContent && static_cast<long>(f.line) != lastContent)
            add(f.line, Rule::PercentFraming, "途中の % : ここから後は読まれません");
    }
    if (firstPercent && (!lastPercent || lastContent == firstContent))
        add(static_cast<std::uint32_t>(lastContent), Rule::PercentFraming, "最初の % に対応する終わりの % がありません");
    else if (!firstPercent && lastPercent)
        add(static_cast<std::uint32_t>(firstContent), Rule::PercentFraming, "終わりの % に対応する最初の % がありません");
}

std::vector<Finding> stockFindings(std::string_view text, const CheckOptions& options, const std::atomic<bool>* cancel,
                                   bool* cutShort)
{
    std::vector<Finding> out;
    if (cutShort)
        *cutShort = false;
    if (!options.on(Rule::RapidIntoStock))
        return out;
    const preview::Toolpath path = preview::interpretProgram(text, {}, cancel);
    if (path.cancelled)
        return out;
    if (cutShort)
        for (const Diagnostic& d : path.diagnostics)
            *cutShort = *cutShort || d.code == DiagnosticCode::PathCutShort || d.code == DiagnosticCode::RunCutShort;
    preview::stock::StockOptions stock;
    stock.tools = options.tools;
    const preview::stock::StockResult result = preview::stock::simulateStock(text, path, stock, cancel);
    if (result.cancelled)
        return out;
    for (const auto& warning : result.warnings)
        if (warning.code == preview::stock::StockWarningCode::RapidHitsStock)
            out.push_back({warning.line, Rule::RapidIntoStock, preview::stock::stockWarningText(warning)});
    return out;
}

std::vector<Finding> checkProgram(std::string_view text, const CheckOptions& options, bool* cutShort)
{
    ProgramCheck check(options);
    check.run(text);
    check.setStockFindings(stockFindings(text, options, nullptr, cutShort));
    return check.findings();
}

}  // namespace zorvan::check
