// A flat button panel of the calculator window: a caption on a white, raised panel that never
// takes the keyboard focus. It reports mouse moves, presses, releases and clicks (press and
// release on the panel) to its window, which colours it and feeds the engine.
#pragma once

#include <QColor>
#include <QLabel>

namespace zorvan {

class CalcPanel : public QLabel {
    Q_OBJECT
public:
    explicit CalcPanel(const QString& caption, QWidget* parent = nullptr);

    void setColour(const QColor& colour);
    QColor colour() const;

signals:
    void mouseMoved(zorvan::CalcPanel* panel);
    void mousePressed(zorvan::CalcPanel* panel);
    void mouseReleased(zorvan::CalcPanel* panel);
    void clicked(zorvan::CalcPanel* panel);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};

}  // namespace zorvan
