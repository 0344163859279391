#include "app/ui/toolbar_icons.h"

#include <QPainter>
#include <QPixmap>

#include <array>

namespace zorvan {

QIcon toolbarIcon(int index)
{
    // One mark per image index 0 to 22, in the order of the toolbar's image list.
    static const std::array<const char*, 23> marks = {
        "S", "C", "X", "P", "F", "R", "→", "O", "A", "M", "⇄", "↕", "+", "↻",
        "!", "N", "Aa", "{}", "▶", "±", "電", "$", "♪"};
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor tile = QColor::fromHsv((index * 47) % 360, 90, 215);
    painter.setBrush(tile);
    painter.setPen(tile.darker(150));
    painter.drawRoundedRect(QRectF(0.5, 0.5, 19, 19), 3, 3);
    painter.setPen(Qt::black);
    QFont font = painter.font();
    font.setPixelSize(11);
    font.setBold(true);
    painter.setFont(font);
    if (index >= 0 && index < static_cast<int>(marks.size()))
        painter.drawText(QRect(0, 0, 20, 20), Qt::AlignCenter, QString::fromUtf8(marks[index]));
    return QIcon(pixmap);
}

}  // namespace zorvan
