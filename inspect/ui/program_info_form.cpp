#include "inspect/ui/program_info_form.h"

#include "inspect/logic/code_help.h"
#include "preview/logic/shown_number.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zorvan::inspect {

namespace {

QString values(const std::vector<double>& v)
{
    QStringList out;
    for (double x : v)
        out << QString::fromStdString(plainNumber(x));
    return out.join(' ');
}

QString extents(const preview::Box3& b)
{
    if (b.empty())
        return QStringLiteral("-");
    static const char kAxes[3] = {'X', 'Y', 'Z'};
    QStringList out;
    for (int i = 0; i < 3; ++i)
        out << QStringLiteral("%1%2〜%3")
                   .arg(kAxes[i])
                   .arg(QString::fromStdString(plainNumber(b.min[i])), QString::fromStdString(plainNumber(b.max[i])));
    return out.join(' ');
}

QString duration(double seconds)
{
    return QString::fromStdString(preview::shownDuration(seconds / 60));
}

}  // namespace

ProgramInfoForm::ProgramInfoForm(QWidget* parent)
    : QDialog(parent), header_(new QLabel(this)), table_(new QTableWidget(0, 11, this))
{
    setObjectName("ProgramInfoForm");
    setWindowTitle(QStringLiteral("プログラム情報"));
    table_->setObjectName("ProgramInfoTable");
    table_->setHorizontalHeaderLabels({QStringLiteral("工具"), QStringLiteral("コメント"), QStringLiteral("最初の行"),
                                       QStringLiteral("最後の行"), QStringLiteral("切削距離"), QStringLiteral("早送り距離"),
                                       QStringLiteral("切削時間"), QStringLiteral("早送り時間"), QStringLiteral("範囲"),
                                       QStringLiteral("回転数"), QStringLiteral("送り")});
    table_->verticalHeader()->setVisible(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* copy = new QPushButton(QStringLiteral("コピー"), this);
    copy->setObjectName("CopyButton");
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    connect(copy, &QPushButton::clicked, this, &ProgramInfoForm::copyAsText);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(copy);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(header_);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);
    resize(900, 360);
}

void ProgramInfoForm::fill(const ProgramInfo& info)
{
    info_ = info;
    QString header = QStringLiteral("プログラム %1　%2 行　%3 ブロック　単位 %4　時間 %5")
                         .arg(info.programNumber.empty() ? QStringLiteral("-") : QString::fromStdString(info.programNumber))
                         .arg(info.lines)
                         .arg(info.blocks)
                         .arg(info.inch ? QStringLiteral("inch") : QStringLiteral("mm"))
                         .arg(duration(info.totals.feedTime + info.totals.rapidTime));
    if (info.diagnostics > 0)
        header += QStringLiteral("　注意 %1 件").arg(info.diagnostics);
    if (info.cutShort)
        header += QStringLiteral("　(上限に達したので途中までの集計です)");
    header_->setText(header);
    table_->setRowCount(static_cast<int>(info.tools.size()) + 1);
    auto put = [this](int row, const ToolSummary& t, const QString& name) {
        const QString cells[11] = {name,
                                   QString::fromStdString(t.comment),
                                   QString::number(t.firstLine),
                                   QString::number(t.lastLine),
                                   QString::fromStdString(plainNumber(t.feedDistance)),
                                   QString::fromStdString(plainNumber(t.rapidDistance)),
                                   duration(t.feedTime),
                                   duration(t.rapidTime),
                                   extents(t.extents),
                                   values(t.speeds),
                                   values(t.feeds)};
        for (int c = 0; c < 11; ++c)
            table_->setItem(row, c, new QTableWidgetItem(cells[c]));
    };
    int row = 0;
    for (const ToolSummary& t : info.tools)
        put(row++, t, QStringLiteral("T%1").arg(t.tool));
    put(row, info.totals, QStringLiteral("合計"));
    table_->resizeColumnsToContents();
}

void ProgramInfoForm::copyAsText()
{
    QApplication::clipboard()->setText(QString::fromStdString(infoText(info_)));
}

}  // namespace zorvan::inspect
