#include "preview/ui/formtools.h"

#include "app/ui/dialog_buttons.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zorvan {

using preview::stock::ToolKind;
using preview::stock::ToolShape;
using preview::stock::ToolTable;

namespace {

const std::pair<const char*, ToolKind> kKinds[] = {
    {"フラット", ToolKind::Flat}, {"ボール", ToolKind::Ball}, {"ブルノーズ", ToolKind::BullNose}, {"ドリル", ToolKind::Drill}};

QString numberText(double value)
{
    return QString::number(value, 'g', 15);
}

}  // namespace

TFormTools::TFormTools(QWidget* parent) : QDialog(parent)
{
    setObjectName("FormTools");
    setWindowTitle("工具表");
    Grid = new QTableWidget(0, 4, this);
    Grid->setObjectName("Grid");
    Grid->setHorizontalHeaderLabels({"工具番号", "種類", "直径", "コーナR"});
    Grid->verticalHeader()->setVisible(false);
    Grid->horizontalHeader()->setStretchLastSection(true);
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    ButtonAdd = dialogButton(this, "行を追加", "ButtonAdd");
    ButtonRemove = dialogButton(this, "行を削除", "ButtonRemove");
    LabelError = new QLabel(this);
    LabelError->setObjectName("LabelError");
    LabelError->setStyleSheet("color: #c00000");
    BitBtn1 = dialogButton(this, "OK", "BitBtn1");
    BitBtn2 = dialogButton(this, "キャンセル", "BitBtn2");
    auto* rows = new QHBoxLayout;
    rows->addWidget(ButtonAdd);
    rows->addWidget(ButtonRemove);
    rows->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Grid, 1);
    layout->addLayout(rows);
    layout->addWidget(LabelError);
    layout->addLayout(buttonRow({BitBtn1, BitBtn2}));
    resize(440, 320);
    connect(ButtonAdd, &QPushButton::clicked, this, qOverload<>(&TFormTools::addRow));
    connect(ButtonRemove, &QPushButton::clicked, this, [this] {
        if (Grid->currentRow() >= 0)
            Grid->removeRow(Grid->currentRow());
    });
    connect(BitBtn1, &QPushButton::clicked, this, &TFormTools::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormTools::fill(const ToolTable& tools)
{
    filled_ = tools;
    Grid->setRowCount(0);
    for (const auto& [number, shape] : tools)
        addRow(number, shape, true);
    LabelError->clear();
}

void TFormTools::addRow()
{
    int number = 1;
    for (int row = 0; row < Grid->rowCount(); ++row)
        number = std::max(number, Grid->item(row, Number)->text().toInt() + 1);
    addRow(number, {}, false);
    Grid->setCurrentCell(Grid->rowCount() - 1, Diameter);
}

void TFormTools::addRow(int number, const ToolShape& shape, bool sized)
{
    const int row = Grid->rowCount();
    Grid->insertRow(row);
    Grid->setItem(row, Number, new QTableWidgetItem(QString::number(number)));
    auto* kind = new QComboBox(Grid);
    for (const auto& [caption, value] : kKinds)
        kind->addItem(caption, static_cast<int>(value));
    kind->setCurrentIndex(kind->findData(static_cast<int>(shape.kind)));
    Grid->setCellWidget(row, Kind, kind);
    Grid->setItem(row, Diameter, new QTableWidgetItem(sized ? numberText(shape.diameter) : QString()));
    Grid->setItem(row, CornerRadius, new QTableWidgetItem(sized && shape.kind == ToolKind::BullNose ? numberText(shape.cornerRadius) : QString()));
}

std::optional<ToolTable> TFormTools::tools()
{
    ToolTable tools;
    for (int row = 0; row < Grid->rowCount(); ++row) {
        const auto text = [&](int column) { return Grid->item(row, column) ? Grid->item(row, column)->text().trimmed() : QString(); };
        const auto refuse = [&](const char* what) {
            LabelError->setText(QStringLiteral("%1 行目: %2").arg(row + 1).arg(QString::fromUtf8(what)));
            Grid->setCurrentCell(row, Number);
            return std::nullopt;
        };
        bool ok = false;
        const int number = text(Number).toInt(&ok);
        if (!ok || number < 0)
            return refuse("工具番号は 0 以上の整数です");
        if (tools.count(number))
            return refuse("工具番号が重なっています");
        ToolShape shape;
        if (auto it = filled_.find(number); it != filled_.end())
            shape = it->second;
        shape.kind = static_cast<ToolKind>(qobject_cast<QComboBox*>(Grid->cellWidget(row, Kind))->currentData().toInt());
        shape.diameter = text(Diameter).toDouble(&ok);
        if (!ok || !(shape.diameter > 0))
            return refuse("直径は 0 より大きい数です");
        shape.cornerRadius = 0;
        if (shape.kind == ToolKind::Ball)
            shape.cornerRadius = shape.diameter / 2;
        if (shape.kind == ToolKind::BullNose) {
            shape.cornerRadius = text(CornerRadius).toDouble(&ok);
            if (!ok || !(shape.cornerRadius > 0) || shape.cornerRadius > shape.diameter / 2)
                return refuse("コーナRは 0 より大きく直径の半分までです");
        }
        tools[number] = shape;
    }
    LabelError->clear();
    return tools;
}

void TFormTools::BitBtn1Click()
{
    if (tools())
        accept();
}

}  // namespace zorvan
