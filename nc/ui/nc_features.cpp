// The numeric commands of the main window: coordinate shift, axis rotation, value calculation,
// line-order reversal. Each takes the decimal settings as they are when it starts and runs
// through the window's operation queue.
#include "app/logic/settings.h"
#include "app/logic/user_error.h"
#include "app/ui/features.h"
#include "app/ui/operation_runner.h"
#include "app/ui/prompts.h"
#include "app/ui/shell.h"
#include "app/ui/sized_operation.h"
#include "nc/logic/nc_transforms.h"
#include "nc/logic/nc_words.h"
#include "nc/ui/axisform.h"
#include "nc/ui/formcalc.h"
#include "nc/ui/search_commands.h"
#include "nc/ui/tidy_commands.h"

#include <QMessageBox>

#include <memory>

namespace zorvan {

namespace {

// The numeric commands' operation codes.
enum NcCode { ShiftCode = 10, RotateCode = 11, CalculateCode = 12, ReverseCode = 13 };

using AxisCommand = nc::StagedCommand (*)(const TextEditor&, const nc::AxisValues&, const DecimalSettings&,
                                          nc::Recolour);

// Runs a staged command in the background: the range is read when its turn comes, the lines are
// rewritten on a worker and written back in one edit; with `atOnce` all of it at once. The first
// words of `letters` whose numbers cannot be read are left as they are, and listed at the end.
void queueStaged(Shell& shell, int code, std::function<nc::StagedCommand()> stage,
                 const QString& caption = "座標移動中", bool atOnce = false, std::string letters = {},
                 QString title = {})
{
    queueSized(shell.runner(), code, caption, atOnce, [&shell, stage, letters, title]() -> OperationRunner::Background {
        auto unread = std::make_shared<std::vector<nc::UnreadableWord>>();
        if (!letters.empty())
            *unread = nc::unreadableFirstWords(shell.editor(), letters);
        nc::StagedCommand staged = stage();
        return [&shell, staged, unread, title](OperationTask& task) -> OperationRunner::Work {
            nc::EditStep edit = staged([&task](long long done, long long total) { task.progress(done, total); });
            return [&shell, edit, unread, title] {
                edit(shell.editor());
                if (!unread->empty())
                    shell.prompts().ask(shell.window(), title,
                                        QString::fromStdString(nc::unreadableWordsMessage(*unread, nc::kUnreadableWordsLeft)),
                                        QMessageBox::Ok, QMessageBox::Warning);
            };
        };
    });
}

// Asks for three axis values in the axis dialog and, unless it is cancelled, runs `command`
// with them (shift or rotation) on the whole editor.
void runAxisCommand(Shell& shell, TFormAxis& dialog, int code, AxisCommand command, const QString& title)
{
    nc::AxisValues values;
    dialog.prepare(values);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const DecimalSettings settings = programSettings().decimals;
    // The shift reads the letters it moves; the rotation all three.
    std::string letters;
    for (auto [letter, value] : {std::pair{'X', values.x}, std::pair{'Y', values.y}, std::pair{'Z', values.z}})
        if (value != 0 || code == RotateCode)
            letters += letter;
    queueStaged(shell, code, [&shell, values, settings, command] {
        return command(shell.editor(), values, settings, nc::Recolour::WrittenLines);
    }, "座標移動中", false, letters, title);
}

void calculate(Shell& shell, TCalcForm& dialog)
{
    if (dialog.exec() != QDialog::Accepted)
        return;
    shell.setStatusText(3, "座標移動中");
    const double operand = dialog.operand();
    const nc::Operation operation = dialog.operation();
    const char letter = dialog.letter();
    if (nc::dividesByZero(operation, operand)) {
        // Refused before any line is touched; the caption stays until the next refresh.
        throw UserError(nc::kDivisionByZeroMessage, "あーあ", UserError::Icon::None);
    }
    const DecimalSettings settings = programSettings().decimals;
    queueStaged(shell, CalculateCode, [&shell, letter, operation, operand, settings] {
        return nc::stagedCalculation(shell.editor(), letter, operation, operand, settings);
    }, "座標移動中", false, std::string(1, letter), "けいさん");
}

}  // namespace

void registerNcFeatures(Shell& shell)
{
    // The dialogs, one each for the window's life, kept between uses.
    auto* calcForm = new TCalcForm(shell.window());
    auto* axisForm = new TFormAxis(shell.window());
    shell.addCommand({.name = "OrgChenge", .caption = "座標移動", .image = 12,
                      .run = [&shell, axisForm] { runAxisCommand(shell, *axisForm, ShiftCode, &nc::stagedShift, "座標移動"); },
                      .iconInMenus = true});
    shell.addCommand({.name = "AfineChehge", .caption = "おしえない(軸回転)", .image = 13,
                      .run = [&shell, axisForm] { runAxisCommand(shell, *axisForm, RotateCode, &nc::stagedRotation, "軸回転"); },
                      .iconInMenus = true});
    shell.addCommand({.name = "CalculateClick", .caption = "けいさん", .image = 19,
                      .run = [&shell, calcForm] { calculate(shell, *calcForm); }});
    shell.addCommand({.name = "Kaeru", .caption = "かえる", .image = 11, .run = [&shell] {
                          queueStaged(shell, ReverseCode, [&shell] { return nc::stagedReversal(shell.editor()); },
                                      "入替え中", shell.editor().length() <= kShortTextCharacters);
                      }});
    registerSearchCommands(shell);
    registerTidyCommands(shell);
}

}  // namespace zorvan
