#include "nc/ui/blankform.h"

#include "app/ui/dialog_buttons.h"
#include "nc/logic/tidy_settings.h"

#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zorvan {

TBlankForm::TBlankForm(QWidget* parent) : QDialog(parent), style_(nc::readBlankSetting())
{
    setObjectName("BlankForm");
    setWindowTitle("空白の整理");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

    InsertButton = new QRadioButton("単語の間に空白を入れる", this);
    InsertButton->setObjectName("InsertButton");
    RemoveButton = new QRadioButton("単語の間の空白を取る", this);
    RemoveButton->setObjectName("RemoveButton");
    (style_ == nc::BlankStyle::Remove ? RemoveButton : InsertButton)->setChecked(true);
    BitBtn1 = dialogButton(this, "OK", "BitBtn1");
    BitBtn2 = dialogButton(this, "キャンセル", "BitBtn2");

    auto* column = new QVBoxLayout(this);
    column->addWidget(InsertButton);
    column->addWidget(RemoveButton);
    column->addLayout(buttonRow({BitBtn1, BitBtn2}));
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        BitBtn1Click();
        accept();
    });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TBlankForm::BitBtn1Click()
{
    style_ = RemoveButton->isChecked() ? nc::BlankStyle::Remove : nc::BlankStyle::Insert;
    nc::writeBlankSetting(style_);
}

void TBlankForm::showEvent(QShowEvent* event)
{
    // A choice clicked before a cancel is dropped: every opening shows the stored one.
    style_ = nc::readBlankSetting();
    (style_ == nc::BlankStyle::Remove ? RemoveButton : InsertButton)->setChecked(true);
    QDialog::showEvent(event);
}

}  // namespace zorvan
