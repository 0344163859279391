// The list files' commands and windows in the main window (built by later work).
#include "app/ui/features.h"
#include "app/ui/shell.h"

namespace zorvan {

void registerListsFeatures(Shell&) {}

}  // namespace zorvan
