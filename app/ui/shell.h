// How a subsystem plugs into the main window. The window knows the subsystems only through
// this interface: each subsystem's ui/ folder defines its registration function (declared in
// app/ui/features.h), which the window calls once at start-up with itself as the Shell.
//
// A registration function
//   - adds its rows to the one command table (addCommand): name (the handler name, also the
//     QAction's object name and the key of action()), caption, shortcut, toolbar image, whether
//     it is built yet, checkable, the handler. A name the window already places (its menus,
//     toolbar and context menu keep their order in app/ui/textform_commands.cpp) appears there;
//     a row for a name the window lists as "not built yet" replaces that row. New commands are
//     placed with placeInMenu / placeOnToolBar / addFileSubmenu;
//   - creates its dialogs once, parented to window(), and keeps them (found again by object
//     name through dialog<T>());
//   - hooks side panels beside the editor (addSidePanel), caret moves and text changes;
//   - runs every long command through runner() (see operation_runner.h) and reports failures by
//     throwing UserError (app/logic/user_error.h): handlers and operations are guarded, the
//     error is shown in one place.
//
// Handlers reach the document through the context below: the editor interface, the QScintilla
// view, the document model (path, pending caret, marks, modified), the runner, the status bar
// and the prompts (message boxes and file dialogs, scripted in tests).
#pragma once

#include "app/logic/text_editor.h"

#include <QIcon>
#include <QString>
#include <QWidget>

#include <functional>

class QAction;
class QMenu;
class QsciScintilla;

namespace zorvan {

class DocumentModel;
class OperationRunner;
class Prompts;

// One row of the command table.
struct CommandRow {
    QString name{};    // handler name, e.g. "Find", "Kaeru", "ToolButton26Click"
    QString caption{}; // menu caption; also the action's tip
    QString shortcut{};  // e.g. "Ctrl+F"; empty for none
    int image = -1;    // toolbar image index (app/ui/toolbar_icons.h), -1 none
    std::function<void()> run{};  // the handler, run guarded (a thrown error is shown)
    bool built = true;          // false: shown but disabled, its work is not built yet
    bool checkable = false;     // a mode: the action's checked state is the mode
    bool iconInMenus = false;   // the toolbar image also shows in the menus
    QIcon icon{};               // an own image instead of `image`
};

class Shell {
public:
    virtual ~Shell() = default;

    // --- The context of the handlers.
    virtual QWidget* window() = 0;  // parent of every dialog
    virtual TextEditor& editor() = 0;  // the editor interface over the view
    virtual QsciScintilla* view() = 0;
    virtual DocumentModel& document() = 0;
    virtual OperationRunner& runner() = 0;
    Prompts& prompts() const;
    // Status bar panels: 0 caret, 1 modified, 2 insert mode, 3 progress caption, 4 maker.
    virtual void setStatusText(int panel, const QString& text) = 0;
    // Refreshes the status bar and the gutter (the progress caption is cleared).
    virtual void UpdateStatus() = 0;
    // The save confirmation before the document is replaced: false means the caller abandons
    // its operation (Cancel, or the text could not be saved).
    virtual bool CheckSaveChanges() = 0;
    // A note on the document shown beside the status panels until the next load, save or "new"
    // (a received program that is incomplete).
    virtual void setDocumentNote(const QString& note) = 0;
    // Asked before the window closes, after any running operation has been cancelled and before
    // the save confirmation: false keeps the window open (a transfer the user lets go on).
    virtual void onClosing(std::function<bool()> mayClose) = 0;

    // --- Registration.
    // Adds a row, or completes the row already listed under its name; returns the command's one
    // QAction. Two built rows of one name are a programming error (std::logic_error).
    virtual QAction* addCommand(const CommandRow& row) = 0;
    // The command's QAction; nullptr for an unknown name.
    virtual QAction* action(const QString& name) const = 0;

    enum class Menu { File, Edit, Search, Other, Context };
    // Places a command in a menu: before the item of command `before`, or at the end.
    virtual void placeInMenu(Menu menu, const QString& name, const QString& before = {}) = 0;
    // A submenu of the file menu, before the item of command `before` (e.g. "Close1Click").
    virtual QMenu* addFileSubmenu(const QString& title, const QString& before = {}) = 0;
    // A toolbar button with its own tip: before the button of command `before`, or at the end.
    virtual void placeOnToolBar(const QString& name, const QString& tip, const QString& before = {}) = 0;
    // A panel right of the editor; its visibility is the feature's (e.g. a checkable command).
    virtual void addSidePanel(QWidget* panel) = 0;
    // Called after the caret may have moved (every status refresh).
    virtual void onCaretMoved(std::function<void()> listener) = 0;
    // Called once after every change of the text, with what changed: typing, every command,
    // load, "new", undo and redo, appending and inserting a file (the editor's change notices).
    virtual void onTextChanged(std::function<void(const TextChange&)> listener) = 0;

    // A dialog of the window created by a feature, by its object name.
    template <typename Dialog> Dialog* dialog(const QString& objectName)
    {
        return window()->findChild<Dialog*>(objectName);
    }
};

}  // namespace zorvan
