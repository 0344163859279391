// The replace dialog: search and replacement texts, the from-top and confirm boxes, and the
// buttons OK (one replacement), All (to the end of the text) and Cancel. Closing it only hides
// it, so its contents stay for the next use.
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zorvan {

class TReplaceBox : public QDialog {
    Q_OBJECT
public:
    // The dialog's result for the All button (OK is QDialog::Accepted, Cancel Rejected).
    static constexpr int AllResult = 3;

    explicit TReplaceBox(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;        // "検索文字列"
    QLineEdit* Edit1 = nullptr;      // search text
    QLabel* Label2 = nullptr;        // "置換文字列"
    QLineEdit* Edit2 = nullptr;      // replacement text
    QCheckBox* CheckBox1 = nullptr;  // from the top of the file
    QCheckBox* CheckBox2 = nullptr;  // confirm each replacement
    QPushButton* BitBtn1 = nullptr;  // OK "検索開始"
    QPushButton* BitBtn3 = nullptr;  // All
    QPushButton* BitBtn2 = nullptr;  // Cancel

    std::string searchText() const;
    std::string replacementText() const;
    bool fromTop() const;
    bool confirm() const;
};

}  // namespace zorvan
