// The find dialog: the search text and the from-top box. Closing it only hides it, so its
// contents stay for the next use.
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zorvan {

class TFindBox : public QDialog {
    Q_OBJECT
public:
    explicit TFindBox(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;        // "検索文字列"
    QLineEdit* Edit1 = nullptr;      // search text
    QCheckBox* CheckBox1 = nullptr;  // from the top of the file
    QPushButton* BitBtn1 = nullptr;  // OK "検索開始"
    QPushButton* BitBtn2 = nullptr;  // Cancel

    std::string searchText() const;
    bool fromTop() const;
};

}  // namespace zorvan
