// The editable name box of the value set and macro table windows: adding or removing a name
// keeps the text the user has typed in it.
#pragma once

#include <QComboBox>
#include <QString>

namespace zorvan {

// Runs `change` (which may add or select items) and gives the box back the text typed before.
template <typename Change> void keepingTypedName(QComboBox* box, Change&& change)
{
    const QString typed = box->currentText();
    change();
    box->setEditText(typed);
}

// "Del": removes the book's selected entry and its item; nothing when none is selected.
template <typename Book> void removeSelectedName(QComboBox* box, Book& book)
{
    const int index = book.selected();
    if (!book.removeSelected())
        return;
    keepingTypedName(box, [&] {
        box->removeItem(index);
        box->setCurrentIndex(-1);
    });
}

}  // namespace zorvan
