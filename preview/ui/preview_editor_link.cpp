#include "preview/ui/preview_editor_link.h"

#include "app/ui/shell.h"
#include "preview/ui/preview_panel.h"

#include <Qsci/qsciscintilla.h>

namespace zorvan::preview {

void linkPreviewToShell(PreviewPanel& panel, Shell& shell)
{
    TextEditor& editor = shell.editor();
    panel.setTextSource([&editor] { return editor.text(); });
    shell.onTextChanged([&panel](const TextChange& change) { panel.textChanged(change); });
    shell.onCaretMoved([&panel, &editor] { panel.setCaretLine(editor.lineFromPosition(editor.caret())); });
    QObject::connect(&panel, &PreviewPanel::lineClicked, shell.window(), [&shell, &editor](int line) {
        if (line < 0 || line >= editor.lineCount())
            return;
        editor.setCaret(editor.positionFromLine(line));
        editor.scrollCaretIntoView();
        shell.view()->setFocus();
        shell.UpdateStatus();  // the status bar shows the new caret, and the panel its line
    });
    panel.setCaretLine(editor.lineFromPosition(editor.caret()));
    panel.documentReplaced();
}

}  // namespace zorvan::preview
