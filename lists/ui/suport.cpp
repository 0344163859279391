#include "lists/ui/suport.h"

#include "app/ui/dialog_opening.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QVBoxLayout>

namespace zorvan {

TSuportForm::TSuportForm(const std::vector<std::string>& templates, QWidget* parent) : QDialog(parent)
{
    setObjectName("SuportForm");
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);
    setFixedSize(241, 147);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const std::string& line : templates)
        ListBox1->addItem(QString::fromStdString(line));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ListBox1);
    ListBox1->installEventFilter(this);
    openCentred(this);
}

void TSuportForm::showEvent(QShowEvent* event)
{
    // With no line chosen yet, the first is the current, selected one: Enter takes it at once.
    if (ListBox1->count() > 0 && ListBox1->selectedItems().isEmpty())
        ListBox1->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
    ListBox1->setFocus();
    QDialog::showEvent(event);
}

bool TSuportForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ListBox1 && event->type() == QEvent::KeyPress)
        return ListBox1KeyDown(static_cast<QKeyEvent*>(event)->key());
    return QDialog::eventFilter(watched, event);
}

bool TSuportForm::ListBox1KeyDown(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        const QListWidgetItem* item = ListBox1->currentItem();
        if (item && item->isSelected()) {
            chosen_ = item->text().toStdString();
            accept();
        }
        return true;
    }
    if (key == Qt::Key_Escape) {
        reject();
        return true;
    }
    return false;
}

}  // namespace zorvan
