// The line-number gutter beside the editor: bookmark labels, the extreme-value mark and every
// tenth line number, drawn for the visible lines only.
#pragma once

#include <QWidget>

namespace zorvan {

class TFormText;

class GutterPaintBox : public QWidget {
    Q_OBJECT
public:
    GutterPaintBox(TFormText& form, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TFormText& form_;
};

}  // namespace zorvan
