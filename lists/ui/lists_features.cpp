// The list files' commands in the main window: the template insert (toolbar, edit menu, editor
// pop-up menu and Ctrl+H), the placeholder pass with a value set ("まいどー") and the macro
// conversion ("マックのハッピーセット"). Their windows are made once, at start-up; the template
// window reads "function.list" then.
#include "app/logic/user_error.h"
#include "app/ui/features.h"
#include "app/ui/operation_runner.h"
#include "app/ui/prompts.h"
#include "app/ui/shell.h"
#include "app/ui/sized_operation.h"
#include "lists/logic/list_passes.h"
#include "lists/logic/template_list.h"
#include "lists/ui/macrochangeform.h"
#include "lists/ui/suport.h"
#include "lists/ui/variablecahngeform.h"

#include <Qsci/qsciscintilla.h>

#include <QTimer>

#include <functional>

namespace zorvan {

namespace {

// The list commands' operation codes.
enum ListsCode { PlaceholderCode = 30, MacroCode = 31 };

// Replaces the selection with the chosen template, as typing it would.
void btnSuportInsertClick(Shell& shell, TSuportForm& form)
{
    if (form.exec() != QDialog::Accepted)
        return;
    shell.editor().replaceSelection(form.chosenText());
    shell.UpdateStatus();
}

// The pass runs with the editor focused, as one edit of the whole text: worked out on a worker
// from a copy of the text when it is long.
void runListPass(Shell& shell, int code, std::function<nc::StagedCommand(const TextEditor&)> stage)
{
    shell.view()->setFocus();
    const bool atOnce = shell.editor().length() <= kShortTextCharacters;
    queueSized(shell.runner(), code, QString(), atOnce, [&shell, stage]() -> OperationRunner::Background {
        nc::StagedCommand staged = stage(shell.editor());
        return [&shell, staged](OperationTask& task) -> OperationRunner::Work {
            nc::EditStep edit = staged([&task](long long done, long long total) { task.progress(done, total); });
            return [&shell, edit] {
                edit(shell.editor());
                shell.editor().scrollCaretIntoView();
            };
        };
    });
}

void ToolButton26Click(Shell& shell, TFormVarChange& form)
{
    if (form.exec() != QDialog::Accepted || !form.chosenSet())
        return;
    runListPass(shell, PlaceholderCode,
                [set = *form.chosenSet()](const TextEditor& editor) { return lists::stagedPlaceholderPass(editor, set); });
}

void ToolButton27Click(Shell& shell, TFormMacroChenge& form)
{
    if (form.exec() != QDialog::Accepted || !form.chosenTable())
        return;
    runListPass(shell, MacroCode,
                [table = *form.chosenTable()](const TextEditor& editor) { return lists::stagedMacroPass(editor, table); });
}

}  // namespace

void registerListsFeatures(Shell& shell)
{
    const lists::ListFileLookup lookup = lists::ListFileLookup::forThisProcess();
    const lists::TemplateLoad templates = lists::loadTemplates(lookup);
    auto* suport = new TSuportForm(templates.entries, shell.window());
    if (!templates.error.empty()) {
        // Shown once the window is up; the program goes on with an empty template list.
        QTimer::singleShot(0, shell.window(), [window = shell.window(), text = templates.error] {
            showUserError(window, UserError(text));
        });
    }
    auto* varChange = new TFormVarChange(lookup, shell.window());
    auto* macroChange = new TFormMacroChenge(lookup, shell.window());
    shell.addCommand({.name = "btnSuportInsertClick", .caption = "お決まりインサート", .image = 17,
                      .run = [&shell, suport] { btnSuportInsertClick(shell, *suport); }});
    shell.addCommand({.name = "ToolButton26Click", .caption = "まいどー", .image = 21,
                      .run = [&shell, varChange] { ToolButton26Click(shell, *varChange); }});
    shell.addCommand({.name = "ToolButton27Click", .caption = "マックのハッピーセット", .image = 22,
                      .run = [&shell, macroChange] { ToolButton27Click(shell, *macroChange); }});
}

}  // namespace zorvan
