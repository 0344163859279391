// Ties a preview panel to the editor: the text it reads, edits that make it work the path out
// again, the caret line it highlights, and a clicked segment that puts the caret on its line.
#pragma once

class QsciScintilla;

namespace zorvan {
class TextEditor;
}

namespace zorvan::preview {

class PreviewPanel;

// `view` is the QScintilla widget that shows `editor`'s text.
void linkPreviewToEditor(PreviewPanel& panel, TextEditor& editor, QsciScintilla* view);

}  // namespace zorvan::preview
