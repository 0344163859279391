// Drawing the simulated stock: the height field as a mesh of triangles, flat-shaded and
// depth-buffered in software, in any of the four views; and the red marks of the rapids that hit
// it. A field finer than the pixels is met in blocks (the lowest top of each), so the picture
// costs about its pixels, not the field's columns.
#pragma once

#include "preview/logic/stock/height_field.h"
#include "preview/logic/stock/stock_picture_model.h"
#include "preview/render/path_view.h"

#include <QColor>
#include <QImage>

#include <atomic>
#include <vector>

class QPainter;

namespace zorvan::preview {

// The stock's own colour, lit straight on; shaded faces are darker.
QColor stockColour();

// The picture of the stock over `background`; a null image when `cancel` was set on the way.
QImage renderStock(const stock::HeightField& field, const ViewTransform& transform, QColor background,
                   const std::atomic<bool>* cancel = nullptr);

// The box of the stock, to fit the view to it.
Box3 stockExtents(const stock::HeightField& field);

// Each mark's segment drawn thick red with a ring at its end, where the tool runs in.
void drawHitMarks(QPainter& painter, const std::vector<stock::HitMark>& marks, const ViewTransform& transform);

}  // namespace zorvan::preview
