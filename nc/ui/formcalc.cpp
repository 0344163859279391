#include "nc/ui/formcalc.h"

#include "app/ui/dialog_buttons.h"
#include "app/ui/dialog_opening.h"
#include "nc/ui/number_field.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <charconv>
#include <iterator>

namespace zorvan {

namespace {

// The shortest text that reads back as exactly `value`: 2.5, 0, 25.4.
QString shortestText(double value)
{
    char buffer[32];
    auto [end, ec] = std::to_chars(std::begin(buffer), std::end(buffer), value);
    return ec == std::errc() ? QString::fromLatin1(buffer, static_cast<int>(end - buffer)) : QString("0");
}

}  // namespace

TCalcForm::TCalcForm(QWidget* parent) : QDialog(parent)
{
    setObjectName("CalcForm");
    setWindowTitle("けいさん");
    setFixedDialogFrame(this);

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->addItems({"X", "Y", "Z", "A", "B", "C", "I", "J", "K", "R"});
    Label1 = new QLabel("<-->", this);
    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName("ComboBox2");
    for (const char* item : nc::kOperationItems)
        ComboBox2->addItem(item);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    CheckBox1 = new QCheckBox("ファイル全体", this);
    CheckBox1->setObjectName("CheckBox1");
    BitBtn1 = dialogButton(this, "OK", "BitBtn1");
    BitBtn2 = dialogButton(this, "キャンセル", "BitBtn2");

    auto* grid = new QGridLayout(this);
    grid->addWidget(ComboBox1, 0, 0);
    grid->addWidget(Label1, 0, 1, Qt::AlignCenter);
    grid->addWidget(ComboBox2, 0, 2);
    grid->addWidget(Edit1, 0, 3);
    grid->addWidget(CheckBox1, 1, 0, 1, 4);
    grid->addLayout(buttonRow({BitBtn1, BitBtn2}), 2, 0, 1, 4);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        if (BitBtn1Click())
            accept();
    });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    Edit1->setText(shortestText(operand_));
}

void TCalcForm::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TCalcForm::FormShow() { Edit1->setText(shortestText(operand_)); }

bool TCalcForm::BitBtn1Click()
{
    auto operand = readNumberField(this, Edit1);
    if (!operand)
        return false;
    letter_ = ComboBox1->currentText().toLatin1().at(0);
    operation_ = static_cast<nc::Operation>(ComboBox2->currentIndex());
    wholeFile_ = CheckBox1->isChecked();
    operand_ = *operand;
    return true;
}

}  // namespace zorvan
