// The extreme dialog: the address letter (three of them shown full-width), the method and the
// whole-file box. Its choices stay from one use to the next for the whole run.
#pragma once

#include "nc/logic/extreme_search.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QPushButton;

namespace zorvan {

class TMinMaxForm : public QDialog {
    Q_OBJECT
public:
    explicit TMinMaxForm(QWidget* parent = nullptr);

    QGroupBox* RadioGroup1 = nullptr;  // axis
    QGroupBox* RadioGroup2 = nullptr;  // method
    QButtonGroup* axisItems = nullptr;    // ids 0-5 in the order of the items
    QButtonGroup* methodItems = nullptr;  // ids 0-3
    QCheckBox* CheckBox1 = nullptr;  // whole file
    QPushButton* BitBtn1 = nullptr;  // OK "検索開始"
    QPushButton* BitBtn2 = nullptr;  // Cancel

    // The results of the last OK: always the plain ASCII letter.
    char letter() const { return letter_; }
    nc::ExtremeMethod method() const { return method_; }
    bool wholeFile() const { return wholeFile_; }

    void ok();

private:
    char letter_ = 'X';
    nc::ExtremeMethod method_ = nc::ExtremeMethod::Max;
    bool wholeFile_ = false;
};

}  // namespace zorvan
