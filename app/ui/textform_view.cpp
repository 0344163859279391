// The editor view: status bar, gutter, bookmarks, font, typing modes, stay-on-top, colouring.
#include "app/ui/textform.h"

#include "app/logic/colouring.h"
#include "app/logic/settings.h"
#include "app/ui/editor_accessibility.h"
#include "app/ui/editor_font.h"
#include "app/ui/gutter.h"
#include "app/ui/prompts.h"
#include "app/ui/upper_case_typing.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>

#include <algorithm>

namespace zorvan {

namespace {

constexpr int kSmallestListedSize = 6;
constexpr int kLargestListedSize = 23;

// Sets a flag for the lifetime of the object.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};

}  // namespace

void TFormText::FormCreate()
{
    usePlainEditorAccessibility();
    InsertMode = true;
    setStatusText(4, "Kw");
    editor_->setText({});
    ComboBox1->clear();
    ProgramSettings& settings = programSettings();
    EditorFont font{"ＭＳ Ｐゴシック", 9};
    settings_store::read(settings, font);
    QFont stored(QString::fromStdString(font.name));
    stored.setPointSize(font.size > 0 ? font.size : 9);
    setEditorFont(*Memo1, stored);
    for (int size = kSmallestListedSize; size <= kLargestListedSize; ++size)
        ComboBox1->addItem(QString::number(size));
    connect(ComboBox1, &QComboBox::activated, this, [this] { runGuarded(this, [&] { FontSizeChange(); }); });
    editor_->setModified(false);
    ToolButton22->setChecked(settings.UpperMode);
    for (int n = 0; n < 10; ++n) {
        setMarkItems[n]->setCheckable(true);
        GoMarkItems[n]->setCheckable(true);
    }
    ApplyEditorFont();
    UpdateStatus();
    installEditorHooks();
    document_.clearMarks();
}

void TFormText::installEditorHooks()
{
    Memo1->installEventFilter(this);
    Memo1->viewport()->installEventFilter(this);
    Memo1->viewport()->setMouseTracking(true);
    editor_->setChangeHandler([this](const TextChange& change) { Memo1Change(change); });
    editor_->setStepsDroppedHandler(
        [this] { statusBar()->showMessage(QStringLiteral("古い「元に戻す」の履歴を捨てました"), 4000); });
    // The gutter follows the editor's scrolling, but not the many scrolls of a running operation.
    auto follow = [this] {
        if (!Busy)
            PaintGutter();
    };
    connect(Memo1, &QsciScintillaBase::SCN_UPDATEUI, this, [follow](int updated) {
        if (updated & QsciScintillaBase::SC_UPDATE_V_SCROLL)
            follow();
    });
    connect(Memo1->verticalScrollBar(), &QScrollBar::valueChanged, this, follow);
    connect(Memo1, &QsciScintillaBase::SCN_ZOOM, this, follow);
}

bool TFormText::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Memo1) {
        switch (event->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            if ((key->modifiers() & Qt::ControlModifier) && key->key() == Qt::Key_H) {
                if (QAction* insert = action("btnSuportInsertClick"); insert && insert->isEnabled())
                    insert->trigger();
                return true;
            }
            // Insert alone switches the typing mode; with Ctrl it copies and with Shift it pastes,
            // which the editor does itself.
            if (key->key() == Qt::Key_Insert &&
                !(key->modifiers() & (Qt::ShiftModifier | Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier))) {
                InsertMode = !InsertMode;
                Memo1->setOverwriteMode(!InsertMode);
                return true;
            }
            if (applyUpperCaseTyping(Memo1, *key))
                return true;
            break;
        }
        case QEvent::KeyRelease:
            UpdateStatus();
            break;
        default:
            break;
        }
    } else if (watched == Memo1->viewport()) {
        if (event->type() == QEvent::MouseButtonRelease) {
            UpdateStatus();
        } else if (event->type() == QEvent::MouseMove) {
            long caret = editor_->caret();
            int line = editor_->lineFromPosition(caret);
            long column = caret - editor_->positionFromLine(line);
            Memo1->viewport()->setToolTip(QString("%1,%2").arg(column).arg(line));
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormText::UpdateStatus()
{
    long caret = editor_->caret();
    int line = editor_->lineFromPosition(caret);
    long column = caret - editor_->positionFromLine(line);
    setStatusText(0, QString("%1: %2").arg(line).arg(column));
    bool modified = document_.modified();
    if (modified) {
        setStatusText(1, "変更あり");
        setWindowTitle(document_.modifiedTitle());
    } else {
        setStatusText(1, QString());
        // Undo back to the saved text takes the mark out of the title again.
        if (windowTitle() == document_.modifiedTitle())
            setWindowTitle(document_.title());
    }
    ToolButton1->setEnabled(modified);
    action("Undo1Click")->setEnabled(editor_->canUndo());
    action("Redo1Click")->setEnabled(editor_->canRedo());
    setStatusText(2, InsertMode ? "挿入" : "上書き");
    setStatusText(3, QString());
    StatusEncoding->setText(encodingName(document_.encoding.encoding));
    StatusEncoding->setToolTip(document_.encoding.byteOrderMark ? QStringLiteral("BOM付き") : QString());
    fitGutter();
    PaintGutter();
    for (const auto& listener : caretListeners_)
        listener();
}

void TFormText::PaintGutter() { PaintBox1->update(); }

void TFormText::fitGutter()
{
    const QMargins margins = Panel1->layout()->contentsMargins();
    const int needed = PaintBox1->widthFor(editor_->lineCount()) + 2 * Panel1->frameWidth() + margins.left()
        + margins.right();
    // Narrower than its numbers the panel would cut them, so the splitter stops there.
    Panel1->setMinimumWidth(std::max(kGutterNarrowest, needed));
    const int fitted = std::max(kGutterWidth, needed);
    if (fitted == gutterFitted_)
        return;
    // The panel follows the numbers unless the user has moved the splitter to a wider place.
    QList<int> sizes = Splitter1->sizes();
    if (sizes.size() >= 2 && (sizes[0] == gutterFitted_ || sizes[0] < fitted)) {
        sizes[1] += sizes[0] - fitted;
        sizes[0] = fitted;
        Splitter1->setSizes(sizes);
    }
    gutterFitted_ = fitted;
}

void TFormText::Font()
{
    QFont chosen;
    if (!prompts().chooseFont(this, editorFont(*Memo1), chosen))
        return;
    setEditorFont(*Memo1, chosen);
    ApplyEditorFont();
    QFont applied = editorFont(*Memo1);
    settings_store::writeFont({applied.family().toStdString(), applied.pointSize()});
}

void TFormText::ApplyEditorFont()
{
    QFont font = editorFont(*Memo1);
    int index = font.pointSize() - kSmallestListedSize;
    ComboBox1->setCurrentIndex(index >= 0 && index < ComboBox1->count() ? index : -1);
    setEditorFont(*Memo1, font);
    PaintGutter();
}

void TFormText::FontSizeChange()
{
    bool ok = false;
    int size = ComboBox1->currentText().toInt(&ok);
    if (!ok || size <= 0)
        return;
    QFont font = editorFont(*Memo1);
    font.setPointSize(size);
    setEditorFont(*Memo1, font);
    settings_store::writeFontSize(size);
    PaintGutter();
}

void TFormText::NBookmark9Click(int n)
{
    if (n < 0 || n > 9)
        return;
    document_.setMark(n, editor_->lineFromPosition(editor_->caret()));
    setMarkItems[n]->setChecked(true);
    GoMarkItems[n]->setChecked(true);
    PaintGutter();
}

void TFormText::NGoBookmark9Click(int n)
{
    if (n < 0 || n > 9 || Marks[n] == -1)
        return;
    int line = std::clamp(Marks[n], 0, std::max(editor_->lineCount() - 1, 0));
    editor_->setCaret(editor_->positionFromLine(line));
    editor_->scrollCaretIntoView();
    UpdateStatus();
}

// The check commands have one action each, in the menu and on the toolbar: its checked state is
// the mode, whichever placement was used.
void TFormText::TBnStrongClick(QAction*)
{
    // Changing the flag hides the window; the widgets inside, the editor among them, stay.
    bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, TBnStrong->isChecked());
    if (visible)
        show();
}

void TFormText::ToolButton22Click(QAction*)
{
    programSettings().UpperMode = ToolButton22->isChecked();
}

void TFormText::ColourAll()
{
    if (Colouring)
        return;
    FlagScope guard(Colouring);
    Memo1->viewport()->setUpdatesEnabled(false);
    colouring::ColourAll(*editor_);
    Memo1->viewport()->setUpdatesEnabled(true);
}

void TFormText::ColourCaretLine()
{
    if (Colouring)
        return;
    FlagScope guard(Colouring);
    colouring::ColourCaretLine(*editor_);
}

void TFormText::Memo1Change(const TextChange& change)
{
    // A load is coloured by its loader, a command colours what it writes: only an edit that came
    // without its colours (typing) recolours the caret's line.
    if (!change.load && !change.coloured)
        ColourCaretLine();
    for (const auto& listener : textListeners_)
        listener(change);
}

}  // namespace zorvan
