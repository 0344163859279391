#include "nc/ui/findbox.h"

#include "app/ui/dialog_buttons.h"
#include "app/ui/dialog_opening.h"
#include "app/ui/upper_case_typing.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace zorvan {

TFindBox::TFindBox(QWidget* parent) : QDialog(parent)
{
    setObjectName("FindBox");
    setWindowTitle("検索");
    setFixedDialogFrame(this);

    Label1 = new QLabel("検索文字列", this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setMinimumWidth(240);
    UpperCaseTyping::install(Edit1);
    CheckBox1 = new QCheckBox("ﾌｧｲﾙ先頭から", this);
    CheckBox1->setObjectName("CheckBox1");
    BitBtn1 = dialogButton(this, "検索開始", "BitBtn1");
    BitBtn2 = dialogButton(this, "キャンセル", "BitBtn2");

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(CheckBox1, 1, 1);
    grid->addLayout(buttonRow({BitBtn1, BitBtn2}), 2, 0, 1, 2);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

std::string TFindBox::searchText() const { return Edit1->text().toStdString(); }

bool TFindBox::fromTop() const { return CheckBox1->isChecked(); }

}  // namespace zorvan
