#include "preview/ui/preview_editor_link.h"

#include "app/ui/scintilla_editor.h"
#include "preview/ui/preview_panel.h"

#include <Qsci/qsciscintilla.h>

namespace zorvan::preview {

void linkPreviewToEditor(PreviewPanel& panel, ScintillaEditor& editor)
{
    QsciScintilla* widget = editor.widget();
    panel.setTextSource([&editor] { return editor.text(); });
    // The editor asks the widget only for the announcements made before a change.
    QObject::connect(widget, &QsciScintillaBase::SCN_MODIFIED, &panel,
                     [&panel](int, int type, const char*, int, int, int, int, int, int, int) {
                         if (type & (QsciScintillaBase::SC_MOD_BEFOREINSERT | QsciScintillaBase::SC_MOD_BEFOREDELETE))
                             panel.documentChanged();
                     });
    QObject::connect(widget, &QsciScintilla::cursorPositionChanged, &panel,
                     [&panel](int line, int) { panel.setCaretLine(line); });
    QObject::connect(&panel, &PreviewPanel::lineClicked, widget, [&editor, widget](int line) {
        if (line < 0 || line >= editor.lineCount())
            return;
        editor.setCaret(editor.positionFromLine(line));
        editor.scrollCaretIntoView();
        widget->setFocus();
    });
    int line = 0, index = 0;
    widget->getCursorPosition(&line, &index);
    panel.setCaretLine(line);
    panel.documentReplaced();
}

}  // namespace zorvan::preview
