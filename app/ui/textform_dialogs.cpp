// The dialogs of the main window, one instance each, created in a fixed order at start-up.
#include "app/ui/textform.h"

#include "app/ui/settingform.h"
#include "calc/ui/dentakform.h"
#include "nc/ui/axisform.h"
#include "nc/ui/formcalc.h"

namespace zorvan {

void TFormText::createDialogs()
{
    FormSetting = new TFormSetting(this);
    CalcForm = new TCalcForm(this);
    FormAxis = new TFormAxis(this);
    FormDentak = new TFormDentak(this);
}

void TFormText::ToolButton25Click()
{
    FormDentak->show();
    FormDentak->raise();
    FormDentak->activateWindow();
}

}  // namespace zorvan
