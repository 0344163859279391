// The renumbering dialog ("N番号振り直し"): start, step, width, which blocks get a number, and a
// maximum with what to do past it. Its choices are read from the settings store when it is made
// and written back at every OK; each opening shows the stored choices.
#pragma once

#include "nc/logic/renumber.h"

#include <QDialog>

class QPushButton;
class QRadioButton;
class QSpinBox;

namespace zorvan {

class TRenumberForm : public QDialog {
    Q_OBJECT
public:
    explicit TRenumberForm(QWidget* parent = nullptr);

    QSpinBox* StartEdit = nullptr;
    QSpinBox* StepEdit = nullptr;
    QSpinBox* WidthEdit = nullptr;           // 0 shown as "なし"
    QRadioButton* EveryBlock = nullptr;      // "すべてのブロック"
    QRadioButton* NumberedBlocks = nullptr;  // "N番号のあるブロックだけ"
    QSpinBox* MaxEdit = nullptr;             // 0 shown as "なし"
    QRadioButton* WrapButton = nullptr;      // "先頭に戻る"
    QRadioButton* RefuseButton = nullptr;    // "振り直さない"
    QPushButton* BitBtn1 = nullptr;          // OK
    QPushButton* BitBtn2 = nullptr;          // キャンセル

    // The choices of the last OK (those stored when the dialog was made before that).
    const nc::RenumberOptions& options() const { return options_; }

    // Takes the choices; unusable ones (a maximum below the start) are reported and false is
    // returned, so the dialog stays open.
    bool BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showOptions(const nc::RenumberOptions& options);
    nc::RenumberOptions options_;
};

}  // namespace zorvan
