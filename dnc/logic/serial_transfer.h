// What a send and a receive share: the open port, the progress counts, the end with its outcome
// and message, and the port's failures (the other end closing the line). Both run on the
// caller's thread, driven by the port's signals and a short timer, so the event loop never waits
// on the line.
#pragma once

#include "dnc/logic/dnc_settings.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

namespace zorvan::dnc {

enum class TransferState { Idle, Running, Paused, Done, Cancelled, Failed };

struct TransferProgress {
    qint64 bytes = 0;
    qint64 totalBytes = 0;  // 0: not known (a receive)
    int lines = 0;
    int totalLines = 0;
    double bytesPerSecond = 0;
    bool held = false;  // the line holds the send (XOFF, no CTS) or it waits for data
    int percent() const { return totalBytes > 0 ? int(bytes * 100 / totalBytes) : 0; }
};

class SerialTransfer : public QObject {
    Q_OBJECT
public:
    explicit SerialTransfer(const DncSettings& settings, QObject* parent = nullptr);

    // Opens the port and starts; throws UserError when the port cannot be opened.
    void start();
    void cancel();
    TransferState state() const { return state_; }
    bool ended() const { return state_ >= TransferState::Done; }
    // Why it ended, for Cancelled and Failed.
    QString message() const { return message_; }
    virtual TransferProgress progress() const = 0;

signals:
    // At most every few tenths of a second while it runs, and once at the end.
    void progressed();
    void finished();

protected:
    virtual void begin() = 0;       // the port is open
    virtual void onTick() = 0;      // every few milliseconds while it runs
    virtual void onData() {}
    void finish(TransferState outcome, const QString& message = {});
    // The line was lost (the other end closed, the cable came out): it fails unless a transfer
    // has something worth keeping.
    virtual void lineLost(const QString& message) { finish(TransferState::Failed, message); }
    double elapsedSeconds() const { return clock_.nsecsElapsed() / 1e9; }
    qint64 elapsedMs() const { return clock_.elapsed(); }

    DncSettings settings_;
    QSerialPort port_;
    TransferState state_ = TransferState::Idle;

private:
    void onPortError(QSerialPort::SerialPortError error);

    QString message_;
    QElapsedTimer clock_;
    QTimer ticker_;
    qint64 lastReportMs_ = -1000;
};

}  // namespace zorvan::dnc
