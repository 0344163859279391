// The macro window's grid: a table whose open cell editor can be committed on demand, so that
// leaving the grid always stores what was typed last.
#pragma once

#include <QTableWidget>

namespace zorvan {

class ConversionGrid : public QTableWidget {
    Q_OBJECT
public:
    using QTableWidget::QTableWidget;
    // Commits and closes the cell editor, if one is open.
    void commitOpenEditor();
    // Whether `widget` is the grid or one of its parts (cell editor, viewport).
    bool holds(const QWidget* widget) const;
};

}  // namespace zorvan
