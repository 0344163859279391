#include "preview/render/path_view.h"

#include <algorithm>
#include <cmath>

namespace zorvan::preview {

std::optional<View> viewFromName(std::string_view name)
{
    if (name == "top")
        return View::Top;
    if (name == "front")
        return View::Front;
    if (name == "side")
        return View::Side;
    if (name == "iso")
        return View::Iso;
    return std::nullopt;
}

const char* viewName(View view)
{
    switch (view) {
    case View::Top: return "top";
    case View::Front: return "front";
    case View::Side: return "side";
    case View::Iso: return "iso";
    }
    return "top";
}

void ViewTransform::zoomAt(QPointF pixel, double factor)
{
    const double u = centreU + (pixel.x() - size.width() / 2.0) / scale;
    const double v = centreV - (pixel.y() - size.height() / 2.0) / scale;
    scale = std::clamp(scale * factor, 1e-9, 1e9);
    centreU = u - (pixel.x() - size.width() / 2.0) / scale;
    centreV = v + (pixel.y() - size.height() / 2.0) / scale;
}

void ViewTransform::panBy(QPointF pixels)
{
    centreU -= pixels.x() / scale;
    centreV += pixels.y() / scale;
}

ViewTransform fitView(const Box3& box, View view, QSize size, int reservedBottom)
{
    ViewTransform t;
    t.view = view;
    t.size = size;
    if (box.empty())
        return t;
    double minU = INFINITY, maxU = -INFINITY, minV = INFINITY, maxV = -INFINITY;
    for (int corner = 0; corner < 8; ++corner) {
        double u, v;
        projectPoint(view, (corner & 1) ? box.max[0] : box.min[0], (corner & 2) ? box.max[1] : box.min[1],
                     (corner & 4) ? box.max[2] : box.min[2], u, v);
        if (!std::isfinite(u) || !std::isfinite(v))
            continue;  // a corner at infinity cannot be shown
        minU = std::min(minU, u), maxU = std::max(maxU, u);
        minV = std::min(minV, v), maxV = std::max(maxV, v);
    }
    if (minU > maxU)
        return t;
    const double spanU = std::max(maxU - minU, 1e-6), spanV = std::max(maxV - minV, 1e-6);
    const int reserved = reservedBottom > 0 && reservedBottom < size.height() / 2 ? reservedBottom : 0;
    const double usableW = std::max(1.0, size.width() * 0.92);
    const double usableH = std::max(1.0, (size.height() - reserved) * 0.92);
    t.scale = std::min(usableW / spanU, usableH / spanV);
    if (maxU - minU < 1e-6 && maxV - minV < 1e-6)
        t.scale = std::min(usableW, usableH);  // a single point: one unit across
    // A span past the doubles' range would make it 0: as far out as zooming goes instead.
    t.scale = std::max(t.scale, 1e-9);
    t.centreU = minU / 2 + maxU / 2;  // halves first: the sum of two huge ends overflows
    t.centreV = minV / 2 + maxV / 2 - reserved / 2.0 / t.scale;  // the middle of the part above
    return t;
}

}  // namespace zorvan::preview
