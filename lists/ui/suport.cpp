#include "lists/ui/suport.h"

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
