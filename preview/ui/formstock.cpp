#include "preview/ui/formstock.h"

#include "app/ui/dialog_buttons.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <tuple>

namespace zorvan {

TFormStock::TFormStock(QWidget* parent) : QDialog(parent)
{
    setObjectName("FormStock");
    setWindowTitle("材料");
    CheckAuto = new QCheckBox("自動 (送りの範囲＋最大の工具半径、Z は最も低い送りから 0 まで)", this);
    CheckAuto->setObjectName("CheckAuto");
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("最小", this), 0, 1);
    grid->addWidget(new QLabel("最大", this), 0, 2);
    const char* const axes[] = {"X", "Y", "Z"};
    for (int axis = 0; axis < 3; ++axis) {
        grid->addWidget(new QLabel(axes[axis], this), axis + 1, 0);
        for (auto [edit, column, name] : {std::tuple{&EditMin[axis], 1, "EditMin"}, std::tuple{&EditMax[axis], 2, "EditMax"}}) {
            *edit = new QDoubleSpinBox(this);
            (*edit)->setObjectName(QString(name) + axes[axis]);
            (*edit)->setRange(-999999, 999999);
            (*edit)->setDecimals(3);
            grid->addWidget(*edit, axis + 1, column);
        }
    }
    LabelError = new QLabel(this);
    LabelError->setObjectName("LabelError");
    LabelError->setStyleSheet("color: #c00000");
    BitBtn1 = dialogButton(this, "OK", "BitBtn1");
    BitBtn2 = dialogButton(this, "キャンセル", "BitBtn2");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CheckAuto);
    layout->addLayout(grid);
    layout->addWidget(LabelError);
    layout->addLayout(buttonRow({BitBtn1, BitBtn2}));
    connect(CheckAuto, &QCheckBox::toggled, this, [this](bool automatic) {
        for (int axis = 0; axis < 3; ++axis) {
            EditMin[axis]->setEnabled(!automatic);
            EditMax[axis]->setEnabled(!automatic);
        }
        LabelError->clear();
    });
    connect(BitBtn1, &QPushButton::clicked, this, &TFormStock::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormStock::fill(const std::optional<preview::stock::StockBox>& box, const preview::stock::StockBox& automatic)
{
    const preview::stock::StockBox shown = box.value_or(automatic);
    for (int axis = 0; axis < 3; ++axis) {
        EditMin[axis]->setValue(shown.min[axis]);
        EditMax[axis]->setValue(shown.max[axis]);
    }
    CheckAuto->setChecked(!box);
    emit CheckAuto->toggled(!box);  // the fields' state even when the check did not change
}

std::optional<preview::stock::StockBox> TFormStock::box() const
{
    if (CheckAuto->isChecked())
        return std::nullopt;
    preview::stock::StockBox box;
    for (int axis = 0; axis < 3; ++axis) {
        box.min[axis] = EditMin[axis]->value();
        box.max[axis] = EditMax[axis]->value();
    }
    return box;
}

void TFormStock::BitBtn1Click()
{
    if (const auto chosen = box()) {
        for (int axis = 0; axis < 3; ++axis)
            if (!(chosen->min[axis] < chosen->max[axis])) {
                LabelError->setText(QStringLiteral("%1 の最小は最大より小さくしてください").arg(QChar("XYZ"[axis])));
                return;
            }
    }
    accept();
}

}  // namespace zorvan
