// The port settings dialog and the send and receive commands of the main window.
#include "app/logic/document_model.h"
#include "app/ui/textform.h"
#include "dnc/ui/formdnc.h"
#include "dnc/ui/formtransfer.h"
#include "dnc/pty_machine.h"
#include "support/scripted_prompts.h"
#include "support/wait_for.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>

#include <gtest/gtest.h>

using namespace zorvan;
using namespace zorvan::dnc;

namespace {

TEST(DncSettingsDialog, OkStoresEverySettingAsTextUnderDnc)
{
    TFormDnc dialog;
    const DncSettings s{.port = "/dev/ttyUSB7", .baud = 38400, .dataBits = QSerialPort::Data7,
                        .parity = QSerialPort::EvenParity, .stopBits = QSerialPort::TwoStop,
                        .flow = QSerialPort::HardwareControl, .endOfBlock = EndOfBlock::Cr, .feedLength = 20,
                        .addPercent = false, .linePauseMs = 15, .stallTimeoutS = 9,
                        .receiveStart = ReceiveStart::FirstByte, .idleTimeoutS = 4};
    dialog.fill(s);
    dialog.BitBtn1->click();

    EXPECT_EQ(readDncSettings(), s);
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, "Kw", "Zorvan");
    for (auto [key, text] : {std::pair{"dnc/Baud", "38400"}, {"dnc/Parity", "even"}, {"dnc/Flow", "rtscts"},
                             {"dnc/EndOfBlock", "cr"}, {"dnc/AddPercent", "0"}, {"dnc/ReceiveStart", "first"}}) {
        EXPECT_EQ(store.value(key).typeId(), QMetaType::QString) << key;
        EXPECT_EQ(store.value(key).toString(), text) << key;
    }
    TFormDnc fresh;
    fresh.prepare();
    EXPECT_EQ(fresh.settings(), s);
}

TEST(DncSettingsDialog, ThePortFieldShowsAWholeByIdPath)
{
    TFormDnc dialog;
    const QString path = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    dialog.ComboPort->setCurrentText(path);
    dialog.show();
    QLineEdit* field = dialog.ComboPort->lineEdit();
    EXPECT_GE(field->width(), field->fontMetrics().horizontalAdvance(path));
    EXPECT_EQ(dialog.ComboPort->toolTip(), path);
}

class DncWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ready());
        DncSettings s;
        s.port = QString::fromStdString(pty.near());
        s.baud = 115200;
        s.flow = QSerialPort::NoFlowControl;
        s.idleTimeoutS = 1;
        writeDncSettings(s);
        transfer = form.findChild<TFormTransfer*>("FormTransfer");
        ASSERT_NE(transfer, nullptr);
    }
    bool transferEnded()
    {
        return waitFor([&] { return transfer->transfer() && transfer->transfer()->ended(); }, 5000);
    }

    PtyPair pty;
    ScriptedPrompts prompts;
    TFormText form;
    TFormTransfer* transfer = nullptr;
};

TEST_F(DncWindow, SendsTheProgramAsSavedAfterWarningOfNonAsciiLines)
{
    form.editor().setText("O1\r\n(日本)\r\nM30");
    form.editor().setModified(false);
    Machine machine(pty.far(), {});
    form.action("DncSend")->trigger();
    ASSERT_TRUE(transferEnded());
    EXPECT_EQ(transfer->transfer()->state(), TransferState::Done);
    ASSERT_EQ(prompts.asked.size(), 1);
    EXPECT_TRUE(prompts.asked[0].contains("含む行があります: 1")) << prompts.asked[0].toStdString();
    spin(50);
    machine.finish();
    EXPECT_EQ(machine.received(), "%\r\nO1\r\n(\x93\xfa\x96\x7b)\r\nM30\r\n%\r\n");
    EXPECT_EQ(form.editor().text(), "O1\r\n(日本)\r\nM30");
    EXPECT_FALSE(form.editor().isModified());
}

TEST_F(DncWindow, ReceivesIntoANewDocument)
{
    form.editor().setText("G00X0");
    form.editor().setModified(false);
    MachineSetup setup;
    setup.program = "%\r\nO9(\x93\xfa)\r\n%\r\n";
    prompts.answers = {QMessageBox::No};  // not into a file: a new document
    form.action("DncReceive")->trigger();
    Machine machine(pty.far(), setup);
    ASSERT_TRUE(transferEnded());
    EXPECT_EQ(transfer->transfer()->state(), TransferState::Done);
    EXPECT_EQ(form.editor().text(), "%\r\nO9(日)\r\n%");
    EXPECT_TRUE(form.document().modified());
    EXPECT_TRUE(form.document().DocPath.isEmpty());
}

TEST_F(DncWindow, AFailedReceiveShowsItsWholeMessageBelowAStillBar)
{
    prompts.answers = {QMessageBox::No};  // into a new document; then nothing comes
    form.action("DncReceive")->trigger();
    ASSERT_TRUE(transferEnded());
    EXPECT_EQ(transfer->transfer()->state(), TransferState::Failed);
    transfer->layout()->activate();
    const QLabel* state = transfer->LabelState;
    EXPECT_TRUE(state->text().endsWith("確かめてください。")) << state->text().toStdString();
    EXPECT_EQ(transfer->ProgressBar1->maximum(), 100);  // no busy stripes
    EXPECT_GE(state->height(), state->heightForWidth(state->width()));  // no line cut off
    EXPECT_GT(state->y(), transfer->ProgressBar1->geometry().bottom());
    EXPECT_LT(state->geometry().bottom(), transfer->ButtonClose->y());
}

TEST_F(DncWindow, APortThatIsNotThereIsNamedAndTheTextStays)
{
    DncSettings s = readDncSettings();
    s.port = "/dev/ttyNOWHERE9";
    writeDncSettings(s);
    form.editor().setText("O1");
    form.action("DncSend")->trigger();
    ASSERT_FALSE(prompts.asked.isEmpty());
    EXPECT_TRUE(prompts.asked.back().contains("ポート /dev/ttyNOWHERE9 が見つかりません"))
        << prompts.asked.back().toStdString();
    EXPECT_EQ(form.editor().text(), "O1");
    EXPECT_FALSE(transfer->isVisible());
}

}  // namespace
