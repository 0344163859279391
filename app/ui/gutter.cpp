#include "app/ui/gutter.h"

#include "app/logic/document_model.h"

#include <Qsci/qsciscintilla.h>

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace zorvan {

namespace {
const QColor kBookmarkBackground(0, 255, 0);
const QColor kExtremeBackground(255, 0, 0);
constexpr int kLeft = 2;
constexpr int kRight = 2;
}  // namespace

int GutterPaintBox::widthFor(int lineCount) const
{
    const QFontMetrics metrics(font());
    int width = kLeft + metrics.horizontalAdvance(QStringLiteral("EXTR"));
    const int largestShown = (lineCount - 1) / 10 * 10;  // every tenth line from 10 on shows its number
    if (largestShown >= 10)
        width = std::max(width, kLeft + metrics.horizontalAdvance(QString::number(largestShown)) + kRight);
    return width;
}

GutterPaintBox::GutterPaintBox(const DocumentModel& document, QWidget* parent)
    : QWidget(parent), document_(document)
{
    // Small enough for "EXTR" and four-digit line numbers to fit the panel at its narrowest; the
    // window widens the panel for longer numbers (widthFor).
    QFont small = font();
    small.setPointSizeF(7);
    setFont(small);
}

void GutterPaintBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    QsciScintilla* memo = memo_;
    if (!memo)
        return;

    // The labels sit beside the editor's lines: same line height, same top.
    const int firstDisplay = static_cast<int>(memo->SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE));
    const int lineHeight = static_cast<int>(
        memo->SendScintilla(QsciScintillaBase::SCI_TEXTHEIGHT, static_cast<unsigned long>(firstDisplay)));
    if (lineHeight <= 0)
        return;
    const int top = memo->viewport()->mapTo(window(), QPoint(0, 0)).y() - mapTo(window(), QPoint(0, 0)).y();
    const int rows = memo->viewport()->height() / lineHeight + 1;
    const int lineCount = static_cast<int>(memo->SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT));

    const QFontMetrics metrics(font());
    const int textTop = (lineHeight - metrics.height()) / 2;
    auto label = [&](const QString& text, int y, const QColor& background) {
        QRect box(kLeft, y + textTop, metrics.horizontalAdvance(text), metrics.height());
        painter.fillRect(box, background);
        painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, text);
    };

    painter.setPen(palette().windowText().color());
    int previous = -1;
    for (int row = 0; row < rows; ++row) {
        const int line = static_cast<int>(memo->SendScintilla(QsciScintillaBase::SCI_DOCLINEFROMVISIBLE,
                                                               static_cast<unsigned long>(firstDisplay + row)));
        if (line >= lineCount || line <= previous)
            break;
        previous = line;
        const int y = top + row * lineHeight;
        for (int n = 0; n < 10; ++n)
            if (document_.mark(n) == line)
                label(QString("B%1").arg(n), y, kBookmarkBackground);
        if (document_.mark(DocumentModel::kExtremeMark) == line)
            label("EXTR", y, kExtremeBackground);
        if (line % 10 == 0 && line != 0) {
            const QString number = QString::number(line);
            const int x = width() - metrics.horizontalAdvance(number) - kRight;
            painter.drawText(QRect(x, y + textTop, metrics.horizontalAdvance(number), metrics.height()),
                             Qt::AlignLeft | Qt::AlignVCenter, number);
        }
    }
}

}  // namespace zorvan
