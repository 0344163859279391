#include "preview/logic/interpreter.h"

#include "preview/logic/interpreter_state.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace zorvan::preview {

namespace {

constexpr char kAxisLetters[3] = {'X', 'Y', 'Z'};

// G codes that change nothing the path shows (work offsets, tool length and radius offsets,
// exact stop, look-ahead, feed and spindle modes, inverse-time feed, polar coordinates off):
// accepted silently.
bool isIgnoredG(int g)
{
    switch (g) {
    case 90: case 80: case 50: case 51: case 150: case 400: case 410: case 420: case 430: case 440: case 490:
    case 540: case 541: case 550: case 560: case 570: case 580: case 590: case 610: case 620:
    case 630: case 640: case 930: case 960: case 970:
        return true;
    default:
        return false;
    }
}

// The work of running one line (without its break): kBlockWork and kByteWork a byte; from the
// line's first "#" or "[" on, kExpressionByteWork a byte and kExpressionWork for each "#" (a
// variable) and "[" (an expression), which cost more to work out than a plain address word.
constexpr std::uint64_t kBlockWork = 16;
constexpr std::uint64_t kByteWork = 2;
constexpr std::uint64_t kExpressionWork = 16;
constexpr std::uint64_t kExpressionByteWork = 4;
std::uint64_t blockWork(std::string_view line)
{
    std::uint64_t work = kBlockWork;
    bool inExpression = false;
    for (const char c : line) {
        const bool opens = c == '#' || c == '[';
        inExpression = inExpression || opens;
        work += (inExpression ? kExpressionByteWork : kByteWork) + (opens ? kExpressionWork : 0);
    }
    return work;
}

// The codes of a block that are not moves but take its words for something else.
enum class BlockRole { Move, NoMove, Reference, SetPosition, LocalShift, MachineMove, Rotate, Mirror, Skip };

struct Frame {
    const char* returnAt;
    std::uint32_t returnLine;
    const char* bodyAt;
    std::uint32_t bodyLine;
    int remaining;  // further runs after this one
    std::uint32_t callLine;
};

// A call frame as a resume point keeps it: places as offsets into the text.
struct SavedFrame {
    std::size_t returnAt;
    std::uint32_t returnLine;
    std::size_t bodyAt;
    std::uint32_t bodyLine;
    int remaining;
    std::uint32_t callLine;
};

// The modes of the interpreter itself (the motion and the recorder keep theirs).
struct Modes {
    int motionCode = 0;  // 0..3
    Plane plane = Plane::XY;
    bool absolute = true, inch = false, feedPerRev = false, returnToInitial = true;
    bool absoluteCentres = false;  // G90.1: I/J/K name the centre, not its offset from the start
    double feed = 0, spindle = 0;
    int pendingTool = 0;
    CycleState cycle;
    // Followed for the reader of the program only; the path does not depend on them.
    int workOffset = 540, workOffsetP = 0;
    int lengthComp = 490, lengthOffset = 0;
    int radiusComp = 400, radiusOffset = 0;
    int spindleTool = 0, spindleTurn = 5;
    bool mist = false, flood = false;
};

// Work counted between resume points: a block and each byte of it, as blockWork counts them
// without looking for expressions; about 3,000 lines of a CAM program.
constexpr std::uint64_t kResumeEvery = 256 * 1024;

// Where the run stood before one block: enough to run on from there.
struct Checkpoint {
    std::size_t at;
    std::uint32_t line;
    Modes modes;
    ToolMotion::Saved motion;
    PathRecorder::Saved recorder;
    std::vector<std::pair<std::uint16_t, double>> variables;  // the set ones
    std::vector<SavedFrame> calls;
    double length[kMoveKinds];
    double minutes, rapidMinutes;
};

// The line being asked about in a stretch run again: the states around its first run.
struct Watch {
    std::uint32_t line = 0;
    bool started = false, done = false;
    std::size_t firstDiagnostic = 0, endDiagnostic = 0;
    LineStates states;
};

}  // namespace

struct ResumePoints {
    std::vector<Checkpoint> points;
    // For each line, the last point before the line first ran; Toolpath::kNeverRun when it never did.
    std::vector<std::uint32_t> pointOfLine;
};

namespace {

class Interpreter {
public:
    Interpreter(std::string_view text, const InterpreterOptions& options, const std::atomic<bool>* cancel)
        : text_(text), options_(options), cancel_(cancel), recorder_(path_, options_), motion_(recorder_, options_)
    {
        blockOptions_.blockDelete = options.blockDelete;
    }

    // Runs the program from its start, or from a resume point until `watch`'s line has run once.
    Toolpath run(const Checkpoint* from = nullptr, Watch* watch = nullptr);
    MachineState machineState() const;
    void fillState(MachineState& state) const;
    // Axes the program never set absolutely while a point went undrawn for want of them.
    std::array<bool, 3> axesToAssume() const
    {
        std::array<bool, 3> axes{};
        for (int i = 0; i < 3; ++i)
            axes[i] = motion_.leftOutPoints() && !motion_.setAbsolutely(i);
        return axes;
    }
    void assumeZero(const std::array<bool, 3>& axes)
    {
        for (int i = 0; i < 3; ++i)
            if (axes[i])
                motion_.assumeZero(i);
    }

private:
    enum class Flow { Next, Jump, Stop };

    Flow runBlock(std::uint32_t line, const char* nextLine);
    BlockRole applyGCodes();
    void move(MoveKind straightKind);
    void arcMove(const double target[3], const bool known[3], const bool absolute[3]);
    void drill();
    void otherMoves(BlockRole role);
    Flow callOrReturn(std::uint32_t line, const char* nextLine);
    double distance(char letter) const;
    // The point the block's axis words name, which of its axes are known, which set absolutely.
    void target(double out[3], bool known[3], bool absolute[3]) const;
    bool hasAxisWords() const { return block_.has('X') || block_.has('Y') || block_.has('Z'); }
    bool findProgram(int number, const char*& at, std::uint32_t& line);
    void diagnose(DiagnosticCode code, double value = 0) { path_.diagnostics.push_back({line_, code, value}); }
    // Notes where the tool stands after the first run of `line`.
    void markRun(std::uint32_t line)
    {
        watchMark(line);
        if (watch_ || !options_.keepVertices)
            return;  // a stretch run again, or a run that only sums, keeps no path
        auto& after = path_.verticesAfterLine;
        if (line >= after.size())
            after.resize(line + 1, Toolpath::kNeverRun);
        if (after[line] == Toolpath::kNeverRun)
            after[line] = static_cast<std::uint32_t>(recorder_.vertexCount());
    }
    double feedPerMinute() const { return feedPerRev_ ? feed_ * spindle_ : feed_; }
    // The modes that only a reader of the program asks for (work offset, offsets, spindle, coolant).
    void noteModes();
    Checkpoint checkpoint(const char* at, std::uint32_t line) const;
    void resume(const Checkpoint& from);
    void watchMark(std::uint32_t line)
    {
        if (watch_ && watch_->started && line == watch_->line && !watch_->done) {
            watch_->done = true;
            watch_->states.after = machineState();
            watch_->states.variablesAfter = variables_;
        }
    }

    std::string_view text_;
    const InterpreterOptions& options_;
    const std::atomic<bool>* cancel_;
    Toolpath path_;
    PathRecorder recorder_;
    ToolMotion motion_;
    BlockOptions blockOptions_;
    MacroVariables variables_;
    Block block_;
    std::uint32_t line_ = 0;

    int motionCode_ = 0;  // 0..3
    Plane plane_ = Plane::XY;
    bool absolute_ = true, inch_ = false, feedPerRev_ = false, returnToInitial_ = true;
    bool absoluteCentres_ = false;  // G90.1: I/J/K name the centre, not its offset from the start
    double feed_ = 0, spindle_ = 0;
    int pendingTool_ = 0;
    CycleState cycle_;

    std::vector<Frame> calls_;
    bool labelsIndexed_ = false;
    std::unordered_map<int, std::pair<const char*, std::uint32_t>> labels_;
    const char* jumpAt_ = nullptr;
    std::uint32_t jumpLine_ = 0;

    int workOffset_ = 540, workOffsetP_ = 0;
    int lengthComp_ = 490, lengthOffset_ = 0;
    int radiusComp_ = 400, radiusOffset_ = 0;
    int spindleTool_ = 0, spindleTurn_ = 5;
    bool mist_ = false, flood_ = false;
    Watch* watch_ = nullptr;
    MachineState observed_;  // handed to the observer after each block
};

void Interpreter::noteModes()
{
    for (int i = 0; i < block_.gCount; ++i) {
        const int g = block_.g[i];
        if ((g >= 540 && g <= 590 && g % 10 == 0) || g == 541) {
            workOffset_ = g;
            workOffsetP_ = g == 541 && block_.has('P') ? static_cast<int>(std::lround(block_.get('P'))) : 0;
        } else if (g == 430 || g == 440 || g == 490) {
            lengthComp_ = g;
        } else if (g == 400 || g == 410 || g == 420) {
            radiusComp_ = g;
        }
    }
    if (block_.has('H'))
        lengthOffset_ = static_cast<int>(std::lround(block_.get('H')));
    if (block_.has('D'))
        radiusOffset_ = static_cast<int>(std::lround(block_.get('D')));
    for (int i = 0; i < block_.mCount; ++i) {
        switch (block_.m[i]) {
        case 3: case 4: case 5: spindleTurn_ = block_.m[i]; break;
        case 6: spindleTool_ = pendingTool_; break;
        case 7: mist_ = true; break;
        case 8: flood_ = true; break;
        case 9: mist_ = flood_ = false; break;
        default: break;
        }
    }
}

MachineState Interpreter::machineState() const
{
    MachineState s;
    fillState(s);
    return s;
}

void Interpreter::fillState(MachineState& s) const
{
    s.motion = motionCode_;
    s.cycle = cycle_.code;
    s.plane = plane_ == Plane::XY ? 17 : plane_ == Plane::ZX ? 18 : 19;
    s.absolute = absolute_;
    s.inch = inch_;
    s.feedPerRev = feedPerRev_;
    s.returnToInitial = returnToInitial_;
    s.workOffset = workOffset_;
    s.workOffsetP = workOffsetP_;
    s.lengthComp = lengthComp_;
    s.lengthOffset = lengthOffset_;
    s.radiusComp = radiusComp_;
    s.radiusOffset = radiusOffset_;
    s.toolCalled = pendingTool_;
    s.toolInSpindle = spindleTool_;
    s.feed = feed_;
    s.spindle = spindle_;
    s.spindleTurn = spindleTurn_;
    s.mist = mist_;
    s.flood = flood_;
    for (int i = 0; i < 3; ++i) {
        s.position[i] = motion_.position()[i];
        s.known[i] = motion_.known(i);
    }
    s.frame = motion_.frame();
    std::copy(path_.length, path_.length + kMoveKinds, s.length);
    s.minutes = path_.minutes;
    s.rapidMinutes = path_.rapidMinutes;
}

Checkpoint Interpreter::checkpoint(const char* at, std::uint32_t line) const
{
    Checkpoint c{};
    c.at = static_cast<std::size_t>(at - text_.data());
    c.line = line;
    c.modes = {motionCode_, plane_, absolute_, inch_, feedPerRev_, returnToInitial_, absoluteCentres_, feed_, spindle_,
               pendingTool_, cycle_, workOffset_, workOffsetP_, lengthComp_, lengthOffset_, radiusComp_, radiusOffset_,
               spindleTool_, spindleTurn_, mist_, flood_};
    c.motion = motion_.save();
    c.recorder = recorder_.save();
    for (int n = 0; n < MacroVariables::kCount; ++n)
        if (variables_.isSet(n))
            c.variables.emplace_back(static_cast<std::uint16_t>(n), variables_.get(n));
    for (const Frame& f : calls_)
        c.calls.push_back({static_cast<std::size_t>(f.returnAt - text_.data()), f.returnLine,
                           static_cast<std::size_t>(f.bodyAt - text_.data()), f.bodyLine, f.remaining, f.callLine});
    std::copy(path_.length, path_.length + kMoveKinds, c.length);
    c.minutes = path_.minutes;
    c.rapidMinutes = path_.rapidMinutes;
    return c;
}

void Interpreter::resume(const Checkpoint& c)
{
    const Modes& m = c.modes;
    motionCode_ = m.motionCode;
    plane_ = m.plane;
    absolute_ = m.absolute, inch_ = m.inch, feedPerRev_ = m.feedPerRev, returnToInitial_ = m.returnToInitial;
    absoluteCentres_ = m.absoluteCentres;
    feed_ = m.feed, spindle_ = m.spindle;
    pendingTool_ = m.pendingTool;
    cycle_ = m.cycle;
    workOffset_ = m.workOffset, workOffsetP_ = m.workOffsetP;
    lengthComp_ = m.lengthComp, lengthOffset_ = m.lengthOffset;
    radiusComp_ = m.radiusComp, radiusOffset_ = m.radiusOffset;
    spindleTool_ = m.spindleTool, spindleTurn_ = m.spindleTurn;
    mist_ = m.mist, flood_ = m.flood;
    motion_.restore(c.motion);
    recorder_.restore(c.recorder);
    recorder_.setTool(spindleTool_);
    for (const auto& [n, v] : c.variables)
        variables_.set(n, v);
    for (const SavedFrame& f : c.calls)
        calls_.push_back({text_.data() + f.returnAt, f.returnLine, text_.data() + f.bodyAt, f.bodyLine, f.remaining,
                          f.callLine});
    std::copy(c.length, c.length + kMoveKinds, path_.length);
    path_.minutes = c.minutes;
    path_.rapidMinutes = c.rapidMinutes;
}

double Interpreter::distance(char letter) const
{
    double v = block_.get(letter);
    if (options_.leastIncrement && block_.isPlain(letter))
        v *= inch_ ? 0.0001 : 0.001;
    return v;
}

void Interpreter::target(double out[3], bool known[3], bool absolute[3]) const
{
    for (int i = 0; i < 3; ++i) {
        out[i] = motion_.position()[i];
        known[i] = motion_.known(i);
        absolute[i] = false;
        if (!block_.has(kAxisLetters[i]))
            continue;
        if (absolute_) {
            out[i] = distance(kAxisLetters[i]);
            known[i] = absolute[i] = true;
        } else {
            out[i] += distance(kAxisLetters[i]);
        }
    }
}

BlockRole Interpreter::applyGCodes()
{
    BlockRole role = BlockRole::Move;
    auto take = [&role](BlockRole r) {
        if (role == BlockRole::Move)
            role = r;
    };
    for (int i = 0; i < block_.gCount; ++i) {
        const int g = block_.g[i];
        switch (g) {
        case 0: case 10: case 20: case 30:
            motionCode_ = g / 10;
            cycle_.code = 0;
            break;
        case 800:
            cycle_.code = 0;
            break;
        case 730: case 740: case 760: case 810: case 820: case 830: case 840: case 850: case 860: case 870:
        case 880: case 890:
            if (cycle_.code == 0)
                cycle_.starting = true;
            cycle_.code = g / 10;
            break;
        case 170: plane_ = Plane::XY; break;
        case 180: plane_ = Plane::ZX; break;
        case 190: plane_ = Plane::YZ; break;
        case 900: absolute_ = true; break;
        case 910: absolute_ = false; break;
        case 901: absoluteCentres_ = true; break;
        case 911: absoluteCentres_ = false; break;
        case 200: inch_ = true; break;
        case 210: inch_ = false; break;
        case 940: feedPerRev_ = false; break;
        case 950: feedPerRev_ = true; break;
        case 980: returnToInitial_ = true; break;
        case 990: returnToInitial_ = false; break;
        case 40: case 100: case 110: case 670: case 500:
            take(BlockRole::NoMove);  // dwell, data setting, macro modal cancel, scaling cancel
            break;
        case 280: case 300: take(BlockRole::Reference); break;
        case 310: take(BlockRole::Skip); break;
        case 520: take(BlockRole::LocalShift); break;
        case 530: take(BlockRole::MachineMove); break;
        case 920: take(BlockRole::SetPosition); break;
        case 680: take(BlockRole::Rotate); break;
        case 690:
            motion_.changeFrame([](CoordinateFrame& frame) { frame.rotating = false; });
            take(BlockRole::NoMove);
            break;
        case 511: take(BlockRole::Mirror); break;
        case 501: {
            const bool any = hasAxisWords();
            motion_.changeFrame([&](CoordinateFrame& frame) {
                for (int a = 0; a < 3; ++a)
                    if (!any || block_.has(kAxisLetters[a]))
                        frame.mirrored[a] = false;
            });
            take(BlockRole::NoMove);
            break;
        }
        default:
            if (!isIgnoredG(g)) {
                // Macro calls (G65/G66), scaling (G51) and whatever else is not followed: its
                // words are not positions the tool goes to.
                diagnose(DiagnosticCode::UnsupportedG, g / 10.0);
                role = BlockRole::NoMove;
            }
        }
    }
    motion_.setPlane(plane_);
    return role;
}

void Interpreter::otherMoves(BlockRole role)
{
    double to[3];
    bool known[3], absolute[3], given[3];
    for (int i = 0; i < 3; ++i)
        given[i] = block_.has(kAxisLetters[i]);
    switch (role) {
    case BlockRole::Reference:
        // Through the intermediate point to the reference point, a machine position the program
        // does not tell: the axes that went there are unknown afterwards.
        if (hasAxisWords()) {
            target(to, known, absolute);
            motion_.lineTo(to, known, absolute, MoveKind::Rapid, 0);
            motion_.forget(given);
        }
        break;
    case BlockRole::MachineMove:
        if (hasAxisWords())
            motion_.forget(given);
        break;
    case BlockRole::SetPosition: {
        double values[3];
        for (int i = 0; i < 3; ++i)
            values[i] = given[i] ? distance(kAxisLetters[i]) : 0;
        motion_.setPosition(given, values);
        break;
    }
    case BlockRole::LocalShift: {
        const bool cancel = !hasAxisWords();
        motion_.changeFrame([&](CoordinateFrame& frame) {
            for (int i = 0; i < 3; ++i)
                if (cancel || given[i])
                    frame.localShift[i] = cancel ? 0 : distance(kAxisLetters[i]);
        });
        break;
    }
    case BlockRole::Rotate: {
        int ia, ib, il;
        planeAxes(plane_, ia, ib, il);
        double centre[2];
        for (int k = 0; k < 2; ++k) {
            const int axis = k == 0 ? ia : ib;
            centre[k] = motion_.position()[axis];
            if (given[axis])
                centre[k] = absolute_ ? distance(kAxisLetters[axis]) : centre[k] + distance(kAxisLetters[axis]);
        }
        const double degrees = block_.has('R') ? block_.get('R') : 0;
        motion_.changeFrame([&](CoordinateFrame& frame) { frame.setRotation(ia, ib, centre[0], centre[1], degrees); });
        break;
    }
    case BlockRole::Mirror:
        motion_.changeFrame([&](CoordinateFrame& frame) {
            for (int i = 0; i < 3; ++i)
                if (given[i]) {
                    frame.mirrored[i] = true;
                    frame.mirrorAt[i] = distance(kAxisLetters[i]);
                }
        });
        break;
    default:  // dwell, data setting and the codes not followed: their words are not positions
        break;
    }
}

void Interpreter::arcMove(const double to[3], const bool known[3], const bool absolute[3])
{
    int ia, ib, il;
    planeAxes(plane_, ia, ib, il);
    static constexpr char kOffsetLetters[3] = {'I', 'J', 'K'};
    const char offsetA = kOffsetLetters[ia], offsetB = kOffsetLetters[ib];
    const bool hasRadius = block_.has('R');
    double radius = 0, centreA = 0, centreB = 0;
    if (hasRadius) {
        radius = distance('R');
    } else if (block_.has(offsetA) || block_.has(offsetB)) {
        const double* from = motion_.position();
        if (absoluteCentres_) {
            centreA = (block_.has(offsetA) ? distance(offsetA) : from[ia]) - from[ia];
            centreB = (block_.has(offsetB) ? distance(offsetB) : from[ib]) - from[ib];
        } else {
            centreA = block_.has(offsetA) ? distance(offsetA) : 0;
            centreB = block_.has(offsetB) ? distance(offsetB) : 0;
        }
    } else {
        diagnose(DiagnosticCode::ArcWithoutCentre);
        motion_.lineTo(to, known, absolute, MoveKind::Feed, feedPerMinute());
        return;
    }
    const double tolerance = inch_ ? options_.chordTolerance / 25.4 : options_.chordTolerance;
    const std::optional<ArcGeometry> arc = motion_.arcTo(to, known, absolute, plane_, motionCode_ == 3, hasRadius, radius,
                                                         centreA, centreB, tolerance, feedPerMinute());
    if (!arc)
        return;
    if (arc->status == ArcGeometry::Status::ZeroWithRadius)
        diagnose(DiagnosticCode::ZeroArcWithRadius);
    else if (arc->status == ArcGeometry::Status::RadiusTooSmall)
        diagnose(DiagnosticCode::RadiusTooSmall, radius);
    else if (!hasRadius && std::fabs(arc->startRadius - arc->endRadius) > options_.radiusTolerance)
        diagnose(DiagnosticCode::ArcRadiusMismatch, std::fabs(arc->startRadius - arc->endRadius));
}

void Interpreter::move(MoveKind straightKind)
{
    double to[3];
    bool known[3], absolute[3];
    target(to, known, absolute);
    if (straightKind != MoveKind::Feed || !(motionCode_ == 2 || motionCode_ == 3))
        motion_.lineTo(to, known, absolute, straightKind, feedPerMinute(), block_.corner, block_.cornerSize);
    else
        arcMove(to, known, absolute);
}

void Interpreter::drill()
{
    if (!cycle_.hasDepth) {
        diagnose(DiagnosticCode::CycleWithoutDepth);
        return;
    }
    // The repeat count is K, or L as several controls write it.
    const char count = block_.has('K') ? 'K' : block_.has('L') ? 'L' : 0;
    const int repeats = count ? static_cast<int>(std::lround(block_.get(count))) : 1;
    if (repeats <= 0)
        return;  // K0 only stores the cycle's data
    int ia, ib, il;
    planeAxes(plane_, ia, ib, il);
    double hole[2], step[2] = {0, 0};
    bool known[2];
    for (int k = 0; k < 2; ++k) {
        const int axis = k == 0 ? ia : ib;
        const char letter = kAxisLetters[axis];
        hole[k] = motion_.position()[axis];
        known[k] = motion_.known(axis);
        if (!block_.has(letter))
            continue;
        if (absolute_) {
            hole[k] = distance(letter);
            known[k] = true;
        } else {
            step[k] = distance(letter);
            hole[k] += step[k];
        }
    }
    runCycleHole(motion_, cycle_, plane_, hole, known, step, repeats, returnToInitial_, feedPerMinute(), options_,
                 recorder_);
}

bool Interpreter::findProgram(int number, const char*& at, std::uint32_t& line)
{
    if (!labelsIndexed_) {
        labelsIndexed_ = true;
        const char* p = text_.data();
        const char* end = p + text_.size();
        for (std::uint32_t l = 0; p < end; ++l) {
            const char* q = p;
            while (q < end && (*q == ' ' || *q == '\t'))
                ++q;
            const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
            const char* next = nl ? static_cast<const char*>(nl) + 1 : end;
            int number = 0;
            if (q + 1 < end && (*q == 'O' || *q == ':') && q[1] >= '0' && q[1] <= '9'
                && std::from_chars(q + 1, end, number).ec == std::errc())
                labels_.try_emplace(number, next, l + 1);  // a number past int is no program's
            p = next;
        }
    }
    auto it = labels_.find(number);
    if (it == labels_.end())
        return false;
    at = it->second.first;
    line = it->second.second;
    return true;
}

Interpreter::Flow Interpreter::callOrReturn(std::uint32_t line, const char* nextLine)
{
    if (block_.hasM(98)) {
        int program = block_.has('P') ? static_cast<int>(std::lround(block_.get('P'))) : -1;
        int repeats = 1;
        if (block_.has('L'))
            repeats = static_cast<int>(std::lround(block_.get('L')));
        else if (block_.has('K'))
            repeats = static_cast<int>(std::lround(block_.get('K')));
        else if (program > 9999) {
            repeats = program / 10000;  // P with the count before four digits of program number
            program %= 10000;
        }
        const char* at;
        std::uint32_t bodyLine;
        if (repeats <= 0)
            return Flow::Next;
        if (!findProgram(program, at, bodyLine)) {
            diagnose(DiagnosticCode::UnknownSubprogram, program);
            return Flow::Next;
        }
        if (static_cast<int>(calls_.size()) >= options_.maxCallDepth) {
            diagnose(DiagnosticCode::CallsTooDeep);
            return Flow::Next;
        }
        calls_.push_back({nextLine, line + 1, at, bodyLine, repeats - 1, line});
        jumpAt_ = at;
        jumpLine_ = bodyLine;
        return Flow::Jump;
    }
    if (block_.hasM(99)) {
        if (calls_.empty())
            return Flow::Stop;
        Frame& frame = calls_.back();
        if (frame.remaining > 0) {
            --frame.remaining;
            jumpAt_ = frame.bodyAt;
            jumpLine_ = frame.bodyLine;
        } else {
            jumpAt_ = frame.returnAt;
            jumpLine_ = frame.returnLine;
            markRun(frame.callLine);
            calls_.pop_back();
        }
        return Flow::Jump;
    }
    if (block_.hasM(30) || block_.hasM(2))
        return Flow::Stop;
    return Flow::Next;
}

Interpreter::Flow Interpreter::runBlock(std::uint32_t line, const char* nextLine)
{
    const BlockRole role = applyGCodes();
    if (block_.has('F'))
        feed_ = block_.get('F');
    if (block_.has('S'))
        spindle_ = block_.get('S');
    if (block_.has('T'))
        pendingTool_ = static_cast<int>(std::lround(block_.get('T')));
    if (block_.hasM(6))
        recorder_.setTool(pendingTool_);
    noteModes();

    // A word that could not be read makes no position: the block does not move the tool.
    if (block_.unreadable) {
        motion_.finishCorner();
        return callOrReturn(line, nextLine);
    }
    int ia, ib, il;
    planeAxes(plane_, ia, ib, il);
    const bool axes = hasAxisWords();
    const bool arcMotion = motionCode_ == 2 || motionCode_ == 3;
    if (role != BlockRole::Move && role != BlockRole::Skip) {
        otherMoves(role);
    } else if (cycle_.code != 0 && role == BlockRole::Move) {
        const char depthLetter = kAxisLetters[il];
        if (block_.has('R')) {
            cycle_.hasR = true;
            cycle_.r = distance('R');
            cycle_.rAbsolute = absolute_;
        }
        if (block_.has(depthLetter)) {
            cycle_.hasDepth = true;
            cycle_.depth = distance(depthLetter);
            cycle_.depthAbsolute = absolute_;
        }
        if (block_.has('Q'))
            cycle_.q = std::fabs(distance('Q'));
        if (axes || block_.has('R')) {
            motion_.finishCorner();
            drill();
        }
    } else if (role == BlockRole::Skip) {
        if (axes)
            move(MoveKind::Feed);
    } else if (axes || (arcMotion && (block_.has('I') || block_.has('J') || block_.has('K') || block_.has('R')))) {
        // An arc with a centre and no end point is a full circle.
        move(motionCode_ == 0 ? MoveKind::Rapid : MoveKind::Feed);
    }
    return callOrReturn(line, nextLine);
}

Toolpath Interpreter::run(const Checkpoint* from, Watch* watch)
{
    const char* p = text_.data();
    const char* end = p + text_.size();
    if (text_.starts_with("\xEF\xBB\xBF"))
        p += 3;  // a UTF-8 byte-order mark
    // Room for about one vertex a line, guessed from the text's size (a stretch run again makes few).
    const std::size_t guess = from || !options_.keepVertices ? 1024 : text_.size() / 20 + 16;
    for (auto* v : {&path_.x, &path_.y, &path_.z})
        v->reserve(guess);
    path_.line.reserve(guess);
    path_.verticesAfterLine.reserve(from || !options_.keepVertices ? 0 : text_.size() / 16 + 16);
    path_.kind.reserve(guess);
    path_.tool.reserve(guess);
    path_.ranges.reserve(guess);
    recorder_.setTool(0);
    std::uint32_t line = 0, lines = 0;
    if (from) {
        resume(*from);
        p = text_.data() + from->at;
        line = from->line;
    }
    watch_ = watch;
    if (options_.runStarts)
        options_.runStarts();
    std::shared_ptr<ResumePoints> resumePoints;
    std::uint64_t sincePoint = kResumeEvery;  // a point before the first block
    if (options_.keepResumePoints && !from)
        resumePoints = std::make_shared<ResumePoints>();

    constexpr std::uint64_t kCancelCheckBlocks = 4096;
    // Each line of the text runs once whatever it costs (that is bounded by the text); the work
    // budget is for the runs after the first.
    std::vector<bool> ranBefore;
    std::uint64_t work = 0, blocks = 0;
    bool outOfWork = false;
    while (p < end) {
        if (path_.diagnostics.size() > options_.maxDiagnostics)
            path_.diagnostics.resize(options_.maxDiagnostics);
        if (recorder_.full())
            break;
        if (work > options_.maxWork) {
            outOfWork = true;
            break;
        }
        if (++blocks % kCancelCheckBlocks == 0) {
            if (cancel_ && cancel_->load(std::memory_order_relaxed)) {
                path_.cancelled = true;
                break;
            }
        }
        const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
        const char* lineEnd = nl ? static_cast<const char*>(nl) : end;
        const char* next = nl ? lineEnd + 1 : end;
        if (line >= ranBefore.size())
            ranBefore.resize(std::max<std::size_t>(line + 1, ranBefore.size() * 2));
        // A stretch run again counts all its work: it may not stop where the first run did.
        if (ranBefore[line] || from)
            work += blockWork(std::string_view(p, static_cast<std::size_t>(lineEnd - p)));
        if (resumePoints) {
            if (sincePoint >= kResumeEvery) {
                resumePoints->points.push_back(checkpoint(p, line));
                sincePoint = 0;
            }
            sincePoint += kBlockWork + kByteWork * static_cast<std::uint64_t>(lineEnd - p);
            if (!ranBefore[line]) {
                auto& of = resumePoints->pointOfLine;
                if (line >= of.size())
                    of.resize(std::max<std::size_t>(line + 1, of.size() * 2), Toolpath::kNeverRun);
                of[line] = static_cast<std::uint32_t>(resumePoints->points.size() - 1);
            }
        }
        ranBefore[line] = true;
        if (lineEnd > p && lineEnd[-1] == '\r')
            --lineEnd;
        line_ = line;
        if (line + 1 > lines)
            lines = line + 1;

        const bool watched = watch && !watch->started && line == watch->line;
        if (watched) {
            watch->started = true;
            watch->states.before = machineState();
            watch->states.variablesBefore = variables_;
            watch->firstDiagnostic = path_.diagnostics.size();
        }
        parseBlock(std::string_view(p, static_cast<std::size_t>(lineEnd - p)), line, blockOptions_, variables_, block_,
                   path_.diagnostics);
        Flow flow = Flow::Next;
        if (!block_.skipped) {
            recorder_.setLine(line);
            flow = runBlock(line, next);
        }
        if (watched)
            watch->endDiagnostic = path_.diagnostics.size();
        if (!(flow == Flow::Jump && block_.hasM(98)))
            markRun(line);  // a call is marked when its subprogram returns
        if (options_.afterBlock) {
            fillState(observed_);
            options_.afterBlock(line, observed_);
        }
        if (watch && watch->done)
            break;
        if (flow == Flow::Stop)
            break;
        if (flow == Flow::Jump) {
            p = jumpAt_;
            line = jumpLine_;
            continue;
        }
        p = next;
        ++line;
        if (p >= end && !calls_.empty()) {
            // A subprogram ran off the end of the text: return as M99 would.
            line_ = line - 1;
            diagnose(DiagnosticCode::MissingReturn);
            Frame frame = calls_.back();
            markRun(frame.callLine);
            calls_.pop_back();
            p = frame.returnAt;
            line = frame.returnLine;
        }
    }
    motion_.finishCorner();
    if (path_.diagnostics.size() > options_.maxDiagnostics)
        path_.diagnostics.resize(options_.maxDiagnostics);
    // On the last line run: the one whose move did not fit, or the one that spent the work.
    if (recorder_.full())
        diagnose(DiagnosticCode::PathCutShort);
    else if (outOfWork)
        diagnose(DiagnosticCode::RunCutShort);
    if (!from && options_.keepVertices)
        path_.finish(static_cast<int>(lines));
    if (resumePoints) {
        resumePoints->pointOfLine.resize(lines, Toolpath::kNeverRun);
        resumePoints->pointOfLine.shrink_to_fit();
        path_.resume = std::move(resumePoints);
    }
    return std::move(path_);
}

}  // namespace

bool interpreterKnowsG(int g)
{
    // The codes applyGCodes follows (the two lists go together), then those it passes by.
    switch (g) {
    case 0: case 10: case 20: case 30: case 800: case 730: case 740: case 760: case 810: case 820: case 830:
    case 840: case 850: case 860: case 870: case 880: case 890: case 170: case 180: case 190: case 900:
    case 910: case 901: case 911: case 200: case 210: case 940: case 950: case 980: case 990: case 40:
    case 100: case 110: case 670: case 500: case 280: case 300: case 310: case 520: case 530: case 920:
    case 680: case 690: case 511: case 501:
        return true;
    default:
        return isIgnoredG(g);
    }
}

std::size_t resumePointBytes(const Toolpath& path)
{
    const ResumePoints* points = path.resume.get();
    if (!points)
        return 0;
    std::size_t bytes = points->points.capacity() * sizeof(Checkpoint) + points->pointOfLine.capacity() * sizeof(std::uint32_t);
    for (const Checkpoint& c : points->points)
        bytes += c.variables.capacity() * sizeof(c.variables[0]) + c.calls.capacity() * sizeof(SavedFrame);
    return bytes;
}

std::optional<LineStates> stateOfLine(std::string_view text, const Toolpath& path, int line,
                                      const InterpreterOptions& options)
{
    const ResumePoints* points = path.resume.get();
    if (!points || line < 0 || static_cast<std::size_t>(line) >= points->pointOfLine.size())
        return std::nullopt;
    const std::uint32_t point = points->pointOfLine[static_cast<std::size_t>(line)];
    if (point == Toolpath::kNeverRun || point >= points->points.size())
        return std::nullopt;
    const Checkpoint& from = points->points[point];
    if (from.at > text.size())
        return std::nullopt;  // not this text's points
    InterpreterOptions quiet = options;
    quiet.keepResumePoints = false;
    quiet.afterBlock = nullptr;
    quiet.runStarts = nullptr;
    Watch watch;
    watch.line = static_cast<std::uint32_t>(line);
    Interpreter interpreter(text, quiet, nullptr);
    const Toolpath stretch = interpreter.run(&from, &watch);
    if (!watch.started)
        return std::nullopt;
    if (!watch.done) {  // the run was cut short inside the line's call
        watch.states.after = watch.states.before;
        watch.states.variablesAfter = watch.states.variablesBefore;
    }
    const std::size_t first = std::min(watch.firstDiagnostic, stretch.diagnostics.size());
    const std::size_t last = std::clamp(watch.endDiagnostic, first, stretch.diagnostics.size());
    watch.states.diagnostics.assign(stretch.diagnostics.begin() + static_cast<std::ptrdiff_t>(first),
                                    stretch.diagnostics.begin() + static_cast<std::ptrdiff_t>(last));
    return std::move(watch.states);
}

Toolpath interpretProgram(std::string_view text, const InterpreterOptions& options, const std::atomic<bool>* cancel)
{
    Interpreter interpreter(text, options, cancel);
    Toolpath path = interpreter.run();
    // An axis the program never sets absolutely counts as 0 throughout (a 2D program without Z):
    // run again knowing that, when points were left out for want of it.
    const std::array<bool, 3> assumed = interpreter.axesToAssume();
    if (path.cancelled || !(assumed[0] || assumed[1] || assumed[2]))
        return path;
    Interpreter again(text, options, cancel);
    again.assumeZero(assumed);
    return again.run();
}

}  // namespace zorvan::preview
