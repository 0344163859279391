// The axis dialog: three values X, Y, Z, the offsets of the shift or the angles of the rotation.
#pragma once

#include "nc/logic/nc_transforms.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zorvan {

class TFormAxis : public QDialog {
    Q_OBJECT
public:
    explicit TFormAxis(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Edit1 = nullptr;  // X
    QLineEdit* Edit2 = nullptr;  // Y
    QLineEdit* Edit3 = nullptr;  // Z
    QPushButton* BitBtn1 = nullptr;  // OK
    QPushButton* BitBtn2 = nullptr;  // Cancel

    // Remembers `values` for the OK button and shows each of them in six decimals.
    void prepare(nc::AxisValues& values);
    // Stores the three fields into the remembered values. A field that is not a number is
    // reported by name, nothing is stored and false is returned, so the dialog stays open.
    bool Ok();

private:
    nc::AxisValues* values_ = nullptr;
};

}  // namespace zorvan
