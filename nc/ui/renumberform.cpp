#include "nc/ui/renumberform.h"

#include "app/ui/dialog_buttons.h"
#include "app/ui/prompts.h"
#include "nc/logic/tidy_settings.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace zorvan {

namespace {

QSpinBox* numberBox(QWidget* parent, const char* name, int low, long long high, const char* none = nullptr)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(low, static_cast<int>(high));
    if (none)
        box->setSpecialValueText(QString::fromUtf8(none));
    return box;
}

QRadioButton* radio(QWidget* parent, const char* caption, const char* name)
{
    auto* button = new QRadioButton(QString::fromUtf8(caption), parent);
    button->setObjectName(name);
    return button;
}

// Radio buttons in a titled box, one choice of them.
QGroupBox* choiceBox(QWidget* parent, const char* title, QRadioButton* first, QRadioButton* second)
{
    auto* box = new QGroupBox(QString::fromUtf8(title), parent);
    auto* column = new QVBoxLayout(box);
    column->addWidget(first);
    column->addWidget(second);
    auto* group = new QButtonGroup(box);
    group->addButton(first);
    group->addButton(second);
    return box;
}

}  // namespace

TRenumberForm::TRenumberForm(QWidget* parent) : QDialog(parent)
{
    setObjectName("RenumberForm");
    setWindowTitle(nc::kRenumberCaption);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

    StartEdit = numberBox(this, "StartEdit", 0, nc::kLargestSequenceNumber);
    StepEdit = numberBox(this, "StepEdit", 1, nc::kLargestSequenceNumber);
    WidthEdit = numberBox(this, "WidthEdit", 0, nc::kWidestSequenceNumber, "なし");
    MaxEdit = numberBox(this, "MaxEdit", 0, nc::kLargestSequenceNumber, "なし");
    EveryBlock = radio(this, "すべてのブロック", "EveryBlock");
    NumberedBlocks = radio(this, "N番号のあるブロックだけ", "NumberedBlocks");
    WrapButton = radio(this, "先頭に戻る", "WrapButton");
    RefuseButton = radio(this, "振り直さない", "RefuseButton");
    BitBtn1 = dialogButton(this, "OK", "BitBtn1");
    BitBtn2 = dialogButton(this, "キャンセル", "BitBtn2");

    auto* numbers = new QFormLayout;
    numbers->addRow("開始番号", StartEdit);
    numbers->addRow("増分", StepEdit);
    numbers->addRow("桁数(0埋め)", WidthEdit);
    numbers->addRow("最大値", MaxEdit);
    auto* column = new QVBoxLayout(this);
    column->addLayout(numbers);
    column->addWidget(choiceBox(this, "番号を付けるブロック", EveryBlock, NumberedBlocks));
    column->addWidget(choiceBox(this, "最大値を超えたら", WrapButton, RefuseButton));
    column->addLayout(buttonRow({BitBtn1, BitBtn2}));
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(MaxEdit, &QSpinBox::valueChanged, this, [this](int max) {
        WrapButton->setEnabled(max > 0);
        RefuseButton->setEnabled(max > 0);
    });
    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        if (BitBtn1Click())
            accept();
    });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    options_ = nc::readRenumberSettings();
    showOptions(options_);
}

void TRenumberForm::showEvent(QShowEvent* event)
{
    // Values typed before a cancel are dropped: every opening starts from the stored choices.
    options_ = nc::readRenumberSettings();
    showOptions(options_);
    QDialog::showEvent(event);
}

void TRenumberForm::showOptions(const nc::RenumberOptions& options)
{
    StartEdit->setValue(static_cast<int>(options.start));
    StepEdit->setValue(static_cast<int>(options.step));
    WidthEdit->setValue(options.width);
    MaxEdit->setValue(static_cast<int>(options.max));
    (options.existingOnly ? NumberedBlocks : EveryBlock)->setChecked(true);
    (options.wrap ? WrapButton : RefuseButton)->setChecked(true);
    WrapButton->setEnabled(options.max > 0);
    RefuseButton->setEnabled(options.max > 0);
}

bool TRenumberForm::BitBtn1Click()
{
    nc::RenumberOptions chosen;
    chosen.start = StartEdit->value();
    chosen.step = StepEdit->value();
    chosen.width = WidthEdit->value();
    chosen.existingOnly = NumberedBlocks->isChecked();
    chosen.max = MaxEdit->value();
    chosen.wrap = WrapButton->isChecked();
    if (auto problem = nc::renumberOptionsProblem(chosen)) {
        prompts().showError(this, QString::fromStdString(*problem));
        MaxEdit->setFocus();
        return false;
    }
    options_ = chosen;
    nc::writeRenumberSettings(options_);
    return true;
}

}  // namespace zorvan
