// The cutting tools of the stock simulation: their shape, and how their sizes are read from a tool
// table or from the comments CAM systems write ("(T1 D6. R3.)", "(T1 ボールエンドミル R3)",
// "(T1 D=3.175 CR=0. - ZMIN=-5. - flat end mill)", "(1/4 FLAT ENDMILL TOOL - 1 DIA. OFF. - 1 LEN. -
// 1 DIA. - .25)", "(TC: 5mm Endmill)").
#pragma once

#include <algorithm>
#include <cmath>
#include <map>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvan::preview::stock {

enum class ToolKind { Flat, Ball, BullNose, Drill };

struct ToolShape {
    ToolKind kind = ToolKind::Flat;
    double diameter = 0;      // 0: a tool of unknown size, cutting as a point
    double cornerRadius = 0;  // ball: half the diameter
    double pointAngle = 118;  // drill, degrees
    double length = 0;        // flute length; 0 when not known

    double radius() const { return diameter / 2; }
    // Height of the cutting edge above the tip at `distance` from the axis (distance <= radius).
    double rise(double distance) const;
    // The same from the distance squared (a ball end mill needs one root instead of two).
    double riseFromSquare(double distance2) const
    {
        if (kind == ToolKind::Flat)
            return 0;
        if (kind == ToolKind::Ball)
            return cornerRadius - std::sqrt(std::max(0.0, cornerRadius * cornerRadius - distance2));
        return rise(std::sqrt(distance2));
    }
};

// One tool description, in the words of a comment or a tool table line. The tool number: "T<n>",
// or "TOOL" with "-", ":", "#", "NO." or "NUMBER" before the number ("TOOL - 1", "TOOL NO. 1").
// Sizes: "D<d>", "D=<d>", "φ<d>", "DIA" / "DIA." / "DIAMETER" with blanks, "-", ":" or "=" before
// the number ("DIA. - 6."; Mastercam's "DIA. OFF. - 1" is an offset number and is passed over),
// "<d>mm"; corner radius "R<r>", "CR=<r>", "RAD. - <r>" or "<r> RAD"; point angle "A<a>", Fusion's
// "TAPER=<a>deg" or "<a> DEGREE"; flute length "L<l>" ("LEN." is an offset number). Kind words
// (any case): DRILL (spot and centre drills too) / ドリル; CHAMFER, COUNTERSINK, V-BIT / 面取り (a cone
// too: TAPER is its half angle, a drill's TAPER its whole point angle); BALL / ボール; BULL, RADIUS /
// ブル / ラジアス; FLAT, SQUARE, END MILL, ENDMILL, FACE MILL / フラット / スクエア / エンドミル.
// Without a kind word R decides: none or 0 flat, half the diameter (or R alone) ball, else
// bull-nose. Empty when the text names no tool number or gives no size.
struct ToolEntry {
    int number;
    ToolShape shape;
};
std::optional<ToolEntry> readToolText(std::string_view text);

using ToolTable = std::map<int, ToolShape>;

// A comment that names a tool and describes it (a size word or a kind of tool) but whose size
// cannot be read.
struct UnreadToolComment {
    std::uint32_t line = 0;  // 0-based
    int number = -1;         // the tool's number; -1 when the comment names none that can be read
    std::string text;        // the comment without its parentheses

    bool operator==(const UnreadToolComment&) const = default;
};

// Adds the tools described in the program's comments to `table`; tools already there are kept. A
// FreeCAD tool-controller comment ("(TC: 5mm Endmill)") is the tool of the next T word of the
// code below it. Returns the comments that name a tool still missing from `table` but cannot be
// read, the first one of each tool.
std::vector<UnreadToolComment> addToolsFromComments(std::string_view program, ToolTable& table);

// A tool table file: one tool a line in the words above; blank lines and lines starting with "#"
// are skipped. Returns the 1-based number of the first line naming no tool or size, or 0.
int readToolTable(std::string_view text, ToolTable& table);

}  // namespace zorvan::preview::stock
