#include "preview/logic/interpreter_state.h"

#include <algorithm>
#include <cmath>

namespace zorvan::preview {

void PathRecorder::setTool(int toolNumber)
{
    // Past the last index a vertex can name, further tools are drawn as the last one.
    constexpr std::size_t kMostTools = 0x10000;
    auto it = toolIndexes_.find(toolNumber);
    if (it == toolIndexes_.end()) {
        if (path_.tools.size() == kMostTools) {
            toolIndex_ = static_cast<std::uint16_t>(kMostTools - 1);
            return;
        }
        it = toolIndexes_.emplace(toolNumber, static_cast<std::uint16_t>(path_.tools.size())).first;
        path_.tools.push_back(toolNumber);
        path_.toolExtents.emplace_back();
    }
    toolIndex_ = it->second;
}

bool PathRecorder::room(std::size_t count)
{
    if (!full_ && count > options_.maxVertices - std::min(options_.maxVertices, vertices_))
        full_ = true;
    return !full_;
}

void PathRecorder::vertex(double x, double y, double z, MoveKind kind)
{
    ++vertices_;
    if (!options_.keepVertices)
        return;
    if (newRange_) {
        path_.ranges.push_back({line_, static_cast<std::uint32_t>(vertices_ - 1)});
        newRange_ = false;
    }
    path_.x.push_back(static_cast<float>(x));
    path_.y.push_back(static_cast<float>(y));
    path_.z.push_back(static_cast<float>(z));
    path_.line.push_back(line_);
    path_.kind.push_back(kind);
    path_.tool.push_back(toolIndex_);
}

void PathRecorder::account(const Box3& box, MoveKind kind, double length, double feedPerMinute)
{
    path_.extents.add(box);
    path_.toolExtents[toolIndex_].add(box);
    if (isFeedKind(kind))
        path_.feedExtents.add(box);
    path_.length[static_cast<int>(kind)] += length;
    const bool rapid = kind == MoveKind::Rapid || kind == MoveKind::CycleRapid;
    const double rate = rapid ? options_.rapidRate : feedPerMinute;
    if (rate > 0) {
        path_.minutes += length / rate;
        if (rapid)
            path_.rapidMinutes += length / rate;
    }
}

bool PathRecorder::startPiece(const double to[3], MoveKind kind)
{
    if (open_)
        return false;
    if (!room(1))
        return true;
    if (vertices_ > 0 && options_.keepVertices)
        path_.breaks.push_back(static_cast<std::uint32_t>(vertices_));
    vertex(to[0], to[1], to[2], kind);
    Box3 box;
    box.add(to[0], to[1], to[2]);
    path_.extents.add(box);
    path_.toolExtents[toolIndex_].add(box);
    if (isFeedKind(kind))
        path_.feedExtents.add(box);
    std::copy(to, to + 3, last_);
    open_ = true;
    return true;
}

void PathRecorder::line(const double to[3], MoveKind kind, double feedPerMinute)
{
    if (startPiece(to, kind) || !room(1))
        return;
    vertex(to[0], to[1], to[2], kind);
    Box3 box;
    box.add(to[0], to[1], to[2]);
    box.add(last_[0], last_[1], last_[2]);
    account(box, kind, std::sqrt((to[0] - last_[0]) * (to[0] - last_[0]) + (to[1] - last_[1]) * (to[1] - last_[1])
                                 + (to[2] - last_[2]) * (to[2] - last_[2])),
            feedPerMinute);
    std::copy(to, to + 3, last_);
}

void PathRecorder::arc(const double to[3], Plane plane, const ArcGeometry& geometry, double chordTolerance,
                       double feedPerMinute)
{
    if (startPiece(to, MoveKind::Arc))
        return;
    int ia, ib, il;
    planeAxes(plane, ia, ib, il);
    const int chords = chordCount(geometry, chordTolerance);
    if (!room(static_cast<std::size_t>(chords)))
        return;
    const double* from = last_;
    double p[3];
    for (int k = 1; k < chords; ++k) {
        const double t = static_cast<double>(k) / chords;
        arcPoint(geometry, t, p[ia], p[ib]);
        p[il] = from[il] + (to[il] - from[il]) * t;
        vertex(p[0], p[1], p[2], MoveKind::Arc);
    }
    vertex(to[0], to[1], to[2], MoveKind::Arc);  // the programmed end, exactly

    double lo[3], hi[3];
    arcBounds(geometry, lo[ia], hi[ia], lo[ib], hi[ib]);
    lo[il] = std::min(from[il], to[il]);
    hi[il] = std::max(from[il], to[il]);
    Box3 box;
    box.add(lo[0], lo[1], lo[2]);
    box.add(hi[0], hi[1], hi[2]);
    const double planar = std::fabs(geometry.sweep) * (geometry.startRadius + geometry.endRadius) / 2;
    account(box, MoveKind::Arc, std::hypot(planar, to[il] - from[il]), feedPerMinute);
    std::copy(to, to + 3, last_);
}

}  // namespace zorvan::preview
