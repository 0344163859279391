// The main window: a shell around the one document. It holds the editor view (Memo1), the
// gutter, the status bar, the menus, toolbar and context menu built from the command table, the
// document model and the operation runner. The subsystems add their commands, dialogs and
// panels through the Shell interface (app/ui/shell.h). Its handlers are spread over several
// files by concern: textform.cpp (window, close, edit commands), textform_commands.cpp (the
// command table and the placements), textform_view.cpp (status, gutter, bookmarks, font, modes,
// colouring), textform_document.cpp (files, loading, simulator).
#pragma once

#include "app/logic/document_model.h"
#include "app/ui/operation_runner.h"
#include "app/ui/scintilla_editor.h"
#include "app/ui/shell.h"

#include <QMainWindow>
#include <QString>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QShortcut;
class QSplitter;
class QToolBar;
class QWidget;
class QsciScintilla;

namespace zorvan {

class TFormSetting;
class TFormAxis;
class TCalcForm;
class TFormDentak;
class TOpenForm;
class StillCaret;
class GutterPaintBox;
class RecentFilesMenu;

// A dialog a subsystem created under the window, by its object name: lets the window keep the
// dialogs' names (FormAxis, CalcForm, FormDentak) without knowing their classes.
template <typename Dialog> class DialogRef {
public:
    DialogRef(QObject* owner, const char* name) : owner_(owner), name_(name) {}
    Dialog* get() const { return owner_->findChild<Dialog*>(QString::fromLatin1(name_)); }
    operator Dialog*() const { return get(); }
    Dialog* operator->() const { return get(); }
    friend bool operator==(const DialogRef& ref, std::nullptr_t) { return ref.get() == nullptr; }
    friend bool operator!=(const DialogRef& ref, std::nullptr_t) { return ref.get() != nullptr; }

private:
    QObject* owner_;
    const char* name_;
};

class TFormText : public QMainWindow, public Shell {
    Q_OBJECT
public:
    explicit TFormText(QWidget* parent = nullptr);
    ~TFormText() override;

private:
    DocumentModel document_;  // first: the forwarders below refer to it
    OperationRunner* runner_;

public:
    // Document and editor.
    QsciScintilla* Memo1 = nullptr;
    ScintillaEditor& editor() override { return *editor_; }
    // The document's state lives in the document model; these are its fields.
    QString& DocPath;
    int& PendingCaret;
    std::array<int, 12>& Marks;  // 0-9 bookmarks, 11 the last extreme value; -1 unset
    // True while the runner runs an operation.
    bool& Busy;

    // Main window state.
    bool InsertMode = true;
    bool Colouring = false;
    std::array<QAction*, 10> GoMarkItems{};

    // Controls.
    QMenuBar* ChildMenu1 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QFrame* Panel1 = nullptr;
    GutterPaintBox* PaintBox1 = nullptr;
    QSplitter* Splitter1 = nullptr;
    std::array<QLabel*, 5> statusPanels{};
    // A note on the loaded file beside the panels: that its line ends are mixed.
    QLabel* StatusNote = nullptr;
    // While a background operation runs: its progress (after its first 100 ms) and "中止".
    QProgressBar* OperationProgress = nullptr;
    QPushButton* OperationCancel = nullptr;
    // The document's encoding ("Shift-JIS", "UTF-8"), at the right end of the status bar.
    QLabel* StatusEncoding = nullptr;
    QComboBox* ComboBox1 = nullptr;  // font size box on the toolbar

    // Every command by its handler name ("New1Click", "OrgChenge", ...): one QAction each,
    // shared by all its placements. "<name>#tool" names the same action (its toolbar button).
    QAction* action(const QString& name) const override;
    // The check commands ("最強化", "大文字化"): one action each, in the menu and on the toolbar.
    QAction* TBnStrong = nullptr;
    QAction* ToolButton22 = nullptr;
    QAction* menuStrong = nullptr;
    QAction* menuUpper = nullptr;
    // The toolbar's save button: runs Saveas1Click, enabled only while the text is modified.
    QAction* ToolButton1 = nullptr;
    std::array<QAction*, 10> setMarkItems{};

    // "最近使ったファイル" of the file menu.
    RecentFilesMenu* recentFiles = nullptr;

    // Dialogs, one instance each. The subsystems own theirs; these find them by name.
    TOpenForm* OpenForm = nullptr;  // set by the entry routine
    TFormSetting* FormSetting = nullptr;
    DialogRef<TCalcForm> CalcForm{this, "CalcForm"};
    DialogRef<TFormAxis> FormAxis{this, "FormAxis"};
    DialogRef<TFormDentak> FormDentak{this, "FormDentak"};

    // --- Shell
    QWidget* window() override { return this; }
    QsciScintilla* view() override { return Memo1; }
    DocumentModel& document() override { return document_; }
    OperationRunner& runner() override { return *runner_; }
    void setStatusText(int panel, const QString& text) override;
    QString statusText(int panel) const;
    QAction* addCommand(const CommandRow& row) override;
    void placeInMenu(Menu menu, const QString& name, const QString& before = {}) override;
    QMenu* addFileSubmenu(const QString& title, const QString& before = {}) override;
    void placeOnToolBar(const QString& name, const QString& tip, const QString& before = {}) override;
    void addSidePanel(QWidget* panel) override;
    void onCaretMoved(std::function<void()> listener) override;
    void onTextChanged(std::function<void(const TextChange&)> listener) override;

    // Save confirmation: false means the caller abandons its operation (Cancel, or the text
    // could not be saved: the save dialog was cancelled).
    bool CheckSaveChanges() override;
    void setDocumentNote(const QString& note) override;
    void onClosing(std::function<bool()> mayClose) override;
    // Runs a command that replaces or changes the document now when no operation runs or waits,
    // else after them, in the runner's queue: never in the middle of one.
    void whenNoOperation(std::function<void()> command);
    // Whether a command on the document must wait for the operations now (it does not run as one).
    bool mustWait() const { return !runner_->idle() && inDocumentCommand_ == 0; }

    // --- File (textform_document.cpp)
    void New1Click();
    void Open1Click();
    void Save1Click();
    void Saveas1Click();
    void OpenFromCommandLine();
    // Starts a load of `path`, in `encoding` when one is chosen (else the file's own).
    void StartOpen(const QString& path, std::optional<Encoding> encoding = std::nullopt);
    // "文字コードを指定して開き直す": the file again in `encoding` (asks first to save changes).
    void ReopenInEncoding(Encoding encoding);
    // "文字コードを指定して保存": saves under a name chosen in the dialog, in `encoding`.
    void SaveInEncoding(FileEncoding encoding);
    void LoadDocument();
    // The load as a background operation: the file is read and decoded on a worker and shown in
    // one swap of the text; a cancelled or failed load leaves the previous document in place.
    OperationRunner::Background PrepareLoad();
    void MergeFile(const QString& path, int mode);
    void PMAddFileClick();
    void PMInsertFileClick();
    void RunNcExecute();
    void RunNcThearExecute();
    // Command-line arguments after the program name (set by the entry routine).
    QStringList commandLineArguments;
    // Files dropped on the window: each opened in turn after its save confirmation.
    void DropFiles(const QStringList& paths);

    // --- Edit and window (textform.cpp)
    void Close1Click();
    // Undo and redo: one step of the history each (typing, or a whole command).
    void Undo1Click();
    void Redo1Click();
    void Cut1Click();
    void Copy1Click();
    void Paste1Click();
    void SelectAll1Click();
    void About1Click();
    void Pelmora1Click();
    // Opens the editor's context menu below the caret (Shift+F10).
    void PopupMenuAtCaret();

    // --- View (textform_view.cpp)
    void UpdateStatus() override;
    void PaintGutter();
    // The gutter panel's width: kGutterWidth, or wider when the document's line numbers need it.
    static constexpr int kGutterWidth = 33;
    static constexpr int kGutterNarrowest = 20;  // the splitter may narrow it this far
    void fitGutter();
    void Font();
    void FontSizeChange();
    void ApplyEditorFont();
    void NBookmark9Click(int n);
    void NGoBookmark9Click(int n);
    void TBnStrongClick(QAction* sender = nullptr);
    void ToolButton22Click(QAction* sender = nullptr);
    void ColourAll();
    void ColourCaretLine();
    void Memo1Change(const TextChange& change);

    // --- Commands of the subsystems, by their handler names: each triggers its action.
    void OrgChengeExecute() { runCommand("OrgChenge"); }
    void AfineChehgeExecute() { runCommand("AfineChehge"); }
    void CalculateClick() { runCommand("CalculateClick"); }
    void Kaeru() { runCommand("Kaeru"); }
    void ToolButton25Click() { runCommand("ToolButton25Click"); }
    void runCommand(const QString& name);

signals:
    // Emitted once the window has been shown for the first time.
    void firstShown();
    // Emitted when the window has closed for good (the program ends with it).
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;  // textform_document.cpp
    void dropEvent(QDropEvent* event) override;            // textform_document.cpp

private:
    void installFileDrops();  // textform_document.cpp: the window and the editor take file drops
    void buildLayout();
    void lockForOperation(bool locked);
    // Shows the text a load has read: text and colours (put in by `load`, first, so that a load
    // cancelled there leaves everything as it was), path, title, caret. `colourCaretLine`: the
    // load left the text without colours.
    void showLoaded(LineEnds lineEnds, FileEncoding encoding, const std::function<void()>& load, bool colourCaretLine);
    QShortcut* cancelShortcut_ = nullptr;
    StillCaret* stillCaret_ = nullptr;  // holds the caret and selection while locked
    void addOwnCommands();  // textform_commands.cpp: the window's own rows
    void buildCommands();   // textform_commands.cpp: menus, toolbar, context menu
    void FormCreate();      // textform_view.cpp: settings, font, status, marks
    void installEditorHooks();  // textform_view.cpp: keys, mouse, change notification, scrolling
    QAction* commandAction(const QString& name);  // the one action of `name`, made on first use
    QMenu* menuFor(Menu menu) const;

    struct Command {
        QAction* action = nullptr;
        bool built = false;
    };
    std::unique_ptr<ScintillaEditor> editor_;
    std::map<QString, Command> commands_;
    std::map<Menu, QMenu*> menus_;
    std::vector<std::function<void()>> caretListeners_;
    std::vector<std::function<void(const TextChange&)>> textListeners_;
    std::vector<std::function<bool()>> closeGuards_;
    bool closeWhenIdle_ = false;  // a close waits for the cancelled operations to end
    int inDocumentCommand_ = 0;   // > 0 while a command that waited runs in the runner's queue
    bool shownOnce_ = false;
    int gutterFitted_ = kGutterWidth;  // the width fitGutter gave the panel last
};

// The program-wide pointer to the main window.
extern TFormText* FormText;

}  // namespace zorvan
