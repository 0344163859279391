// The path of an NC program as the preview draws it: flat arrays, one entry per vertex.
//
// Vertex 0 is where the program's first move ends (the position before it is unknown); every
// later vertex i ends a straight segment from vertex i - 1, drawn in the kind and tool of vertex i,
// except the vertices listed in `breaks`: the tool came to them from a place the program does not
// tell (a reference return, a machine-coordinate move), so no segment ends there.
// Arcs are split into chords, canned cycles into their moves. Every vertex is made by one
// execution of one source line; the vertices of an execution are contiguous (a range), and a line
// run several times (a subprogram called with repeats) owns several ranges.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace zorvan::preview {

enum class MoveKind : std::uint8_t {
    Rapid = 0,       // G00
    Feed = 1,        // G01
    Arc = 2,         // G02/G03 chords
    CycleRapid = 3,  // positioning and retracts of a canned cycle
    CycleFeed = 4,   // feeds of a canned cycle
};
constexpr int kMoveKinds = 5;

inline bool isFeedKind(MoveKind kind)
{
    return kind == MoveKind::Feed || kind == MoveKind::Arc || kind == MoveKind::CycleFeed;
}

struct Box3 {
    double min[3] = {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::infinity()};
    double max[3] = {-std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity()};

    bool empty() const { return min[0] > max[0]; }
    void add(double x, double y, double z)
    {
        const double p[3] = {x, y, z};
        for (int i = 0; i < 3; ++i) {
            if (p[i] < min[i])
                min[i] = p[i];
            if (p[i] > max[i])
                max[i] = p[i];
        }
    }
    void add(const Box3& other)
    {
        if (other.empty())
            return;
        add(other.min[0], other.min[1], other.min[2]);
        add(other.max[0], other.max[1], other.max[2]);
    }
};

enum class DiagnosticCode : std::uint16_t {
    ArcWithoutCentre,       // G02/G03 with neither I/J/K nor R: drawn as a straight feed
    ArcRadiusMismatch,      // value: the difference of the radii at start and end
    ZeroArcWithRadius,      // R arc whose end is its start
    RadiusTooSmall,         // value: the R given
    BranchSkipped,          // IF, GOTO, WHILE, DO, END
    UnsupportedG,           // value: the G number; the block makes no move
    UnknownSubprogram,      // value: the program number
    CallsTooDeep,
    MissingReturn,          // a subprogram ran to the end of the text without M99
    BadCharacter,           // value: the character's code point; letter: the word it stands in
    UnreadableNumber,       // value: the word's byte in the line; letter, word and reason: the word
    BadExpression,
    DivisionByZero,
    UnreadableVariable,     // value: the variable number
    CycleWithoutDepth,
    MachineCoordinates,
    PathCutShort,           // the vertex budget was reached: nothing after this line is run
    RunCutShort,            // the work budget was spent: nothing after this line is run
};

struct Diagnostic {
    std::uint32_t line;
    DiagnosticCode code;
    double value = 0;
    char letter = 0;  // the address letter of the word concerned, where there is one
    std::string word = {};          // UnreadableNumber: the word as written ("X3..5")
    std::uint8_t reason = 0;        // UnreadableNumber: its nc::NumberProblem
};

// The message of a diagnostic, in Japanese, without the line.
std::string diagnosticText(const Diagnostic& diagnostic);

struct VertexRange {
    std::uint32_t line;
    std::uint32_t begin;  // the range ends where the next one begins (or at the last vertex)
};

// Saved states of a run, from which a stretch of it can be run again (interpreter.cpp).
struct ResumePoints;

struct Toolpath {
    std::vector<float> x, y, z;
    std::vector<std::uint32_t> line;  // 0-based source line of each vertex
    std::vector<MoveKind> kind;
    std::vector<std::uint16_t> tool;  // index into `tools`
    std::vector<int> tools;           // tool numbers (T) in order of first use; 0 before any M06

    // Vertices at which no segment ends (see the top), ascending; vertex 0 is not listed.
    std::vector<std::uint32_t> breaks;
    std::vector<VertexRange> ranges;  // in the order the vertices were made
    // Ranges of line L: rangeIndex[lineRangeStart[L] .. lineRangeStart[L + 1]).
    std::vector<std::uint32_t> lineRangeStart;
    std::vector<std::uint32_t> rangeIndex;
    // Vertices made when a line's first run was over (a call: when its subprogram returned);
    // kNeverRun for a line never run.
    static constexpr std::uint32_t kNeverRun = 0xffffffffu;
    std::vector<std::uint32_t> verticesAfterLine;

    Box3 extents;      // every point passed during a move (arcs at their true extremes)
    Box3 feedExtents;  // the same over feed, arc and cycle feed moves only
    std::vector<Box3> toolExtents;  // `extents` by the tool of the move (index into `tools`)
    double length[kMoveKinds] = {};  // path length per kind, program units
    double minutes = 0;              // estimated run time
    double rapidMinutes = 0;         // the part of it spent in rapids
    std::shared_ptr<const ResumePoints> resume;  // kept when the options ask for it
    std::vector<Diagnostic> diagnostics;
    bool cancelled = false;

    std::size_t vertexCount() const { return x.size(); }
    std::size_t segmentCount() const { return x.empty() ? 0 : x.size() - 1 - breaks.size(); }
    // Whether a segment ends at vertex v (false for vertex 0 and the breaks).
    bool segmentEndsAt(std::size_t v) const;
    int lineCount() const { return lineRangeStart.empty() ? 0 : static_cast<int>(lineRangeStart.size()) - 1; }
    // Vertex range [begin, end) of range r.
    std::uint32_t rangeEnd(std::size_t r) const
    {
        return r + 1 < ranges.size() ? ranges[r + 1].begin : static_cast<std::uint32_t>(x.size());
    }
    // The ranges of a line, as indexes into `ranges` (none for a line that made no vertex).
    std::vector<std::uint32_t> rangesOfLine(int line) const;
    // The vertex where the tool stands after `line` was run the first time (for a line never
    // run, after the nearest earlier line that was); -1 before the first move.
    long vertexAfterLine(int line) const;
    // Bytes held by the arrays.
    std::size_t memoryBytes() const;
    // Builds lineRangeStart/rangeIndex from `ranges` for `lines` source lines and trims the room.
    void finish(int lines);
};

}  // namespace zorvan::preview
