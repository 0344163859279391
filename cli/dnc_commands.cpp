// zorvan-cli send / receive: a program to or from a control over a serial line.
//   send --port DEV [LINE OPTIONS] [FILE]        FILE (absent or "-": standard input)
//   receive --port DEV [LINE OPTIONS] [--idle SECONDS] [--max-bytes N] [-o FILE]
//           (standard output without -o, or with -o -, /dev/stdout)
// LINE OPTIONS: --baud N --data 7|8 --parity none|even|odd --stop 1|2 --flow none|xonxoff|rtscts
// --eob crlf|lf|cr; what is not given comes from the stored settings. Progress goes to standard
// error; exit 0 when done, 1 when the transfer fails (with the reason) or the program came without
// its closing "%", 2 for bad options. A received program is never dropped: what came is written
// to the output, or, when that fails, to a recovery file that is named.
#include "cli/commands.h"

#include "app/logic/file_io.h"
#include "dnc/logic/outgoing_program.h"
#include "dnc/logic/serial_receiver.h"
#include "dnc/logic/serial_sender.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>

#include <charconv>
#include <functional>
#include <limits>
#include <ostream>

namespace zorvan::cli {

namespace {

using namespace zorvan::dnc;

struct LineCommand {
    DncSettings settings;
    std::optional<std::string> file;     // send: the program
    std::optional<std::string> outPath;  // receive: where it goes
    std::optional<Encoding> encoding;    // send: --encoding; absent: the file's own
    std::size_t mostBytes = kMostInputBytes;  // receive: --max-bytes
};

int boundedNumber(const std::string& option, const std::string& text, int low, int high)
{
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
        throw UsageError(option + " must be " + std::to_string(low) + " to " + std::to_string(high) + ": '" + text
                         + "'");
    return value;
}

template <typename Value>
Value named(const std::string& option, const std::string& text, std::optional<Value> value, const char* choices)
{
    if (!value)
        throw UsageError(option + " must be " + choices + ": '" + text + "'");
    return *value;
}

LineCommand parseLineCommand(const std::vector<std::string>& args, bool receive)
{
    LineCommand command{readDncSettings(), {}, {}, {}, kMostInputBytes};
    DncSettings& s = command.settings;
    bool portGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string& { return optionValue(args, i); };
        if (arg == "--port") {
            s.port = QString::fromStdString(value());
            portGiven = !s.port.isEmpty();
        } else if (arg == "--baud") {
            s.baud = boundedNumber(arg, value(), kMinBaud, kMaxBaud);
        } else if (arg == "--data") {
            s.dataBits = static_cast<QSerialPort::DataBits>(boundedNumber(arg, value(), 7, 8));
        } else if (arg == "--stop") {
            s.stopBits = boundedNumber(arg, value(), 1, 2) == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop;
        } else if (arg == "--parity") {
            const std::string& v = value();
            s.parity = named(arg, v, parityNamed(v), "none, even or odd");
        } else if (arg == "--flow") {
            const std::string& v = value();
            s.flow = named(arg, v, flowNamed(v), "none, xonxoff or rtscts");
        } else if (arg == "--eob") {
            const std::string& v = value();
            s.endOfBlock = named(arg, v, endOfBlockNamed(v), "crlf, lf or cr");
        } else if (!receive && arg == "--encoding") {
            command.encoding = parseEncodingOption(value());
        } else if (receive && arg == "--idle") {
            s.idleTimeoutS = boundedNumber(arg, value(), 1, 3600);
        } else if (receive && arg == "--max-bytes") {
            command.mostBytes = std::size_t(boundedNumber(arg, value(), 1, std::numeric_limits<int>::max()));
        } else if (receive && arg == "-o") {
            command.outPath = value();
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw UsageError("unknown option " + arg);
        } else if (receive) {
            throw UsageError("receive takes no FILE (use -o FILE): " + arg);
        } else if (command.file) {
            throw UsageError("more than one FILE: " + arg);
        } else if (arg != "-") {
            command.file = arg;
        }
    }
    if (!portGiven || s.port.trimmed().isEmpty())
        throw UsageError("--port DEV is needed");
    return command;
}

void printProgress(const char* what, const TransferProgress& p, std::ostream& err)
{
    err << what << ' ' << p.bytes;
    if (p.totalBytes > 0)
        err << '/' << p.totalBytes << " バイト (" << p.percent() << "%), " << p.lines << '/' << p.totalLines << " 行";
    else
        err << " バイト, " << p.lines << " 行";
    err << ", " << qint64(p.bytesPerSecond) << " バイト/秒" << (p.held ? " 待機中" : "") << '\n';
}

// Runs the transfer to its end, with a progress line on standard error every second; `arrived`
// is called with each progress.
int runTransfer(SerialTransfer& transfer, const char* what, const char* command, Io& io,
                const std::function<void()>& arrived = {})
{
    QEventLoop loop;
    qint64 printed = 0;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&transfer, &SerialTransfer::progressed, &loop, [&] {
        if (arrived)
            arrived();
        if (!transfer.ended() && clock.elapsed() - printed >= 1000) {
            printed = clock.elapsed();
            printProgress(what, transfer.progress(), io.err);
        }
    });
    QObject::connect(&transfer, &SerialTransfer::finished, &loop, &QEventLoop::quit);
    transfer.start();
    if (!transfer.ended())
        loop.exec();
    if (transfer.state() != TransferState::Done) {
        io.err << "zorvan-cli " << command << ": " << transfer.message().toStdString() << '\n';
        return Refused;
    }
    printProgress(what, transfer.progress(), io.err);
    return Done;
}

// Writes a received program that could not go where it was meant to into a file of its own in
// the temporary folder; the message says where it is, or that it could not be kept.
std::string keepInRecoveryFile(const std::string& bytes)
{
    const QString path = QDir(QDir::tempPath())
                             .filePath(QStringLiteral("zorvan-received-%1-%2.ncd")
                                           .arg(QDateTime::currentDateTime().toString("yyyyMMdd-hhmmss"))
                                           .arg(QCoreApplication::applicationPid()));
    try {
        writeFileAtomically(path, bytes);
        return "受信したプログラム (" + std::to_string(bytes.size()) + " バイト) を " + path.toStdString()
               + " に残しました";
    } catch (const FileError& e) {
        return std::string("受信したプログラムを残せませんでした: ") + e.what();
    }
}

}  // namespace

int runSend(const std::vector<std::string>& args, Io& io)
{
    const LineCommand command = parseLineCommand(args, false);
    const LoadedDocument document = loadDocumentInput(command.file, io.in, command.encoding);
    const std::string lines = documentBytes(document.text, document.encoding.encoding);
    requireProgram(lines);
    const std::vector<int> foreign = nonAsciiLines(lines);
    if (!foreign.empty()) {
        io.err << "zorvan-cli send: 警告: ASCII 以外のバイトを含む行をそのまま送ります (行";
        for (int line : foreign)
            io.err << ' ' << line;
        io.err << ")\n";
    }
    SerialSender sender(frameProgram(lines, command.settings), command.settings);
    return runTransfer(sender, "送信", "send", io);
}

int runReceive(const std::vector<std::string>& args, Io& io)
{
    const LineCommand command = parseLineCommand(args, true);
    // The output is opened before the far end is waited for, so that a place that cannot be
    // written is known at once; the bytes go to it as they arrive.
    std::optional<AtomicFileWriter> file;
    if (command.outPath && !namesStandardOutput(*command.outPath))
        file.emplace(QString::fromStdString(*command.outPath));
    SerialReceiver receiver(command.settings);
    receiver.setMostBytes(command.mostBytes);
    std::size_t written = 0;
    std::string writeFailure;
    const auto writeArrived = [&] {
        if (!file)
            return;
        try {
            file->append(std::string_view(receiver.bytes()).substr(written));
            written = receiver.bytes().size();
        } catch (const FileError& e) {
            writeFailure = e.what();
            file.reset();
        }
    };
    const int status = runTransfer(receiver, "受信", "receive", io, writeArrived);
    const std::string& bytes = receiver.bytes();
    if (bytes.empty())
        return status;

    bool kept = false;
    if (command.outPath && !namesStandardOutput(*command.outPath)) {
        writeArrived();
        if (file) {
            try {
                file->commit();
                kept = true;
            } catch (const FileError& e) {
                writeFailure = e.what();
            }
        }
    } else {
        io.out.write(bytes.data(), std::streamsize(bytes.size()));
        io.out.flush();
        kept = bool(io.out);
        if (!kept)
            writeFailure = "標準出力に書けません: " + (io.outFailure ? io.outFailure() : std::string());
    }
    if (!kept) {
        io.err << "zorvan-cli receive: " << writeFailure << '\n';
        io.err << "zorvan-cli receive: " << keepInRecoveryFile(bytes) << '\n';
        return Refused;
    }
    if (status == Done && !receiver.complete()) {
        io.err << "zorvan-cli receive: 終わりの \"%\" が来ないまま途切れました (" << bytes.size()
               << " バイト)。届いた分だけを書きました\n";
        return Refused;
    }
    return status;
}

}  // namespace zorvan::cli
