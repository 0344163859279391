#include "app/ui/byte_markers.h"

#include "app/logic/document_file.h"

#include <Qsci/qsciscintilla.h>

#include <QString>

namespace zorvan {

void installByteMarkers(QsciScintilla* widget)
{
    const char* done = "zorvanByteMarkers";
    if (widget->property(done).toBool())
        return;
    widget->setProperty(done, true);
    for (int b = 0; b <= 0xFF; ++b) {
        QString label = b == 0 ? QStringLiteral("NUL")
                        : b == '\r' ? QStringLiteral("CR")
                                    : QStringLiteral("x") + QString::number(b, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        const QByteArray character = QString(QChar(static_cast<char16_t>(kByteMarkerBase + b))).toUtf8();
        const QByteArray representation = label.toUtf8();
        widget->SendScintilla(QsciScintillaBase::SCI_SETREPRESENTATION, character.constData(),
                              representation.constData());
    }
}

}  // namespace zorvan
