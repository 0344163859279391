#include "check/ui/check_settings_dialog.h"

#include "app/ui/dialog_buttons.h"
#include "check/logic/check_settings.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace zorvan::check {

CheckSettingsDialog::CheckSettingsDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("CheckSettingsDialog");
    setWindowTitle(QStringLiteral("チェック設定"));
    rules = new QListWidget(this);
    rules->setObjectName("CheckRules");
    for (const RuleInfo& info : allRules()) {
        auto* item = new QListWidgetItem(QStringLiteral("%1  [%2]").arg(QString::fromUtf8(info.caption), QString::fromLatin1(info.id)), rules);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    tolerance = new QLineEdit(this);
    tolerance->setObjectName("CheckTolerance");
    travel = new QLineEdit(this);
    travel->setObjectName("CheckTravel");
    travel->setPlaceholderText(QStringLiteral("X0:500,Y0:400,Z-300:0 (空欄: 確認しない)"));
    toolChangeStops = new QCheckBox(QStringLiteral("工具交換 (M06) で主軸が止まる"), this);
    toolChangeStops->setObjectName("CheckToolChangeStops");
    problem_ = new QLabel(this);
    problem_->setStyleSheet("color: #c00000");
    problem_->setVisible(false);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("円弧の許容差 (mm)"), tolerance);
    form->addRow(QStringLiteral("機械のストローク"), travel);
    form->addRow(toolChangeStops);
    auto* ok = dialogButton(this, QStringLiteral("OK"), "BitBtn1");
    auto* cancel = dialogButton(this, QStringLiteral("キャンセル"), "BitBtn2");
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("調べる規則"), this));
    layout->addWidget(rules, 1);
    layout->addLayout(form);
    layout->addWidget(problem_);
    layout->addLayout(buttonRow({ok, cancel}));
    resize(460, 560);
}

void CheckSettingsDialog::load(const CheckOptions& options)
{
    base_ = options;
    for (int i = 0; i < rules->count(); ++i)
        rules->item(i)->setCheckState(options.enabled[static_cast<std::size_t>(i)] ? Qt::Checked : Qt::Unchecked);
    tolerance->setText(QString::number(options.arcTolerance));
    travel->setText(options.travel ? QString::fromStdString(travelText(*options.travel)) : QString());
    toolChangeStops->setChecked(options.toolChangeStopsSpindle);
    problem_->setVisible(false);
}

std::optional<CheckOptions> CheckSettingsDialog::chosen(const CheckOptions& base)
{
    CheckOptions options = base;
    for (int i = 0; i < rules->count() && i < kRuleCount; ++i)
        options.enabled[static_cast<std::size_t>(i)] = rules->item(i)->checkState() == Qt::Checked;
    bool ok = false;
    const double value = tolerance->text().trimmed().toDouble(&ok);
    if (!ok || !(value > 0) || value > 1000) {
        problem_->setText(QStringLiteral("円弧の許容差は 0 より大きい長さ (mm) で入れてください"));
        problem_->setVisible(true);
        return std::nullopt;
    }
    options.arcTolerance = value;
    const QString box = travel->text().trimmed();
    if (box.isEmpty()) {
        options.travel.reset();
    } else {
        options.travel = parseTravel(box.toStdString());
        if (!options.travel) {
            problem_->setText(QStringLiteral("ストロークは X0:500,Y0:400,Z-300:0 の形 (小さい値:大きい値) で入れてください"));
            problem_->setVisible(true);
            return std::nullopt;
        }
    }
    options.toolChangeStopsSpindle = toolChangeStops->isChecked();
    return options;
}

void CheckSettingsDialog::accept()
{
    if (chosen(base_))
        QDialog::accept();
}

}  // namespace zorvan::check
