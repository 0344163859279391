// How long the window's event loop stands still while a long operation runs, and what running it
// through the background runner costs against running it on the window's thread, in the same run.
// The program is generated here: ZORVAN_STALL_LINES lines (1,000,000 unless set).
//   Open:  the synchronous load (LoadDocument) against the load through the runner (StartOpen)
//   Shift: X+10 over every line, synchronous (shiftCoordinates) against the staged shift
//   Swap:  the axis swap X<->Y of the whole text, synchronous (swapAxes) against the staged swap
//   ReplaceAll: "G01" by "G1" from the top without the question, synchronous (replaceStep)
//          against the staged replace-all (StagedReplaceAll) through the runner, as the window runs it
// Counters: sync_ms, background_ms, ratio (background / sync), and the longest gap between the
// ticks of a 1 ms timer during each (sync_stall_ms, background_stall_ms).
#include "app/logic/file_io.h"
#include "app/logic/settings.h"
#include "app/logic/text_pieces.h"
#include "app/ui/operation_runner.h"
#include "app/ui/textform.h"
#include "bench/support/event_loop_stall.h"
#include "nc/logic/axis_swap.h"
#include "nc/logic/find_replace.h"
#include "nc/logic/nc_transforms.h"

#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

using namespace zorvan;

namespace {

QString generatedProgram(QTemporaryDir& dir)
{
    const long lines = qEnvironmentVariableIsSet("ZORVAN_STALL_LINES") ? qEnvironmentVariableIntValue("ZORVAN_STALL_LINES")
                                                                        : 1000000;
    std::string text = "%\r\nO1000 (STALL)\r\n";
    text.reserve(static_cast<std::size_t>(lines) * 44);
    char line[96];
    for (long i = 0; i < lines; ++i) {
        const int n = std::snprintf(line, sizeof line, "N%ld G01 X%.3f Y%.3f Z-1.5 F200 (P%ld)\r\n", i, (i % 997) * 0.125,
                                    (i % 389) * -0.25, i % 7);
        text.append(line, static_cast<std::size_t>(n));
    }
    text += "M30\r\n";
    const QString path = dir.filePath("stall.ncd");
    writeFileAtomically(path, text);
    return path;
}

void compare(benchmark::State& state, const std::function<void(TFormText&)>& prepare,
             const std::function<void(TFormText&)>& sync, const std::function<void(TFormText&)>& background)
{
    QTemporaryDir dir;
    const QString path = generatedProgram(dir);
    TFormText form;
    bench::SyncAgainstBackground tally;
    for (auto _ : state) {
        for (int way = 0; way < 2; ++way) {
            form.DocPath = path;
            prepare(form);
            tally.time(way, [&] { (way == 0 ? sync : background)(form); });
        }
    }
    state.counters["lines"] = form.editor().lineCount();
    tally.report(state);
}

void Open(benchmark::State& state)
{
    compare(
        state, [](TFormText&) {}, [](TFormText& form) { form.LoadDocument(); },
        [](TFormText& form) {
            form.StartOpen(form.DocPath);
            form.runner().waitForIdle();
        });
}
BENCHMARK(Open)->Unit(benchmark::kMillisecond)->Iterations(3);

void Shift(benchmark::State& state)
{
    const DecimalSettings settings;
    compare(
        state, [](TFormText& form) { form.LoadDocument(); },
        [&](TFormText& form) {
            nc::shiftCoordinates(form.editor(), {10, 0, 0}, settings);
            form.UpdateStatus();
        },
        [&](TFormText& form) {
            form.runner().queueInBackground(10, "座標移動中", [&]() -> OperationRunner::Background {
                nc::StagedCommand staged = nc::stagedShift(form.editor(), {10, 0, 0}, settings);
                return [&form, staged](OperationTask& task) -> OperationRunner::Work {
                    nc::EditStep edit = staged([&task](long long done, long long total) { task.progress(done, total); });
                    return [&form, edit] { edit(form.editor()); };
                };
            });
            form.runner().waitForIdle();
        });
}
BENCHMARK(Shift)->Unit(benchmark::kMillisecond)->Iterations(3);

// A staged command through the runner, as the window runs it.
void runStaged(TFormText& form, const std::function<nc::StagedCommand()>& stage)
{
    form.runner().queueInBackground(10, "置換中", [&]() -> OperationRunner::Background {
        nc::StagedCommand staged = stage();
        return [&form, staged](OperationTask& task) -> OperationRunner::Work {
            nc::EditStep edit = staged([&task](long long done, long long total) { task.progress(done, total); });
            return [&form, edit] { edit(form.editor()); };
        };
    });
    form.runner().waitForIdle();
}

void Swap(benchmark::State& state)
{
    const nc::CommandRange whole{false, true};
    compare(
        state, [](TFormText& form) { form.LoadDocument(); },
        [&](TFormText& form) {
            nc::swapAxes(form.editor(), 'X', 'Y', whole);
            form.UpdateStatus();
        },
        [&](TFormText& form) { runStaged(form, [&] { return nc::stagedSwap(form.editor(), 'X', 'Y', whole); }); });
}
BENCHMARK(Swap)->Unit(benchmark::kMillisecond)->Iterations(3);

void ReplaceAll(benchmark::State& state)
{
    compare(
        state, [](TFormText& form) { form.LoadDocument(); },
        [](TFormText& form) {
            nc::SearchState search{.searchText = "G01", .replacementText = "G1", .replaceAll = true};
            nc::replaceStep(form.editor(), search, true, {});
            form.UpdateStatus();
        },
        [](TFormText& form) {
            form.runner().queueInBackground(10, "置換中", [&form]() -> OperationRunner::Background {
                auto replace = std::make_shared<nc::StagedReplaceAll>(form.editor(), "G01", "G1", 0);
                return [&form, replace](OperationTask& task) -> OperationRunner::Work {
                    replace->replace([&task](long long done, long long total) { task.progress(done, total); });
                    return [&form, replace] { replace->apply(form.editor()); };
                };
            });
            form.runner().waitForIdle();
        });
}
BENCHMARK(ReplaceAll)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
