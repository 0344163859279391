#include "check/ui/check_panel.h"

#include <QLabel>
#include <QVBoxLayout>

namespace zorvan::check {

QString countText(const FindingCounts& counts)
{
    if (counts.errors == 0 && counts.warnings == 0 && counts.notes == 0)
        return QStringLiteral("チェック: 問題なし");
    QString text = QStringLiteral("エラー %1 / 警告 %2").arg(counts.errors).arg(counts.warnings);
    if (counts.notes)
        text += QStringLiteral(" / 注意 %1").arg(counts.notes);
    return text;
}

CheckPanel::CheckPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName("CheckPanel");
    summary_ = new QLabel(QStringLiteral("チェック中…"), this);
    summary_->setObjectName("CheckSummary");
    list_ = new QListWidget(this);
    list_->setObjectName("CheckFindings");
    list_->setUniformItemSizes(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(summary_);
    layout->addWidget(list_, 1);
    auto report = [this](QListWidgetItem* item) {
        const int line = item->data(Qt::UserRole).toInt();
        if (line >= 0)
            emit lineClicked(line);
    };
    connect(list_, &QListWidget::itemClicked, this, report);
    connect(list_, &QListWidget::itemActivated, this, report);
}

void CheckPanel::setFindings(const std::vector<Finding>& findings, bool stockDone)
{
    summary_->setText(countText(countFindings(findings)) + (stockDone ? QString() : QStringLiteral(" (材料の確認中…)")));
    list_->setUpdatesEnabled(false);
    list_->clear();
    for (const Finding& f : findings) {
        if (list_->count() == kMostRows) {
            auto* more = new QListWidgetItem(QStringLiteral("… ほか %1 件").arg(findings.size() - kMostRows), list_);
            more->setData(Qt::UserRole, -1);
            break;
        }
        static const char* const kSeverity[] = {"エラー", "警告", "注意"};
        const Severity severity = f.severity();
        auto* row = new QListWidgetItem(QStringLiteral("%1 行  %2  %3 [%4]")
                                            .arg(f.line)
                                            .arg(QString::fromUtf8(kSeverity[static_cast<int>(severity)]))
                                            .arg(QString::fromStdString(f.message))
                                            .arg(QString::fromLatin1(ruleInfo(f.rule).id)),
                                        list_);
        row->setData(Qt::UserRole, static_cast<int>(f.line));
        row->setForeground(severity == Severity::Error     ? QColor(200, 0, 0)
                           : severity == Severity::Warning ? QColor(190, 100, 0)
                                                           : QColor(110, 110, 110));
    }
    list_->setUpdatesEnabled(true);
}

}  // namespace zorvan::check
