#include "nc/ui/replacebox.h"

#include "app/ui/dialog_buttons.h"
#include "app/ui/dialog_opening.h"
#include "app/ui/upper_case_typing.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace zorvan {

TReplaceBox::TReplaceBox(QWidget* parent) : QDialog(parent)
{
    setObjectName("ReplaceBox");
    setWindowTitle("置換");
    setFixedDialogFrame(this);

    Label1 = new QLabel("検索文字列", this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setMinimumWidth(240);
    Label2 = new QLabel("置換文字列", this);
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName("Edit2");
    UpperCaseTyping::install(Edit1);
    UpperCaseTyping::install(Edit2);
    CheckBox1 = new QCheckBox("ﾌｧｲﾙ先頭から", this);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox2 = new QCheckBox("置き換え動作の確認", this);
    CheckBox2->setObjectName("CheckBox2");
    BitBtn1 = dialogButton(this, "検索開始", "BitBtn1");
    BitBtn3 = dialogButton(this, "すべて", "BitBtn3");
    BitBtn2 = dialogButton(this, "キャンセル", "BitBtn2");

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(Edit2, 1, 1);
    grid->addWidget(CheckBox1, 2, 1);
    grid->addWidget(CheckBox2, 3, 1);
    grid->addLayout(buttonRow({BitBtn1, BitBtn3, BitBtn2}), 4, 0, 1, 2);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn3, &QPushButton::clicked, this, [this] { done(AllResult); });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

std::string TReplaceBox::searchText() const { return Edit1->text().toStdString(); }

std::string TReplaceBox::replacementText() const { return Edit2->text().toStdString(); }

bool TReplaceBox::fromTop() const { return CheckBox1->isChecked(); }

bool TReplaceBox::confirm() const { return CheckBox2->isChecked(); }

}  // namespace zorvan
