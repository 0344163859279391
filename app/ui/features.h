// The registration functions of the subsystems, each defined in its own ui/ folder (see
// app/ui/shell.h). The main window calls registerFeatures once while it is built.
#pragma once

namespace zorvan {

class Shell;

void registerNcFeatures(Shell& shell);    // nc/ui
void registerCalcFeatures(Shell& shell);  // calc/ui
void registerListsFeatures(Shell& shell); // lists/ui
void registerPreviewFeatures(Shell& shell); // preview/ui
void registerInspectFeatures(Shell& shell); // inspect/ui (after the preview, whose panel it reads)
void registerDncFeatures(Shell& shell);   // dnc/ui
void registerCompareFeatures(Shell& shell); // compare/ui
void registerCheckFeatures(Shell& shell);   // check/ui
// A new subsystem folder adds its declaration here and its call in features.cpp.

// All of them, in the order their items appear.
void registerFeatures(Shell& shell);

}  // namespace zorvan
