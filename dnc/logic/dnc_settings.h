// The serial line and transfer settings, kept in the settings store under the group "dnc" (every
// value a string, like the program's other settings).
#pragma once

#include <QSerialPort>
#include <QString>

#include <optional>
#include <string>

namespace zorvan::dnc {

enum class EndOfBlock { CrLf, Lf, Cr };
enum class ReceiveStart { Percent, FirstByte };

struct DncSettings {
    QString port;
    int baud = 9600;  // 300 to 115200
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
    QSerialPort::FlowControl flow = QSerialPort::SoftwareControl;
    EndOfBlock endOfBlock = EndOfBlock::CrLf;
    int feedLength = 0;        // NUL characters before and after the program
    bool addPercent = true;    // "%" at the start and end of a program that has none
    int linePauseMs = 0;       // after each line sent
    int stallTimeoutS = 30;    // a send held this long (no XON, no CTS) fails
    ReceiveStart receiveStart = ReceiveStart::Percent;
    int idleTimeoutS = 30;     // a receive ends after this long without data

    bool operator==(const DncSettings&) const = default;
};

// The stored settings; what is missing or unreadable keeps its default.
DncSettings readDncSettings();
void writeDncSettings(const DncSettings& settings);

// The line's characters per second: the baud rate over the bits of one character frame (start
// bit, data bits, parity bit, stop bits).
double charactersPerSecond(const DncSettings& settings);
// The bytes that end a block.
std::string endOfBlockBytes(EndOfBlock eob);

// The names the command line and the store use for the choices; nothing for an unknown name.
std::optional<QSerialPort::Parity> parityNamed(const std::string& name);
std::optional<QSerialPort::FlowControl> flowNamed(const std::string& name);
std::optional<EndOfBlock> endOfBlockNamed(const std::string& name);
std::string nameOf(QSerialPort::Parity parity);
std::string nameOf(QSerialPort::FlowControl flow);
std::string nameOf(EndOfBlock eob);

constexpr int kMinBaud = 300, kMaxBaud = 115200;

}  // namespace zorvan::dnc
