// Sending: the framing of a program, and sends over a pseudo-terminal to the machine.
#include "dnc/logic/outgoing_program.h"
#include "dnc/logic/serial_sender.h"
#include "app/logic/user_error.h"
#include "dnc/pty_machine.h"

#include <QRegularExpression>
#include <QTemporaryFile>

#include <gtest/gtest.h>

using namespace zorvan::dnc;

namespace {

DncSettings lineSettings(const std::string& port, int baud = 115200,
                         QSerialPort::FlowControl flow = QSerialPort::NoFlowControl)
{
    DncSettings s;
    s.port = QString::fromStdString(port);
    s.baud = baud;
    s.flow = flow;
    s.stallTimeoutS = 5;
    return s;
}

// A program of `lines` numbered blocks, LF line ends.
std::string program(int lines)
{
    std::string text;
    for (int i = 0; i < lines; ++i)
        text += "N" + std::to_string(i) + "G01X" + std::to_string(i * 7 % 1000) + ".5Y-3.F200\n";
    return text;
}

TEST(DncFraming, EndOfBlockLeaderTrailerAndPercent)
{
    struct Case {
        const char* text;
        EndOfBlock eob;
        int feed;
        bool addPercent;
        std::string expected;
    };
    const Case cases[] = {
        {"O1\nM30\n", EndOfBlock::CrLf, 0, true, "%\r\nO1\r\nM30\r\n%\r\n"},
        {"O1\nM30", EndOfBlock::Lf, 0, true, "%\nO1\nM30\n%\n"},
        {"O1\nM30\n", EndOfBlock::Cr, 0, true, "%\rO1\rM30\r%\r"},
        {"%\nO1\n%\n", EndOfBlock::CrLf, 0, true, "%\r\nO1\r\n%\r\n"},
        {"%\nO1\n%\n\n", EndOfBlock::Lf, 0, true, "%\nO1\n%\n\n"},      // blank lines after the end stay
        {"%\nO1\n", EndOfBlock::Lf, 0, true, "%\nO1\n%\n"},             // only the end is added
        {"O1\n%\n", EndOfBlock::Lf, 0, true, "%\nO1\n%\n"},             // only the start is added
        {"%\n", EndOfBlock::Lf, 0, true, "%\n%\n"},                     // one "%" is an opening
        {"O1\n", EndOfBlock::Lf, 3, false, std::string("\0\0\0O1\n\0\0\0", 9)},
        {"(\x93\xfa)\n", EndOfBlock::Lf, 0, false, "(\x93\xfa)\n"},     // other bytes go as they are
        {"", EndOfBlock::Lf, 0, false, ""},
    };
    for (const Case& c : cases) {
        DncSettings s;
        s.endOfBlock = c.eob;
        s.feedLength = c.feed;
        s.addPercent = c.addPercent;
        EXPECT_EQ(frameProgram(c.text, s).bytes, c.expected) << c.text;
    }
    EXPECT_EQ(frameProgram("A\nB\n", DncSettings{}).lineEnds, (std::vector<std::size_t>{3, 6, 9, 12}));
    EXPECT_EQ(nonAsciiLines("G0\n(\x93\xfa)\nM30\n\xb1\n"), (std::vector<int>{1, 3}));
    EXPECT_EQ(documentBytes("O1\r\n(日本)\r\n"), "O1\n(\x93\xfa\x96\x7b)\n");
    EXPECT_EQ(documentBytes("O1\r\n(日本)\r\n", zorvan::Encoding::Utf8), "O1\n(日本)\n");  // no byte-order mark
}

class DncSend : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureCoreApplication();
        ASSERT_TRUE(pty.ready()) << "socat did not make the pseudo-terminal pair";
    }
    PtyPair pty;
};

TEST_F(DncSend, ArrivesByteForByteWithAndWithoutFlowControl)
{
    struct Case {
        EndOfBlock eob;
        QSerialPort::FlowControl flow;
        int feed;
        int linePauseMs;
    };
    for (Case c : {Case{EndOfBlock::CrLf, QSerialPort::NoFlowControl, 0, 0}, Case{EndOfBlock::Lf, QSerialPort::SoftwareControl, 5, 0},
                   Case{EndOfBlock::Cr, QSerialPort::HardwareControl, 2, 0}, Case{EndOfBlock::CrLf, QSerialPort::NoFlowControl, 1, 3}}) {
        DncSettings s = lineSettings(pty.near());
        s.endOfBlock = c.eob;
        s.flow = c.flow;
        s.feedLength = c.feed;
        s.linePauseMs = c.linePauseMs;
        const OutgoingProgram out = frameProgram(program(40), s);
        Machine machine(pty.far(), {});
        SerialSender sender(out, s);
        sender.start();
        ASSERT_TRUE(runUntilEnded(sender));
        EXPECT_EQ(sender.state(), TransferState::Done) << sender.message().toStdString();
        EXPECT_EQ(sender.progress().lines, int(out.lineEnds.size()));
        spin(50);
        machine.finish();
        EXPECT_EQ(machine.received(), out.bytes) << int(c.eob);
    }
}

TEST_F(DncSend, XonXoffKeepsTheMachineBufferFromOverflowing)
{
    // 1,920 characters a second against 1,000 worked off: the machine has to hold the line back.
    DncSettings s = lineSettings(pty.near(), 19200, QSerialPort::SoftwareControl);
    const OutgoingProgram out = frameProgram(program(40), s);
    MachineSetup setup;
    setup.capacity = 1024;
    setup.workPerSecond = 1000;
    setup.highWater = 300;
    setup.lowWater = 100;
    Machine machine(pty.far(), setup);
    SerialSender sender(out, s);
    sender.start();
    ASSERT_TRUE(runUntilEnded(sender));
    EXPECT_EQ(sender.state(), TransferState::Done) << sender.message().toStdString();
    spin(50);
    machine.finish();
    EXPECT_EQ(machine.received(), out.bytes);
    EXPECT_GT(machine.xoffs(), 0);
    EXPECT_LE(machine.maxFill(), setup.capacity);
}

TEST_F(DncSend, PauseHoldsResumeGoesOnCancelStops)
{
    DncSettings s = lineSettings(pty.near(), 38400);
    const OutgoingProgram out = frameProgram(program(70), s);  // about half a second
    {
        Machine machine(pty.far(), {});
        SerialSender sender(out, s);
        sender.start();
        spin(100);
        sender.pause();
        spin(100);
        const std::size_t atPause = machine.receivedSoFar();
        spin(200);
        EXPECT_EQ(machine.receivedSoFar(), atPause);
        EXPECT_LT(atPause, out.bytes.size());
        sender.resume();
        ASSERT_TRUE(runUntilEnded(sender));
        EXPECT_EQ(sender.state(), TransferState::Done);
        spin(50);
        machine.finish();
        EXPECT_EQ(machine.received(), out.bytes);
    }
    Machine machine(pty.far(), {});
    SerialSender sender(out, s);
    sender.start();
    spin(100);
    sender.cancel();
    EXPECT_EQ(sender.state(), TransferState::Cancelled);
    spin(100);
    machine.finish();
    EXPECT_LT(machine.received().size(), out.bytes.size());
    EXPECT_EQ(machine.received(), out.bytes.substr(0, machine.received().size()));
}

TEST_F(DncSend, AStalledLineEndsTheSendAfterTheTimeout)
{
    DncSettings s = lineSettings(pty.near(), 115200, QSerialPort::SoftwareControl);
    s.stallTimeoutS = 1;
    MachineSetup setup;
    setup.stall = true;
    Machine machine(pty.far(), setup);
    SerialSender sender(frameProgram(program(100), s), s);
    sender.start();
    ASSERT_TRUE(runUntilEnded(sender, 4000));
    EXPECT_EQ(sender.state(), TransferState::Failed);
    EXPECT_TRUE(sender.message().contains("XON")) << sender.message().toStdString();
}

// The stall clock stands still while the user has paused, even with the line held; it runs again
// after the resume.
TEST_F(DncSend, APausedSendOutlastsTheStallTimeout)
{
    DncSettings s = lineSettings(pty.near(), 115200, QSerialPort::SoftwareControl);
    s.stallTimeoutS = 1;
    MachineSetup setup;
    setup.stall = true;
    Machine machine(pty.far(), setup);
    SerialSender sender(frameProgram(program(100), s), s);
    sender.start();
    spin(100);
    sender.pause();
    spin(1600);
    EXPECT_EQ(sender.state(), TransferState::Paused) << sender.message().toStdString();
    sender.resume();
    ASSERT_TRUE(runUntilEnded(sender, 4000));
    EXPECT_EQ(sender.state(), TransferState::Failed);
}

// With a pause after each line every line ends a write and waits the pause, so the send takes at
// least the pauses between its lines.
TEST_F(DncSend, APauseAfterEachLineWaitsAtEveryLineEnd)
{
    DncSettings s = lineSettings(pty.near());
    s.linePauseMs = 150;
    const OutgoingProgram out = frameProgram(program(6), s);
    Machine machine(pty.far(), {});
    SerialSender sender(out, s);
    QElapsedTimer clock;
    clock.start();
    sender.start();
    ASSERT_TRUE(runUntilEnded(sender));
    EXPECT_EQ(sender.state(), TransferState::Done) << sender.message().toStdString();
    EXPECT_GE(clock.elapsed(), qint64(out.lineEnds.size() - 1) * s.linePauseMs);
    spin(50);
    machine.finish();
    EXPECT_EQ(machine.received(), out.bytes);
}

TEST_F(DncSend, TheFarEndClosingEndsTheSend)
{
    DncSettings s = lineSettings(pty.near(), 38400);
    Machine machine(pty.far(), {});
    SerialSender sender(frameProgram(program(100), s), s);
    sender.start();
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (machine.receivedSoFar() >= 300)
            pty.stop();
    });
    watch.start(5);
    ASSERT_TRUE(runUntilEnded(sender, 6000));
    EXPECT_EQ(sender.state(), TransferState::Failed);
    // In Japanese, with the bytes that went, as the stall message says them.
    EXPECT_TRUE(QRegularExpression("^ポート \\S+ との通信が切れました \\(相手側が閉じたか、ケーブルが外れました\\)。\n"
                                   "\\d+ / \\d+ バイトを送りました。$")
                    .match(sender.message())
                    .hasMatch())
        << sender.message().toStdString();
}

TEST(DncPort, APathThatIsNoTerminalIsNamedSo)
{
    ensureCoreApplication();
    QTemporaryFile plain;
    ASSERT_TRUE(plain.open());
    for (const QString& path : {plain.fileName(), QStringLiteral("/dev/null")}) {
        const DncSettings s = lineSettings(path.toStdString());
        SerialSender sender(frameProgram("O1\n", s), s);
        try {
            sender.start();
            ADD_FAILURE() << path.toStdString();
        } catch (const zorvan::UserError& e) {
            EXPECT_EQ(QString::fromStdString(e.what()),
                      path + " はシリアルポートではありません。\n通信設定でポートを確かめてください。");
        }
    }
}

}  // namespace
