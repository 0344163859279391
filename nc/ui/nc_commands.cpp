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

}  // namespace

void TFormText::OrgChengeExecute()
{
    nc::AxisValues offsets;
    FormAxis->prepare(offsets);
    if (FormAxis->exec() != QDialog::Accepted)
        return;
    const DecimalSettings settings = programSettings().decimals;
    runWithCaption(*this, "座標移動中", [&] { nc::shiftCoordinates(editor(), offsets, settings); });
}

void TFormText::AfineChehgeExecute()
{
    nc::AxisValues angles;
    FormAxis->prepare(angles);
    if (FormAxis->exec() != QDialog::Accepted)
        return;
    const DecimalSettings settings = programSettings().decimals;
    runWithCaption(*this, "座標移動中", [&] { nc::rotateAxes(editor(), angles, settings); });
}

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
