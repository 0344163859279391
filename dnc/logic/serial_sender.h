// Sends a program over the serial line at the line's own pace.
//
// The program is handed to the system a few milliseconds' worth at a time, at the rate the baud
// rate and character frame allow, so the system never holds more than a moment of it: pause and
// cancel act at once and the counts are what has gone out. XON/XOFF (the system's, so XOFF holds
// the line within a character) and RTS/CTS hold the sending below this class; a hold that lasts
// longer than the stall timeout ends the send. Nothing is handed twice and nothing is skipped.
// Drip-feed is the same send: the control paces it with XON/XOFF.
#pragma once

#include "dnc/logic/outgoing_program.h"
#include "dnc/logic/serial_transfer.h"

namespace zorvan::dnc {

class SerialSender : public SerialTransfer {
    Q_OBJECT
public:
    SerialSender(OutgoingProgram program, const DncSettings& settings, QObject* parent = nullptr);

    void pause();
    void resume();
    TransferProgress progress() const override;

protected:
    void begin() override;
    void onTick() override;
    void onData() override;

private:
    void restartPacing(qint64 nowNs);
    qint64 nextWriteEnd(qint64 budget) const;

    OutgoingProgram program_;
    double rate_;            // characters per second
    qint64 handed_ = 0;      // bytes given to the port
    qint64 sent_ = 0;        // bytes that left the system
    qint64 paceStartNs_ = 0; // pacing counts from here ...
    qint64 handedAtPaceStart_ = 0;  // ... the bytes handed since then
    qint64 lastProgressNs_ = 0;
    qint64 lineResumeNs_ = 0;       // the pause after a line lasts until here
    bool held_ = false;
};

}  // namespace zorvan::dnc
