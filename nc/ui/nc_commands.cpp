// The numeric commands of the main window: coordinate shift, axis rotation, value calculation,
// line-order reversal. Each takes the decimal settings as they are when it starts.
#include "app/ui/textform.h"

#include "app/logic/settings.h"
#include "app/ui/prompts.h"
#include "nc/logic/nc_transforms.h"
#include "nc/ui/axisform.h"
#include "nc/ui/formcalc.h"

#include <QLabel>

namespace zorvan {

namespace {

// Shows `caption` in the progress panel at once, runs `command`, then refreshes the status
// (which clears the caption), also when the command fails.
template <typename Command> void runWithCaption(TFormText& form, const char* caption, Command&& command)
{
    form.setStatusText(3, QString::fromUtf8(caption));
    if (QLabel* panel = form.statusPanels[3])
        panel->repaint();
    try {
        command();
    } catch (...) {
        form.UpdateStatus();
        throw;
    }
    form.UpdateStatus();
}

// Asks for three axis values in the axis dialog and, unless it is cancelled, runs `command`
// with them (shift or rotation) on the whole editor.
void runAxisCommand(TFormText& form, void (*command)(TextEditor&, const nc::AxisValues&, const DecimalSettings&,
                                                     nc::Recolour))
{
    nc::AxisValues values;
    form.FormAxis->prepare(values);
    if (form.FormAxis->exec() != QDialog::Accepted)
        return;
    const DecimalSettings settings = programSettings().decimals;
    runWithCaption(form, "座標移動中", [&] { command(form.editor(), values, settings, nc::Recolour::WrittenLines); });
}

}  // namespace

void TFormText::OrgChengeExecute() { runAxisCommand(*this, &nc::shiftCoordinates); }

void TFormText::AfineChehgeExecute() { runAxisCommand(*this, &nc::rotateAxes); }

void TFormText::CalculateClick()
{
    if (CalcForm->exec() != QDialog::Accepted)
        return;
    setStatusText(3, "座標移動中");
    const double operand = CalcForm->operand();
    const nc::Operation operation = CalcForm->operation();
    const char letter = CalcForm->letter();
    if (nc::dividesByZero(operation, operand)) {
        // Refused before any line is touched; the caption stays until the next refresh.
        prompts().ask(this, "あーあ", QString::fromUtf8(nc::kDivisionByZeroMessage), QMessageBox::Ok,
                      QMessageBox::NoIcon);
        return;
    }
    const DecimalSettings settings = programSettings().decimals;
    runWithCaption(*this, "座標移動中", [&] { nc::calculateValues(editor(), letter, operation, operand, settings); });
}

void TFormText::Kaeru()
{
    runWithCaption(*this, "入替え中", [&] { nc::reverseLines(editor()); });
}

}  // namespace zorvan
