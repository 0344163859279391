// Circular arcs in a plane given by the ordered pair of axes (a, b): G17 (X, Y), G18 (Z, X),
// G19 (Y, Z). G02 turns clockwise (negative angles in (a, b)), G03 counter-clockwise.
#pragma once

namespace zorvan::preview {

struct ArcInput {
    double startA, startB, endA, endB;
    bool counterClockwise;
    bool hasRadius;      // R given (wins over the centre offsets when both are)
    double radius;       // negative: more than a half turn
    double offsetA, offsetB;  // centre offsets from the start (I/J/K)
};

struct ArcGeometry {
    enum class Status { Ok, ZeroWithRadius, RadiusTooSmall };
    Status status = Status::Ok;
    double centreA = 0, centreB = 0;
    double startRadius = 0, endRadius = 0;
    double startAngle = 0;
    double sweep = 0;  // signed, radians; +-2 pi for a full circle
};

// Tolerance within which two points of the plane count as one (the full-circle test) and an R
// just below half the chord counts as a half turn.
inline constexpr double kSamePointTolerance = 1e-6;

ArcGeometry solveArc(const ArcInput& input);

// The point at fraction t (0..1) of the arc; the radius goes linearly from the start's to the
// end's so the chords meet the programmed end exactly.
void arcPoint(const ArcGeometry& arc, double t, double& a, double& b);

// Chords needed so no chord strays more than `tolerance` from the arc.
int chordCount(const ArcGeometry& arc, double tolerance);

// Extremes of the arc in the plane (start, end and the quadrant points it passes).
void arcBounds(const ArcGeometry& arc, double& minA, double& maxA, double& minB, double& maxB);

}  // namespace zorvan::preview
