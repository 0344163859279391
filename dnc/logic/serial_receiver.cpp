#include "dnc/logic/serial_receiver.h"

namespace zorvan::dnc {

SerialReceiver::SerialReceiver(const DncSettings& settings, QObject* parent)
    : SerialTransfer(settings, parent), program_(settings.receiveStart)
{
}

TransferProgress SerialReceiver::progress() const
{
    TransferProgress p;
    p.bytes = qint64(program_.bytes().size());
    p.lines = program_.lines();
    const double seconds = elapsedSeconds();
    p.bytesPerSecond = seconds > 0 ? p.bytes / seconds : 0;
    p.held = !program_.started();
    return p;
}

void SerialReceiver::onData()
{
    if (state_ != TransferState::Running)
        return;
    const QByteArray data = port_.readAll();
    if (data.isEmpty())
        return;
    lastDataMs_ = elapsedMs();
    const bool complete = program_.add(std::string_view(data.constData(), data.size()));
    if (program_.bytes().size() > mostBytes_)
        finish(TransferState::Failed, QStringLiteral("受信したプログラムが上限の %1 バイトを超えたので受信をやめました。")
                                          .arg(qulonglong(mostBytes_)));
    else if (complete)
        finish(TransferState::Done);
}

void SerialReceiver::onTick()
{
    if (elapsedMs() - lastDataMs_ < qint64(settings_.idleTimeoutS) * 1000)
        return;
    if (program_.started())
        finish(TransferState::Done, program_.complete()
                                        ? QString()
                                        : QStringLiteral("%1 秒データが来ないため受信を終えました。\n"
                                                         "終わりの \"%\" が届いていません。プログラムが途中で切れているかもしれません。")
                                              .arg(settings_.idleTimeoutS));
    else
        finish(TransferState::Failed,
               QStringLiteral("%1 秒待ってもプログラムが届きませんでした。\n"
                              "ケーブルと通信設定、相手側が送信を始めたかを確かめてください。")
                   .arg(settings_.idleTimeoutS));
}

void SerialReceiver::lineLost(const QString& message)
{
    if (!program_.started()) {
        SerialTransfer::lineLost(message);
        return;
    }
    finish(TransferState::Done,
           message + QStringLiteral("\n終わりの \"%\" が届く前に切れました。プログラムが途中で切れているかもしれません。"));
}

}  // namespace zorvan::dnc
