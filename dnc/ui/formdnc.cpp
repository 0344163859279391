#include "dnc/ui/formdnc.h"

#include "app/ui/dialog_buttons.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QSpinBox>

namespace zorvan {

using namespace dnc;

namespace {

QComboBox* choiceBox(QWidget* parent, const char* name, const QList<std::pair<QString, int>>& items)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    for (const auto& [text, value] : items)
        box->addItem(text, value);
    return box;
}

QSpinBox* numberBox(QWidget* parent, const char* name, int low, int high)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(low, high);
    return box;
}

void choose(QComboBox* box, int value) { box->setCurrentIndex(std::max(0, box->findData(value))); }

}  // namespace

TFormDnc::TFormDnc(QWidget* parent) : QDialog(parent)
{
    setObjectName("FormDnc");
    setWindowTitle("通信設定");
    ComboPort = new QComboBox(this);
    ComboPort->setObjectName("ComboPort");
    ComboPort->setEditable(true);
    // Wide enough for a whole /dev/serial/by-id/… path; the tool tip shows a longer one.
    ComboPort->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboPort->setMinimumContentsLength(kPortFieldCharacters);
    connect(ComboPort, &QComboBox::currentTextChanged, ComboPort, &QWidget::setToolTip);
    QList<std::pair<QString, int>> bauds;
    for (int baud : {300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200})
        bauds.append({QString::number(baud), baud});
    ComboBaud = choiceBox(this, "ComboBaud", bauds);
    ComboData = choiceBox(this, "ComboData", {{"7", 7}, {"8", 8}});
    ComboParity = choiceBox(this, "ComboParity",
                            {{"なし", QSerialPort::NoParity}, {"偶数", QSerialPort::EvenParity}, {"奇数", QSerialPort::OddParity}});
    ComboStop = choiceBox(this, "ComboStop", {{"1", 1}, {"2", 2}});
    ComboFlow = choiceBox(this, "ComboFlow",
                          {{"なし", QSerialPort::NoFlowControl},
                           {"XON/XOFF", QSerialPort::SoftwareControl},
                           {"RTS/CTS", QSerialPort::HardwareControl}});
    ComboEob = choiceBox(this, "ComboEob",
                         {{"CR LF", int(EndOfBlock::CrLf)}, {"LF", int(EndOfBlock::Lf)}, {"CR", int(EndOfBlock::Cr)}});
    SpinFeed = numberBox(this, "SpinFeed", 0, 9999);
    CheckPercent = new QCheckBox("プログラムに無いとき先頭と末尾に「%」を付ける", this);
    CheckPercent->setObjectName("CheckPercent");
    SpinPause = numberBox(this, "SpinPause", 0, 60000);
    SpinStall = numberBox(this, "SpinStall", 1, 3600);
    ComboStart = choiceBox(this, "ComboStart",
                           {{"最初の「%」から", int(ReceiveStart::Percent)}, {"最初のバイトから", int(ReceiveStart::FirstByte)}});
    SpinIdle = numberBox(this, "SpinIdle", 1, 3600);

    auto* form = new QFormLayout(this);
    form->addRow("ポート", ComboPort);
    form->addRow("ボーレート", ComboBaud);
    form->addRow("データビット", ComboData);
    form->addRow("パリティ", ComboParity);
    form->addRow("ストップビット", ComboStop);
    form->addRow("フロー制御", ComboFlow);
    form->addRow("送信の行末", ComboEob);
    form->addRow("フィード (NUL) の数", SpinFeed);
    form->addRow(CheckPercent);
    form->addRow("1 行ごとの待ち (ms)", SpinPause);
    form->addRow("送信停止のタイムアウト (秒)", SpinStall);
    form->addRow("受信の開始", ComboStart);
    form->addRow("受信の無通信タイムアウト (秒)", SpinIdle);
    BitBtn1 = dialogButton(this, "OK", "BitBtn1");
    BitBtn2 = dialogButton(this, "キャンセル", "BitBtn2");
    form->addRow(buttonRow({BitBtn1, BitBtn2}));

    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        writeDncSettings(settings());
        accept();
    });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormDnc::prepare()
{
    ComboPort->clear();
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ComboPort->addItem(info.systemLocation());
    fill(readDncSettings());
}

void TFormDnc::fill(const DncSettings& s)
{
    ComboPort->setCurrentText(s.port);
    choose(ComboBaud, s.baud);
    choose(ComboData, s.dataBits);
    choose(ComboParity, s.parity);
    choose(ComboStop, s.stopBits == QSerialPort::TwoStop ? 2 : 1);
    choose(ComboFlow, s.flow);
    choose(ComboEob, int(s.endOfBlock));
    SpinFeed->setValue(s.feedLength);
    CheckPercent->setChecked(s.addPercent);
    SpinPause->setValue(s.linePauseMs);
    SpinStall->setValue(s.stallTimeoutS);
    choose(ComboStart, int(s.receiveStart));
    SpinIdle->setValue(s.idleTimeoutS);
}

DncSettings TFormDnc::settings() const
{
    DncSettings s;
    s.port = ComboPort->currentText().trimmed();
    s.baud = ComboBaud->currentData().toInt();
    s.dataBits = static_cast<QSerialPort::DataBits>(ComboData->currentData().toInt());
    s.parity = static_cast<QSerialPort::Parity>(ComboParity->currentData().toInt());
    s.stopBits = ComboStop->currentData().toInt() == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop;
    s.flow = static_cast<QSerialPort::FlowControl>(ComboFlow->currentData().toInt());
    s.endOfBlock = static_cast<EndOfBlock>(ComboEob->currentData().toInt());
    s.feedLength = SpinFeed->value();
    s.addPercent = CheckPercent->isChecked();
    s.linePauseMs = SpinPause->value();
    s.stallTimeoutS = SpinStall->value();
    s.receiveStart = static_cast<ReceiveStart>(ComboStart->currentData().toInt());
    s.idleTimeoutS = SpinIdle->value();
    return s;
}

}  // namespace zorvan
