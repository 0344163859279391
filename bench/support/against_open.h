// What the benchmarks of the editor's commands share: the program they open, and the measure of a
// command against opening that program in the same run.
#pragma once

#include "app/ui/textform.h"
#include "bench/support/generated_program.h"

#include <QString>

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

namespace zorvan::bench {

// The program to open: the file `variable` names, else the generated program of `lines` lines.
inline QString benchFile(const char* variable = "ZORVAN_BENCH_FILE", long lines = 1000000)
{
    QString path = qEnvironmentVariable(variable);
    return path.isEmpty() ? generatedProgramFile(lines) : path;
}

// Opens the program in the main window and runs `command` on it, in turns, so that both meet the
// same state of a shared machine; `prepare` runs between them, untimed. The command is timed with
// the status refresh that follows it in the window. Counters: open_ms, `<name>_ms` (means) and
// `ratio`, the command's time to the open's.
template <typename Prepare, typename Command>
void againstOpen(benchmark::State& state, const std::string& name, const std::string& ratio, Prepare&& prepare,
                 Command&& command)
{
    using Clock = std::chrono::steady_clock;
    auto msSince = [](Clock::time_point start) {
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    };
    TFormText form;
    double openMs = 0, commandMs = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        form.DocPath = benchFile();
        form.LoadDocument();
        openMs += msSince(start);
        prepare(form);
        start = Clock::now();
        command(form);
        form.UpdateStatus();
        commandMs += msSince(start);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["open_ms"] = openMs / n;
    state.counters[name + "_ms"] = commandMs / n;
    state.counters[ratio] = commandMs / openMs;
}

template <typename Command>
void againstOpen(benchmark::State& state, const std::string& name, const std::string& ratio, Command&& command)
{
    againstOpen(state, name, ratio, [](TFormText&) {}, command);
}

}  // namespace zorvan::bench
