// The value set window "＄ちゃんで": pick, make, change and delete value sets; OK saves them all
// and chooses one for the placeholder pass.
#pragma once

#include "lists/logic/list_books.h"
#include "lists/logic/list_file_lookup.h"

#include <QDialog>

#include <array>
#include <optional>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace zorvan {

class TFormVarChange : public QDialog {
    Q_OBJECT
public:
    explicit TFormVarChange(lists::ListFileLookup lookup, QWidget* parent = nullptr);

    QComboBox* ComboBox1 = nullptr;
    std::array<QLineEdit*, 9> LabeledEdits{};  // LabeledEdit1 ... LabeledEdit9
    QPushButton* BitBtn1 = nullptr;  // OK
    QPushButton* BitBtn2 = nullptr;  // キャンセル
    QPushButton* Button1 = nullptr;  // add
    QPushButton* Button2 = nullptr;  // Del

    // The set chosen by the last OK.
    const std::optional<lists::ValueSet>& chosenSet() const { return chosen_; }
    const lists::ValueSetBook& book() const { return book_; }

    void FormShow();
    void ComboBox1Select(int index);
    void LabeledEdit1Exit();
    void Button1Click();
    void Button2Click();
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    lists::Fields fields() const;
    std::string typedName() const;
    void showFields(const lists::Fields& values);
    void addName(int index);

    lists::ListFileLookup lookup_;
    lists::ValueSetBook book_;
    std::optional<lists::ValueSet> chosen_;
};

}  // namespace zorvan
