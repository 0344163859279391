// How the path is projected onto the picture: the four views and the zoom and pan of one.
#pragma once

#include "preview/logic/toolpath.h"

#include <QPointF>
#include <QSize>

#include <optional>
#include <string_view>

namespace zorvan::preview {

enum class View { Top, Front, Side, Iso };

// "top", "front", "side", "iso"; nothing for another name.
std::optional<View> viewFromName(std::string_view name);
const char* viewName(View view);

// Picture coordinates (u right, v up) of a point in a view: top X/Y, front X/Z, side Y/Z, and
// an isometric view from the +X, -Y, +Z side.
inline void projectPoint(View view, double x, double y, double z, double& u, double& v)
{
    constexpr double kCos30 = 0.86602540378443865, kSin30 = 0.5;
    switch (view) {
    case View::Top: u = x, v = y; return;
    case View::Front: u = x, v = z; return;
    case View::Side: u = y, v = z; return;
    case View::Iso: u = (x + y) * kCos30, v = z + (y - x) * kSin30; return;
    }
    u = x, v = y;
}

struct ViewTransform {
    View view = View::Top;
    QSize size{1, 1};
    double scale = 1;  // pixels per program unit
    double centreU = 0, centreV = 0;  // the picture's middle, in view coordinates

    QPointF toPixel(double x, double y, double z) const
    {
        double u, v;
        projectPoint(view, x, y, z, u, v);
        return toPixelUV(u, v);
    }
    QPointF toPixelUV(double u, double v) const
    {
        return {size.width() / 2.0 + (u - centreU) * scale, size.height() / 2.0 - (v - centreV) * scale};
    }
    // Zooms by `factor` keeping the view point under `pixel` where it is.
    void zoomAt(QPointF pixel, double factor);
    void panBy(QPointF pixels);
    bool operator==(const ViewTransform&) const = default;
};

// The whole of `box` in the picture with a margin; a point or an empty box gets a unit span.
// The bottom `reservedBottom` pixels (the legend's) are left free where the picture is tall
// enough to spare them.
ViewTransform fitView(const Box3& box, View view, QSize size, int reservedBottom = 0);

}  // namespace zorvan::preview
