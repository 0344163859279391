#include "preview/logic/interpreter_state.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zorvan::preview {

namespace {

// Unit direction from a to b in the plane of axes (ia, ib); returns the distance.
double direction(const double from[3], const double to[3], int ia, int ib, double unit[2])
{
    const double da = to[ia] - from[ia], db = to[ib] - from[ib];
    const double length = std::hypot(da, db);
    unit[0] = length > 0 ? da / length : 0;
    unit[1] = length > 0 ? db / length : 0;
    return length;
}

}  // namespace

void ToolMotion::take(const double target[3], const bool targetKnown[3], const bool absolute[3])
{
    for (int i = 0; i < 3; ++i) {
        program_[i] = target[i];
        known_[i] = targetKnown[i] || assumed_[i];
        everSet_[i] = everSet_[i] || absolute[i];
    }
}

void ToolMotion::forget(const bool axes[3])
{
    finishCorner();
    for (int i = 0; i < 3; ++i)
        if (axes[i] && !assumed_[i])
            known_[i] = false;
    if (!allKnown())
        recorder_.breakPiece();
}

void ToolMotion::setPosition(const bool axes[3], const double values[3])
{
    finishCorner();
    double drawn[3], renamed[3], moved[3] = {program_[0], program_[1], program_[2]};
    frame_.toDrawn(program_, drawn);
    for (int i = 0; i < 3; ++i)
        if (axes[i])
            moved[i] = values[i];
    frame_.toDrawn(moved, renamed);
    // Where the tool's place was known it stays there on the picture; where it was not, the new
    // values are where it is drawn.
    for (int i = 0; i < 3; ++i)
        if (known_[i])
            frame_.positionShift[i] += drawn[i] - renamed[i];
    frame_.refresh();
    for (int i = 0; i < 3; ++i) {
        program_[i] = moved[i];
        if (axes[i])
            known_[i] = everSet_[i] = true;
    }
    // A place the program named: the next move is drawn from it.
    if (allKnown() && !recorder_.pieceOpen()) {
        frame_.toDrawn(program_, drawn);
        recorder_.line(drawn, MoveKind::Rapid, 0);
    }
}

void ToolMotion::drawWaiting(const double to[3])
{
    const std::uint32_t line = recorder_.currentLine();
    recorder_.setLine(waiting_.line);
    recorder_.line(to, waiting_.kind, waiting_.feed);
    recorder_.setLine(line);
}

void ToolMotion::finishCorner()
{
    if (!waiting_.active)
        return;
    waiting_.active = false;
    drawWaiting(waiting_.end);
}

void ToolMotion::cutCorner(const double to[3])
{
    waiting_.active = false;
    int ia, ib, il;
    planeAxes(waiting_.plane, ia, ib, il);
    const double* end = waiting_.end;
    double in[2], out[2];
    const double lengthIn = direction(waiting_.start, end, ia, ib, in);
    const double lengthOut = direction(end, to, ia, ib, out);
    const double turn = std::atan2(in[0] * out[1] - in[1] * out[0], in[0] * out[0] + in[1] * out[1]);
    const double cut = waiting_.type == 'C' ? waiting_.size : waiting_.size * std::tan(std::fabs(turn) / 2);
    const bool inPlane = waiting_.start[il] == end[il] && end[il] == to[il];
    if (!inPlane || !(waiting_.size > 0) || std::fabs(turn) < 1e-9 || std::fabs(turn) > std::numbers::pi - 1e-9
        || cut > lengthIn + 1e-9 || cut > lengthOut + 1e-9) {
        drawWaiting(end);  // no corner the control could cut: the plain corner
        return;
    }
    double cutIn[3] = {end[0], end[1], end[2]}, cutOut[3] = {end[0], end[1], end[2]};
    cutIn[ia] -= cut * in[0], cutIn[ib] -= cut * in[1];
    cutOut[ia] += cut * out[0], cutOut[ib] += cut * out[1];
    drawWaiting(cutIn);
    const std::uint32_t line = recorder_.currentLine();
    recorder_.setLine(waiting_.line);
    if (waiting_.type == 'C') {
        recorder_.line(cutOut, MoveKind::Feed, waiting_.feed);
    } else {
        // Tangent to both moves: the centre lies the radius away on the inside of the turn.
        const double side = turn > 0 ? 1 : -1;
        const ArcInput arc{cutIn[ia], cutIn[ib], cutOut[ia], cutOut[ib], turn > 0, false, 0,
                           -side * in[1] * waiting_.size, side * in[0] * waiting_.size};
        recorder_.arc(cutOut, waiting_.plane, solveArc(arc), options_.chordTolerance, waiting_.feed);
    }
    recorder_.setLine(line);
}

void ToolMotion::lineTo(const double target[3], const bool targetKnown[3], const bool absolute[3], MoveKind kind,
                        double feed, char corner, double cornerSize)
{
    take(target, targetKnown, absolute);
    if (!allKnown()) {
        finishCorner();
        leftOut_ = true;
        recorder_.breakPiece();
        return;
    }
    double to[3];
    frame_.toDrawn(program_, to);
    if (waiting_.active)
        cutCorner(to);
    if (corner != 0 && recorder_.pieceOpen()) {
        const double* from = recorder_.lastPoint();
        waiting_ = {true, {from[0], from[1], from[2]}, {to[0], to[1], to[2]}, kind, feed, recorder_.currentLine(),
                    corner, cornerSize, plane_};
        return;
    }
    recorder_.line(to, kind, feed);
}

std::optional<ArcGeometry> ToolMotion::arcTo(const double target[3], const bool targetKnown[3], const bool absolute[3],
                                             Plane plane, bool counterClockwise, bool hasRadius, double radius,
                                             double offsetA, double offsetB, double chordTolerance, double feed)
{
    finishCorner();
    double from[3];
    frame_.toDrawn(program_, from);
    const bool startKnown = allKnown() && recorder_.pieceOpen();
    take(target, targetKnown, absolute);
    if (!allKnown()) {
        leftOut_ = true;
        recorder_.breakPiece();
        return std::nullopt;
    }
    double to[3];
    frame_.toDrawn(program_, to);
    if (!startKnown) {
        recorder_.line(to, MoveKind::Arc, feed);  // the first point of a piece
        return std::nullopt;
    }
    int ia, ib, il;
    planeAxes(plane, ia, ib, il);
    double offset[3] = {0, 0, 0}, drawnOffset[3];
    offset[ia] = offsetA;
    offset[ib] = offsetB;
    frame_.vectorToDrawn(offset, drawnOffset);
    const bool turnsLeft = counterClockwise != frame_.reversesArcs(ia, ib);
    const ArcInput in{from[ia], from[ib], to[ia], to[ib], turnsLeft, hasRadius, radius, drawnOffset[ia], drawnOffset[ib]};
    const ArcGeometry arc = solveArc(in);
    if (arc.status == ArcGeometry::Status::ZeroWithRadius) {
        if (to[il] != from[il])
            recorder_.line(to, MoveKind::Arc, feed);
        return arc;
    }
    recorder_.arc(to, plane, arc, chordTolerance, feed);
    return arc;
}

}  // namespace zorvan::preview
