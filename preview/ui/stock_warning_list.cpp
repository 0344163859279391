#include "preview/ui/stock_warning_list.h"

namespace zorvan::preview {

using stock::StockWarningCode;

StockWarningList::StockWarningList(QWidget* parent) : QListWidget(parent)
{
    setObjectName("StockWarnings");
    setVisible(false);
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { emit lineClicked(item->data(Qt::UserRole).toInt()); });
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { emit lineClicked(item->data(Qt::UserRole).toInt()); });
}

void StockWarningList::setWarnings(const std::vector<stock::StockWarning>& warnings)
{
    clear();
    for (const stock::StockWarning& warning : warnings) {
        if (count() == kMostRows) {
            addItem(QStringLiteral("… ほか %1 件").arg(warnings.size() - kMostRows));
            item(count() - 1)->setData(Qt::UserRole, -1);
            break;
        }
        auto* row = new QListWidgetItem(QStringLiteral("%1 行: %2").arg(warning.line).arg(QString::fromStdString(stockWarningText(warning))), this);
        row->setData(Qt::UserRole, static_cast<int>(warning.line));
        row->setForeground(warning.code == StockWarningCode::RapidHitsStock ? QColor(200, 0, 0)
                           : stock::isStockFault(warning.code)               ? QColor(190, 100, 0)
                                                                             : QColor(110, 110, 110));
    }
    setVisible(!warnings.empty());
}

}  // namespace zorvan::preview
