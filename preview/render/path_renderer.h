// Drawing the path into an image: rapids dashed and paler, feeds solid, one colour per tool.
// The lines are plotted straight into the image's pixels (millions of short lines would keep
// QPainter busy for seconds); QPainter draws the hole rings, the legend and the overlay. The
// vertices are kept in chunks with their bounding boxes, so a zoomed picture skips the chunks
// outside it, and segments shorter than a pixel are merged into their neighbours.
#pragma once

#include "preview/logic/toolpath.h"
#include "preview/render/path_view.h"

#include <QColor>
#include <QImage>

#include <atomic>
#include <vector>

class QPainter;

namespace zorvan::preview {

// Bounding boxes of the segments ending at vertices [k * kChunk, (k + 1) * kChunk), and the
// same for pieces of kPiece vertices, so a zoomed picture skips most of what lies outside it.
struct PathChunks {
    static constexpr std::uint32_t kChunk = 512;
    static constexpr std::uint32_t kPiece = 64;
    std::vector<Box3> boxes;
    std::vector<Box3> pieces;
};
PathChunks buildChunks(const Toolpath& path);

QColor toolColour(std::size_t toolIndex);

struct RenderOptions {
    QColor background{250, 250, 248};
    bool legend = true;  // extents and time in the bottom-left corner
};

// The picture of the path; a null image when `cancel` was set on the way.
QImage renderPath(const Toolpath& path, const PathChunks& chunks, const ViewTransform& transform,
                  const RenderOptions& options = {}, const std::atomic<bool>* cancel = nullptr);

// The legend: the span on each axis and the estimated time, in the bottom-left corner.
void drawLegend(QPainter& painter, const Toolpath& path, QSize size);
// The pixels the legend takes from the bottom of the picture with its margin (0 without one).
int legendHeight(const Toolpath& path);

// The colour of the caret line's segments: a bright sky blue of their own, apart from the tools'
// colours and from the red that marks danger (a rapid into the material).
inline const QColor kCaretLineColour{0, 190, 255};

// The segments of `line` drawn thick over the picture, and the tool marker at `vertex`.
void drawLineHighlight(QPainter& painter, const Toolpath& path, const ViewTransform& transform, int line);
void drawToolMarker(QPainter& painter, const Toolpath& path, const ViewTransform& transform, long vertex);

// The vertex ending the segment nearest `pixel` within `tolerance` pixels, or -1.
long segmentAt(const Toolpath& path, const PathChunks& chunks, const ViewTransform& transform, QPointF pixel,
               double tolerance = 5);

}  // namespace zorvan::preview
