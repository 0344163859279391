#include "nc/ui/findmax.h"

#include "app/ui/dialog_buttons.h"
#include "app/ui/dialog_opening.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace zorvan {

namespace {

QGroupBox* radioGroup(QWidget* parent, const QString& caption, const QStringList& items, QButtonGroup*& group)
{
    auto* box = new QGroupBox(caption, parent);
    auto* column = new QVBoxLayout(box);
    group = new QButtonGroup(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* item = new QRadioButton(items[i], box);
        group->addButton(item, i);
        column->addWidget(item);
    }
    group->button(0)->setChecked(true);
    return box;
}

}  // namespace

TMinMaxForm::TMinMaxForm(QWidget* parent) : QDialog(parent)
{
    setObjectName("MinMaxForm");
    setWindowTitle("極値検索");
    setFixedDialogFrame(this);

    RadioGroup1 = radioGroup(this, "軸選択", {"Ｘ", "Ｙ", "Ｚ", "A", "B", "C"}, axisItems);
    RadioGroup1->setObjectName("RadioGroup1");
    QStringList methods;
    for (const char* item : nc::kExtremeMethodItems)
        methods << item;
    RadioGroup2 = radioGroup(this, "方法", methods, methodItems);
    RadioGroup2->setObjectName("RadioGroup2");
    CheckBox1 = new QCheckBox("ﾌｧｲﾙ全体", this);
    CheckBox1->setObjectName("CheckBox1");
    BitBtn1 = dialogButton(this, "検索開始", "BitBtn1");
    BitBtn2 = dialogButton(this, "キャンセル", "BitBtn2");

    auto* column = new QVBoxLayout(this);
    auto* groups = new QHBoxLayout;
    groups->addWidget(RadioGroup1);
    groups->addWidget(RadioGroup2);
    column->addLayout(groups);
    column->addWidget(CheckBox1);
    column->addLayout(buttonRow({BitBtn1, BitBtn2}));
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(BitBtn1, &QPushButton::clicked, this, &TMinMaxForm::ok);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TMinMaxForm::ok()
{
    letter_ = nc::kExtremeLetters[static_cast<std::size_t>(std::max(0, axisItems->checkedId()))];
    method_ = static_cast<nc::ExtremeMethod>(std::max(0, methodItems->checkedId()));
    wholeFile_ = CheckBox1->isChecked();
    accept();
}

}  // namespace zorvan
