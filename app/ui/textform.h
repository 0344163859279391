// The main window: owns the one document (the text in Memo1, DocPath, the modified flag), the
// editor view around it and one instance of every dialog. Its handlers are spread over several
// files by concern: textform.cpp (window, close, edit commands), textform_commands.cpp (the
// command table), textform_view.cpp (status, gutter, bookmarks, font, modes, colouring),
// textform_document.cpp (files, loading, simulator) and nc/ui/nc_commands.cpp (NC commands).
#pragma once

#include "app/ui/scintilla_editor.h"

#include <QMainWindow>
#include <QString>

#include <array>
#include <functional>
#include <map>
#include <memory>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
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
class OpenFileThled;
class GutterPaintBox;

class TFormText : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormText(QWidget* parent = nullptr);
    ~TFormText() override;

    // Document and editor.
    QsciScintilla* Memo1 = nullptr;
    ScintillaEditor& editor() { return *editor_; }
    QString DocPath;

    // Main window state.
    QString findText, replaceText;                   // find/replace state
    std::array<bool, 3> findFlags{true, false, false};
    bool InsertMode = true;
    bool SelOnly = false;
    bool Colouring = false;
    int PendingCaret = 0;
    std::array<int, 12> Marks;  // 0-9 bookmarks, 11 the last extreme value; -1 unset
    std::array<QAction*, 10> GoMarkItems{};
    bool Busy = false;

    // Controls.
    QMenuBar* ChildMenu1 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QFrame* Panel1 = nullptr;
    GutterPaintBox* PaintBox1 = nullptr;
    QSplitter* Splitter1 = nullptr;
    std::array<QLabel*, 5> statusPanels{};
    QComboBox* ComboBox1 = nullptr;  // font size box on the toolbar

    // Every command by its handler name ("New1Click", "OrgChenge", ...), for the menus, the
    // toolbar, the keys and the tests.
    QAction* action(const QString& name) const;
    // Check items and check buttons that mirror each other ("最強化", "大文字化").
    QAction* TBnStrong = nullptr;
    QAction* ToolButton22 = nullptr;
    QAction* ToolButton1 = nullptr;  // the toolbar's save button
    QAction* menuStrong = nullptr;
    QAction* menuUpper = nullptr;
    std::array<QAction*, 10> setMarkItems{};

    // Dialogs, one instance each, created at start-up in a fixed order.
    TOpenForm* OpenForm = nullptr;  // set by the entry routine
    TFormSetting* FormSetting = nullptr;
    TCalcForm* CalcForm = nullptr;
    TFormAxis* FormAxis = nullptr;
    TFormDentak* FormDentak = nullptr;

    void setStatusText(int panel, const QString& text);
    QString statusText(int panel) const;

    // Save confirmation: false means the caller abandons its operation.
    bool CheckSaveChanges();

    // --- File (textform_document.cpp)
    void New1Click();
    void Open1Click();
    void Save1Click();
    void Saveas1Click();
    void OpenFromCommandLine();
    void StartOpen(const QString& path);
    void LoadDocument();
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
    void Cut1Click();
    void Copy1Click();
    void Paste1Click();
    void SelectAll1Click();
    void About1Click();
    void Pelmora1Click();
    void ToolButton25Click();

    // --- View (textform_view.cpp)
    void UpdateStatus();
    void PaintGutter();
    void Font();
    void FontSizeChange();
    void ApplyEditorFont();
    void NBookmark9Click(int n);
    void NGoBookmark9Click(int n);
    void TBnStrongClick(QAction* sender);
    void ToolButton22Click(QAction* sender);
    void ColourAll();
    void ColourCaretLine();
    void Memo1Change();

    // --- NC commands (nc/ui/nc_commands.cpp)
    void OrgChengeExecute();
    void AfineChehgeExecute();
    void CalculateClick();
    void Kaeru();

    // --- Commands built by later work: present, disabled.
    void btnSuportInsertClick() {}
    void Find() {}
    void Reprace() {}
    void FindNext() {}
    void RepraceXYZ() {}
    void FindMinMax() {}
    void ToolButton26Click() {}
    void ToolButton27Click() {}

signals:
    // Emitted once the window has been shown for the first time.
    void firstShown();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;  // textform_document.cpp
    void dropEvent(QDropEvent* event) override;            // textform_document.cpp

private:
    void installFileDrops();  // textform_document.cpp: the window and the editor take file drops
    QString shownDocPath_;    // the path of the text shown; a failed load goes back to it
    void buildLayout();
    void buildCommands();   // textform_commands.cpp
    void createDialogs();   // textform_dialogs.cpp
    void FormCreate();      // textform_view.cpp: settings, font, status, marks
    void installEditorHooks();  // textform_view.cpp: keys, mouse, change notification, scrolling
    void addCommand(const QString& name, QAction* action);

    std::unique_ptr<ScintillaEditor> editor_;
    std::map<QString, QAction*> actions_;
    bool shownOnce_ = false;
    friend class TextFormCommandTable;
};

// The program-wide pointer to the main window.
extern TFormText* FormText;

}  // namespace zorvan
