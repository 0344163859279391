// The swap dialog: the two letters of the axis swap (the second may be "-" for a sign reversal),
// the whole-file box and whether the arcs go along (kept in the settings). Its choices stay from one use to the next for the whole run.
#pragma once

#include "nc/logic/axis_swap.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace zorvan {

class TChangForm : public QDialog {
    Q_OBJECT
public:
    explicit TChangForm(QWidget* parent = nullptr);

    QComboBox* ComboBox1 = nullptr;  // first letter
    QLabel* Label1 = nullptr;        // "<-->"
    QComboBox* ComboBox2 = nullptr;  // second letter or "-"
    QCheckBox* CheckBox1 = nullptr;  // whole file
    QCheckBox* CheckBox2 = nullptr;  // "円弧も合わせる": I/J/K, G02/G03 and planes go with the axes
    QPushButton* BitBtn1 = nullptr;  // OK "置換開始"
    QPushButton* BitBtn2 = nullptr;  // Cancel

    // The results of the last OK.
    char first() const { return first_; }
    char second() const { return second_; }
    bool wholeFile() const { return wholeFile_; }
    nc::SwapWords words() const { return arcs_ ? nc::SwapWords::WithArcs : nc::SwapWords::LettersOnly; }

    // Stores the choices; equal choices close the dialog as cancelled, so nothing happens.
    void ok();

private:
    char first_ = 'X';
    char second_ = 'Y';
    bool wholeFile_ = false;
    bool arcs_ = true;
};

}  // namespace zorvan
