// The splash window shown at start-up, which later serves as the About box. One second after the
// main window has been shown it hands the command line to the main window and hides.
#pragma once

#include <QDialog>

class QLabel;
class QTimer;

namespace zorvan {

class TFormText;

class TOpenForm : public QDialog {
    Q_OBJECT
public:
    explicit TOpenForm(QWidget* parent = nullptr);

    bool SplashMode = true;
    QLabel* Image1 = nullptr;
    QLabel* StaticText1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* StaticText2 = nullptr;
    QTimer* Timer1 = nullptr;

    // Called when the main window has been shown: starts the one-second timer in splash mode.
    void FormDeactivate(TFormText* main);
    void Timer1Timer();
    // The About box: modal.
    void showAbout();

    // "Ver1.2.6.16" from the build's version, and the rights line with the current year.
    static QString versionLine();
    static QString rightsLine();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TFormText* main_ = nullptr;
};

}  // namespace zorvan
