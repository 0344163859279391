#include "app/ui/byte_markers.h"

#include "app/logic/document_file.h"

#include <Qsci/qsciscintilla.h>

#include <QString>

namespace zorvan {

namespace {

const char* const kInstalled = "zorvanByteMarkers";

void setMarkers(QsciScintilla* widget)
{
    for (char32_t marker : allMarkers()) {
        const QByteArray character = QString::fromUcs4(&marker, 1).toUtf8();
        widget->SendScintilla(QsciScintillaBase::SCI_SETREPRESENTATION, character.constData(),
                              markerLabel(marker).c_str());
    }
}

}  // namespace

void installByteMarkers(QsciScintilla* widget)
{
    if (widget->property(kInstalled).toBool())
        return;
    widget->setProperty(kInstalled, true);
    setMarkers(widget);
}

void restoreByteMarkers(QsciScintilla* widget)
{
    if (widget->property(kInstalled).toBool())
        setMarkers(widget);
}

}  // namespace zorvan
