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

namespace {

// The x-range of the points on a row within `radius` of the segment from a to b: the hull of
// its end discs' ranges and its side band's. A piece shorter than the radius takes, with one root,
// a range a little wider: the radius's reach at the row's distance from the piece's y-extent,
// round its x-extent.
class RowReach {
public:
    RowReach(const double a[3], const double b[3], double radius)
        : ax_(a[0]), ay_(a[1]), bx_(b[0]), by_(b[1]), r2_(radius * radius)
    {
        const double ux = bx_ - ax_, uy = by_ - ay_;
        length2_ = ux * ux + uy * uy;
        short_ = length2_ <= r2_;
        side_ = radius * std::sqrt(length2_);
    }
    bool along(double y, double& lo, double& hi) const
    {
        lo = HUGE_VAL, hi = -HUGE_VAL;
        if (short_) {
            const double gap = std::max({0.0, std::min(ay_, by_) - y, y - std::max(ay_, by_)});
            if (gap * gap > r2_)
                return false;
            const double half = std::sqrt(r2_ - gap * gap);
            lo = std::min(ax_, bx_) - half, hi = std::max(ax_, bx_) + half;
            return true;
        }
        disc(ax_, ay_, y, lo, hi);
        disc(bx_, by_, y, lo, hi);
        // Points whose projection falls on the segment and whose distance from its line is at
        // most the radius: 0 <= (x - ax) ux + qy uy <= L² and |(x - ax) uy - qy ux| <= r L.
        const double ux = bx_ - ax_, uy = by_ - ay_, qy = y - ay_;
        double from = -HUGE_VAL, to = HUGE_VAL;
        within(ux, qy * uy, 0, length2_, from, to);
        within(uy, -qy * ux, -side_, side_, from, to);
        if (from <= to)
            lo = std::min(lo, from), hi = std::max(hi, to);
        return lo <= hi;
    }

private:
    void disc(double cx, double cy, double y, double& lo, double& hi) const
    {
        const double dy = y - cy;
        if (dy * dy <= r2_) {
            const double half = std::sqrt(r2_ - dy * dy);
            lo = std::min(lo, cx - half), hi = std::max(hi, cx + half);
        }
    }
    // Narrows [from, to] to the x with low <= slope (x - ax) + offset <= high.
    void within(double slope, double offset, double low, double high, double& from, double& to) const
    {
        if (slope == 0) {
            if (offset < low || offset > high)
                from = HUGE_VAL;
            return;
        }
        double x1 = ax_ + (low - offset) / slope, x2 = ax_ + (high - offset) / slope;
        if (x1 > x2)
            std::swap(x1, x2);
        from = std::max(from, x1), to = std::min(to, x2);
    }

    double ax_, ay_, bx_, by_, r2_, length2_ = 0, side_ = 0;
    bool short_ = true;
};

// Tells, without taking a root, when the tool's edge at a column certainly stays at or above the
// column's top: by `margin` more than the rounding of the edge's height, so that leaving the
// column out changes nothing.
class EdgeTest {
public:
    EdgeTest(const ToolShape& tool, double margin) : margin_(margin)
    {
        // A ball's edge: tip + R - sqrt(R² - d²) >= top + margin, squared. Edges that never dip
        // under the tip are bounded by the tip (R = 0); the others by nothing.
        if (tool.kind == ToolKind::Ball && tool.cornerRadius > 0)
            ball_ = tool.cornerRadius;
        else if (!(tool.kind == ToolKind::Flat || (tool.kind == ToolKind::BullNose && tool.cornerRadius >= 0) ||
                   (tool.kind == ToolKind::Drill && tool.pointAngle > 0 && tool.pointAngle < 180)))
            margin_ = HUGE_VAL;
    }
    bool above(double tip, double distance2, double top) const
    {
        const double reach = tip + ball_ - top - margin_;
        return reach >= 0 && ball_ * ball_ - distance2 <= reach * reach;
    }

private:
    double margin_;
    double ball_ = 0;
};

}  // namespace

bool HeightField::Trail::continuedBy(const double start[3], const ToolShape& next, RowShare share) const
{
    return valid && (shares == 1 || shares == share.count) && std::equal(end, end + 3, start) &&
           tool.kind == next.kind && tool.diameter == next.diameter && tool.cornerRadius == next.cornerRadius &&
           tool.pointAngle == next.pointAngle;
}

// A straight piece whose height changes little: the edge over a column is taken where the
// tool's axis passes nearest the column, or where the tool stands at the piece's lower end when
// that is deeper. Both are places the tool passes, so it never cuts more than the tool does, and
// at the ends it cuts exactly what the tool standing there cuts.
template <typename Visit>
void HeightField::sweepPiece(const double a[3], const double b[3], const ToolShape& tool, Visit&& visit,
                             RowShare share, const Trail& trail) const
{
    // A tool narrower than a column, or of unknown size, reaches at least the centres of the
    // columns its axis passes over: wherever the axis stands, some centre lies within half a
    // column's diagonal. Out there the tool is taken at its tip, the depth it reaches in the
    // columns it stands in.
    const double toolRadius = tool.diameter > 0 ? tool.radius() : 0;
    const double radius = std::max(toolRadius, cell_ * kHalfDiagonal);
    const double toolR2 = toolRadius * toolRadius;
    const double ux = b[0] - a[0], uy = b[1] - a[1], uz = b[2] - a[2];
    const double length2 = ux * ux + uy * uy;
    const double r2 = radius * radius;
    const double* low = uz < 0 ? b : a;
    // A ball's edge rises at least d² / 2r at distance d: columns whose top is under that bound
    // are left before any root is taken.
    const double lowest = std::min(a[2], b[2]);
    const double riseBound =
        tool.kind == ToolKind::Ball && tool.cornerRadius > 0 && radius == toolRadius ? 0.5 / tool.cornerRadius : 0;
    const double inverseCell = 1 / cell_;
    // The column or row whose centre is last at or before v, in [-1, count] (-1 for NaN).
    const auto cellOf = [&](double v, int axis, int count) {
        const double index = (v - box_.min[axis]) * inverseCell - 0.5;
        if (!(index >= -1))
            return -1;
        if (index >= count)
            return count;
        const int truncated = static_cast<int>(index);
        return truncated - (truncated > index);
    };
    const int i0 = std::max(0, cellOf(std::min(a[0], b[0]) - radius, 0, nx_));
    const int i1 = std::min(nx_ - 1, cellOf(std::max(a[0], b[0]) + radius, 0, nx_) + 1);
    const int j0 = std::max(0, cellOf(std::min(a[1], b[1]) - radius, 1, ny_));
    const int j1 = std::min(ny_ - 1, cellOf(std::max(a[1], b[1]) + radius, 1, ny_) + 1);
    // When the piece goes on from where the last cut piece ended, the columns behind its start are
    // no higher than the tool standing at the start cuts, and where the piece's edge there
    // certainly is no lower, they are passed by: the columns whose projection on the piece,
    // qx * ux + qy * uy, is at most `behind`. Rising or level, the edge behind the start is the
    // tool standing there; a ball going down by `drop` stands higher behind the start than there
    // from (2 s L + L²) / 2R >= drop on, s the distance behind and L the piece's length.
    double behind = -HUGE_VAL;
    const double inverseUx = ux != 0 ? 1 / ux : 0;
    if (length2 > 0 && trail.continuedBy(a, tool, share)) {
        const double drop = -uz;
        if (drop <= 0) {
            behind = 0;
        } else if (tool.kind == ToolKind::Ball && tool.cornerRadius >= radius) {
            const double length = std::sqrt(length2);
            const double margin = 1e-9 * (1 + tool.cornerRadius);
            behind = -std::max(0.0, (2 * tool.cornerRadius * (drop + margin) - length2) / (2 * length)) * length;
        }
    }
    // Rising from where the last piece ended, the tool standing at the lower end cuts nothing new.
    const bool lowMatters = uz != 0 && !(uz > 0 && behind == 0);
    const RowReach reach(a, b, radius);
    // Far more than the rounding of an edge's height, far less than anything a column shows.
    const EdgeTest edge(tool, 1e-9 + 1e-12 * (std::abs(a[2]) + std::abs(b[2]) + std::abs(box_.min[2]) +
                                               std::abs(box_.max[2]) + radius));
    // The first column whose centre is at or after x, and the last one at or before x (a hair
    // wider, so that rounding never leaves out a column on the edge).
    const auto firstAfter = [&](double x) { return cellOf(x - 1e-9 * cell_, 0, nx_) + 1; };
    const auto lastBefore = [&](double x) { return cellOf(x + 1e-9 * cell_, 0, nx_); };
    // Columns are first sorted out without a division, by a test a little wider than the exact one.
    const double inverseLength2 = length2 > 0 ? 1 / length2 : 0;
    const double looseR2 = r2 * (1 + 1e-12) + 1e-12;
    const double looseLowest = lowest - 1e-12 * (1 + r2);
    const int firstRow = j0 + ((share.index - j0) % share.count + share.count) % share.count;
    for (int j = firstRow; j <= j1; j += share.count) {
        const double qy = centreY(j) - a[1];
        double lo = 0, hi = 0;
        if (!reach.along(centreY(j), lo, hi))
            continue;
        if (behind > -HUGE_VAL) {
            // Along the row, the projection grows with x by ux.
            const double edgeX = a[0] + (behind - qy * uy) * inverseUx;
            if (ux > 0)
                lo = std::max(lo, edgeX);
            else if (ux < 0)
                hi = std::min(hi, edgeX);
            else if (qy * uy <= behind)
                continue;
        }
        const int from = std::max(i0, firstAfter(lo)), to = std::min(i1, lastBefore(hi));
        work_[static_cast<std::size_t>(share.index)] += static_cast<std::uint64_t>(std::max(0, to - from + 1)) + 1;
        const double across = qy * uy;
        const std::size_t rowStart = static_cast<std::size_t>(j) * nx_;
        // Whether the edge may reach down into column i: a test a little wider than the exact one,
        // without a division.
        const auto mayCut = [&](int i) {
            const double qx = centreX(i) - a[0];
            const double t = std::min(1.0, std::max(0.0, (qx * ux + across) * inverseLength2));
            const double dx = qx - t * ux, dy = qy - t * uy;
            const double d2 = dx * dx + dy * dy;
            return (d2 <= looseR2) & (top_[rowStart + i] > looseLowest + d2 * riseBound);
        };
        const auto cutColumn = [&](int i) {
            const std::size_t index = rowStart + i;
            const double qx = centreX(i) - a[0];
            const double guess = (qx * ux + across) * inverseLength2;
            // Clear of the ends the division is left out: the projection's side is certain.
            const double t = guess < -1e-9 || !(length2 > 0) ? 0
                             : guess > 1 + 1e-9    ? 1
                                                   : std::clamp((qx * ux + across) / length2, 0.0, 1.0);
            const double dx = qx - t * ux, dy = qy - t * uy;
            const double d2 = dx * dx + dy * dy;
            if (d2 > r2)
                return;
            // Roots are taken only for the edges that may come under the top.
            const double top = top_[index];
            const double base = a[2] + t * uz;
            const double toolD2 = d2 <= toolR2 ? d2 : 0;
            double z = edge.above(base, toolD2, top) ? HUGE_VAL : base + tool.riseFromSquare(toolD2);
            // Where the nearest place is the lower end, the two are the same.
            if (lowMatters && !(uz < 0 && t == 1)) {
                const double lx = centreX(i) - low[0], ly = centreY(j) - low[1];
                const double l2 = lx * lx + ly * ly;
                const double lowD2 = l2 <= toolR2 ? l2 : 0;
                if (l2 <= r2 && !edge.above(low[2], lowD2, top))
                    z = std::min(z, low[2] + tool.riseFromSquare(lowD2));
            }
            if (z == HUGE_VAL)
                return;
            visit(index, z);
        };
        // A row whose highest column stays under the bound at the row's least distance from the
        // piece is left at once; most of the rows a pass goes over again are.
        if (riseBound > 0 && from <= to) {
            const double gap = std::max({0.0, std::min(a[1], b[1]) - centreY(j), centreY(j) - std::max(a[1], b[1])});
            float highest = top_[rowStart + from];
            for (int i = from + 1; i <= to; ++i)
                highest = std::max(highest, top_[rowStart + i]);
            if (highest <= looseLowest + gap * gap * (1 - 1e-12) * riseBound)
                continue;
        }
        for (int i = from; i <= to; ++i)
            if (mayCut(i))
                cutColumn(i);
    }
}

template <typename Visit>
void HeightField::sweep(const double a[3], const double b[3], const ToolShape& tool, Visit&& visit, RowShare share,
                        Trail& trail, bool cuts) const
{
    if (top_.empty() || std::min(a[2], b[2]) >= box_.max[2])
        return;
    const double dx = b[0] - a[0], dy = b[1] - a[1];
    // Straight down or up: the tool's deepest place, exactly.
    if (dx * dx + dy * dy < 1e-18) {
        const double low[3] = {a[0], a[1], std::min(a[2], b[2])};
        sweepPiece(low, low, tool, visit, share, trail);
        if (cuts)
            trail = {true, {low[0], low[1], low[2]}, tool, share.count};
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
        // The last piece ends exactly at the end, where the next move takes up the trail.
        const double f = static_cast<double>(k) / pieces;
        double to[3] = {start[0] + f * sx, start[1] + f * sy, start[2] + f * sz};
        if (k == pieces)
            std::copy(end, end + 3, to);
        sweepPiece(from, to, tool, visit, share, trail);
        if (cuts)
            trail = {true, {to[0], to[1], to[2]}, tool, share.count};
        std::copy(to, to + 3, from);
        if (outOfWork(share))
            return;
    }
}

void HeightField::cut(const double a[3], const double b[3], const ToolShape& tool)
{
    cut(a, b, tool, RowShare{});
}

double HeightField::deepestHit(const double a[3], const double b[3], const ToolShape& tool) const
{
    return deepestHit(a, b, tool, RowShare{});
}

void HeightField::cut(const double a[3], const double b[3], const ToolShape& tool, RowShare share)
{
    const float bottom = static_cast<float>(box_.min[2]);
    Trail& trail = trails_[static_cast<std::size_t>(share.index)];
    sweep(
        a, b, tool,
        [&](std::size_t index, double z) {
            const float edge = std::max(bottom, static_cast<float>(z));
            if (edge < top_[index])
                top_[index] = edge;
        },
        share, trail, true);
    // A cut of all rows leaves the trails of shares behind.
    if (share.count == 1)
        for (std::size_t k = 1; k < trails_.size(); ++k)
            trails_[k].valid = false;
}

double HeightField::deepestHit(const double a[3], const double b[3], const ToolShape& tool, RowShare share) const
{
    double deepest = 0;
    // The material of a column lies between the stock's bottom and its top: below the bottom, and
    // in a column cut through, there is none.
    const double bottom = box_.min[2];
    Trail trail = trails_[static_cast<std::size_t>(share.index)];
    sweep(
        a, b, tool,
        [&](std::size_t index, double z) { deepest = std::max(deepest, top_[index] - std::max(z, bottom)); }, share,
        trail, false);
    return deepest;
}

std::uint64_t HeightField::work() const
{
    std::uint64_t total = 0;
    for (std::uint64_t w : work_)
        total += w;
    return total;
}

int HeightField::rowAt(double y) const
{
    const double j = std::floor((y - box_.min[1]) / cell_);
    return j >= 0 && j < ny_ ? static_cast<int>(j) : -1;
}

}  // namespace zorvan::preview::stock
