#include "app/ui/settingform.h"

#include "app/logic/settings.h"
#include "app/ui/dialog_buttons.h"
#include "app/ui/dialog_opening.h"
#include "app/ui/prompts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace zorvan {

TFormSetting::TFormSetting(QWidget* parent) : QDialog(parent)
{
    setObjectName("FormSetting");
    setWindowTitle("とりあえずせっていしとこーかー");
    setFixedDialogFrame(this);
    setFixedSize(345, 195);

    Label1 = new QLabel("PelMoraのあるばしょは", this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setFixedWidth(273);
    Edit1->installEventFilter(this);
    Label2 = new QLabel("ですう", this);
    CheckBox2 = new QCheckBox("整数だけ", this);
    CheckBox2->setObjectName("CheckBox2");
    Label3 = new QLabel("小数点表示桁数", this);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->addItems({"無し", "1", "2", "3", "4", "5", "6", "7", "8"});
    CheckBox1 = new QCheckBox("意地でも←の桁", this);
    CheckBox1->setObjectName("CheckBox1");
    RadioGroup1 = new QGroupBox("区切れのいいときの小数点表示", this);
    RadioGroup1->setObjectName("RadioGroup1");
    radioButtons = new QButtonGroup(this);
    auto* radioRow = new QHBoxLayout(RadioGroup1);
    radioRow->setContentsMargins(6, 2, 6, 2);
    const char* views[] = {"無し", ".", ".0"};
    for (int i = 0; i < 3; ++i) {
        auto* button = new QRadioButton(views[i], RadioGroup1);
        radioButtons->addButton(button, i);
        radioRow->addWidget(button);
    }
    BitBtn1 = dialogButton(this, "そうれす", "BitBtn1");
    BitBtn2 = dialogButton(this, "まちがえました", "BitBtn2");
    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        runGuarded(this, [&] { BitBtn1Click(); });
        accept();
    });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 6, 8, 6);
    grid->setVerticalSpacing(3);
    grid->addWidget(Label1, 0, 0, 1, 3);
    grid->addWidget(Edit1, 1, 0, 1, 2);
    grid->addWidget(Label2, 1, 2);
    grid->addWidget(CheckBox2, 2, 0);
    grid->addWidget(Label3, 2, 1, Qt::AlignRight);
    grid->addWidget(ComboBox1, 2, 2);
    grid->addWidget(CheckBox1, 3, 1, 1, 2, Qt::AlignRight);
    grid->addWidget(RadioGroup1, 4, 0, 1, 3);
    grid->addLayout(buttonRow({BitBtn1, BitBtn2}), 5, 0, 1, 3);
}

void TFormSetting::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TFormSetting::FormShow()
{
    const ProgramSettings& s = programSettings();
    Edit1->setText(QString::fromStdString(s.SimulatorPath));
    int places = s.decimals.DecimalNumber;
    ComboBox1->setCurrentIndex(places >= 0 && places < ComboBox1->count() ? places : -1);
    CheckBox1->setChecked(s.decimals.Froce_Decimal);
    CheckBox2->setChecked(s.decimals.Non_Decimal);
    int view = s.decimals.DecimalView;
    if (view >= 0 && view < 3) {
        radioButtons->button(view)->setChecked(true);
    } else {
        // No selection: QButtonGroup is exclusive, so lift that while clearing.
        radioButtons->setExclusive(false);
        for (auto* button : radioButtons->buttons())
            button->setChecked(false);
        radioButtons->setExclusive(true);
    }
}

bool TFormSetting::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Edit1 && event->type() == QEvent::MouseButtonDblClick) {
        runGuarded(this, [&] { Edit1DblClick(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFormSetting::Edit1DblClick()
{
    QString chosen = prompts().openFileName(this, "どこにあるねん？", Edit1->text(),
                                            "Pelmora.exe (Pelmora.exe);;実行ファイル (*.exe);;ぜんぶ (*)");
    if (!chosen.isEmpty())
        Edit1->setText(chosen);
}

void TFormSetting::BitBtn1Click()
{
    ProgramSettings& s = programSettings();
    s.SimulatorPath = Edit1->text().toStdString();
    s.decimals.DecimalNumber = ComboBox1->currentIndex();
    s.decimals.Froce_Decimal = CheckBox1->isChecked();
    s.decimals.Non_Decimal = CheckBox2->isChecked();
    s.decimals.DecimalView = radioButtons->checkedId();
    settings_store::writeDialogValues(s);
}

}  // namespace zorvan
