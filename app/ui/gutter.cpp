#include "app/ui/gutter.h"

#include "app/ui/textform.h"

#include <QPainter>

namespace zorvan {

GutterPaintBox::GutterPaintBox(TFormText& form, QWidget* parent) : QWidget(parent), form_(form) {}

void GutterPaintBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
}

}  // namespace zorvan
