#include "preview/ui/preview_editor_link.h"

#include "app/ui/shell.h"
#include "preview/ui/preview_panel.h"

#include <Qsci/qsciscintilla.h>

#include <memory>

namespace zorvan::preview {

namespace {

// The line a click in the panel (a segment, a warning) chose, shown with a background of its own
// until the caret leaves it: the editor shows it also before it has the focus, and a caret alone
// is hard to find in a long program.
constexpr int kChosenLineMarker = 20;

void markChosenLine(QsciScintilla* view, int line)
{
    view->markerDeleteAll(kChosenLineMarker);
    if (line >= 0)
        view->markerAdd(line, kChosenLineMarker);
}

}  // namespace

void linkPreviewToShell(PreviewPanel& panel, Shell& shell)
{
    TextEditor& editor = shell.editor();
    if (QsciScintilla* view = shell.view()) {
        view->markerDefine(QsciScintilla::Background, kChosenLineMarker);
        view->setMarkerBackgroundColor(kChosenLineColour, kChosenLineMarker);
    }
    panel.setTextSource([&editor] { return editor.text(); });
    shell.onTextChanged([&panel](const TextChange& change) { panel.textChanged(change); });
    auto chosen = std::make_shared<int>(-1);  // the line marked, -1 none
    shell.onCaretMoved([&panel, &editor, &shell, chosen] {
        const int line = editor.lineFromPosition(editor.caret());
        panel.setCaretLine(line);
        if (*chosen >= 0 && line != *chosen) {
            *chosen = -1;
            markChosenLine(shell.view(), -1);
        }
    });
    QObject::connect(&panel, &PreviewPanel::lineClicked, shell.window(), [&shell, &editor, chosen](int line) {
        if (line < 0 || line >= editor.lineCount())
            return;
        editor.setCaret(editor.positionFromLine(line));
        editor.scrollCaretIntoView();
        *chosen = line;
        markChosenLine(shell.view(), line);
        shell.view()->setFocus(Qt::OtherFocusReason);
        shell.UpdateStatus();  // the status bar shows the new caret, and the panel its line
    });
    panel.setCaretLine(editor.lineFromPosition(editor.caret()));
    panel.documentReplaced();
}

}  // namespace zorvan::preview
