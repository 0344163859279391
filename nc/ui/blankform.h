// The blank dialog ("空白の整理"): one blank between words, or none. Its choice is read from the
// settings store when it is made and written back at every OK.
#pragma once

#include "nc/logic/program_tidy.h"

#include <QDialog>

class QPushButton;
class QRadioButton;

namespace zorvan {

class TBlankForm : public QDialog {
    Q_OBJECT
public:
    explicit TBlankForm(QWidget* parent = nullptr);

    QRadioButton* InsertButton = nullptr;  // "単語の間に空白を入れる"
    QRadioButton* RemoveButton = nullptr;  // "単語の間の空白を取る"
    QPushButton* BitBtn1 = nullptr;        // OK
    QPushButton* BitBtn2 = nullptr;        // キャンセル

    // The choice of the last OK (the stored one before that).
    nc::BlankStyle style() const { return style_; }
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    nc::BlankStyle style_;
};

}  // namespace zorvan
