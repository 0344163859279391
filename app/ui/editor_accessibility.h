// QScintilla's own accessibility interface counts the characters from the start of the text on
// every caret move and every change, so each keystroke near the end of a long program costs time
// in proportion to its length. The editor is given the plain widget interface instead.
#pragma once

namespace zorvan {

// Installs the plain interface for QScintilla editors; call once a QScintilla widget exists (so
// that QScintilla's own factory is installed and this one is asked first). Repeated calls do
// nothing.
void usePlainEditorAccessibility();

}  // namespace zorvan
