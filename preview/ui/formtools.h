// The tool table dialog: a grid of tool number, kind (flat, ball, bull-nose, drill), diameter and
// corner radius, with rows added and removed. OK refuses a row that is not a tool, naming it.
// Sizes given here win over those in the program's comments.
#pragma once

#include "preview/logic/stock/tool_shape.h"

#include <QDialog>

#include <optional>

class QLabel;
class QPushButton;
class QTableWidget;

namespace zorvan {

class TFormTools : public QDialog {
    Q_OBJECT
public:
    enum Column { Number, Kind, Diameter, CornerRadius };

    explicit TFormTools(QWidget* parent = nullptr);

    QTableWidget* Grid = nullptr;
    QPushButton* ButtonAdd = nullptr;
    QPushButton* ButtonRemove = nullptr;
    QLabel* LabelError = nullptr;
    QPushButton* BitBtn1 = nullptr;  // OK
    QPushButton* BitBtn2 = nullptr;  // Cancel

    void fill(const preview::stock::ToolTable& tools);
    // The grid's tools; empty, with the reason shown, when a row is not a tool.
    std::optional<preview::stock::ToolTable> tools();
    // A new row: the next free number, a flat end mill with no size yet.
    void addRow();

    void BitBtn1Click();

private:
    void addRow(int number, const preview::stock::ToolShape& shape, bool sized);
    preview::stock::ToolTable filled_;  // point angles and flute lengths the grid does not show are kept
};

}  // namespace zorvan
