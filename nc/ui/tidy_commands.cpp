// Each command runs through the window's operation queue as one edit of the selected lines (all
// lines without a selection). The lines written get the colours a load gives them.
#include "nc/ui/tidy_commands.h"

#include "app/ui/operation_runner.h"
#include "app/ui/prompts.h"
#include "app/ui/shell.h"
#include "nc/logic/program_tidy.h"
#include "nc/logic/renumber.h"
#include "nc/ui/blankform.h"
#include "nc/ui/renumberform.h"

#include <Qsci/qsciscintilla.h>

#include <functional>

namespace zorvan {

namespace {

enum TidyCode { RenumberCode = 14, RemoveNumbersCode = 15, BlanksCode = 16, EmptyLinesCode = 17, CommentsCode = 18 };

void focusEditor(Shell& shell)
{
    if (QsciScintilla* view = shell.view())
        view->setFocus();
}

void renumber(Shell& shell, TRenumberForm& dialog)
{
    if (dialog.exec() != QDialog::Accepted)
        return;
    const nc::RenumberOptions options = dialog.options();
    shell.runner().queue(RenumberCode, "振り直し中", [&shell, options] {
        const std::vector<nc::MissingTarget> missing = nc::renumberProgram(shell.editor(), options, nc::Recolour::AsLoaded);
        focusEditor(shell);
        if (!missing.empty())
            shell.prompts().ask(shell.window(), nc::kRenumberCaption,
                                QString::fromStdString(nc::missingTargetsMessage(missing)), QMessageBox::Ok,
                                QMessageBox::Warning);
    });
}

void tidy(Shell& shell, int code, const nc::TidyOptions& options)
{
    shell.runner().queue(code, "整理中", [&shell, options] {
        nc::tidyProgram(shell.editor(), options, nc::Recolour::AsLoaded);
        focusEditor(shell);
    });
}

}  // namespace

void registerTidyCommands(Shell& shell)
{
    // The dialogs, one each for the window's life.
    auto* renumberForm = new TRenumberForm(shell.window());
    auto* blankForm = new TBlankForm(shell.window());
    const struct {
        const char* name;
        const char* caption;
        std::function<void()> run;
    } rows[] = {
        {"Renumber", nc::kRenumberCaption, [&shell, renumberForm] { renumber(shell, *renumberForm); }},
        {"RemoveSequenceNumbers", "N番号削除",
         [&shell] {
             shell.runner().queue(RemoveNumbersCode, "削除中", [&shell] {
                 nc::removeSequenceNumbers(shell.editor(), nc::Recolour::AsLoaded);
                 focusEditor(shell);
             });
         }},
        {"TidyBlanks", "空白の整理",
         [&shell, blankForm] {
             if (blankForm->exec() == QDialog::Accepted)
                 tidy(shell, BlanksCode, {.blanks = blankForm->style()});
         }},
        {"DeleteEmptyLines", "空行の削除", [&shell] { tidy(shell, EmptyLinesCode, {.emptyLines = true}); }},
        {"DeleteComments", "コメントの削除", [&shell] { tidy(shell, CommentsCode, {.comments = true}); }},
    };
    for (const auto& row : rows) {
        shell.addCommand({.name = row.name, .caption = QString::fromUtf8(row.caption), .run = row.run});
        shell.placeInMenu(Shell::Menu::Search, row.name);
    }
}

}  // namespace zorvan
