#include "lists/ui/conversion_grid.h"

#include <QApplication>

namespace zorvan {

void ConversionGrid::commitOpenEditor()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    QWidget* editor = indexWidget(currentIndex());
    if (!editor) {
        // A delegate's editor is a child of the viewport that has (or just had) the focus.
        for (QWidget* child : viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (child->isVisible())
                editor = child;
    }
    if (!editor)
        return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

bool ConversionGrid::holds(const QWidget* widget) const
{
    for (; widget; widget = widget->parentWidget())
        if (widget == this)
            return true;
    return false;
}

}  // namespace zorvan
