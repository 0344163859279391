// Undo and redo of a whole-file shift against opening the file. The program is the generated
// one of 1,000,000 lines (bench/support/generated_program.h; ZORVAN_BENCH_FILE names another).
//   UndoAgainstOpen: open, shift X+10 over every line, undo, redo, in turn; the counters give the
//                    mean of each and their ratios to the open
//   UndoMemory:      resident memory above the empty editor after the open alone, and after the
//                    open and the shift with its undo step kept, and their ratio
#include "app/logic/settings.h"
#include "app/ui/textform.h"
#include "bench/support/against_open.h"
#include "nc/logic/nc_transforms.h"

#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <string>

using namespace zorvan;

namespace {

long residentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

void UndoAgainstOpen(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); };
    TFormText form;
    const DecimalSettings settings;
    double openMs = 0, shiftMs = 0, undoMs = 0, redoMs = 0;
    bool restored = true;
    for (auto _ : state) {
        const auto start = Clock::now();
        form.DocPath = bench::benchFile();
        form.LoadDocument();
        const auto opened = Clock::now();
        nc::shiftCoordinates(form.editor(), {10, 0, 0}, settings);
        form.UpdateStatus();
        const auto shifted = Clock::now();
        form.editor().undo();
        form.UpdateStatus();
        const auto undone = Clock::now();
        restored = restored && !form.editor().isModified();
        form.editor().redo();
        form.UpdateStatus();
        const auto redone = Clock::now();
        openMs += ms(start, opened);
        shiftMs += ms(opened, shifted);
        undoMs += ms(shifted, undone);
        redoMs += ms(undone, redone);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["open_ms"] = openMs / n;
    state.counters["shift_to_open"] = shiftMs / openMs;
    state.counters["undo_to_open"] = undoMs / openMs;
    state.counters["redo_to_open"] = redoMs / openMs;
    state.counters["undo_restored"] = restored;
}
BENCHMARK(UndoAgainstOpen)->Unit(benchmark::kMillisecond)->Iterations(6);

void UndoMemory(benchmark::State& state)
{
    const DecimalSettings settings;
    for (auto _ : state) {
        TFormText form;
        const long emptyKb = residentKb();
        form.DocPath = bench::benchFile();
        form.LoadDocument();
        const long openKb = residentKb() - emptyKb;
        nc::shiftCoordinates(form.editor(), {10, 0, 0}, settings);
        form.UpdateStatus();
        const long shiftKb = residentKb() - emptyKb;
        state.counters["open_x_file"] = openKb / (QFileInfo(bench::benchFile()).size() / 1024.0);
        state.counters["shift_with_undo_to_open"] = static_cast<double>(shiftKb) / static_cast<double>(openKb);
    }
}
BENCHMARK(UndoMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
