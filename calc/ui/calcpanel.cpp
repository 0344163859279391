#include "calc/ui/calcpanel.h"

#include <QMouseEvent>

namespace zorvan {

CalcPanel::CalcPanel(const QString& caption, QWidget* parent) : QLabel(caption, parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setColour(Qt::white);
}

void CalcPanel::setColour(const QColor& colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, colour);
    setPalette(p);
}

QColor CalcPanel::colour() const
{
    return palette().color(QPalette::Window);
}

void CalcPanel::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMoved(this);
    event->accept();
}

void CalcPanel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    pressed_ = true;
    emit mousePressed(this);
    event->accept();
}

void CalcPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !pressed_) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    pressed_ = false;
    emit mouseReleased(this);
    if (rect().contains(event->position().toPoint()))
        emit clicked(this);
    event->accept();
}

}  // namespace zorvan
