#include "dnc/logic/serial_line.h"

#include "app/logic/user_error.h"

#include <QFileInfo>

#include <sys/ioctl.h>
#include <termios.h>

namespace zorvan::dnc {

namespace {

[[noreturn]] void refuse(const QString& text)
{
    throw UserError(text.toStdString(), "通信", UserError::Icon::Critical);
}

QString openFailure(const QSerialPort& port, const QString& device)
{
    switch (port.error()) {
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("ポート %1 が見つかりません。\n通信設定でポートを確かめてください。").arg(device);
    case QSerialPort::PermissionError: {
        const QFileInfo file(port.portName().startsWith('/') ? port.portName() : "/dev/" + port.portName());
        if (file.exists() && !(file.isReadable() && file.isWritable()))
            return QStringLiteral("ポート %1 を開く権限がありません。\n"
                                  "ユーザーを dialout グループに加えて (sudo usermod -aG dialout $USER)、"
                                  "ログインし直してください。")
                .arg(device);
        return QStringLiteral("ポート %1 は使用中です。\nほかのプログラムがポートを閉じてから、もう一度試してください。")
            .arg(device);
    }
    default:
        return QStringLiteral("ポート %1 を開けません。\n%2").arg(device, port.errorString());
    }
}

// Qt's software flow control also lets any received character restart output; a control sends
// only XON for that, so the rest stays held until it does.
void restartOnlyOnXon(QSerialPort& port)
{
    termios tio{};
    if (tcgetattr(port.handle(), &tio) == 0) {
        tio.c_iflag &= ~IXANY;
        tcsetattr(port.handle(), TCSANOW, &tio);
    }
}

}  // namespace

void openSerialLine(QSerialPort& port, const DncSettings& settings)
{
    const QString device = settings.port.trimmed();
    if (device.isEmpty())
        refuse(QStringLiteral("ポートが選ばれていません。\n通信設定でポートを選んでください。"));
    port.setPortName(device);
    if (!port.open(QIODevice::ReadWrite))
        refuse(openFailure(port, device));
    const bool configured = port.setBaudRate(settings.baud) && port.setDataBits(settings.dataBits)
                            && port.setParity(settings.parity) && port.setStopBits(settings.stopBits)
                            && port.setFlowControl(settings.flow);
    if (!configured) {
        const QString reason = port.errorString();
        port.close();
        refuse(QStringLiteral("ポート %1 を %2 bps に設定できません。\n%3").arg(device).arg(settings.baud).arg(reason));
    }
    if (settings.flow == QSerialPort::SoftwareControl)
        restartOnlyOnXon(port);
    port.clear();
}

qint64 systemOutputQueue(const QSerialPort& port)
{
    int queued = 0;
    if (port.handle() < 0 || ioctl(port.handle(), TIOCOUTQ, &queued) != 0)
        return 0;
    return queued;
}

}  // namespace zorvan::dnc
