// The port settings dialog: the serial line and how programs are sent and received. OK stores
// the settings.
#pragma once

#include "dnc/logic/dnc_settings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;

namespace zorvan {

class TFormDnc : public QDialog {
    Q_OBJECT
public:
    explicit TFormDnc(QWidget* parent = nullptr);

    // Characters the port field shows at least ("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_…").
    static constexpr int kPortFieldCharacters = 64;

    QComboBox* ComboPort = nullptr;  // the ports Qt finds; any device path may be typed in
    QComboBox* ComboBaud = nullptr;
    QComboBox* ComboData = nullptr;
    QComboBox* ComboParity = nullptr;
    QComboBox* ComboStop = nullptr;
    QComboBox* ComboFlow = nullptr;
    QComboBox* ComboEob = nullptr;
    QSpinBox* SpinFeed = nullptr;
    QCheckBox* CheckPercent = nullptr;
    QSpinBox* SpinPause = nullptr;
    QSpinBox* SpinStall = nullptr;
    QComboBox* ComboStart = nullptr;
    QSpinBox* SpinIdle = nullptr;
    QPushButton* BitBtn1 = nullptr;  // OK
    QPushButton* BitBtn2 = nullptr;  // キャンセル

    // Shows the stored settings, with the ports found now.
    void prepare();
    void fill(const dnc::DncSettings& settings);
    dnc::DncSettings settings() const;
};

}  // namespace zorvan
