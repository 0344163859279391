#include "dnc/ui/formtransfer.h"

#include "app/ui/dialog_buttons.h"
#include "app/ui/prompts.h"
#include "dnc/logic/serial_receiver.h"
#include "dnc/logic/serial_sender.h"

#include <QFormLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace zorvan {

using namespace dnc;

TFormTransfer::TFormTransfer(QWidget* parent) : QDialog(parent)
{
    setObjectName("FormTransfer");
    auto label = [this](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(name);
        return l;
    };
    LabelBytes = label("LabelBytes");
    LabelLines = label("LabelLines");
    LabelRate = label("LabelRate");
    LabelState = label("LabelState");
    LabelState->setWordWrap(true);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ButtonPause = dialogButton(this, "一時停止", "ButtonPause");
    ButtonCancel = dialogButton(this, "中止", "ButtonCancel");
    ButtonClose = dialogButton(this, "閉じる", "ButtonClose");

    auto* form = new QFormLayout(this);
    form->addRow("バイト", LabelBytes);
    form->addRow("行", LabelLines);
    form->addRow("速度", LabelRate);
    form->addRow(ProgressBar1);
    form->addRow(LabelState);
    form->addRow(buttonRow({ButtonPause, ButtonCancel, ButtonClose}));
    setMinimumWidth(360);

    connect(ButtonPause, &QPushButton::clicked, this, [this] {
        auto* sender = qobject_cast<SerialSender*>(transfer_.get());
        if (!sender || sender->ended())
            return;
        if (sender->state() == TransferState::Paused)
            sender->resume();
        else
            sender->pause();
        showProgress();
    });
    connect(ButtonCancel, &QPushButton::clicked, this, [this] {
        if (transfer_)
            transfer_->cancel();
    });
    connect(ButtonClose, &QPushButton::clicked, this, &QDialog::hide);
}

TFormTransfer::~TFormTransfer() = default;

void TFormTransfer::run(std::unique_ptr<SerialTransfer> transfer, const QString& title, Done done)
{
    transfer->start();
    transfer_ = std::move(transfer);
    done_ = std::move(done);
    setWindowTitle(title);
    connect(transfer_.get(), &SerialTransfer::progressed, this, &TFormTransfer::showProgress);
    connect(transfer_.get(), &SerialTransfer::finished, this, &TFormTransfer::ended);
    ButtonPause->setVisible(qobject_cast<SerialSender*>(transfer_.get()) != nullptr);
    ButtonPause->setEnabled(true);
    ButtonCancel->setEnabled(true);
    ButtonClose->setEnabled(false);
    showProgress();
    show();
    raise();
    if (transfer_->ended())
        ended();
}

bool TFormTransfer::busy() const { return transfer_ && !transfer_->ended(); }

void TFormTransfer::showProgress()
{
    if (!transfer_)
        return;
    const TransferProgress p = transfer_->progress();
    LabelBytes->setText(p.totalBytes > 0 ? QStringLiteral("%1 / %2").arg(p.bytes).arg(p.totalBytes) : QString::number(p.bytes));
    LabelLines->setText(p.totalLines > 0 ? QStringLiteral("%1 / %2").arg(p.lines).arg(p.totalLines) : QString::number(p.lines));
    LabelRate->setText(QStringLiteral("%1 バイト/秒").arg(qint64(p.bytesPerSecond)));
    ProgressBar1->setRange(0, p.totalBytes > 0 ? 100 : 0);
    if (p.totalBytes > 0)
        ProgressBar1->setValue(p.percent());
    const bool receiving = p.totalBytes == 0;
    switch (transfer_->state()) {
    case TransferState::Paused:
        LabelState->setText("一時停止中");
        ButtonPause->setText("再開");
        break;
    case TransferState::Running:
        LabelState->setText(p.held ? (receiving ? "データを待っています" : "相手側の XON / CTS を待っています")
                                   : (receiving ? "受信中" : "送信中"));
        ButtonPause->setText("一時停止");
        break;
    default:
        break;
    }
}

void TFormTransfer::ended()
{
    showProgress();
    // The bar stands still at the end: the bytes' share of a send, empty for a receive that failed.
    const TransferProgress p = transfer_->progress();
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(p.percent());
    ButtonPause->setEnabled(false);
    ButtonCancel->setEnabled(false);
    ButtonClose->setEnabled(true);
    switch (transfer_->state()) {
    case TransferState::Done:
        ProgressBar1->setRange(0, 100);
        ProgressBar1->setValue(100);
        if (auto* receiver = qobject_cast<SerialReceiver*>(transfer_.get()); receiver && !receiver->complete()) {
            // What came is kept, but the user must know it may be cut short.
            LabelState->setText(transfer_->message());
            fitStateText();
            prompts().ask(this, "通信", transfer_->message(), QMessageBox::Ok, QMessageBox::Warning);
        } else {
            LabelState->setText("終了しました");
        }
        if (done_)
            runGuarded(this, [&] { done_(*transfer_); });
        break;
    case TransferState::Failed:
        LabelState->setText(transfer_->message());
        fitStateText();
        prompts().ask(this, "通信", transfer_->message(), QMessageBox::Ok, QMessageBox::Critical);
        break;
    default:
        LabelState->setText(transfer_->message());
        break;
    }
    fitStateText();
}

void TFormTransfer::fitStateText()
{
    // A wrapped message of several lines needs more height than the window was opened with: it
    // grows, so that the text neither runs over the bar nor loses its last line.
    layout()->activate();
    const int needed = layout()->totalHeightForWidth(width());
    setMinimumHeight(std::max(needed, layout()->totalMinimumSize().height()));
    if (needed > height())
        resize(width(), needed);
}

bool TFormTransfer::stopAsked(bool quitting)
{
    if (!busy())
        return true;
    const bool sending = qobject_cast<SerialSender*>(transfer_.get()) != nullptr;
    const QString question = QStringLiteral("%1中です。中止%2しますか？")
                                 .arg(sending ? QStringLiteral("送信") : QStringLiteral("受信"),
                                      quitting ? QStringLiteral("して終了") : QString());
    if (prompts().ask(this, "通信", question, QMessageBox::Yes | QMessageBox::No, QMessageBox::Question)
        != QMessageBox::Yes)
        return false;
    if (transfer_)
        transfer_->cancel();
    return true;
}

void TFormTransfer::reject()
{
    // Closing the window while a transfer runs cancels it, once the user has said so.
    if (!stopAsked(false))
        return;
    QDialog::reject();
}

}  // namespace zorvan
