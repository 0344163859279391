// The cutting tools of the stock simulation: their shape, and how their sizes are read from a tool
// table or from the comments CAM systems write ("(T1 D6. R3.)", "(T1 ボールエンドミル R3)").
#pragma once

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <string_view>

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

// One tool description, in the words of a comment or a tool table line: "T<n>", a kind word
// (FLAT/SQUARE/フラット/スクエア, BALL/ボール, BULL/RADIUS/ブル/ラジアス, DRILL/ドリル), "D<diameter>"
// (also "φ<diameter>"), "R<corner radius>", "A<point angle>", "L<flute length>". Without a kind
// word, R decides: none or 0 flat, half the diameter (or R alone) ball, else bull-nose. Empty when
// the text names no tool number or gives no size.
struct ToolEntry {
    int number;
    ToolShape shape;
};
std::optional<ToolEntry> readToolText(std::string_view text);

using ToolTable = std::map<int, ToolShape>;

// Adds the tools described in the program's comments to `table`; tools already there are kept.
void addToolsFromComments(std::string_view program, ToolTable& table);

// A tool table file: one tool a line in the words above; blank lines and lines starting with "#"
// are skipped. Returns the 1-based number of the first line naming no tool or size, or 0.
int readToolTable(std::string_view text, ToolTable& table);

}  // namespace zorvan::preview::stock
