#include "nc/ui/axisform.h"

#include "app/ui/dialog_buttons.h"
#include "app/ui/dialog_opening.h"
#include "app/ui/prompts.h"
#include "nc/ui/number_field.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace zorvan {

TFormAxis::TFormAxis(QWidget* parent) : QDialog(parent)
{
    setObjectName("FormAxis");
    setWindowTitle("AXIS");
    setFixedDialogFrame(this);

    auto* grid = new QGridLayout(this);
    QLineEdit** fields[] = {&Edit1, &Edit2, &Edit3};
    QLabel** labels[] = {&Label1, &Label2, &Label3};
    const char* names[] = {"X", "Y", "Z"};
    for (int i = 0; i < 3; ++i) {
        *labels[i] = new QLabel(names[i], this);
        *fields[i] = new QLineEdit(this);
        (*fields[i])->setObjectName(QString("Edit%1").arg(i + 1));
        grid->addWidget(*labels[i], i, 0);
        grid->addWidget(*fields[i], i, 1);
    }
    BitBtn1 = dialogButton(this, "OK", "BitBtn1");
    BitBtn2 = dialogButton(this, "Cancel", "BitBtn2");
    grid->addLayout(buttonRow({BitBtn1, BitBtn2}), 3, 0, 1, 2);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        if (Ok())
            accept();
    });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormAxis::prepare(nc::AxisValues& values)
{
    values_ = &values;
    Edit1->setText(QString::fromStdString(nc::fixedText(values.x, 6)));
    Edit2->setText(QString::fromStdString(nc::fixedText(values.y, 6)));
    Edit3->setText(QString::fromStdString(nc::fixedText(values.z, 6)));
}

bool TFormAxis::Ok()
{
    auto x = readNumberField(this, Edit1);
    if (!x)
        return false;
    auto y = readNumberField(this, Edit2);
    if (!y)
        return false;
    auto z = readNumberField(this, Edit3);
    if (!z)
        return false;
    if (values_)
        *values_ = {*x, *y, *z};
    return true;
}

}  // namespace zorvan
