// Ties a preview panel to the editor: the text it reads, edits that make it work the path out
// again, the caret line it highlights, and a clicked segment that puts the caret on its line.
#pragma once

namespace zorvan {
class ScintillaEditor;
}

namespace zorvan::preview {

class PreviewPanel;

void linkPreviewToEditor(PreviewPanel& panel, ScintillaEditor& editor);

}  // namespace zorvan::preview
