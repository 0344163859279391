// The dialogs of the main window, one instance each, created in a fixed order at start-up.
#include "app/ui/textform.h"

#include "app/ui/settingform.h"

namespace zorvan {

void TFormText::createDialogs()
{
    FormSetting = new TFormSetting(this);
}

void TFormText::ToolButton25Click() {}

}  // namespace zorvan
