// Shows the reserved code points that stand for bytes of a file (NUL, a CR inside a line, bytes
// that are not Shift-JIS) as visible blobs in the editor: "NUL", "CR", "x80" ... "xFF", and a
// two-byte code that is no character as one blob ("x8540").
#pragma once

class QsciScintilla;

namespace zorvan {

// Sets the representations once per widget; later calls do nothing.
void installByteMarkers(QsciScintilla* widget);
// Sets them again where they were set: a widget given another document forgets them.
void restoreByteMarkers(QsciScintilla* widget);

}  // namespace zorvan
