#include "app/ui/dialog_buttons.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace zorvan {

QPushButton* dialogButton(QWidget* dialog, const QString& caption, const char* name)
{
    auto* button = new QPushButton(caption, dialog);
    button->setObjectName(name);
    return button;
}

QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* button : buttons)
        row->addWidget(button);
    if (buttons.size() > 0)
        (*buttons.begin())->setDefault(true);
    return row;
}

}  // namespace zorvan
