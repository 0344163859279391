// The editor's font lives in the QScintilla styles. These set and read it on every style the
// program uses, leaving the styles' colours as they are.
#pragma once

#include <QFont>

class QsciScintilla;

namespace zorvan {

QFont editorFont(const QsciScintilla& widget);
void setEditorFont(QsciScintilla& widget, const QFont& font);

}  // namespace zorvan
