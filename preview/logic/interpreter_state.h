// The machine state the interpreter keeps between blocks, and the moves it records. Internal to
// the interpreter (interpreter.cpp runs the blocks, tool_motion.cpp follows the tool,
// path_recorder.cpp records the moves and canned_cycles.cpp expands the cycles).
#pragma once

#include "preview/logic/arc_geometry.h"
#include "preview/logic/block_parser.h"
#include "preview/logic/coordinate_frame.h"
#include "preview/logic/interpreter.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace zorvan::preview {

enum class Plane { XY, ZX, YZ };

// The (a, b, linear) axis indexes of a plane: G17 (X, Y, Z), G18 (Z, X, Y), G19 (Y, Z, X).
inline void planeAxes(Plane plane, int& a, int& b, int& linear)
{
    a = 0, b = 1, linear = 2;
    if (plane == Plane::ZX)
        a = 2, b = 0, linear = 1;
    else if (plane == Plane::YZ)
        a = 1, b = 2, linear = 0;
}

struct CycleState {
    int code = 0;  // 73, 74, 76, 81..89; 0 when no cycle is active
    bool starting = false;  // the next hole fixes the initial level
    double initialLevel = 0;  // along the drilling axis (the plane's normal), program coordinates
    bool initialKnown = true;
    bool hasR = false, hasDepth = false, rAbsolute = true, depthAbsolute = true;
    double r = 0, depth = 0, q = 0;
};

// Records vertices, ranges, breaks, extents, lengths and the time of the moves, on the picture's
// coordinates. A piece of the path is open while the tool stands on its last vertex.
class PathRecorder {
public:
    PathRecorder(Toolpath& path, const InterpreterOptions& options) : path_(path), options_(options) {}

    // The vertices made from now on belong to `line` (a new range of it).
    void setLine(std::uint32_t line)
    {
        line_ = line;
        newRange_ = true;
    }
    std::uint32_t currentLine() const { return line_; }
    // Vertices made so far (also when the options keep none).
    std::size_t vertexCount() const { return vertices_; }
    void setTool(int toolNumber);
    // A straight move to `to`; the first point of a new piece when none is open.
    void line(const double to[3], MoveKind kind, double feedPerMinute);
    // An arc in `plane` from the open piece's end to `to` (linear axis interpolated for a helix).
    void arc(const double to[3], Plane plane, const ArcGeometry& arc, double chordTolerance, double feedPerMinute);
    // The tool went where the program does not tell: the next point starts a new piece.
    void breakPiece() { open_ = false; }
    bool pieceOpen() const { return open_; }
    const double* lastPoint() const { return last_; }
    // A move did not fit in the vertex budget: it and every later one are left out.
    bool full() const { return full_; }

    // What a stretch run again from a saved state needs of the recorder: the open piece.
    struct Saved {
        bool open;
        double last[3];
    };
    Saved save() const { return {open_, {last_[0], last_[1], last_[2]}}; }
    void restore(const Saved& saved)
    {
        open_ = saved.open;
        std::copy(saved.last, saved.last + 3, last_);
    }

private:
    // Whether `count` more vertices fit in the budget; marks the recorder full when not.
    bool room(std::size_t count);
    void vertex(double x, double y, double z, MoveKind kind);
    void account(const Box3& box, MoveKind kind, double length, double feedPerMinute);
    // Starts a piece at `to` when none is open; true when it did.
    bool startPiece(const double to[3], MoveKind kind);

    Toolpath& path_;
    const InterpreterOptions& options_;
    std::uint32_t line_ = 0;
    bool newRange_ = true;
    std::uint16_t toolIndex_ = 0;
    std::unordered_map<int, std::uint16_t> toolIndexes_;  // tool number to its index in path_.tools
    bool open_ = false;
    double last_[3] = {0, 0, 0};
    bool full_ = false;
    std::size_t vertices_ = 0;
};

// Where the tool stands in the program's coordinates, which of its axes are known, and the moves
// that take it elsewhere, drawn through the coordinate changes. An axis is unknown until the
// program sets it absolutely (and again after a reference return or a machine-coordinate move);
// a point with an unknown axis is not drawn and no segment starts from it.
class ToolMotion {
public:
    ToolMotion(PathRecorder& recorder, const InterpreterOptions& options) : recorder_(recorder), options_(options) {}

    const double* position() const { return program_; }
    bool known(int axis) const { return known_[axis]; }
    // Axes the program never sets absolutely count as 0 from the start and stay known.
    void assumeZero(int axis)
    {
        assumed_[axis] = known_[axis] = true;
        program_[axis] = 0;
    }
    // Whether the program set the axis absolutely, and whether a point went undrawn.
    bool setAbsolutely(int axis) const { return everSet_[axis]; }
    bool leftOutPoints() const { return leftOut_; }

    // A straight move to `target`; `targetKnown` tells its known axes, `absolute` the axes set
    // absolutely. A corner (",C" chamfer, ",R" rounding) goes between this move and the next one.
    void lineTo(const double target[3], const bool targetKnown[3], const bool absolute[3], MoveKind kind,
                double feedPerMinute, char corner = 0, double cornerSize = 0);
    // An arc in `plane`: centre offsets from the start in program coordinates, or a radius. The
    // arc as drawn, or nothing when an end of it is not known.
    std::optional<ArcGeometry> arcTo(const double target[3], const bool targetKnown[3], const bool absolute[3], Plane plane,
               bool counterClockwise, bool hasRadius, double radius, double offsetA, double offsetB,
               double chordTolerance, double feedPerMinute);
    // The axes become unknown: the tool went where the program does not tell.
    void forget(const bool axes[3]);
    // G92: the tool's program coordinates on the given axes become `values`; it does not move.
    void setPosition(const bool axes[3], const double values[3]);
    // A change of the coordinate frame (G52, G68/G69, G51.1/G50.1): the tool stays where it is.
    template <typename Change> void changeFrame(Change&& change)
    {
        finishCorner();
        double drawn[3];
        frame_.toDrawn(program_, drawn);
        change(frame_);
        frame_.refresh();
        frame_.toProgram(drawn, program_);
    }
    const CoordinateFrame& frame() const { return frame_; }
    void setPlane(Plane plane) { plane_ = plane; }

    // Everything the motion holds, to run a stretch of the program again from it.
    struct Saved;
    Saved save() const;
    void restore(const Saved& saved);
    // Draws a corner still waiting for its next move as a plain corner.
    void finishCorner();

private:
    bool allKnown() const { return known_[0] && known_[1] && known_[2]; }
    void take(const double target[3], const bool targetKnown[3], const bool absolute[3]);
    // The straight move of a waiting corner's block, up to `to`, on its own line.
    void drawWaiting(const double to[3]);
    // Draws the waiting move and its corner towards the next move's end `to`.
    void cutCorner(const double to[3]);

    PathRecorder& recorder_;
    const InterpreterOptions& options_;
    CoordinateFrame frame_;
    double program_[3] = {0, 0, 0};
    bool known_[3] = {false, false, false};
    bool assumed_[3] = {false, false, false};
    bool everSet_[3] = {false, false, false};
    bool leftOut_ = false;

public:
    // A straight move whose end waits for the next move to cut its corner (picture coordinates).
    struct WaitingCorner {
        bool active = false;
        double start[3];
        double end[3];
        MoveKind kind;
        double feed;
        std::uint32_t line;
        char type;
        double size;
        Plane plane;
    };

private:
    WaitingCorner waiting_;
    Plane plane_ = Plane::XY;
};

struct ToolMotion::Saved {
    CoordinateFrame frame;
    double program[3];
    bool known[3], assumed[3], everSet[3];
    bool leftOut;
    WaitingCorner waiting;
    Plane plane;
};

inline ToolMotion::Saved ToolMotion::save() const
{
    Saved s{frame_, {}, {}, {}, {}, leftOut_, waiting_, plane_};
    for (int i = 0; i < 3; ++i) {
        s.program[i] = program_[i];
        s.known[i] = known_[i];
        s.assumed[i] = assumed_[i];
        s.everSet[i] = everSet_[i];
    }
    return s;
}

inline void ToolMotion::restore(const Saved& s)
{
    frame_ = s.frame;
    for (int i = 0; i < 3; ++i) {
        program_[i] = s.program[i];
        known_[i] = s.known[i];
        assumed_[i] = s.assumed[i];
        everSet_[i] = s.everSet[i];
    }
    leftOut_ = s.leftOut;
    waiting_ = s.waiting;
    plane_ = s.plane;
}

// Expands one canned-cycle hole (with its repeats): position in the plane at the current level,
// rapid to the R level, drill along the plane's normal and return. `target` and `step` are the
// hole's place in the plane and the step between repeats (program coordinates).
void runCycleHole(ToolMotion& motion, CycleState& cycle, Plane plane, const double target[2], const bool targetKnown[2],
                  const double step[2], int repeats, bool returnToInitial, double feedPerMinute,
                  const InterpreterOptions& options, const PathRecorder& recorder);

}  // namespace zorvan::preview
