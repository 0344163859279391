// The stock dialog: "自動" (the feed moves' X/Y span grown by the largest tool radius, from the
// lowest feed Z to Z 0) or a box given by its smallest and largest X, Y and Z. OK refuses a range
// that does not run from the smaller to the larger value.
#pragma once

#include "preview/logic/stock/height_field.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace zorvan {

class TFormStock : public QDialog {
    Q_OBJECT
public:
    explicit TFormStock(QWidget* parent = nullptr);

    QCheckBox* CheckAuto = nullptr;
    QDoubleSpinBox* EditMin[3] = {};  // X, Y, Z
    QDoubleSpinBox* EditMax[3] = {};
    QLabel* LabelError = nullptr;
    QPushButton* BitBtn1 = nullptr;  // OK
    QPushButton* BitBtn2 = nullptr;  // Cancel

    // `automatic`: the box the automatic choice gives now, shown in the fields to start from.
    void fill(const std::optional<preview::stock::StockBox>& box,
              const preview::stock::StockBox& automatic = {{0, 0, -10}, {100, 100, 0}});
    // Empty: automatic.
    std::optional<preview::stock::StockBox> box() const;

    void BitBtn1Click();
};

}  // namespace zorvan
