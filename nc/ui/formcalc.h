// The calculation dialog: an address letter, an operation and its operand. Its choices and the
// operand stay from one use to the next for the whole run.
#pragma once

#include "nc/logic/nc_transforms.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zorvan {

class TCalcForm : public QDialog {
    Q_OBJECT
public:
    explicit TCalcForm(QWidget* parent = nullptr);

    QComboBox* ComboBox1 = nullptr;  // letter
    QLabel* Label1 = nullptr;        // "<-->"
    QComboBox* ComboBox2 = nullptr;  // operation
    QLineEdit* Edit1 = nullptr;      // operand
    QCheckBox* CheckBox1 = nullptr;  // "ファイル全体": shown, without effect
    QPushButton* BitBtn1 = nullptr;  // OK
    QPushButton* BitBtn2 = nullptr;  // Cancel

    // The results of the last OK.
    char letter() const { return letter_; }
    nc::Operation operation() const { return operation_; }
    double operand() const { return operand_; }
    bool wholeFile() const { return wholeFile_; }

    // Shows the operand in its shortest form.
    void FormShow();
    // Stores letter, operation, flag and operand. An operand that is not a number is reported by
    // name, nothing is stored and false is returned, so the dialog stays open.
    bool BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    char letter_ = 'X';
    nc::Operation operation_ = nc::Operation::Double;
    double operand_ = 0;
    bool wholeFile_ = false;
};

}  // namespace zorvan
