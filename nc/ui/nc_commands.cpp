// The numeric commands of the main window: coordinate shift, axis rotation, value calculation,
// line-order reversal.
#include "app/ui/textform.h"

namespace zorvan {

void TFormText::OrgChengeExecute() {}
void TFormText::AfineChehgeExecute() {}
void TFormText::CalculateClick() {}
void TFormText::Kaeru() {}

}  // namespace zorvan
