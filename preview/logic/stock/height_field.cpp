#include "preview/logic/stock/height_field.h"

#include <algorithm>
#include <cmath>

namespace zorvan::preview::stock {

HeightField::HeightField(const StockBox& box, int longSideColumns) : box_(box)
{
    const double width = std::max(0.0, box.max[0] - box.min[0]);
    const double depth = std::max(0.0, box.max[1] - box.min[1]);
    const double longSide = std::max(width, depth);
    if (!(longSide > 0) || longSideColumns < 1)
        return;
    cell_ = longSide / longSideColumns;
    nx_ = std::max(1, static_cast<int>(std::ceil(width / cell_ - 1e-9)));
    ny_ = std::max(1, static_cast<int>(std::ceil(depth / cell_ - 1e-9)));
    top_.assign(static_cast<std::size_t>(nx_) * ny_, static_cast<float>(box.max[2]));
}

double HeightField::topAt(double x, double y) const
{
    const double i = std::floor((x - box_.min[0]) / cell_), j = std::floor((y - box_.min[1]) / cell_);
    if (!(i >= 0 && j >= 0 && i < nx_ && j < ny_))
        return box_.min[2];
    return top(static_cast<int>(i), static_cast<int>(j));
}

// A straight piece whose height changes little: the edge over a column is taken where the
// tool's axis passes nearest the column, or where the tool stands at the piece's lower end when
// that is deeper. Both are places the tool passes, so it never cuts more than the tool does, and
// at the ends it cuts exactly what the tool standing there cuts.
template <typename Visit>
void HeightField::sweepPiece(const double a[3], const double b[3], const ToolShape& tool, Visit&& visit) const
{
    // A tool of unknown size cuts the columns its tip passes over.
    const double radius = tool.diameter > 0 ? tool.radius() : cell_ / 2;
    const double ux = b[0] - a[0], uy = b[1] - a[1], uz = b[2] - a[2];
    const double length2 = ux * ux + uy * uy;
    const double r2 = radius * radius;
    const double* low = uz < 0 ? b : a;
    // A ball's edge rises at least d² / 2r at distance d: columns whose top is under that bound
    // are left before any root is taken.
    const double lowest = std::min(a[2], b[2]);
    const double riseBound = tool.kind == ToolKind::Ball && tool.cornerRadius > 0 ? 0.5 / tool.cornerRadius : 0;
    const auto cellOf = [&](double v, int axis, int count) {
        const double index = std::floor((v - box_.min[axis]) / cell_ - 0.5);
        return index >= -1 ? static_cast<int>(std::min(index, static_cast<double>(count))) : -1;
    };
    const int i0 = std::max(0, cellOf(std::min(a[0], b[0]) - radius, 0, nx_));
    const int i1 = std::min(nx_ - 1, cellOf(std::max(a[0], b[0]) + radius, 0, nx_) + 1);
    const int j0 = std::max(0, cellOf(std::min(a[1], b[1]) - radius, 1, ny_));
    const int j1 = std::min(ny_ - 1, cellOf(std::max(a[1], b[1]) + radius, 1, ny_) + 1);
    for (int j = j0; j <= j1; ++j) {
        const double qy = centreY(j) - a[1];
        std::size_t index = static_cast<std::size_t>(j) * nx_ + i0;
        for (int i = i0; i <= i1; ++i, ++index) {
            const double qx = centreX(i) - a[0];
            double t = length2 > 0 ? (qx * ux + qy * uy) / length2 : 0;
            t = std::clamp(t, 0.0, 1.0);
            const double dx = qx - t * ux, dy = qy - t * uy;
            const double d2 = dx * dx + dy * dy;
            if (d2 > r2 || top_[index] <= lowest + d2 * riseBound)
                continue;
            double z = a[2] + t * uz + tool.riseFromSquare(d2);
            if (uz != 0) {
                const double lx = centreX(i) - low[0], ly = centreY(j) - low[1];
                const double l2 = lx * lx + ly * ly;
                if (l2 <= r2)
                    z = std::min(z, low[2] + tool.riseFromSquare(l2));
            }
            visit(index, z);
        }
    }
}

template <typename Visit>
void HeightField::sweep(const double a[3], const double b[3], const ToolShape& tool, Visit&& visit) const
{
    if (top_.empty() || std::min(a[2], b[2]) >= box_.max[2])
        return;
    const double dx = b[0] - a[0], dy = b[1] - a[1];
    // Straight down or up: the tool's deepest place, exactly.
    if (dx * dx + dy * dy < 1e-18) {
        const double low[3] = {a[0], a[1], std::min(a[2], b[2])};
        sweepPiece(low, low, tool, visit);
        return;
    }
    // Above the stock the tool meets nothing: only the part of the move under its top is followed.
    double start[3] = {a[0], a[1], a[2]}, end[3] = {b[0], b[1], b[2]};
    double* high = a[2] > b[2] ? start : end;
    if (high[2] > box_.max[2]) {
        const double* low = high == start ? b : a;
        const double f = (high[2] - box_.max[2]) / (high[2] - low[2]);
        for (int axis = 0; axis < 3; ++axis)
            high[axis] += f * (low[axis] - high[axis]);
    }
    const double sx = end[0] - start[0], sy = end[1] - start[1], sz = end[2] - start[2];
    const int pieces = static_cast<int>(std::clamp(std::ceil(std::abs(sz) / kSlopeStep), 1.0, 10000.0));
    double from[3] = {start[0], start[1], start[2]};
    for (int k = 1; k <= pieces; ++k) {
        const double f = static_cast<double>(k) / pieces;
        const double to[3] = {start[0] + f * sx, start[1] + f * sy, start[2] + f * sz};
        sweepPiece(from, to, tool, visit);
        std::copy(to, to + 3, from);
    }
}

void HeightField::cut(const double a[3], const double b[3], const ToolShape& tool)
{
    const float bottom = static_cast<float>(box_.min[2]);
    sweep(a, b, tool, [&](std::size_t index, double z) {
        const float edge = std::max(bottom, static_cast<float>(z));
        if (edge < top_[index])
            top_[index] = edge;
    });
}

double HeightField::deepestHit(const double a[3], const double b[3], const ToolShape& tool) const
{
    double deepest = 0;
    sweep(a, b, tool, [&](std::size_t index, double z) { deepest = std::max(deepest, top_[index] - z); });
    return deepest;
}

}  // namespace zorvan::preview::stock
