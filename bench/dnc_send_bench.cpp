// A send at 115200 baud without flow control over a socat pseudo-terminal pair. A pty carries
// bytes as fast as they come, so the line's pace is the sender's own: the send should keep the
// line busy (bytes per second against the 11,520 characters per second of 8N1 at 115200) and
// never hold up the event loop.
//   busy:        bytes per second over the whole send / 11,520 (the goal is 0.95 or more)
//   max_stall_ms: the longest gap between two turns of the event loop during the send (goal < 50)
#include "dnc/logic/serial_sender.h"
#include "tests/dnc/pty_machine.h"

#include <QElapsedTimer>

#include <benchmark/benchmark.h>

using namespace zorvan::dnc;

namespace {

void SendAt115200(benchmark::State& state)
{
    ensureCoreApplication();
    PtyPair pty;
    if (!pty.ready()) {
        state.SkipWithError("socat did not make the pseudo-terminal pair");
        return;
    }
    DncSettings settings;
    settings.port = QString::fromStdString(pty.near());
    settings.baud = 115200;
    settings.flow = QSerialPort::NoFlowControl;
    std::string text;
    for (int i = 0; text.size() < std::size_t(state.range(0)); ++i)
        text += "N" + std::to_string(i) + "G01X" + std::to_string(i % 997) + ".125Y-" + std::to_string(i % 89) + ".5F300\n";
    const OutgoingProgram program = frameProgram(text, settings);
    double busy = 0, maxStallMs = 0;
    for (auto _ : state) {
        Machine machine(pty.far(), {});
        SerialSender sender(program, settings);
        QElapsedTimer clock, turn;
        qint64 lastTurn = 0, longest = 0;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            longest = std::max(longest, turn.nsecsElapsed() - lastTurn);
            lastTurn = turn.nsecsElapsed();
        });
        clock.start();
        turn.start();
        probe.start(1);
        sender.start();
        runUntilEnded(sender, 60000);
        const double seconds = clock.nsecsElapsed() / 1e9;
        if (sender.state() != TransferState::Done) {
            state.SkipWithError(sender.message().toStdString().c_str());
            return;
        }
        busy = program.bytes.size() / seconds / charactersPerSecond(settings);
        maxStallMs = longest / 1e6;
    }
    state.counters["busy"] = busy;
    state.counters["max_stall_ms"] = maxStallMs;
    state.SetBytesProcessed(int64_t(state.iterations() * program.bytes.size()));
}
BENCHMARK(SendAt115200)->Arg(40000)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
