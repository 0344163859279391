// Ties a preview panel to the main window: the text it reads, the change notices that make it
// work the path out again, the caret line it highlights, and a clicked segment or warning that
// puts the caret on its line, gives the editor the focus and marks the line until the caret
// leaves it.
#pragma once

#include <QColor>

namespace zorvan {
class Shell;
}

namespace zorvan::preview {

class PreviewPanel;

// The background of the editor line a click in the panel chose.
inline const QColor kChosenLineColour{255, 236, 160};

void linkPreviewToShell(PreviewPanel& panel, Shell& shell);

}  // namespace zorvan::preview
