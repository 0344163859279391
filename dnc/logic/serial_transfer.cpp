#include "dnc/logic/serial_transfer.h"

#include "dnc/logic/serial_line.h"

namespace zorvan::dnc {

namespace {
constexpr int kTickMs = 5;
constexpr int kReportMs = 200;
}  // namespace

SerialTransfer::SerialTransfer(const DncSettings& settings, QObject* parent) : QObject(parent), settings_(settings)
{
    ticker_.setTimerType(Qt::PreciseTimer);
    ticker_.setInterval(kTickMs);
    connect(&ticker_, &QTimer::timeout, this, [this] {
        onTick();
        if (!ended() && elapsedMs() - lastReportMs_ >= kReportMs) {
            lastReportMs_ = elapsedMs();
            emit progressed();
        }
    });
    connect(&port_, &QSerialPort::readyRead, this, [this] { onData(); });
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialTransfer::onPortError);
}

void SerialTransfer::start()
{
    openSerialLine(port_, settings_);
    state_ = TransferState::Running;
    clock_.start();
    ticker_.start();
    begin();
}

void SerialTransfer::cancel()
{
    if (state_ == TransferState::Running || state_ == TransferState::Paused)
        finish(TransferState::Cancelled, QStringLiteral("中止しました。"));
}

void SerialTransfer::finish(TransferState outcome, const QString& message)
{
    if (ended())
        return;
    state_ = outcome;
    message_ = message;
    ticker_.stop();
    if (port_.isOpen()) {
        // What the port still holds for the line goes nowhere once the transfer is over.
        if (outcome != TransferState::Done)
            port_.clear(QSerialPort::Output);
        port_.close();
    }
    emit progressed();
    emit finished();
}

void SerialTransfer::onPortError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError || ended()
        || state_ == TransferState::Idle)
        return;
    // The system's own words ("Resource temporarily unavailable") tell a machinist nothing.
    const TransferProgress p = progress();
    const QString moved = p.totalBytes > 0 ? QStringLiteral("%1 / %2 バイトを送りました。").arg(p.bytes).arg(p.totalBytes)
                                           : QStringLiteral("%1 バイトを受信しました。").arg(p.bytes);
    const QString text =
        QStringLiteral("ポート %1 との通信が切れました (相手側が閉じたか、ケーブルが外れました)。\n%2").arg(settings_.port, moved);
    // Ended after the port has finished reporting: closing it inside its own signal is unsafe.
    QMetaObject::invokeMethod(this, [this, text] { lineLost(text); }, Qt::QueuedConnection);
}

}  // namespace zorvan::dnc
