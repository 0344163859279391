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
    DncSettings s;
    s.port = "/dev/ttyUSB7";
    s.baud = 38400;
    s.dataBits = QSerialPort::Data7;
    s.parity = QSerialPort::EvenParity;
    s.stopBits = QSerialPort::TwoStop;
    s.flow = QSerialPort::HardwareControl;
    s.endOfBlock = EndOfBlock::Cr;
    s.feedLength = 20;
    s.addPercent = false;
    s.linePauseMs = 15;
    s.stallTimeoutS = 9;
    s.receiveStart = ReceiveStart::FirstByte;
    s.idleTimeoutS = 4;
    dialog.fill(s);
    dialog.BitBtn1->click();

    QSettings store(QSettings::NativeFormat, QSettings::UserScope, "Kw", "Zorvan");
    store.beginGroup("dnc");
    EXPECT_EQ(store.value("Baud").toString(), "38400");
    EXPECT_EQ(store.value("Parity").toString(), "even");
    EXPECT_EQ(store.value("Flow").toString(), "rtscts");
    EXPECT_EQ(store.value("EndOfBlock").toString(), "cr");
    EXPECT_EQ(store.value("Baud").typeId(), QMetaType::QString);
    const DncSettings read = readDncSettings();
    EXPECT_EQ(read.port, s.port);
    EXPECT_EQ(read.dataBits, s.dataBits);
    EXPECT_EQ(read.stopBits, s.stopBits);
    EXPECT_EQ(read.feedLength, 20);
    EXPECT_FALSE(read.addPercent);
    EXPECT_EQ(read.linePauseMs, 15);
    EXPECT_EQ(read.stallTimeoutS, 9);
    EXPECT_EQ(read.receiveStart, ReceiveStart::FirstByte);
    EXPECT_EQ(read.idleTimeoutS, 4);
    TFormDnc fresh;
    fresh.prepare();
    EXPECT_EQ(fresh.ComboPort->currentText(), s.port);
    EXPECT_EQ(fresh.ComboBaud->currentText(), "38400");
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
