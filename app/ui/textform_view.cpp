// The editor view: status bar, gutter, bookmarks, font, typing modes, stay-on-top, colouring.
#include "app/ui/textform.h"

#include "app/logic/settings.h"
#include "app/ui/gutter.h"
#include "app/ui/prompts.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>

namespace zorvan {

void TFormText::FormCreate()
{
    InsertMode = true;
    setStatusText(4, "Kw");
    ProgramSettings& settings = programSettings();
    EditorFont font{"ＭＳ Ｐゴシック", 9};
    settings_store::read(settings, font);
    QFont editorFont(QString::fromStdString(font.name), font.size);
    Memo1->setFont(editorFont);
    for (int size = 6; size <= 23; ++size)
        ComboBox1->addItem(QString::number(size));
    ComboBox1->setCurrentIndex(font.size - 6);
    editor_->setModified(false);
    ToolButton22->setChecked(settings.UpperMode);
    menuUpper->setChecked(settings.UpperMode);
    installEditorHooks();
    UpdateStatus();
    Marks.fill(-1);
}

void TFormText::installEditorHooks()
{
    Memo1->installEventFilter(this);
    editor_->setChangeHandler([this] { Memo1Change(); });
}

bool TFormText::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Memo1 && (event->type() == QEvent::KeyRelease || event->type() == QEvent::MouseButtonRelease))
        UpdateStatus();
    return QMainWindow::eventFilter(watched, event);
}

void TFormText::UpdateStatus()
{
    long caret = editor_->caret();
    int line = editor_->lineFromPosition(caret);
    long column = caret - editor_->positionFromLine(line);
    setStatusText(0, QString("%1: %2").arg(line).arg(column));
    bool modified = editor_->isModified();
    if (modified) {
        setStatusText(1, "変更あり");
        setWindowTitle("Zorvan *" + DocPath);
    } else {
        setStatusText(1, QString());
    }
    ToolButton1->setEnabled(modified);
    setStatusText(2, InsertMode ? "挿入" : "上書き");
    setStatusText(3, QString());
    PaintGutter();
}

void TFormText::PaintGutter() { PaintBox1->update(); }

void TFormText::Font() {}
void TFormText::FontSizeChange() {}
void TFormText::ApplyEditorFont() {}
void TFormText::NBookmark9Click(int) {}
void TFormText::NGoBookmark9Click(int) {}
void TFormText::TBnStrongClick(QAction*) {}

void TFormText::ToolButton22Click(QAction* sender)
{
    if (sender == ToolButton22)
        menuUpper->setChecked(ToolButton22->isChecked());
    else
        ToolButton22->setChecked(menuUpper->isChecked());
    programSettings().UpperMode = ToolButton22->isChecked();
}

void TFormText::ColourAll() {}
void TFormText::ColourCaretLine() {}
void TFormText::Memo1Change() { ColourCaretLine(); }

}  // namespace zorvan
