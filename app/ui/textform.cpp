#include "app/ui/textform.h"

#include "app/ui/features.h"
#include "app/ui/formopen.h"
#include "app/ui/gutter.h"
#include "app/ui/prompts.h"
#include "app/ui/recent_files_menu.h"
#include "app/ui/settingform.h"
#include "app/ui/still_caret.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

namespace zorvan {

TFormText* FormText = nullptr;

TFormText::TFormText(QWidget* parent)
    : QMainWindow(parent),
      runner_(new OperationRunner(
          {[this](const QString& caption) {
               setStatusText(3, caption);
               if (statusPanels[3]->isVisible())
                   statusPanels[3]->repaint();
           },
           [this] { UpdateStatus(); }, [this](const std::exception& e) { showUserError(this, e); },
           [this](bool locked) { lockForOperation(locked); },
           [this](int permille) {
               OperationProgress->setVisible(permille >= 0);
               OperationCancel->setVisible(permille >= 0);
               OperationProgress->setValue(std::max(permille, 0));
           },
           [this](const QString& note) { setStatusText(3, note); }},
          this)),
      DocPath(document_.DocPath),
      PendingCaret(document_.PendingCaret),
      Marks(document_.Marks),
      Busy(runner_->Busy)
{
    FormText = this;
    setObjectName("FormText");
    setWindowTitle("Zorvan");
    resize(863, 439);
    buildLayout();
    // A new document made while an operation's result is applied gives the window its turn.
    editor_->setBuildPause([this] { runner_->yieldToWindow(); }, [this] { return runner_->applying(); });
    document_.attachEditor(editor_.get());
    runner_->defineInBackground(
        OperationRunner::Load, QStringLiteral("読み込み中"), [this] { return PrepareLoad(); },
        [this] { document_.loadFailed(); });
    addOwnCommands();
    buildCommands();
    recentFiles = new RecentFilesMenu(*this);
    FormSetting = new TFormSetting(this);
    registerFeatures(*this);
    FormCreate();
    installFileDrops();
}

TFormText::~TFormText()
{
    if (FormText == this)
        FormText = nullptr;
}

void TFormText::buildLayout()
{
    ToolBar1 = addToolBar("ToolBar1");
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setMovable(false);
    ToolBar1->setIconSize(QSize(20, 20));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);

    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName("Splitter1");
    Splitter1->setHandleWidth(3);
    Splitter1->setChildrenCollapsible(false);

    Panel1 = new QFrame(Splitter1);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);
    Panel1->setMinimumWidth(kGutterNarrowest);
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->setContentsMargins(1, 1, 1, 1);
    PaintBox1 = new GutterPaintBox(document_, Panel1);
    PaintBox1->setObjectName("PaintBox1");
    panelLayout->addWidget(PaintBox1);

    Memo1 = new QsciScintilla(Splitter1);
    Memo1->setObjectName("Memo1");
    Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    Memo1->setWrapMode(QsciScintilla::WrapNone);
    Memo1->SendScintilla(QsciScintillaBase::SCI_SETHSCROLLBAR, 0UL, 0L);
    Memo1->setMarginWidth(0, 0);
    Memo1->setMarginWidth(1, 0);
    editor_ = std::make_unique<ScintillaEditor>(Memo1);
    stillCaret_ = new StillCaret(Memo1);
    PaintBox1->setEditorView(Memo1);
    connect(Memo1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(Memo1->mapToGlobal(at)); });

    Splitter1->addWidget(Panel1);
    Splitter1->addWidget(Memo1);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({kGutterWidth, 863 - kGutterWidth});
    setCentralWidget(Splitter1);

    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar1");
    bar->setFixedHeight(19);
    bar->setSizeGripEnabled(true);
    const int widths[5] = {80, 60, 50, 100, 50};
    for (int i = 0; i < 5; ++i) {
        statusPanels[i] = new QLabel(bar);
        statusPanels[i]->setObjectName(QString("StatusPanel%1").arg(i));
        statusPanels[i]->setFixedWidth(widths[i]);
        statusPanels[i]->setFrameShape(QFrame::Panel);
        statusPanels[i]->setFrameShadow(QFrame::Sunken);
        bar->addWidget(statusPanels[i]);
    }
    StatusNote = new QLabel(bar);
    StatusNote->setObjectName("StatusNote");
    bar->addWidget(StatusNote);
    OperationProgress = new QProgressBar(bar);
    OperationProgress->setObjectName("OperationProgress");
    OperationProgress->setRange(0, 1000);
    OperationProgress->setTextVisible(false);
    OperationProgress->setMaximumSize(120, 15);
    OperationProgress->hide();
    bar->addWidget(OperationProgress);
    OperationCancel = new QPushButton(QStringLiteral("中止"), bar);
    OperationCancel->setObjectName("OperationCancel");
    OperationCancel->setMaximumHeight(17);
    OperationCancel->setFocusPolicy(Qt::NoFocus);
    OperationCancel->hide();
    bar->addWidget(OperationCancel);
    connect(OperationCancel, &QPushButton::clicked, runner_, &OperationRunner::cancel);
    cancelShortcut_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    cancelShortcut_->setEnabled(false);
    connect(cancelShortcut_, &QShortcut::activated, runner_, &OperationRunner::cancel);
    StatusEncoding = new QLabel(bar);
    StatusEncoding->setObjectName("StatusEncoding");
    bar->addPermanentWidget(StatusEncoding);
}

// While a background operation works the text must not change under it: typing and the commands
// wait, and Escape cancels it ("中止" too, shown with the progress bar once the work takes longer).
void TFormText::lockForOperation(bool locked)
{
    Memo1->setReadOnly(locked);
    stillCaret_->hold(locked);
    menuBar()->setEnabled(!locked);
    ToolBar1->setEnabled(!locked);
    cancelShortcut_->setEnabled(locked);
}

void TFormText::setStatusText(int panel, const QString& text)
{
    statusPanels.at(panel)->setText(text);
}

QString TFormText::statusText(int panel) const { return statusPanels.at(panel)->text(); }

bool TFormText::CheckSaveChanges()
{
    if (!editor_->isModified())
        return true;
    auto answer = prompts().ask(this, "確認", "変更されています\u3000保存しますか",
                                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                QMessageBox::Question);
    if (answer == QMessageBox::Cancel || answer == QMessageBox::NoButton)
        return false;
    if (answer == QMessageBox::Yes) {
        Saveas1Click();
        // A cancelled save dialog leaves the text unsaved: the caller's new text, file or
        // simulator run must not replace it.
        if (editor_->isModified())
            return false;
    }
    return true;
}

void TFormText::closeEvent(QCloseEvent* event)
{
    event->ignore();
    if (!runner_->idle()) {
        // The running operation is cancelled as "中止" does and the waiting ones dropped; the close
        // goes on once they have ended, from the event loop (not inside an operation's turn).
        if (!closeWhenIdle_) {
            closeWhenIdle_ = true;
            runner_->whenIdle([this] {
                closeWhenIdle_ = false;
                QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
            });
        }
        runner_->cancelAll();
        return;
    }
    bool goOn = false;
    runGuarded(this, [&] {
        goOn = std::all_of(closeGuards_.begin(), closeGuards_.end(), [](const auto& mayClose) { return mayClose(); })
               && CheckSaveChanges();
    });
    if (!goOn)
        return;
    event->accept();
    emit closed();
}

void TFormText::onClosing(std::function<bool()> mayClose) { closeGuards_.push_back(std::move(mayClose)); }

void TFormText::setDocumentNote(const QString& note) { StatusNote->setText(note); }

void TFormText::whenNoOperation(std::function<void()> command)
{
    constexpr int kDocumentCommandCode = 5;
    if (!mustWait()) {
        command();
        return;
    }
    runner_->queue(kDocumentCommandCode, QString(), [this, command = std::move(command)] {
        ++inDocumentCommand_;
        try {
            command();
        } catch (...) {
            --inDocumentCommand_;
            throw;
        }
        --inDocumentCommand_;
    });
}

void TFormText::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        emit firstShown();
    }
}

void TFormText::Close1Click() { close(); }
void TFormText::Undo1Click()
{
    editor_->undo();
    editor_->scrollCaretIntoView();
    UpdateStatus();
}

void TFormText::Redo1Click()
{
    editor_->redo();
    editor_->scrollCaretIntoView();
    UpdateStatus();
}

void TFormText::Cut1Click() { Memo1->cut(); }
void TFormText::Copy1Click() { Memo1->copy(); }
void TFormText::Paste1Click() { Memo1->paste(); }
void TFormText::SelectAll1Click() { Memo1->selectAll(); }

void TFormText::About1Click()
{
    if (OpenForm)
        OpenForm->showAbout();
}

void TFormText::runCommand(const QString& name)
{
    if (QAction* command = action(name))
        command->trigger();
}

void TFormText::Pelmora1Click()
{
    if (FormSetting)
        FormSetting->exec();
}

void TFormText::PopupMenuAtCaret()
{
    const auto caret = static_cast<unsigned long>(Memo1->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS));
    const int x = static_cast<int>(Memo1->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, caret));
    const int y = static_cast<int>(Memo1->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL, caret));
    const int line = static_cast<int>(Memo1->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, caret));
    const int height = static_cast<int>(Memo1->SendScintilla(QsciScintillaBase::SCI_TEXTHEIGHT, static_cast<unsigned long>(line)));
    // Below the caret's line, or inside the view when the caret is scrolled out of it.
    QWidget* view = Memo1->viewport();
    const QRect inside = view->rect();
    const QPoint at(std::clamp(x, inside.left(), inside.right()), std::clamp(y + height, inside.top(), inside.bottom()));
    PopupMenu1->popup(view->mapToGlobal(at));
}

}  // namespace zorvan
