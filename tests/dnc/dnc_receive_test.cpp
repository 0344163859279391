// Receiving from the machine, and zorvan-cli send / receive.
#include "dnc/logic/received_program.h"
#include "dnc/logic/serial_receiver.h"
#include "dnc/pty_machine.h"
#include "support/cli_run.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace zorvan::dnc;

namespace {

TEST(DncReceivedProgram, StartsAndEndsAtThePercentLines)
{
    struct Case {
        ReceiveStart start;
        std::vector<std::string> pieces;
        std::string kept;
        bool complete;
        int lines;  // as the transfer window counts them: CR LF, a lone CR and a lone LF each end
                    // one, and the last (the closing "%") counts without a break
    };
    const std::string nul(3, '\0');
    const Case cases[] = {
        {ReceiveStart::Percent, {nul + "junk%\r\nO1\r\n", "(50%)\r\n", "%\r\n" + nul}, "%\r\nO1\r\n(50%)\r\n%", true, 4},
        {ReceiveStart::Percent, {"%\nO1\n%", "\n"}, "%\nO1\n%", true, 3},
        {ReceiveStart::Percent, {"%\rO1\r%\r"}, "%\rO1\r%", true, 3},
        {ReceiveStart::Percent, {"%\r", "\nO1\r", "\n\n%"}, "%\r\nO1\r\n\n%", true, 4},  // CR LF cut by a piece
        {ReceiveStart::Percent, {"%\r\nO1\r\n"}, "%\r\nO1\r\n", false, 2},
        {ReceiveStart::Percent, {nul + "O1\r\n"}, "", false, 0},
        {ReceiveStart::FirstByte, {nul + "O1\r\n", "(\x93\xfa)\r\n%\r\n"}, "O1\r\n(\x93\xfa)\r\n%", true, 3},
    };
    for (const Case& c : cases) {
        ReceivedProgram program(c.start);
        for (const std::string& piece : c.pieces)
            program.add(piece);
        EXPECT_EQ(program.bytes(), c.kept);
        EXPECT_EQ(program.complete(), c.complete) << c.kept;
        EXPECT_EQ(program.lines(), c.lines) << c.kept;
    }
}

class DncLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureCoreApplication();
        ASSERT_TRUE(pty.ready()) << "socat did not make the pseudo-terminal pair";
        settings.port = QString::fromStdString(pty.near());
        settings.baud = 115200;
        settings.flow = QSerialPort::NoFlowControl;
        settings.idleTimeoutS = 1;
    }
    PtyPair pty;
    DncSettings settings;
};

TEST_F(DncLine, ReceiveEndsAtTheClosingPercentOrAfterTheIdleTimeout)
{
    struct Case {
        std::string sent;
        TransferState outcome;
        std::string kept;
    };
    const Case cases[] = {
        {std::string(5, '\0') + "%\r\nO0001\r\nG00X0\r\n%\r\n" + std::string(5, '\0'), TransferState::Done,
         "%\r\nO0001\r\nG00X0\r\n%"},
        {"%\r\nO0002\r\n(\x93\xfa)\r\n", TransferState::Done, "%\r\nO0002\r\n(\x93\xfa)\r\n"},  // idle timeout
        {"", TransferState::Failed, ""},                                                     // nothing came
    };
    for (const Case& c : cases) {
        MachineSetup setup;
        setup.program = c.sent;
        setup.sendPerSecond = 2000;
        SerialReceiver receiver(settings);
        receiver.start();
        Machine machine(pty.far(), setup);
        ASSERT_TRUE(runUntilEnded(receiver, 4000));
        EXPECT_EQ(receiver.state(), c.outcome) << receiver.message().toStdString();
        EXPECT_EQ(receiver.bytes(), c.kept);
    }
}

// Bytes 40 ms apart over two seconds: each one restarts the idle clock of one second.
TEST_F(DncLine, ASlowSenderIsNotCutOffByTheIdleTimeout)
{
    MachineSetup setup;
    setup.program = "%\r\nO0003\r\nG01X1.\r\nG01X2.\r\nG01X3.\r\nM30\r\n%\r\n";
    setup.sendPerSecond = 25;
    SerialReceiver receiver(settings);
    receiver.start();
    Machine machine(pty.far(), setup);
    ASSERT_TRUE(runUntilEnded(receiver, 6000));
    EXPECT_EQ(receiver.state(), TransferState::Done) << receiver.message().toStdString();
    EXPECT_EQ(receiver.bytes(), "%\r\nO0003\r\nG01X1.\r\nG01X2.\r\nG01X3.\r\nM30\r\n%");
}

TEST_F(DncLine, CommandLineSendsAndReceives)
{
    const std::string port = pty.near();
    QTemporaryDir dir;
    const QString input = dir.filePath("in.ncd"), output = dir.filePath("out.ncd");
    {
        QFile file(input);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("O1\r\n(\x93\xfa)\r\nM30\r\n");
    }
    {
        Machine machine(pty.far(), {});
        CliRun run = runZorvanCli({"send", "--port", port, "--baud", "115200", "--flow", "none", "--eob", "lf",
                                   input.toStdString()});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.err.find("行 1)"), std::string::npos) << run.err;  // the warning names the line
        spin(50);
        machine.finish();
        EXPECT_EQ(machine.received(), "%\nO1\n(\x93\xfa)\nM30\n%\n");
    }
    {
        MachineSetup setup;
        setup.program = "%\r\nO2\r\n%\r\n";
        setup.sendAfterMs = 300;
        Machine machine(pty.far(), setup);
        CliRun run = runZorvanCli({"receive", "--port", port, "--baud", "115200", "--parity", "none", "--idle", "2",
                                   "-o", output.toStdString()});
        EXPECT_EQ(run.status, 0) << run.err;
        QFile file(output);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll().toStdString(), "%\r\nO2\r\n%");
    }
    CliRun silent = runZorvanCli({"receive", "--port", port, "--idle", "1"});
    EXPECT_EQ(silent.status, 1);
    EXPECT_NE(silent.err.find("届きませんでした"), std::string::npos) << silent.err;
}

// A received program is never lost: it goes to standard output for "-", to the file as far as
// it came when it was cut short (exit 1), and a place that cannot be written is refused before
// the far end is waited for.
TEST_F(DncLine, CommandLineReceiveKeepsWhatCameOrRefusesAtOnce)
{
    const std::string port = pty.near();
    QTemporaryDir dir;
    const std::string file = dir.filePath("out.ncd").toStdString();
    struct Case {
        const char* name;
        std::vector<std::string> options;
        std::string sent;  // nothing: the far end stays silent
        int status;
        std::string out, written, message;
    };
    const Case cases[] = {
        {"standard output by -", {"-o", "-"}, "%\r\nO2\r\n%\r\n", 0, "%\r\nO2\r\n%", "", ""},
        {"cut short: written, and said", {"-o", file}, "%\r\nO3\r\nG01X", 1, "", "%\r\nO3\r\nG01X",
         "途切れました"},
        {"past --max-bytes: what came is kept", {"--max-bytes", "8", "-o", file}, "%\r\nO4\r\nG01X1.\r\n%\r\n", 1,
         "", "", "上限"},
        {"a missing folder", {"-o", dir.filePath("no/out.ncd").toStdString()}, "", 1, "", "",
         "ファイルまたはフォルダがありません"},
        {"a folder", {"-o", dir.path().toStdString()}, "", 1, "", "", "フォルダです"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(QString::fromStdString(file));
        MachineSetup setup;
        setup.program = c.sent;
        setup.sendAfterMs = 100;
        Machine machine(pty.far(), setup);
        std::vector<std::string> args = {"receive", "--port", port, "--baud", "115200", "--flow", "none", "--idle",
                                         c.sent.empty() ? "60" : "1"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        QElapsedTimer clock;
        clock.start();
        const CliRun run = runZorvanCli(args);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_EQ(run.out, c.out);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        if (!c.written.empty()) {
            QFile written(QString::fromStdString(file));
            ASSERT_TRUE(written.open(QIODevice::ReadOnly));
            EXPECT_EQ(written.readAll().toStdString(), c.written);
        }
        if (c.sent.empty()) {
            EXPECT_LT(clock.elapsed(), 30000) << "waited for the far end before finding the output unusable";
        }
    }
    EXPECT_FALSE(QFile::exists("-"));
}

TEST(DncCommandLine, BadOptionsAndPortsAreRefused)
{
    ensureCoreApplication();
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {{"send"}, 2, "--port DEV is needed"},
        {{"receive", "--port", "   "}, 2, "--port DEV is needed"},
        {{"receive", "--port", ""}, 2, "--port DEV is needed"},
        {{"send", "--port", "/dev/null", "--baud", "100"}, 2, "--baud must be 300 to 115200"},
        {{"send", "--port", "/dev/null", "--data", "9"}, 2, "--data must be 7 to 8"},
        {{"send", "--port", "/dev/null", "--parity", "mark"}, 2, "--parity must be none, even or odd"},
        {{"send", "--port", "/dev/null", "--stop", "3"}, 2, "--stop must be 1 to 2"},
        {{"send", "--port", "/dev/null", "--flow", "dtr"}, 2, "--flow must be none, xonxoff or rtscts"},
        {{"send", "--port", "/dev/null", "--eob", "crcr"}, 2, "--eob must be crlf, lf or cr"},
        {{"send", "--port", "/dev/null", "--idle", "3"}, 2, "unknown option --idle"},
        {{"receive", "--port", "/dev/null", "--idle", "0"}, 2, "--idle must be 1 to 3600"},
        {{"receive", "--port", "/dev/null", "prog.ncd"}, 2, "receive takes no FILE"},
        {{"send", "--port", "/dev/no-such-port"}, 1, "ポート /dev/no-such-port が見つかりません"},
        {{"send", "--port", "/dev/null", "/no/such/file.ncd"}, 1, "/no/such/file.ncd"},
        {{"send", "--port", "/dev/null", "/dev/null"}, 1, "送るプログラムがありません"},
    };
    for (const Case& c : cases) {
        CliRun run = runZorvanCli(c.args, "O1\n");
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

}  // namespace
