// Ties a preview panel to the main window: the text it reads, the change notices that make it
// work the path out again, the caret line it highlights, and a clicked segment that puts the
// caret on its line.
#pragma once

namespace zorvan {
class Shell;
}

namespace zorvan::preview {

class PreviewPanel;

void linkPreviewToShell(PreviewPanel& panel, Shell& shell);

}  // namespace zorvan::preview
