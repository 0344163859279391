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
    for (char32_t marker : allMarkers()) {
        const QByteArray character = QString::fromUcs4(&marker, 1).toUtf8();
        widget->SendScintilla(QsciScintillaBase::SCI_SETREPRESENTATION, character.constData(),
                              markerLabel(marker).c_str());
    }
}

}  // namespace zorvan
