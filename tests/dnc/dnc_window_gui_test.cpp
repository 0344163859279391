// The port settings dialog and the send and receive commands of the main window.
#include "app/logic/document_model.h"
#include "app/ui/textform.h"
#include "dnc/ui/formdnc.h"
#include "dnc/ui/formtransfer.h"
#include "dnc/pty_machine.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"
#include "support/wait_for.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

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

const QString kSaveQuestion = QStringLiteral("確認|変更されています\u3000保存しますか");
const std::string kProgram = "%\r\nO1\r\nG00X0Y0\r\nG01X10.F100\r\nM30\r\n%\r\n";
const std::string kShown = "%\r\nO1\r\nG00X0Y0\r\nG01X10.F100\r\nM30\r\n%";  // as the editor holds it

// Receive, then type or run a command and undo it: the program is on no disk, so it still
// reads modified and a close asks.
TEST_F(DncWindow, AReceivedProgramStaysModifiedWhateverIsUndone)
{
    form.show();
    for (bool typed : {true, false}) {
        SCOPED_TRACE(typed);
        form.editor().setText("G00X0");
        form.editor().setModified(false);
        MachineSetup setup;
        setup.program = kProgram;
        prompts.asked.clear();
        prompts.answers = {QMessageBox::No};  // a new document
        form.action("DncReceive")->trigger();
        Machine machine(pty.far(), setup);
        ASSERT_TRUE(transferEnded());
        ASSERT_TRUE(waitFor([&] { return form.runner().idle() && form.editor().text() == kShown; }));
        if (typed) {
            form.editor().setCaret(3);
            QTest::keyClicks(form.Memo1, "A");
            QCoreApplication::processEvents();
            QTest::keyClick(form.Memo1, Qt::Key_Z, Qt::ControlModifier);
            QCoreApplication::processEvents();
        } else {
            form.editor().replaceLine(3, "G00X1.Y0");
            form.Undo1Click();
        }
        EXPECT_EQ(form.editor().text(), kShown);
        EXPECT_TRUE(form.editor().isModified());
        form.UpdateStatus();
        EXPECT_EQ(form.windowTitle(), "Zorvan *");
        prompts.asked.clear();
        prompts.answers = {QMessageBox::Cancel};
        EXPECT_FALSE(form.close());
        EXPECT_EQ(prompts.asked, QStringList{kSaveQuestion});
    }
}

// The program arrives while an operation runs (a load is waiting too): it is opened after them,
// never in their middle, and the loaded file it replaces is on disk.
TEST_F(DncWindow, AProgramArrivingDuringAnOperationOpensAfterIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ncd");
    writeFile(path, "%\r\nG01X5.\r\n%\r\n");
    form.editor().setText("G00X0");
    form.editor().setModified(false);
    MachineSetup setup;
    setup.program = kProgram;
    prompts.answers = {QMessageBox::No};
    form.action("DncReceive")->trigger();
    Machine machine(pty.far(), setup);
    std::string duringOperation;
    form.runner().queue(99, QStringLiteral("置換中"), [&] {
        form.StartOpen(path);
        transferEnded();
        QCoreApplication::processEvents();
        duringOperation = form.editor().text();
    });
    EXPECT_EQ(duringOperation, "G00X0");
    ASSERT_TRUE(waitFor([&] { return form.runner().idle() && form.editor().text() == kShown; }));
    EXPECT_TRUE(form.editor().isModified());
    EXPECT_TRUE(form.DocPath.isEmpty());
    EXPECT_EQ(fileBytes(path), "%\r\nG01X5.\r\n%\r\n");
}

// Alt+X or Escape on the transfer window while a send runs asks first; No keeps the editor and
// the send, Yes cancels the send and closes as usual.
TEST_F(DncWindow, ClosingWhileSendingAsksFirst)
{
    DncSettings s = readDncSettings();
    s.flow = QSerialPort::SoftwareControl;
    s.stallTimeoutS = 60;
    writeDncSettings(s);
    std::string program = "%\r\n";
    for (int i = 0; i < 2000; ++i)
        program += "N" + std::to_string(i) + "G01X1.Y2.\r\n";
    form.editor().setText(program + "%");
    form.editor().setModified(false);
    MachineSetup setup;
    setup.stall = true;  // XOFF at the first byte, never XON: the send waits
    Machine machine(pty.far(), setup);
    form.show();
    form.action("DncSend")->trigger();
    ASSERT_TRUE(waitFor([&] { return machine.receivedSoFar() > 0; }));
    QSignalSpy closed(&form, &TFormText::closed);

    prompts.answers = {QMessageBox::No};
    EXPECT_FALSE(form.close());
    EXPECT_EQ(prompts.asked.back(), "通信|送信中です。中止して終了しますか？");
    EXPECT_TRUE(transfer->busy());
    EXPECT_TRUE(form.isVisible());

    prompts.answers = {QMessageBox::No};
    QTest::keyClick(transfer, Qt::Key_Escape);
    EXPECT_EQ(prompts.asked.back(), "通信|送信中です。中止しますか？");
    EXPECT_TRUE(transfer->busy());

    prompts.answers = {QMessageBox::Yes};
    EXPECT_TRUE(form.close());
    EXPECT_EQ(transfer->transfer()->state(), TransferState::Cancelled);
    EXPECT_EQ(closed.count(), 1);
}

// With changes shown, receive asks about them before it waits; a program that arrives after
// more typing asks again, and is dropped only after a question that names it.
TEST_F(DncWindow, ReceiveAsksAboutChangesFirstAndNeverDropsTheProgramSilently)
{
    form.editor().setText("G00X0");  // modified
    prompts.answers = {QMessageBox::No, QMessageBox::Cancel};  // a new document; Cancel the save question
    form.action("DncReceive")->trigger();
    EXPECT_EQ(prompts.asked.back(), kSaveQuestion);
    EXPECT_FALSE(transfer->busy());
    EXPECT_EQ(form.editor().text(), "G00X0");

    prompts.asked.clear();
    prompts.answers = {QMessageBox::No, QMessageBox::No};  // a new document; not saved
    form.action("DncReceive")->trigger();
    ASSERT_EQ(prompts.asked.size(), 2);
    EXPECT_EQ(prompts.asked[1], kSaveQuestion);
    ASSERT_TRUE(transfer->busy());
    form.editor().setCaret(5);
    form.editor().replaceSelection("Y1");  // typed while waiting
    // On arrival: Cancel the save question, cancel the file dialog, No to dropping the program,
    // then No to saving the typed text: the program opens.
    prompts.asked.clear();
    prompts.answers = {QMessageBox::Cancel, QMessageBox::No, QMessageBox::No};
    MachineSetup setup;
    setup.program = kProgram;
    Machine machine(pty.far(), setup);
    ASSERT_TRUE(transferEnded());
    ASSERT_TRUE(waitFor([&] { return form.runner().idle() && form.editor().text() == kShown; }));
    ASSERT_EQ(prompts.asked.size(), 3);
    EXPECT_EQ(prompts.asked[0], kSaveQuestion);
    EXPECT_TRUE(prompts.asked[1].contains(QStringLiteral("受信したプログラム (%1 バイト)").arg(kShown.size())))
        << prompts.asked[1].toStdString();
    EXPECT_EQ(prompts.asked[2], kSaveQuestion);
    EXPECT_TRUE(form.editor().isModified());
    EXPECT_EQ(form.StatusNote->text(), "");
}

// A program without its closing "%" (ended by the idle timeout) is kept, but said to be cut short
// in the transfer window, in a box and beside the status panels; it reads modified.
TEST_F(DncWindow, AReceiveWithoutItsClosingPercentIsFlaggedIncomplete)
{
    form.editor().setText("G00X0");
    form.editor().setModified(false);
    MachineSetup setup;
    setup.program = "%\r\nO1\r\nG00X0Y0\r\n";
    prompts.answers = {QMessageBox::No};
    form.action("DncReceive")->trigger();
    Machine machine(pty.far(), setup);
    ASSERT_TRUE(transferEnded());
    EXPECT_EQ(transfer->transfer()->state(), TransferState::Done);
    ASSERT_TRUE(waitFor([&] { return form.runner().idle() && form.editor().text() == "%\r\nO1\r\nG00X0Y0\r\n"; }));
    EXPECT_TRUE(transfer->LabelState->text().contains("届いていません")) << transfer->LabelState->text().toStdString();
    EXPECT_TRUE(prompts.asked.back().contains("届いていません")) << prompts.asked.back().toStdString();
    EXPECT_TRUE(form.StatusNote->text().contains("途中")) << form.StatusNote->text().toStdString();
    EXPECT_TRUE(form.editor().isModified());
}

}  // namespace
