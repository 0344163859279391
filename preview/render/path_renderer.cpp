#include "preview/render/path_renderer.h"

#include "preview/logic/shown_number.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace zorvan::preview {

namespace {

// A path that reaches infinity projects to points Qt cannot paint (it warns for each one).
bool isPaintable(QPointF p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

bool isRapid(MoveKind kind)
{
    return kind == MoveKind::Rapid || kind == MoveKind::CycleRapid;
}

// The screen-space box of a chunk: its eight corners projected.
QRectF chunkRect(const Box3& box, const ViewTransform& t)
{
    double minX = INFINITY, maxX = -INFINITY, minY = INFINITY, maxY = -INFINITY;
    for (int corner = 0; corner < 8; ++corner) {
        QPointF p = t.toPixel((corner & 1) ? box.max[0] : box.min[0], (corner & 2) ? box.max[1] : box.min[1],
                              (corner & 4) ? box.max[2] : box.min[2]);
        minX = std::min(minX, p.x()), maxX = std::max(maxX, p.x());
        minY = std::min(minY, p.y()), maxY = std::max(maxY, p.y());
    }
    return QRectF(QPointF(minX, minY), QPointF(maxX, maxY));
}

// Whether a chunk's screen box touches the picture. A box of no width or height (a line along
// one axis, a contour at one depth seen edge-on) counts: QRectF::intersects would say no.
bool touches(const QRectF& box, const QRectF& visible)
{
    return box.left() <= visible.right() && box.right() >= visible.left() && box.top() <= visible.bottom()
        && box.bottom() >= visible.top();
}

// A one-pixel line straight into the picture's pixels (clipped to it): a big program is
// millions of short lines, and this is many times quicker than the painter's general path for
// each. A dashed line (a rapid) only paints over the background, so it never hides a feed.
void plotLine(QImage& image, QPointF a, QPointF b, QRgb colour, bool dashed, QRgb background)
{
    const double w = image.width(), h = image.height();
    double t0 = 0, t1 = 1;
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    // A point at infinity or NaN (a path past the range of floats) has no pixel to go to.
    if (!(std::isfinite(a.x()) && std::isfinite(a.y()) && std::isfinite(dx) && std::isfinite(dy)) || w < 1 || h < 1)
        return;
    // Liang-Barsky clip against [0, w) x [0, h).
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x(), w - 1e-9 - a.x(), a.y(), h - 1e-9 - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, r);
        else
            t1 = std::min(t1, r);
        if (t0 > t1)
            return;
    }
    // The clipped ends kept inside the picture: far from it the sums lose the last pixel.
    auto column = [&](double t) { return static_cast<int>(std::clamp(a.x() + t * dx, 0.0, w - 1)); };
    auto row = [&](double t) { return static_cast<int>(std::clamp(a.y() + t * dy, 0.0, h - 1)); };
    int x0 = column(t0), y0 = row(t0);
    const int x1 = column(t1), y1 = row(t1);
    const int stepX = x0 < x1 ? 1 : -1, stepY = y0 < y1 ? 1 : -1;
    const int spanX = std::abs(x1 - x0), spanY = -std::abs(y1 - y0);
    const qsizetype stride = image.bytesPerLine() / 4;
    QRgb* pixels = reinterpret_cast<QRgb*>(image.bits());
    int error = spanX + spanY;
    for (int step = 0;; ++step) {
        QRgb& pixel = pixels[y0 * stride + x0];
        if (!dashed)
            pixel = colour;
        else if (step % 8 < 5 && pixel == background)
            pixel = colour;
        if (x0 == x1 && y0 == y1)
            return;
        const int twice = 2 * error;
        if (twice >= spanY) {
            error += spanY;
            x0 += stepX;
        }
        if (twice <= spanX) {
            error += spanX;
            y0 += stepY;
        }
    }
}

// Tells, for vertices visited in ascending order, which begin a new piece of the path.
class BreakCursor {
public:
    explicit BreakCursor(const std::vector<std::uint32_t>& breaks) : breaks_(breaks) {}
    bool at(std::size_t v)
    {
        while (next_ < breaks_.size() && breaks_[next_] < v)
            ++next_;
        return next_ < breaks_.size() && breaks_[next_] == v;
    }

private:
    const std::vector<std::uint32_t>& breaks_;
    std::size_t next_ = 0;
};

// The view's projection folded into one affine map from program to pixel coordinates.
struct Projector {
    double cx, xx, xy, xz, cy, yx, yy, yz;
    explicit Projector(const ViewTransform& t)
    {
        const QPointF o = t.toPixel(0, 0, 0), ex = t.toPixel(1, 0, 0), ey = t.toPixel(0, 1, 0), ez = t.toPixel(0, 0, 1);
        cx = o.x(), xx = ex.x() - o.x(), xy = ey.x() - o.x(), xz = ez.x() - o.x();
        cy = o.y(), yx = ex.y() - o.y(), yy = ey.y() - o.y(), yz = ez.y() - o.y();
    }
    QPointF operator()(double x, double y, double z) const
    {
        return {cx + xx * x + xy * y + xz * z, cy + yx * x + yy * y + yz * z};
    }
};

// Which style last painted each pixel, so that a short segment over pixels already painted in
// its own style can be left out: in a dense region most of a big program's segments are.
class CoverageMap {
public:
    explicit CoverageMap(QSize size) : width_(size.width()), height_(size.height()), styles_(static_cast<std::size_t>(width_) * height_, kNone) {}

    // True when every pixel along the segment (at most kShort long) was painted in `style`.
    bool covered(QPointF a, QPointF b, int style) const
    {
        const std::uint8_t s = code(style);
        bool all = true;
        walk(a, b, kShort, [&](std::size_t at) { all = all && styles_[at] == s; }, all);
        return all;
    }
    void paint(QPointF a, QPointF b, int style)
    {
        const std::uint8_t s = code(style);
        bool inside = true;
        walk(a, b, kLongest, [&](std::size_t at) { styles_[at] = s; }, inside);
    }

private:
    static constexpr std::uint8_t kNone = 0xff;
    static constexpr int kShort = 6, kLongest = 4096;
    static std::uint8_t code(int style) { return static_cast<std::uint8_t>(std::min(style, 254)); }

    // Visits the pixel of each one-pixel step from a to b; `ok` turns false when the segment is
    // longer than `limit` or leaves the picture.
    template <typename Visit> void walk(QPointF a, QPointF b, int limit, Visit&& visit, bool& ok) const
    {
        const double dx = b.x() - a.x(), dy = b.y() - a.y();
        const double length = std::max(std::fabs(dx), std::fabs(dy));
        if (!(length <= limit)) {
            ok = false;
            return;
        }
        const int steps = static_cast<int>(length) + 1;
        const double stepX = dx / steps, stepY = dy / steps;
        double x = a.x(), y = a.y();
        for (int i = 0; i <= steps; ++i, x += stepX, y += stepY) {
            if (!(x >= 0 && y >= 0 && x < width_ && y < height_)) {
                ok = false;
                return;
            }
            visit(static_cast<std::size_t>(static_cast<int>(y)) * width_ + static_cast<int>(x));
            if (!ok)
                return;
        }
    }

    int width_, height_;
    std::vector<std::uint8_t> styles_;
};

}  // namespace

QColor toolColour(std::size_t toolIndex)
{
    static const QColor palette[] = {{30, 90, 200},  {0, 140, 70},  {210, 110, 0}, {140, 50, 170},
                                     {0, 140, 160},  {190, 30, 60}, {120, 90, 40}, {200, 40, 160}};
    return palette[toolIndex % std::size(palette)];
}

PathChunks buildChunks(const Toolpath& path)
{
    PathChunks chunks;
    const std::size_t n = path.vertexCount();
    chunks.pieces.resize((n + PathChunks::kPiece - 1) / PathChunks::kPiece);
    for (std::size_t c = 0; c < chunks.pieces.size(); ++c) {
        Box3& box = chunks.pieces[c];
        const std::size_t from = c * PathChunks::kPiece, to = std::min(n, from + PathChunks::kPiece);
        for (std::size_t v = from == 0 ? 0 : from - 1; v < to; ++v)
            box.add(path.x[v], path.y[v], path.z[v]);
    }
    constexpr std::size_t kPiecesPerChunk = PathChunks::kChunk / PathChunks::kPiece;
    chunks.boxes.resize((chunks.pieces.size() + kPiecesPerChunk - 1) / kPiecesPerChunk);
    for (std::size_t p = 0; p < chunks.pieces.size(); ++p)
        chunks.boxes[p / kPiecesPerChunk].add(chunks.pieces[p]);
    return chunks;
}

QImage renderPath(const Toolpath& path, const PathChunks& chunks, const ViewTransform& t, const RenderOptions& options,
                  const std::atomic<bool>* cancel)
{
    QImage image(t.size, QImage::Format_ARGB32_Premultiplied);
    image.fill(options.background);
    {
        CoverageMap coverage(t.size);
        const Projector project(t);
        // Seen from the top a drilled hole has no length: it gets a ring, once per pixel.
        std::vector<std::pair<QPointF, int>> holes;
        constexpr int kHoleStyle = 253;
        constexpr std::size_t kMostHoles = 100000;
        auto hole = [&](QPointF at, int style) {
            if (t.view != View::Top || holes.size() >= kMostHoles || !isPaintable(at)
                || coverage.covered(at, at, kHoleStyle))
                return;
            coverage.paint(at, at, kHoleStyle);
            holes.emplace_back(at, style >> 1);
        };
        const QRgb background = image.pixel(0, 0);
        // Per style (tool * 2 + rapid): feeds in the tool's colour, rapids paler and dashed.
        std::vector<QRgb> colours;
        auto draw = [&](QPointF from, QPointF to, int style) {
            while (colours.size() <= static_cast<std::size_t>(style)) {
                const QColor tool = toolColour(colours.size() / 2);
                const bool rapid = colours.size() % 2;
                const QColor c = rapid ? QColor((tool.red() + 2 * options.background.red()) / 3,
                                                (tool.green() + 2 * options.background.green()) / 3,
                                                (tool.blue() + 2 * options.background.blue()) / 3)
                                       : tool;
                colours.push_back(c.rgba());
            }
            plotLine(image, from, to, colours[static_cast<std::size_t>(style)], style & 1, background);
        };
        const QRectF visible = QRectF(QPointF(0, 0), QSizeF(t.size)).adjusted(-2, -2, 2, 2);
        // The segments ending at vertices [from, to), drawn from `anchor` on.
        QPointF anchor, pending;
        bool hasPending = false;
        int pendingStyle = -1;
        auto flushPending = [&] {
            if (hasPending)
                draw(anchor, pending, pendingStyle);
            hasPending = false;
        };
        BreakCursor breaks(path.breaks);
        auto drawPiece = [&](std::size_t from, std::size_t to) {
            for (std::size_t v = from; v < to; ++v) {
                const int style = (static_cast<int>(path.tool[v]) << 1) | (isRapid(path.kind[v]) ? 1 : 0);
                const QPointF p = project(path.x[v], path.y[v], path.z[v]);
                if (breaks.at(v)) {  // no segment comes here: a new piece starts
                    flushPending();
                    anchor = p;
                    pendingStyle = style;
                    continue;
                }
                if ((p.x() < visible.left() && anchor.x() < visible.left())
                    || (p.x() > visible.right() && anchor.x() > visible.right())
                    || (p.y() < visible.top() && anchor.y() < visible.top())
                    || (p.y() > visible.bottom() && anchor.y() > visible.bottom())) {
                    flushPending();
                    anchor = p;  // wholly outside the picture
                    pendingStyle = style;
                    continue;
                }
                if (path.kind[v] == MoveKind::CycleFeed && path.kind[v - 1] == MoveKind::CycleRapid)
                    hole(p, style);
                if (style == pendingStyle || !hasPending) {
                    if (std::fabs(p.x() - anchor.x()) < 1 && std::fabs(p.y() - anchor.y()) < 1) {
                        pending = p;
                        hasPending = true;
                        pendingStyle = style;
                        continue;  // under a pixel: merged into the next segment of this style
                    }
                }
                if (hasPending && pendingStyle != style) {
                    draw(anchor, pending, pendingStyle);
                    anchor = pending;
                }
                draw(anchor, p, style);
                anchor = p;
                hasPending = false;
                pendingStyle = style;
            }
        };
        bool hasAnchor = false;  // `anchor` is the vertex before the next piece
        for (std::size_t c = 0; c < chunks.boxes.size(); ++c) {
            if (cancel && cancel->load(std::memory_order_relaxed))
                return {};
            if (!touches(chunkRect(chunks.boxes[c], t), visible)) {
                flushPending();
                hasAnchor = false;
                continue;
            }
            const std::size_t chunkTo = std::min(path.vertexCount(), (c + 1) * PathChunks::kChunk);
            for (std::size_t from = std::max<std::size_t>(1, c * PathChunks::kChunk); from < chunkTo;) {
                const std::size_t to = std::min(chunkTo, (from / PathChunks::kPiece + 1) * PathChunks::kPiece);
                if (!touches(chunkRect(chunks.pieces[from / PathChunks::kPiece], t), visible)) {
                    flushPending();
                    hasAnchor = false;
                } else {
                    if (!hasAnchor)
                        anchor = project(path.x[from - 1], path.y[from - 1], path.z[from - 1]);
                    hasAnchor = true;
                    drawPiece(from, to);
                }
                from = to;
            }
        }
        flushPending();
        QPainter painter(&image);
        painter.setBrush(Qt::NoBrush);
        for (const auto& [at, tool] : holes) {
            painter.setPen(QPen(toolColour(static_cast<std::size_t>(tool)), 1.0));
            painter.drawEllipse(at, 3, 3);
        }
        if (options.legend)
            drawLegend(painter, path, t.size);
    }
    return image;
}

namespace {

constexpr int kLegendLines = 4;  // X, Y, Z and the time
constexpr int kLegendMargin = 6;

QFont legendFont(QFont font)
{
    font.setPixelSize(11);
    return font;
}

}  // namespace

int legendHeight(const Toolpath& path)
{
    if (path.extents.empty())
        return 0;
    const QFontMetrics metrics(legendFont(QFont()));
    return 2 * kLegendMargin + kLegendMargin + metrics.height() * kLegendLines;
}

void drawLegend(QPainter& painter, const Toolpath& path, QSize size)
{
    if (path.extents.empty())
        return;
    static const char kAxes[3] = {'X', 'Y', 'Z'};
    QStringList lines;
    for (int i = 0; i < 3; ++i)
        lines << QStringLiteral("%1 %2 … %3")
                     .arg(QChar(kAxes[i]))
                     .arg(QString::fromStdString(shownNumber(path.extents.min[i], 3)))
                     .arg(QString::fromStdString(shownNumber(path.extents.max[i], 3)));
    lines << QStringLiteral("時間 %1").arg(QString::fromStdString(shownDuration(path.minutes)));
    const QFont font = legendFont(painter.font());
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const int lineHeight = metrics.height();
    int width = 0;
    for (const auto& l : lines)
        width = std::max(width, metrics.horizontalAdvance(l));
    const QRect box(6, size.height() - 6 - lineHeight * static_cast<int>(lines.size()) - 6, width + 12,
                    lineHeight * static_cast<int>(lines.size()) + 6);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 210));
    painter.drawRect(box);
    painter.setPen(QColor(40, 40, 40));
    for (int i = 0; i < lines.size(); ++i)
        painter.drawText(box.left() + 6, box.top() + 3 + metrics.ascent() + i * lineHeight, lines[i]);
}

void drawLineHighlight(QPainter& painter, const Toolpath& path, const ViewTransform& t, int line)
{
    QPen pen(kCaretLineColour, 3);
    pen.setCapStyle(Qt::RoundCap);
    painter.setPen(pen);
    std::vector<QLineF> lines;
    for (std::uint32_t r : path.rangesOfLine(line)) {
        for (std::uint32_t v = std::max<std::uint32_t>(1, path.ranges[r].begin); v < path.rangeEnd(r); ++v) {
            if (!path.segmentEndsAt(v))
                continue;
            const QLineF segment(t.toPixel(path.x[v - 1], path.y[v - 1], path.z[v - 1]),
                                 t.toPixel(path.x[v], path.y[v], path.z[v]));
            if (isPaintable(segment.p1()) && isPaintable(segment.p2()))
                lines.push_back(segment);
        }
        if (lines.size() > 100000)
            break;  // a line run very many times: the first runs show where it is
    }
    if (!lines.empty())
        painter.drawLines(lines.data(), static_cast<int>(lines.size()));
}

void drawToolMarker(QPainter& painter, const Toolpath& path, const ViewTransform& t, long vertex)
{
    if (vertex < 0 || static_cast<std::size_t>(vertex) >= path.vertexCount())
        return;
    const QPointF p = t.toPixel(path.x[vertex], path.y[vertex], path.z[vertex]);
    if (!isPaintable(p))
        return;
    painter.setPen(QPen(QColor(20, 20, 20), 1.5));
    painter.setBrush(QColor(255, 200, 0, 200));
    painter.drawEllipse(p, 5, 5);
    painter.drawLine(p - QPointF(9, 0), p + QPointF(9, 0));
    painter.drawLine(p - QPointF(0, 9), p + QPointF(0, 9));
}

long segmentAt(const Toolpath& path, const PathChunks& chunks, const ViewTransform& t, QPointF pixel, double tolerance)
{
    long best = -1;
    double bestDistance = tolerance * tolerance;
    const QRectF around(pixel - QPointF(tolerance, tolerance), pixel + QPointF(tolerance, tolerance));
    BreakCursor breaks(path.breaks);
    for (std::size_t c = 0; c < chunks.boxes.size(); ++c) {
        if (!touches(chunkRect(chunks.boxes[c], t), around))
            continue;
        const std::size_t from = std::max<std::size_t>(1, c * PathChunks::kChunk);
        const std::size_t to = std::min(path.vertexCount(), (c + 1) * PathChunks::kChunk);
        QPointF a = from < to ? t.toPixel(path.x[from - 1], path.y[from - 1], path.z[from - 1]) : QPointF();
        for (std::size_t v = from; v < to; ++v) {
            const QPointF b = t.toPixel(path.x[v], path.y[v], path.z[v]);
            if (breaks.at(v) || (a.x() < around.left() && b.x() < around.left()) || (a.x() > around.right() && b.x() > around.right())
                || (a.y() < around.top() && b.y() < around.top()) || (a.y() > around.bottom() && b.y() > around.bottom())) {
                a = b;
                continue;  // wholly to one side of the pointer
            }
            const QPointF ab = b - a, ap = pixel - a;
            const double length2 = QPointF::dotProduct(ab, ab);
            const double s = length2 > 0 ? std::clamp(QPointF::dotProduct(ap, ab) / length2, 0.0, 1.0) : 0.0;
            const QPointF d = pixel - (a + s * ab);
            const double distance = QPointF::dotProduct(d, d);
            if (distance <= bestDistance) {
                bestDistance = distance;
                best = static_cast<long>(v);
            }
            a = b;
        }
    }
    return best;
}

}  // namespace zorvan::preview
