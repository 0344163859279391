// The search-based commands of the main window: axis swap, extreme value search, find, replace
// and find-next. The swap, the extreme search and a replace-all without the question run through
// the window's operation queue (codes 2, 3 and 19), on a worker when the text is long; find and
// the replacements with the question run in their handlers, with their captions shown meanwhile.
#include "nc/ui/search_commands.h"

#include "app/logic/document_model.h"
#include "app/ui/operation_runner.h"
#include "app/ui/prompts.h"
#include "app/ui/shell.h"
#include "app/ui/sized_operation.h"
#include "nc/logic/axis_swap.h"
#include "nc/logic/extreme_search.h"
#include "nc/logic/find_replace.h"
#include "nc/ui/change.h"
#include "nc/ui/findbox.h"
#include "nc/ui/findmax.h"
#include "nc/ui/replacebox.h"

#include <Qsci/qsciscintilla.h>

#include <QCheckBox>
#include <QMetaObject>

#include <memory>

namespace zorvan {

namespace {

// The code of the replace-all without the question, beside the window's own swap and extreme search.
constexpr int ReplaceAllCode = 19;

// The search state of the window: texts, last kind and flags, kept between the commands.
struct SearchCommands {
    Shell& shell;
    TChangForm* changForm;
    TMinMaxForm* minMaxForm;
    TFindBox* findBox;
    TReplaceBox* replaceBox;
    nc::SearchState state;

    void focusEditor()
    {
        if (QsciScintilla* view = shell.view())
            view->setFocus();
    }

    void notFound()
    {
        shell.prompts().ask(shell.window(), QString::fromUtf8(nc::kNotFoundCaption),
                            QString::fromUtf8(nc::kNotFoundMessage), QMessageBox::Ok, QMessageBox::NoIcon);
    }

    // --- Axis swap
    void RepraceXYZ()
    {
        const bool selOnly = shell.editor().selectionLength() > 0;  // SelOnly
        changForm->CheckBox1->setEnabled(!selOnly);
        if (changForm->exec() != QDialog::Accepted)
            return;
        const char a = changForm->first(), b = changForm->second();
        const nc::CommandRange range{selOnly, changForm->wholeFile()};
        shell.runner().queueInBackground(OperationRunner::Swap, "置換中", [this, a, b, range]() -> OperationRunner::Background {
            nc::StagedCommand staged = nc::stagedSwap(shell.editor(), a, b, range);
            return [this, staged](OperationTask& task) -> OperationRunner::Work {
                nc::EditStep edit = staged([&task](long long done, long long total) { task.progress(done, total); });
                return [this, edit] {
                    edit(shell.editor());
                    focusEditor();
                };
            };
        });
    }

    // --- Extreme value search
    void FindMinMax()
    {
        const bool selOnly = shell.editor().selectionLength() > 0;
        minMaxForm->CheckBox1->setEnabled(!selOnly);
        if (minMaxForm->exec() != QDialog::Accepted)
            return;
        const char letter = minMaxForm->letter();
        const nc::ExtremeMethod method = minMaxForm->method();
        const nc::CommandRange range{selOnly, minMaxForm->wholeFile()};
        const bool atOnce = shell.editor().length() <= kShortTextCharacters;
        queueSized(shell.runner(), OperationRunner::ExtremeSearch, "検索中", atOnce,
                   [this, letter, method, range]() -> OperationRunner::Background {
                       auto search = std::make_shared<nc::StagedExtremeSearch>(shell.editor(), letter, method, range);
                       return [this, search](OperationTask& task) -> OperationRunner::Work {
                           search->search([&task](long long done, long long total) { task.progress(done, total); });
                           return [this, search] { showExtreme(search->result(shell.editor())); };
                       };
                   });
    }

    void showExtreme(const std::optional<nc::ExtremeWord>& word)
    {
        focusEditor();
        if (!word) {
            // The caret and the mark stay; the status bar says so once the queue has refreshed it.
            QMetaObject::invokeMethod(
                shell.window(), [this] { shell.setStatusText(3, QString::fromUtf8(nc::kNotFoundMessage)); },
                Qt::QueuedConnection);
            return;
        }
        shell.editor().setSelection(word->start, word->length);
        shell.document().setMark(DocumentModel::kExtremeMark, word->line);
    }

    // --- Find and replace
    void findStep(bool fromTop)
    {
        shell.setStatusText(3, "検索中");
        if (nc::findStep(shell.editor(), state.searchText, fromTop)) {
            focusEditor();
            shell.editor().scrollCaretIntoView();
        } else {
            notFound();
        }
        shell.UpdateStatus();
    }

    void replaceStep(bool fromTop)
    {
        if (nc::replacesAllWithoutQuestion(state)) {
            replaceAll(fromTop);
            return;
        }
        shell.setStatusText(3, "置換中");
        auto ask = [this] {
            focusEditor();
            shell.editor().scrollCaretIntoView();
            shell.UpdateStatus();
            shell.setStatusText(3, "置換中");
            const auto answer = shell.prompts().ask(
                shell.window(), "確認", QString::fromUtf8(nc::kReplaceQuestion),
                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel | QMessageBox::YesToAll, QMessageBox::Question);
            switch (answer) {
            case QMessageBox::Yes: return nc::ReplaceAnswer::Yes;
            case QMessageBox::No: return nc::ReplaceAnswer::No;
            case QMessageBox::YesToAll: return nc::ReplaceAnswer::All;
            default: return nc::ReplaceAnswer::Cancel;
            }
        };
        const nc::ReplaceOutcome outcome = nc::replaceStep(shell.editor(), state, fromTop, ask);
        focusEditor();
        shell.editor().scrollCaretIntoView();
        switch (outcome.end) {
        case nc::ReplaceOutcome::End::Cancelled:
            shell.setStatusText(3, QString());  // stops at once, without the status refresh
            return;
        case nc::ReplaceOutcome::End::NotFound:
            // The replacements made show (title mark, "変更あり") while the box is open.
            if (outcome.replaced > 0)
                shell.UpdateStatus();
            notFound();
            break;
        case nc::ReplaceOutcome::End::Stopped:
            break;
        }
        shell.UpdateStatus();
    }

    // A replace-all without the question: the new lines are made on a worker from a copy of the
    // text when it is long, and written in one edit.
    void replaceAll(bool fromTop)
    {
        const long from = fromTop ? 0 : shell.editor().selectionStart() + shell.editor().selectionLength();
        const bool atOnce = shell.editor().length() <= kShortTextCharacters;
        queueSized(shell.runner(), ReplaceAllCode, "置換中", atOnce,
                   [this, from, what = state.searchText, with = state.replacementText]() -> OperationRunner::Background {
                       auto replace = std::make_shared<nc::StagedReplaceAll>(shell.editor(), what, with, from);
                       return [this, replace](OperationTask& task) -> OperationRunner::Work {
                           replace->replace([&task](long long done, long long total) { task.progress(done, total); });
                           return [this, replace] {
                               const long replaced = replace->apply(shell.editor());
                               focusEditor();
                               shell.editor().scrollCaretIntoView();
                               // The box says how many places were replaced once the operation has
                               // ended: the progress bar and its 中止 are gone, the status bar is
                               // refreshed (title mark, "変更あり") and the caption cleared.
                               QMetaObject::invokeMethod(
                                   shell.window(), [this, replaced] { replacedAll(replaced); }, Qt::QueuedConnection);
                           };
                       };
                   });
    }

    void replacedAll(long replaced)
    {
        if (replaced == 0) {
            notFound();
            return;
        }
        shell.prompts().ask(shell.window(), QStringLiteral("置換"), QStringLiteral("%1 か所を置換しました").arg(replaced),
                            QMessageBox::Ok, QMessageBox::Information);
    }

    void Find()
    {
        if (findBox->exec() != QDialog::Accepted)
            return;
        state.searchText = findBox->searchText();
        state.lastKind = nc::SearchState::Kind::Find;
        findStep(findBox->fromTop());
    }

    void Reprace()
    {
        const int result = replaceBox->exec();
        if (result != QDialog::Accepted && result != TReplaceBox::AllResult)
            return;
        state.replaceAll = result == TReplaceBox::AllResult;
        state.searchText = replaceBox->searchText();
        state.replacementText = replaceBox->replacementText();
        state.confirm = replaceBox->confirm();
        state.lastKind = nc::SearchState::Kind::Replace;
        replaceStep(replaceBox->fromTop());
    }

    void FindNext()
    {
        if (state.lastKind == nc::SearchState::Kind::Find)
            findStep(false);
        else
            replaceStep(false);
    }
};

}  // namespace

void registerSearchCommands(Shell& shell)
{
    // The dialogs and the search state live as long as the window.
    auto* commands = new SearchCommands{shell, new TChangForm(shell.window()), new TMinMaxForm(shell.window()),
                                        new TFindBox(shell.window()), new TReplaceBox(shell.window()), {}};
    QObject::connect(shell.window(), &QObject::destroyed, [commands] { delete commands; });
    shell.addCommand({.name = "Find", .caption = "検索", .shortcut = "Ctrl+F", .image = 4,
                      .run = [commands] { commands->Find(); }});
    shell.addCommand({.name = "Reprace", .caption = "置換", .shortcut = "Ctrl+R", .image = 5,
                      .run = [commands] { commands->Reprace(); }});
    shell.addCommand({.name = "FindNext", .caption = "次を再開", .shortcut = "F3", .image = 6,
                      .run = [commands] { commands->FindNext(); }});
    shell.addCommand({.name = "RepraceXYZ", .caption = "入れ替え", .image = 10,
                      .run = [commands] { commands->RepraceXYZ(); }});
    shell.addCommand({.name = "FindMinMax", .caption = "極値検索", .image = 9,
                      .run = [commands] { commands->FindMinMax(); }});
}

}  // namespace zorvan
