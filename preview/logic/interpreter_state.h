// The machine state the interpreter keeps between blocks, and the moves it records. Internal to
// the interpreter (interpreter.cpp runs the blocks, path_recorder.cpp and canned_cycles.cpp make
// the moves).
#pragma once

#include "preview/logic/arc_geometry.h"
#include "preview/logic/block_parser.h"
#include "preview/logic/interpreter.h"

#include <unordered_map>

namespace zorvan::preview {

enum class Plane { XY, ZX, YZ };

struct CycleState {
    int code = 0;  // 73, 74, 76, 81..89; 0 when no cycle is active
    bool starting = false;  // the next hole fixes the initial level
    double initialZ = 0;
    bool hasR = false, hasZ = false, rAbsolute = true, zAbsolute = true;
    double r = 0, z = 0, q = 0;
};

// Records vertices, ranges, extents, lengths and the time of the moves.
class PathRecorder {
public:
    PathRecorder(Toolpath& path, const InterpreterOptions& options) : path_(path), options_(options) {}

    void beginBlock(std::uint32_t line)
    {
        line_ = line;
        blockBegin_ = path_.x.size();
    }
    void endBlock()
    {
        if (path_.x.size() != blockBegin_)
            path_.ranges.push_back({line_, static_cast<std::uint32_t>(blockBegin_)});
    }
    void setTool(int toolNumber);
    // A straight move from `from` to `to`.
    void line(const double from[3], const double to[3], MoveKind kind, double feedPerMinute);
    // An arc in `plane` from `from` to `to` (linear axis interpolated for a helix).
    void arc(const double from[3], const double to[3], Plane plane, const ArcGeometry& arc, double chordTolerance,
             double feedPerMinute);
    bool hasMoved() const { return moved_; }
    // A move did not fit in the vertex budget: it and every later one are left out.
    bool full() const { return full_; }

private:
    // Whether `count` more vertices fit in the budget; marks the recorder full when not.
    bool room(std::size_t count);
    void vertex(double x, double y, double z, MoveKind kind);
    void account(const Box3& box, MoveKind kind, double length, double feedPerMinute, bool first);

    Toolpath& path_;
    const InterpreterOptions& options_;
    std::uint32_t line_ = 0;
    std::size_t blockBegin_ = 0;
    std::uint16_t toolIndex_ = 0;
    std::unordered_map<int, std::uint16_t> toolIndexes_;  // tool number to its index in path_.tools
    bool moved_ = false;
    bool full_ = false;
};

// The (a, b, linear) axis indexes of a plane: G17 (X, Y, Z), G18 (Z, X, Y), G19 (Y, Z, X).
inline void planeAxes(Plane plane, int& a, int& b, int& linear)
{
    a = 0, b = 1, linear = 2;
    if (plane == Plane::ZX)
        a = 2, b = 0, linear = 1;
    else if (plane == Plane::YZ)
        a = 1, b = 2, linear = 0;
}

// Expands one canned-cycle hole (with its K repeats) from `position`, which it updates.
void runCycleHole(PathRecorder& recorder, CycleState& cycle, const double target[2], const double step[2], int repeats,
                  bool returnToInitial, double position[3], double feedPerMinute, const InterpreterOptions& options);

}  // namespace zorvan::preview
