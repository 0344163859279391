#include "dnc/logic/serial_line.h"

#include "app/logic/user_error.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace zorvan::dnc {

namespace {

[[noreturn]] void refuse(const QString& text)
{
    throw UserError(text.toStdString(), "通信", UserError::Icon::Critical);
}

// Whether `path` is there but is no terminal: a plain file or a device of another kind, which the
// system refuses only with its English "Inappropriate ioctl for device".
bool notATerminal(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return false;
    if (!S_ISCHR(st.st_mode))
        return true;
    const int fd = ::open(name.constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;  // busy or forbidden: said by the port's own error
    const bool terminal = ::isatty(fd);
    ::close(fd);
    return !terminal;
}

QString openFailure(const QSerialPort& port, const QString& device)
{
    const QString path = port.portName().startsWith('/') ? port.portName() : "/dev/" + port.portName();
    if (notATerminal(path))
        return QStringLiteral("%1 はシリアルポートではありません。\n通信設定でポートを確かめてください。").arg(device);
    switch (port.error()) {
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("ポート %1 が見つかりません。\n通信設定でポートを確かめてください。").arg(device);
    case QSerialPort::PermissionError: {
        const QFileInfo file(path);
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
