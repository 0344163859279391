// The settings dialog: the simulator's path and the four decimal settings.
#pragma once

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zorvan {

class TFormSetting : public QDialog {
    Q_OBJECT
public:
    explicit TFormSetting(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* Label2 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QGroupBox* RadioGroup1 = nullptr;
    QButtonGroup* radioButtons = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;

    // Loads the controls from the program-wide values.
    void FormShow();
    // Browses for the simulator program.
    void Edit1DblClick();
    // Stores the five values and takes them into the program-wide values.
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace zorvan
