// Opening the serial port a transfer uses, with the messages for a port that cannot be opened.
#pragma once

#include "dnc/logic/dnc_settings.h"

#include <QSerialPort>

namespace zorvan::dnc {

// Opens `port` on the settings' device and line settings. Throws UserError naming the port and,
// for a port the user may not open, how to get access.
void openSerialLine(QSerialPort& port, const DncSettings& settings);

// Bytes the system holds for the line that it has not put on the wire yet (0 where it cannot say).
qint64 systemOutputQueue(const QSerialPort& port);

}  // namespace zorvan::dnc
