// The desk calculator in the main window: the command "電卓" shows the one calculator window,
// which keeps its state between showings.
#include "app/ui/features.h"
#include "app/ui/shell.h"
#include "calc/ui/dentakform.h"

namespace zorvan {

void registerCalcFeatures(Shell& shell)
{
    auto* dentak = new TFormDentak(shell.window());
    shell.addCommand({.name = "ToolButton25Click", .caption = "電卓", .image = 20, .run = [dentak] {
                          dentak->show();
                          dentak->raise();
                          dentak->activateWindow();
                      }});
}

}  // namespace zorvan
