#include "app/ui/features.h"

#include "app/ui/prompts.h"
#include "app/ui/shell.h"

namespace zorvan {

Prompts& Shell::prompts() const { return zorvan::prompts(); }

void registerFeatures(Shell& shell)
{
    registerNcFeatures(shell);
    registerCalcFeatures(shell);
    registerListsFeatures(shell);
    registerPreviewFeatures(shell);
    registerInspectFeatures(shell);
    registerDncFeatures(shell);
    registerCompareFeatures(shell);
    registerCheckFeatures(shell);
}

}  // namespace zorvan
