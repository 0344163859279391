// The dialog "チェック設定": each rule switched on or off, the arc tolerance, the machine's travel
// and whether a tool change stops the spindle. OK stores them (group "check").
#pragma once

#include "check/logic/program_check.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace zorvan::check {

class CheckSettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit CheckSettingsDialog(QWidget* parent = nullptr);
    // Fills the controls from `options`.
    void load(const CheckOptions& options);
    // The options the controls hold over `base` (its tool table is kept); nothing while a field
    // cannot be read (the dialog says which).
    std::optional<CheckOptions> chosen(const CheckOptions& base);
    void accept() override;

    QListWidget* rules;
    QLineEdit* tolerance;
    QLineEdit* travel;
    QCheckBox* toolChangeStops;

private:
    QLabel* problem_;
    CheckOptions base_;
};

}  // namespace zorvan::check
