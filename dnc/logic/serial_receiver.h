// Receives a program from the control: waits for it, keeps its bytes (see ReceivedProgram) and
// ends at its closing "%", or after the idle timeout without data. A timeout before the program
// has started is a failure; one after it ends the program there.
#pragma once

#include "dnc/logic/received_program.h"
#include "dnc/logic/serial_transfer.h"

namespace zorvan::dnc {

class SerialReceiver : public SerialTransfer {
    Q_OBJECT
public:
    explicit SerialReceiver(const DncSettings& settings, QObject* parent = nullptr);

    const std::string& bytes() const { return program_.bytes(); }
    // Whether the program came with its closing "%"; a receive that ended otherwise (the idle
    // timeout, the line lost) after the program had begun is Done with what came, and says so
    // in its message.
    bool complete() const { return program_.complete(); }
    // The most bytes taken; past them the transfer fails, keeping what came.
    void setMostBytes(std::size_t most) { mostBytes_ = most; }
    TransferProgress progress() const override;

protected:
    void begin() override {}
    void onTick() override;
    void onData() override;
    void lineLost(const QString& message) override;

private:
    ReceivedProgram program_;
    qint64 lastDataMs_ = 0;
    std::size_t mostBytes_ = std::size_t(1) << 30;
};

}  // namespace zorvan::dnc
