#include "preview/logic/interpreter.h"

#include "preview/logic/interpreter_state.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace zorvan::preview {

namespace {

constexpr char kAxisLetters[3] = {'X', 'Y', 'Z'};

// G codes that change nothing the path shows (work offsets, tool length and radius offsets,
// exact stop, feed modes, spindle modes): accepted silently.
bool isIgnoredG(int g)
{
    switch (g) {
    case 90: case 80: case 50: case 51: case 400: case 410: case 420: case 430: case 440: case 490:
    case 540: case 541: case 550: case 560: case 570: case 580: case 590: case 610: case 620:
    case 630: case 640: case 960: case 970:
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

struct Frame {
    const char* returnAt;
    std::uint32_t returnLine;
    const char* bodyAt;
    std::uint32_t bodyLine;
    int remaining;  // further runs after this one
    std::uint32_t callLine;
};

class Interpreter {
public:
    Interpreter(std::string_view text, const InterpreterOptions& options, const std::atomic<bool>* cancel)
        : text_(text), options_(options), cancel_(cancel), recorder_(path_, options_)
    {
        blockOptions_.blockDelete = options.blockDelete;
    }

    Toolpath run();

private:
    enum class Flow { Next, Jump, Stop };

    Flow runBlock(std::uint32_t line, const char* nextLine);
    void applyGCodes(int& nonModal);
    void move();
    void arcMove(const double target[3]);
    void drill();
    void otherMoves(int nonModal);
    Flow callOrReturn(std::uint32_t line, const char* nextLine);
    double distance(char letter) const;
    void target(double out[3]) const;
    bool findProgram(int number, const char*& at, std::uint32_t& line);
    void diagnose(DiagnosticCode code, double value = 0) { path_.diagnostics.push_back({line_, code, value}); }
    // Notes where the tool stands after the first run of `line`.
    void markRun(std::uint32_t line)
    {
        auto& after = path_.verticesAfterLine;
        if (line >= after.size())
            after.resize(line + 1, Toolpath::kNeverRun);
        if (after[line] == Toolpath::kNeverRun)
            after[line] = static_cast<std::uint32_t>(path_.x.size());
    }
    double feedPerMinute() const { return feedPerRev_ ? feed_ * spindle_ : feed_; }

    std::string_view text_;
    const InterpreterOptions& options_;
    const std::atomic<bool>* cancel_;
    Toolpath path_;
    PathRecorder recorder_;
    BlockOptions blockOptions_;
    MacroVariables variables_;
    Block block_;
    std::uint32_t line_ = 0;

    double position_[3] = {0, 0, 0};
    int motion_ = 0;  // 0..3
    Plane plane_ = Plane::XY;
    bool absolute_ = true, inch_ = false, feedPerRev_ = false, returnToInitial_ = true;
    double feed_ = 0, spindle_ = 0;
    int pendingTool_ = 0;
    CycleState cycle_;

    std::vector<Frame> calls_;
    bool labelsIndexed_ = false;
    std::unordered_map<int, std::pair<const char*, std::uint32_t>> labels_;
    const char* jumpAt_ = nullptr;
    std::uint32_t jumpLine_ = 0;
};

double Interpreter::distance(char letter) const
{
    double v = block_.get(letter);
    if (options_.leastIncrement && block_.isPlain(letter))
        v *= inch_ ? 0.0001 : 0.001;
    return v;
}

void Interpreter::target(double out[3]) const
{
    for (int i = 0; i < 3; ++i) {
        out[i] = position_[i];
        if (block_.has(kAxisLetters[i]))
            out[i] = absolute_ ? distance(kAxisLetters[i]) : position_[i] + distance(kAxisLetters[i]);
    }
}

void Interpreter::applyGCodes(int& nonModal)
{
    for (int i = 0; i < block_.gCount; ++i) {
        const int g = block_.g[i];
        switch (g) {
        case 0: case 10: case 20: case 30:
            motion_ = g / 10;
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
        case 200: inch_ = true; break;
        case 210: inch_ = false; break;
        case 940: feedPerRev_ = false; break;
        case 950: feedPerRev_ = true; break;
        case 980: returnToInitial_ = true; break;
        case 990: returnToInitial_ = false; break;
        case 40: case 100: case 110: case 280: case 300: case 920: case 530:
            nonModal = g;
            break;
        default:
            if (!isIgnoredG(g))
                diagnose(DiagnosticCode::UnsupportedG, g / 10.0);
        }
    }
}

void Interpreter::otherMoves(int nonModal)
{
    double to[3];
    switch (nonModal) {
    case 280: case 300:
        // Reference return: drawn to the intermediate point; the reference point itself is a
        // machine position the program does not tell.
        if (block_.has('X') || block_.has('Y') || block_.has('Z')) {
            target(to);
            recorder_.line(position_, to, MoveKind::Rapid, 0);
            std::memcpy(position_, to, sizeof to);
        }
        break;
    case 920:  // the position is named anew, without a move
        for (int i = 0; i < 3; ++i)
            if (block_.has(kAxisLetters[i]))
                position_[i] = distance(kAxisLetters[i]);
        break;
    case 530:
        if (block_.has('X') || block_.has('Y') || block_.has('Z'))
            diagnose(DiagnosticCode::MachineCoordinates);
        break;
    default:  // dwell and data setting: their words are not positions
        break;
    }
}

void Interpreter::arcMove(const double to[3])
{
    int ia, ib, il;
    planeAxes(plane_, ia, ib, il);
    static constexpr char kOffsetLetters[3] = {'I', 'J', 'K'};
    const char offsetA = kOffsetLetters[ia], offsetB = kOffsetLetters[ib];
    ArcInput in{position_[ia], position_[ib], to[ia], to[ib], motion_ == 3, block_.has('R'), 0, 0, 0};
    if (in.hasRadius) {
        in.radius = distance('R');
    } else if (block_.has(offsetA) || block_.has(offsetB)) {
        in.offsetA = block_.has(offsetA) ? distance(offsetA) : 0;
        in.offsetB = block_.has(offsetB) ? distance(offsetB) : 0;
    } else {
        diagnose(DiagnosticCode::ArcWithoutCentre);
        recorder_.line(position_, to, MoveKind::Feed, feedPerMinute());
        return;
    }
    ArcGeometry arc = solveArc(in);
    if (arc.status == ArcGeometry::Status::ZeroWithRadius) {
        diagnose(DiagnosticCode::ZeroArcWithRadius);
        if (to[il] != position_[il])
            recorder_.line(position_, to, MoveKind::Arc, feedPerMinute());
        return;
    }
    if (arc.status == ArcGeometry::Status::RadiusTooSmall)
        diagnose(DiagnosticCode::RadiusTooSmall, in.radius);
    else if (!in.hasRadius && std::fabs(arc.startRadius - arc.endRadius) > options_.radiusTolerance)
        diagnose(DiagnosticCode::ArcRadiusMismatch, std::fabs(arc.startRadius - arc.endRadius));
    const double tolerance = inch_ ? options_.chordTolerance / 25.4 : options_.chordTolerance;
    recorder_.arc(position_, to, plane_, arc, tolerance, feedPerMinute());
}

void Interpreter::move()
{
    double to[3];
    target(to);
    if (motion_ == 2 || motion_ == 3)
        arcMove(to);
    else
        recorder_.line(position_, to, motion_ == 0 ? MoveKind::Rapid : MoveKind::Feed, feedPerMinute());
    std::memcpy(position_, to, sizeof to);
}

void Interpreter::drill()
{
    if (!cycle_.hasZ) {
        diagnose(DiagnosticCode::CycleWithoutDepth);
        return;
    }
    int repeats = block_.has('K') ? static_cast<int>(std::lround(block_.get('K'))) : 1;
    if (repeats <= 0)
        return;  // K0 only stores the cycle's data
    double hole[2], step[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        const char letter = kAxisLetters[i];
        hole[i] = position_[i];
        if (!block_.has(letter))
            continue;
        if (absolute_) {
            hole[i] = distance(letter);
        } else {
            step[i] = distance(letter);
            hole[i] = position_[i] + step[i];
        }
    }
    runCycleHole(recorder_, cycle_, hole, step, repeats, returnToInitial_, position_, feedPerMinute(), options_);
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
            if (q + 1 < end && *q == 'O' && q[1] >= '0' && q[1] <= '9'
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
    int nonModal = 0;
    applyGCodes(nonModal);
    if (block_.has('F'))
        feed_ = block_.get('F');
    if (block_.has('S'))
        spindle_ = block_.get('S');
    if (block_.has('T'))
        pendingTool_ = static_cast<int>(std::lround(block_.get('T')));
    if (block_.hasM(6))
        recorder_.setTool(pendingTool_);

    const bool axes = block_.has('X') || block_.has('Y') || block_.has('Z');
    if (nonModal != 0) {
        otherMoves(nonModal);
    } else if (cycle_.code != 0) {
        if (block_.has('R')) {
            cycle_.hasR = true;
            cycle_.r = distance('R');
            cycle_.rAbsolute = absolute_;
        }
        if (block_.has('Z')) {
            cycle_.hasZ = true;
            cycle_.z = distance('Z');
            cycle_.zAbsolute = absolute_;
        }
        if (block_.has('Q'))
            cycle_.q = std::fabs(distance('Q'));
        if (axes || block_.has('R'))
            drill();
    } else if (axes) {
        move();
    }
    return callOrReturn(line, nextLine);
}

Toolpath Interpreter::run()
{
    const char* p = text_.data();
    const char* end = p + text_.size();
    // Room for about one vertex a line, guessed from the text's size.
    const std::size_t guess = text_.size() / 20 + 16;
    for (auto* v : {&path_.x, &path_.y, &path_.z})
        v->reserve(guess);
    path_.line.reserve(guess);
    path_.verticesAfterLine.reserve(text_.size() / 16 + 16);
    path_.kind.reserve(guess);
    path_.tool.reserve(guess);
    path_.ranges.reserve(guess);
    recorder_.setTool(0);

    constexpr std::uint64_t kCancelCheckBlocks = 4096;
    std::uint32_t line = 0, lines = 0;
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
        if (ranBefore[line])
            work += blockWork(std::string_view(p, static_cast<std::size_t>(lineEnd - p)));
        ranBefore[line] = true;
        if (lineEnd > p && lineEnd[-1] == '\r')
            --lineEnd;
        line_ = line;
        if (line + 1 > lines)
            lines = line + 1;

        parseBlock(std::string_view(p, static_cast<std::size_t>(lineEnd - p)), line, blockOptions_, variables_, block_,
                   path_.diagnostics);
        Flow flow = Flow::Next;
        if (!block_.skipped) {
            recorder_.beginBlock(line);
            flow = runBlock(line, next);
            recorder_.endBlock();
        }
        if (!(flow == Flow::Jump && block_.hasM(98)))
            markRun(line);  // a call is marked when its subprogram returns
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
    if (path_.diagnostics.size() > options_.maxDiagnostics)
        path_.diagnostics.resize(options_.maxDiagnostics);
    // On the last line run: the one whose move did not fit, or the one that spent the work.
    if (recorder_.full())
        diagnose(DiagnosticCode::PathCutShort);
    else if (outOfWork)
        diagnose(DiagnosticCode::RunCutShort);
    path_.finish(static_cast<int>(lines));
    return std::move(path_);
}

}  // namespace

Toolpath interpretProgram(std::string_view text, const InterpreterOptions& options, const std::atomic<bool>* cancel)
{
    Interpreter interpreter(text, options, cancel);
    return interpreter.run();
}

}  // namespace zorvan::preview
