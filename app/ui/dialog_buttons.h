// The buttons at the foot of the program's dialogs.
#pragma once

#include <QString>

#include <initializer_list>

class QHBoxLayout;
class QPushButton;
class QWidget;

namespace zorvan {

// A button of `dialog` named `name` (the tests find the buttons by their field names).
QPushButton* dialogButton(QWidget* dialog, const QString& caption, const char* name);
// The buttons in a row pushed to the right; the first is the default, pressed by Enter.
QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons);

}  // namespace zorvan
