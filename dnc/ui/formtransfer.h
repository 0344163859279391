// The transfer window: bytes and lines moved, the percentage, the rate, and pause, resume and
// cancel while a send or receive runs. It stays open after the end with the outcome.
#pragma once

#include "dnc/logic/serial_transfer.h"

#include <QDialog>

#include <functional>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

namespace zorvan {

class TFormTransfer : public QDialog {
    Q_OBJECT
public:
    explicit TFormTransfer(QWidget* parent = nullptr);
    ~TFormTransfer() override;

    QLabel* LabelBytes = nullptr;
    QLabel* LabelLines = nullptr;
    QLabel* LabelRate = nullptr;
    QLabel* LabelState = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* ButtonPause = nullptr;   // 一時停止 / 再開 (sends only)
    QPushButton* ButtonCancel = nullptr;
    QPushButton* ButtonClose = nullptr;

    using Done = std::function<void(dnc::SerialTransfer&)>;
    // Starts the transfer and shows the window; `done` runs once when it has ended well. Throws
    // UserError when the port cannot be opened (the window stays hidden).
    void run(std::unique_ptr<dnc::SerialTransfer> transfer, const QString& title, Done done);
    bool busy() const;
    // While a transfer runs: asks whether to stop it (to quit the editor when `quitting`), and
    // cancels it on Yes. True when no transfer runs any more.
    bool stopAsked(bool quitting);
    dnc::SerialTransfer* transfer() const { return transfer_.get(); }

protected:
    void reject() override;

private:
    void showProgress();
    void ended();
    void fitStateText();

    std::unique_ptr<dnc::SerialTransfer> transfer_;
    Done done_;
};

}  // namespace zorvan
