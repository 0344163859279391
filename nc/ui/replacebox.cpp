#include "nc/ui/replacebox.h"

#include "nc/ui/upper_case_typing.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace zorvan {

TReplaceBox::TReplaceBox(QWidget* parent) : QDialog(parent)
{
    setObjectName("ReplaceBox");
    setWindowTitle("置換");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

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
    BitBtn1 = new QPushButton("検索開始", this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setDefault(true);
    BitBtn3 = new QPushButton("All", this);
    BitBtn3->setObjectName("BitBtn3");
    BitBtn2 = new QPushButton("Cancel", this);
    BitBtn2->setObjectName("BitBtn2");

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(Edit2, 1, 1);
    grid->addWidget(CheckBox1, 2, 1);
    grid->addWidget(CheckBox2, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn3);
    buttons->addWidget(BitBtn2);
    grid->addLayout(buttons, 4, 0, 1, 2);
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
