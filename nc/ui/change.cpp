#include "nc/ui/change.h"

#include "app/ui/dialog_buttons.h"
#include "app/ui/dialog_opening.h"
#include "nc/logic/axis_swap.h"
#include "nc/logic/swap_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace zorvan {

namespace {

void addLetters(QComboBox* box, std::string_view letters)
{
    for (char letter : letters)
        box->addItem(QString(QLatin1Char(letter)));
}

}  // namespace

TChangForm::TChangForm(QWidget* parent) : QDialog(parent)
{
    setObjectName("ChangForm");
    setWindowTitle("入れ替え");
    setFixedDialogFrame(this);

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    addLetters(ComboBox1, nc::kSwapFirstLetters);
    Label1 = new QLabel("<-->", this);
    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName("ComboBox2");
    addLetters(ComboBox2, nc::kSwapSecondChoices);
    ComboBox2->setCurrentIndex(1);  // "Y"
    CheckBox1 = new QCheckBox("ﾌｧｲﾙ全体", this);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox2 = new QCheckBox("円弧も合わせる", this);
    CheckBox2->setObjectName("CheckBox2");
    CheckBox2->setToolTip("I/J/K、G02/G03 と平面 (G17/G18/G19) も軸に合わせて入れ替えます");
    arcs_ = nc::readSwapArcsSetting();
    CheckBox2->setChecked(arcs_);
    BitBtn1 = dialogButton(this, "置換開始", "BitBtn1");
    BitBtn2 = dialogButton(this, "キャンセル", "BitBtn2");

    auto* grid = new QGridLayout(this);
    grid->addWidget(ComboBox1, 0, 0);
    grid->addWidget(Label1, 0, 1, Qt::AlignCenter);
    grid->addWidget(ComboBox2, 0, 2);
    grid->addWidget(CheckBox1, 1, 0, 1, 3);
    grid->addWidget(CheckBox2, 2, 0, 1, 3);
    grid->addLayout(buttonRow({BitBtn1, BitBtn2}), 3, 0, 1, 3);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(BitBtn1, &QPushButton::clicked, this, &TChangForm::ok);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TChangForm::ok()
{
    // Every item gives its own letter, "I", "J", "K" and "R" included.
    first_ = nc::kSwapFirstLetters[static_cast<std::size_t>(std::max(0, ComboBox1->currentIndex()))];
    second_ = nc::kSwapSecondChoices[static_cast<std::size_t>(std::max(0, ComboBox2->currentIndex()))];
    wholeFile_ = CheckBox1->isChecked();
    if (arcs_ != CheckBox2->isChecked()) {
        arcs_ = CheckBox2->isChecked();
        nc::writeSwapArcsSetting(arcs_);
    }
    if (first_ == second_)
        reject();
    else
        accept();
}

}  // namespace zorvan
