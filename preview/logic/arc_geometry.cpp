#include "preview/logic/arc_geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zorvan::preview {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr int kMaxChords = 20000;

}  // namespace

ArcGeometry solveArc(const ArcInput& in)
{
    ArcGeometry arc;
    const double chordA = in.endA - in.startA, chordB = in.endB - in.startB;
    const double chord = std::hypot(chordA, chordB);
    const bool samePoint = chord <= kSamePointTolerance;

    if (in.hasRadius) {
        if (samePoint) {
            arc.status = ArcGeometry::Status::ZeroWithRadius;
            arc.centreA = in.startA;
            arc.centreB = in.startB;
            return arc;
        }
        const double r = std::fabs(in.radius);
        const double half = chord / 2;
        double h = 0;
        if (r > half)
            h = std::sqrt((r - half) * (r + half));
        else if (half - r > kSamePointTolerance * std::max(1.0, r))
            arc.status = ArcGeometry::Status::RadiusTooSmall;  // drawn as a half turn
        // The centre lies left of the travel for a short counter-clockwise arc, right for a
        // short clockwise one; a negative R (the long way round) puts it on the other side.
        const double side = (in.counterClockwise ? 1.0 : -1.0) * (in.radius < 0 ? -1.0 : 1.0);
        arc.centreA = in.startA + chordA / 2 - side * h * chordB / chord;
        arc.centreB = in.startB + chordB / 2 + side * h * chordA / chord;
    } else {
        arc.centreA = in.startA + in.offsetA;
        arc.centreB = in.startB + in.offsetB;
    }

    arc.startRadius = std::hypot(in.startA - arc.centreA, in.startB - arc.centreB);
    arc.endRadius = std::hypot(in.endA - arc.centreA, in.endB - arc.centreB);
    arc.startAngle = std::atan2(in.startB - arc.centreB, in.startA - arc.centreA);
    if (samePoint) {
        arc.sweep = in.counterClockwise ? kTwoPi : -kTwoPi;
        return arc;
    }
    const double endAngle = std::atan2(in.endB - arc.centreB, in.endA - arc.centreA);
    double sweep = endAngle - arc.startAngle;
    if (in.counterClockwise) {
        while (sweep <= 0)
            sweep += kTwoPi;
    } else {
        while (sweep >= 0)
            sweep -= kTwoPi;
    }
    arc.sweep = sweep;
    return arc;
}

void arcPoint(const ArcGeometry& arc, double t, double& a, double& b)
{
    const double angle = arc.startAngle + arc.sweep * t;
    const double r = arc.startRadius + (arc.endRadius - arc.startRadius) * t;
    a = arc.centreA + r * std::cos(angle);
    b = arc.centreB + r * std::sin(angle);
}

int chordCount(const ArcGeometry& arc, double tolerance)
{
    const double r = std::max(arc.startRadius, arc.endRadius);
    double step = std::numbers::pi / 4;
    if (tolerance > 0 && tolerance < r)
        step = std::min(step, 2 * std::acos(1 - tolerance / r));
    const double n = std::ceil(std::fabs(arc.sweep) / step - 1e-9);
    if (!(n > 1))
        return 1;  // also an arc whose sweep came out NaN (a centre past the doubles' range)
    return n < kMaxChords ? static_cast<int>(n) : kMaxChords;
}

void arcBounds(const ArcGeometry& arc, double& minA, double& maxA, double& minB, double& maxB)
{
    double a, b;
    arcPoint(arc, 0, a, b);
    minA = maxA = a;
    minB = maxB = b;
    auto take = [&](double t) {
        arcPoint(arc, t, a, b);
        minA = std::min(minA, a);
        maxA = std::max(maxA, a);
        minB = std::min(minB, b);
        maxB = std::max(maxB, b);
    };
    take(1);
    // Quadrant angles k * pi / 2 strictly inside the sweep.
    const double quarter = std::numbers::pi / 2;
    const double from = std::min(arc.startAngle, arc.startAngle + arc.sweep);
    const double to = std::max(arc.startAngle, arc.startAngle + arc.sweep);
    for (double k = std::ceil(from / quarter); k * quarter < to; k += 1) {
        double t = (k * quarter - arc.startAngle) / arc.sweep;
        if (t > 0 && t < 1)
            take(t);
    }
}

}  // namespace zorvan::preview
