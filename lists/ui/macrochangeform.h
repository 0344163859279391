// The macro conversion window: pick, make, edit and delete conversion tables; OK saves them all
// and chooses one for the macro pass.
#pragma once

#include "lists/logic/list_books.h"
#include "lists/logic/list_file_lookup.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QPushButton;

namespace zorvan {

class ConversionGrid;

class TFormMacroChenge : public QDialog {
    Q_OBJECT
public:
    explicit TFormMacroChenge(lists::ListFileLookup lookup, QWidget* parent = nullptr);
    ~TFormMacroChenge() override;

    QPushButton* BitBtn1 = nullptr;  // OK
    QPushButton* BitBtn2 = nullptr;  // キャンセル
    QPushButton* Button1 = nullptr;  // Add
    QPushButton* Button2 = nullptr;  // Del
    QComboBox* ComboBox1 = nullptr;
    ConversionGrid* StringGrid1 = nullptr;  // column 0 row numbers, 1 search, 2 replacement
    QPushButton* Button3 = nullptr;  // +
    QPushButton* Button4 = nullptr;  // -
    QPushButton* Button5 = nullptr;  // Clear

    const std::optional<lists::TDoubleGrid>& chosenTable() const { return chosen_; }
    const lists::ConversionTableBook& book() const { return book_; }
    // The grid's data rows (columns 1 and 2).
    lists::GridRows gridRows() const;
    // Sets a cell of data row `row` (from 0), as typing into it would.
    void setCell(int row, int column, const QString& text);
    QString cell(int row, int column) const;
    int dataRowCount() const;

    void FormShow();
    void ComboBox1Select(int index);
    void StringGrid1Exit();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void numberRows();
    void clearCells();
    std::string typedName() const;
    void addName(int index);

    lists::ListFileLookup lookup_;
    lists::ConversionTableBook book_;
    std::optional<lists::TDoubleGrid> chosen_;
    QMetaObject::Connection focusWatch_;  // the application's focus changes, while this window lives
};

}  // namespace zorvan
