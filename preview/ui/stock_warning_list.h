// The stock simulation's warnings under the preview, one a row ("12 行: 早送りで材料に当たります
// (深さ 0.5)"): rapids into the material in red, the weaker faults in orange, notes in grey. A
// click on a row reports its line. Hidden while there is nothing to tell.
#pragma once

#include "preview/logic/stock/stock_simulation.h"

#include <QListWidget>

#include <vector>

namespace zorvan::preview {

class StockWarningList : public QListWidget {
    Q_OBJECT
public:
    static constexpr int kMostRows = 1000;

    explicit StockWarningList(QWidget* parent = nullptr);
    void setWarnings(const std::vector<stock::StockWarning>& warnings);
    QSize sizeHint() const override { return {300, 90}; }

signals:
    void lineClicked(int line);
};

}  // namespace zorvan::preview
