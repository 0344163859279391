#include "preview/ui/preview_editor_link.h"

#include "app/logic/text_editor.h"
#include "preview/ui/preview_panel.h"

#include <Qsci/qsciscintilla.h>

#include <memory>

namespace zorvan::preview {

void linkPreviewToEditor(PreviewPanel& panel, TextEditor& editor, QsciScintilla* widget)
{
    panel.setTextSource([&editor] { return editor.text(); });
    // The editor asks the widget only for the announcements made before a change. A command
    // may change thousands of lines at once: one queued call, run when control is back in the
    // event loop, tells the panel once for all of them.
    auto announced = std::make_shared<bool>(false);
    QObject::connect(widget, &QsciScintillaBase::SCN_MODIFIED, &panel,
                     [&panel, announced](int, int type, const char*, int, int, int, int, int, int, int) {
                         if (!(type & (QsciScintillaBase::SC_MOD_BEFOREINSERT | QsciScintillaBase::SC_MOD_BEFOREDELETE))
                             || *announced)
                             return;
                         *announced = true;
                         QMetaObject::invokeMethod(
                             &panel,
                             [&panel, announced] {
                                 *announced = false;
                                 panel.documentChanged();
                             },
                             Qt::QueuedConnection);
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
