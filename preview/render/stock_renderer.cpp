#include "preview/render/stock_renderer.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace zorvan::preview {

using stock::HeightField;

namespace {

struct Vec {
    double x, y, z;
};
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator*(double k, Vec a) { return {k * a.x, k * a.y, k * a.z}; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec unit(Vec a)
{
    const double n = std::sqrt(dot(a, a));
    return n > 0 ? (1 / n) * a : a;
}

// The direction towards the viewer and the picture's right and up, in program coordinates.
struct Axes {
    Vec toViewer, right, up;
};
Axes viewAxes(View view)
{
    switch (view) {
    case View::Top: return {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}};
    case View::Front: return {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}};
    case View::Side: return {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    case View::Iso: return {unit({1, -1, 1}), unit({1, 1, 0}), unit({-0.5, 0.5, 1})};
    }
    return {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}};
}

// Flat-shaded triangles into an image with a depth buffer (smaller depth is nearer).
class Rasteriser {
public:
    Rasteriser(QImage& image, const ViewTransform& t, double zLow, double zHigh)
        : image_(image), t_(t), axes_(viewAxes(t.view)), depth_(static_cast<std::size_t>(image.width()) * image.height(),
                                                                 std::numeric_limits<float>::infinity()),
          zLow_(zLow), zSpan_(std::max(zHigh - zLow, 1e-9))
    {
        light_ = unit(axes_.toViewer + 0.6 * axes_.up + (-0.4) * axes_.right);
    }

    // A vertex in the picture: pixel position and depth.
    struct Point {
        double x, y, depth;
    };
    Point project(Vec v) const
    {
        const QPointF p = t_.toPixel(v.x, v.y, v.z);
        return {p.x(), p.y(), -dot(v, axes_.toViewer)};
    }

    void triangle(Vec a, Vec b, Vec c) { triangle(a, b, c, project(a), project(b), project(c)); }
    // The triangle a, b, c, already projected to pa, pb, pc.
    void triangle(Vec a, Vec b, Vec c, const Point& pa, const Point& pb, const Point& pc)
    {
        // Bounds checked in floating point first: a deeply zoomed view puts vertices far outside
        // any int, and a NaN fails every comparison.
        const double left = std::min({pa.x, pb.x, pc.x}), right = std::max({pa.x, pb.x, pc.x});
        const double top = std::min({pa.y, pb.y, pc.y}), bottom = std::max({pa.y, pb.y, pc.y});
        if (!(right >= 0 && left < image_.width() && bottom >= 0 && top < image_.height()))
            return;
        const int x0 = static_cast<int>(std::max(0.0, std::floor(left)));
        const int x1 = static_cast<int>(std::min(image_.width() - 1.0, std::ceil(right)));
        const int y0 = static_cast<int>(std::max(0.0, std::floor(top)));
        const int y1 = static_cast<int>(std::min(image_.height() - 1.0, std::ceil(bottom)));
        if (x0 > x1 || y0 > y1)
            return;
        const double area = (pb.x - pa.x) * (pc.y - pa.y) - (pb.y - pa.y) * (pc.x - pa.x);
        if (std::abs(area) < 1e-12)
            return;
        const QRgb colour = shade(a, b, c);
        for (int y = y0; y <= y1; ++y) {
            auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
            float* depthRow = depth_.data() + static_cast<std::size_t>(y) * image_.width();
            const double py = y + 0.5;
            for (int x = x0; x <= x1; ++x) {
                const double px = x + 0.5;
                const double wa = ((pb.x - px) * (pc.y - py) - (pb.y - py) * (pc.x - px)) / area;
                const double wb = ((pc.x - px) * (pa.y - py) - (pc.y - py) * (pa.x - px)) / area;
                const double wc = 1 - wa - wb;
                constexpr double kEdge = -1e-9;  // pixels on a shared edge belong to both triangles
                if (wa < kEdge || wb < kEdge || wc < kEdge)
                    continue;
                const auto d = static_cast<float>(wa * pa.depth + wb * pb.depth + wc * pc.depth);
                if (d < depthRow[x]) {
                    depthRow[x] = d;
                    row[x] = colour;
                }
            }
        }
    }

private:
    // Lit from over the viewer's left shoulder, both faces alike; lower material a little darker,
    // so floors read apart from the top in the top view.
    QRgb shade(Vec a, Vec b, Vec c) const
    {
        Vec n = unit(cross(b - a, c - a));
        if (dot(n, axes_.toViewer) < 0)
            n = -1.0 * n;
        const double light = 0.35 + 0.65 * std::max(0.0, dot(n, light_));
        const double height = ((a.z + b.z + c.z) / 3 - zLow_) / zSpan_;
        const double k = light * (0.72 + 0.28 * std::clamp(height, 0.0, 1.0));
        const QColor base = stockColour();
        return qRgb(static_cast<int>(base.red() * k), static_cast<int>(base.green() * k), static_cast<int>(base.blue() * k));
    }

    QImage& image_;
    const ViewTransform& t_;
    Axes axes_;
    Vec light_{};
    std::vector<float> depth_;
    double zLow_, zSpan_;
};

// Which X of a strip of the field between two Y can show in the picture, from the view's inverse:
// top X/Y, front X (and any Y), side Y (and any X), iso X+Y and Y-X (over the stock's Z span).
class VisibleSpan {
public:
    VisibleSpan(const ViewTransform& t, double zLow, double zHigh, double margin)
        : view_(t.view), zLow_(zLow), zHigh_(zHigh), margin_(margin)
    {
        const double halfW = t.size.width() / 2.0 / t.scale, halfH = t.size.height() / 2.0 / t.scale;
        u0_ = t.centreU - halfW, u1_ = t.centreU + halfW, v0_ = t.centreV - halfH, v1_ = t.centreV + halfH;
    }
    bool xRange(double yA, double yB, double& low, double& high) const
    {
        constexpr double kCos30 = 0.86602540378443865;
        const double inf = std::numeric_limits<double>::infinity();
        const double yLow = std::min(yA, yB) - margin_, yHigh = std::max(yA, yB) + margin_;
        low = -inf, high = inf;
        switch (view_) {
        case View::Top:
            if (yHigh < v0_ || yLow > v1_)
                return false;
            low = u0_, high = u1_;
            break;
        case View::Front: low = u0_, high = u1_; break;
        case View::Side: return !(yHigh < u0_ || yLow > u1_);
        case View::Iso:
            // u = (x + y) cos 30, v = z + (y - x) / 2
            low = std::max(u0_ / kCos30 - yHigh, yLow - 2 * (v1_ - zLow_));
            high = std::min(u1_ / kCos30 - yLow, yHigh - 2 * (v0_ - zHigh_));
            break;
        }
        low -= margin_, high += margin_;
        return low <= high;
    }

private:
    View view_;
    double zLow_, zHigh_, margin_;
    double u0_, u1_, v0_, v1_;
};

}  // namespace

QColor stockColour()
{
    return {214, 190, 150};
}

Box3 stockExtents(const HeightField& field)
{
    Box3 box;
    if (field.columns() > 0) {
        box.add(field.box().min[0], field.box().min[1], field.box().min[2]);
        box.add(field.box().max[0], field.box().max[1], field.box().max[2]);
    }
    return box;
}

QImage renderStock(const HeightField& field, const ViewTransform& t, QColor background, const std::atomic<bool>* cancel)
{
    QImage image(t.size, QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    const int nx = field.columns(), ny = field.rows();
    if (nx <= 0 || ny <= 0)
        return image;
    // Blocks of step x step columns, each about two pixels or more wide.
    const double cellPixels = field.cellSize() * t.scale;
    const int step = std::clamp(static_cast<int>(std::ceil(2.0 / std::max(cellPixels, 1e-9))), 1, std::max(nx, ny));
    const int mx = (nx + step - 1) / step, my = (ny + step - 1) / step;
    std::vector<float> tops(static_cast<std::size_t>(mx) * my, std::numeric_limits<float>::infinity());
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i) {
            float& top = tops[static_cast<std::size_t>(j / step) * mx + i / step];
            top = std::min(top, field.top(i, j));
        }
    const stock::StockBox& box = field.box();
    // Vertices at the blocks' centres; the outer ones on the box's edges, so the stock keeps its size.
    const auto vx = [&](int bi) {
        return bi == 0 ? box.min[0] : bi == mx - 1 ? box.max[0] : box.min[0] + (bi * step + step / 2.0) * field.cellSize();
    };
    const auto vy = [&](int bj) {
        return bj == 0 ? box.min[1] : bj == my - 1 ? box.max[1] : box.min[1] + (bj * step + step / 2.0) * field.cellSize();
    };
    const auto vertex = [&](int bi, int bj) { return Vec{vx(bi), vy(bj), tops[static_cast<std::size_t>(bj) * mx + bi]}; };
    const auto floorOf = [&](Vec v) { return Vec{v.x, v.y, box.min[2]}; };

    Rasteriser raster(image, t, box.min[2], box.max[2]);
    const auto quad = [&](Vec a, Vec b, Vec c, Vec d) {
        raster.triangle(a, b, c);
        raster.triangle(a, c, d);
    };
    if (mx == 1 || my == 1) {  // a stock one block wide: a flat slab at its lowest top
        const float top = *std::min_element(tops.begin(), tops.end());
        const Vec a{box.min[0], box.min[1], top}, b{box.max[0], box.min[1], top}, c{box.max[0], box.max[1], top},
            d{box.min[0], box.max[1], top};
        quad(a, b, c, d);
        quad(a, b, floorOf(b), floorOf(a));
        quad(b, c, floorOf(c), floorOf(b));
        quad(c, d, floorOf(d), floorOf(c));
        quad(d, a, floorOf(a), floorOf(d));
        return image;
    }
    // Only the blocks that can reach the picture: a zoomed view skips most of the field.
    const VisibleSpan visible(t, box.min[2], box.max[2], step * field.cellSize());
    // The block holding x, clamped to the field before the conversion (x may be infinite).
    const auto blockOf = [&](double x) {
        return static_cast<int>(std::clamp(std::floor((x - box.min[0]) / field.cellSize() / step), -1.0, double(mx)));
    };
    std::vector<Vec> world[2] = {std::vector<Vec>(mx), std::vector<Vec>(mx)};
    std::vector<Rasteriser::Point> picture[2] = {std::vector<Rasteriser::Point>(mx), std::vector<Rasteriser::Point>(mx)};
    for (int bj = 0; bj + 1 < my; ++bj) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return {};
        double xLow, xHigh;
        if (!visible.xRange(vy(bj), vy(bj + 1), xLow, xHigh))
            continue;
        const int from = std::max(0, blockOf(xLow) - 1), to = std::min(mx - 1, blockOf(xHigh) + 2);
        for (int row = 0; row < 2; ++row)
            for (int bi = from; bi <= to; ++bi) {
                world[row][bi] = vertex(bi, bj + row);
                picture[row][bi] = raster.project(world[row][bi]);
            }
        const Vec *w0 = world[0].data(), *w1 = world[1].data();
        const Rasteriser::Point *p0 = picture[0].data(), *p1 = picture[1].data();
        for (int bi = from; bi < to; ++bi) {
            raster.triangle(w0[bi], w0[bi + 1], w1[bi + 1], p0[bi], p0[bi + 1], p1[bi + 1]);
            raster.triangle(w0[bi], w1[bi + 1], w1[bi], p0[bi], p1[bi + 1], p1[bi]);
        }
    }
    // The stock's four sides, down to its bottom.
    for (int bi = 0; bi + 1 < mx; ++bi) {
        quad(vertex(bi, 0), vertex(bi + 1, 0), floorOf(vertex(bi + 1, 0)), floorOf(vertex(bi, 0)));
        quad(vertex(bi, my - 1), vertex(bi + 1, my - 1), floorOf(vertex(bi + 1, my - 1)), floorOf(vertex(bi, my - 1)));
    }
    for (int bj = 0; bj + 1 < my; ++bj) {
        quad(vertex(0, bj), vertex(0, bj + 1), floorOf(vertex(0, bj + 1)), floorOf(vertex(0, bj)));
        quad(vertex(mx - 1, bj), vertex(mx - 1, bj + 1), floorOf(vertex(mx - 1, bj + 1)), floorOf(vertex(mx - 1, bj)));
    }
    return image;
}

void drawHitMarks(QPainter& painter, const std::vector<stock::HitMark>& marks, const ViewTransform& t)
{
    const QColor red(220, 20, 20);
    painter.save();
    painter.setBrush(Qt::NoBrush);
    for (const stock::HitMark& mark : marks) {
        const QPointF from = t.toPixel(mark.from[0], mark.from[1], mark.from[2]);
        const QPointF to = t.toPixel(mark.to[0], mark.to[1], mark.to[2]);
        painter.setPen(QPen(red, 3, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(from, to);
        painter.setPen(QPen(red, 2));
        painter.drawEllipse(to, 6, 6);
    }
    painter.restore();
}

}  // namespace zorvan::preview
