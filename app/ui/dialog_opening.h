// How the program's dialogs open: centred over the main window at every opening (a window
// manager that is left to place a reopened window puts it elsewhere each time), with the focus on
// a field rather than on the button pressed last time, so that Enter presses the default button.
#pragma once

class QWidget;

namespace zorvan {

// Centres `dialog` over its parent's window at every opening and takes the focus off a push
// button it kept from the last use.
void openCentred(QWidget* dialog);

// A dialog of fixed size: a title bar with the close box only (no maximise or minimise button),
// opening as openCentred says.
void setFixedDialogFrame(QWidget* dialog);

}  // namespace zorvan
