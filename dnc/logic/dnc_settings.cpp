#include "dnc/logic/dnc_settings.h"

#include "app/logic/settings_group.h"

#include <array>
#include <utility>

namespace zorvan::dnc {

namespace {

template <typename Value, std::size_t N>
std::optional<Value> lookUp(const std::array<std::pair<const char*, Value>, N>& names, const std::string& name)
{
    for (const auto& [text, value] : names)
        if (name == text)
            return value;
    return std::nullopt;
}

template <typename Value, std::size_t N>
std::string nameIn(const std::array<std::pair<const char*, Value>, N>& names, Value value)
{
    for (const auto& [text, v] : names)
        if (v == value)
            return text;
    return names[0].first;
}

const std::array<std::pair<const char*, QSerialPort::Parity>, 3> kParities{
    {{"none", QSerialPort::NoParity}, {"even", QSerialPort::EvenParity}, {"odd", QSerialPort::OddParity}}};
const std::array<std::pair<const char*, QSerialPort::FlowControl>, 3> kFlows{{{"none", QSerialPort::NoFlowControl},
                                                                              {"xonxoff", QSerialPort::SoftwareControl},
                                                                              {"rtscts", QSerialPort::HardwareControl}}};
const std::array<std::pair<const char*, EndOfBlock>, 3> kEobs{
    {{"crlf", EndOfBlock::CrLf}, {"lf", EndOfBlock::Lf}, {"cr", EndOfBlock::Cr}}};
const std::array<std::pair<const char*, ReceiveStart>, 2> kStarts{
    {{"percent", ReceiveStart::Percent}, {"first", ReceiveStart::FirstByte}}};

// A whole number in [low, high] stored under `key`, or the current value.
void readNumber(const QSettings& store, const char* key, int low, int high, int& value)
{
    bool ok = false;
    const int stored = store.value(key).toString().toInt(&ok);
    if (ok && stored >= low && stored <= high)
        value = stored;
}

template <typename Value, std::size_t N>
void readChoice(const QSettings& store, const char* key, const std::array<std::pair<const char*, Value>, N>& names,
                Value& value)
{
    if (auto stored = lookUp(names, store.value(key).toString().toStdString()))
        value = *stored;
}

}  // namespace

DncSettings readDncSettings()
{
    DncSettings s;
    SettingsGroup group("dnc");
    const QSettings& store = group.store;
    s.port = store.value("Port", s.port).toString();
    readNumber(store, "Baud", kMinBaud, kMaxBaud, s.baud);
    int dataBits = s.dataBits, stopBits = s.stopBits == QSerialPort::TwoStop ? 2 : 1;
    readNumber(store, "DataBits", 7, 8, dataBits);
    readNumber(store, "StopBits", 1, 2, stopBits);
    s.dataBits = static_cast<QSerialPort::DataBits>(dataBits);
    s.stopBits = stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop;
    readChoice(store, "Parity", kParities, s.parity);
    readChoice(store, "Flow", kFlows, s.flow);
    readChoice(store, "EndOfBlock", kEobs, s.endOfBlock);
    readChoice(store, "ReceiveStart", kStarts, s.receiveStart);
    readNumber(store, "Feed", 0, 9999, s.feedLength);
    int addPercent = s.addPercent;
    readNumber(store, "AddPercent", 0, 1, addPercent);
    s.addPercent = addPercent;
    readNumber(store, "LinePause", 0, 60000, s.linePauseMs);
    readNumber(store, "StallTimeout", 1, 3600, s.stallTimeoutS);
    readNumber(store, "IdleTimeout", 1, 3600, s.idleTimeoutS);
    return s;
}

void writeDncSettings(const DncSettings& s)
{
    SettingsGroup group("dnc");
    QSettings& store = group.store;
    auto number = [](int n) { return QString::number(n); };
    store.setValue("Port", s.port);
    store.setValue("Baud", number(s.baud));
    store.setValue("DataBits", number(s.dataBits));
    store.setValue("Parity", QString::fromStdString(nameOf(s.parity)));
    store.setValue("StopBits", number(s.stopBits == QSerialPort::TwoStop ? 2 : 1));
    store.setValue("Flow", QString::fromStdString(nameOf(s.flow)));
    store.setValue("EndOfBlock", QString::fromStdString(nameOf(s.endOfBlock)));
    store.setValue("Feed", number(s.feedLength));
    store.setValue("AddPercent", number(s.addPercent ? 1 : 0));
    store.setValue("LinePause", number(s.linePauseMs));
    store.setValue("StallTimeout", number(s.stallTimeoutS));
    store.setValue("ReceiveStart", QString::fromStdString(nameIn(kStarts, s.receiveStart)));
    store.setValue("IdleTimeout", number(s.idleTimeoutS));
}

double charactersPerSecond(const DncSettings& s)
{
    const int frameBits = 1 + s.dataBits + (s.parity == QSerialPort::NoParity ? 0 : 1)
                          + (s.stopBits == QSerialPort::TwoStop ? 2 : 1);
    return double(s.baud) / frameBits;
}

std::string endOfBlockBytes(EndOfBlock eob)
{
    switch (eob) {
    case EndOfBlock::Lf:
        return "\n";
    case EndOfBlock::Cr:
        return "\r";
    case EndOfBlock::CrLf:
        break;
    }
    return "\r\n";
}

std::optional<QSerialPort::Parity> parityNamed(const std::string& name) { return lookUp(kParities, name); }
std::optional<QSerialPort::FlowControl> flowNamed(const std::string& name) { return lookUp(kFlows, name); }
std::optional<EndOfBlock> endOfBlockNamed(const std::string& name) { return lookUp(kEobs, name); }
std::string nameOf(QSerialPort::Parity parity) { return nameIn(kParities, parity); }
std::string nameOf(QSerialPort::FlowControl flow) { return nameIn(kFlows, flow); }
std::string nameOf(EndOfBlock eob) { return nameIn(kEobs, eob); }

}  // namespace zorvan::dnc
