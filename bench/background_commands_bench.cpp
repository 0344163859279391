// The commands that run on a worker for long texts (reversal, extreme search, replace-all without
// the question, the placeholder and macro passes, append of a file): the time each takes through
// the background runner against its synchronous function on the window's thread, in the same run,
// and the longest gap between the ticks of a 1 ms timer during each.
// The program is generated here: ZORVAN_STALL_LINES lines (1,000,000 unless set).
// Counters: sync_ms, background_ms, ratio (background / sync), sync_stall_ms, background_stall_ms.
#include "app/logic/document_file.h"
#include "app/logic/document_merge.h"
#include "app/logic/file_io.h"
#include "app/ui/operation_runner.h"
#include "app/ui/textform.h"
#include "bench/support/event_loop_stall.h"
#include "lists/logic/list_passes.h"
#include "nc/logic/extreme_search.h"
#include "nc/logic/find_replace.h"
#include "nc/logic/nc_transforms.h"

#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

using namespace zorvan;

namespace {

const std::string& generatedProgram()
{
    static const std::string text = [] {
        const long lines = qEnvironmentVariableIsSet("ZORVAN_STALL_LINES")
                               ? qEnvironmentVariableIntValue("ZORVAN_STALL_LINES")
                               : 1000000;
        std::string text = "%\r\nO1000 (STALL)\r\n";
        text.reserve(static_cast<std::size_t>(lines) * 48);
        char line[96];
        for (long i = 0; i < lines; ++i) {
            const int n = std::snprintf(line, sizeof line, "N%ld G01 X%.3f Y%.3f Z-1.5 F200 $1 #500 (P%ld)\r\n", i,
                                        (i % 997) * 0.125, (i % 389) * -0.25, i % 7);
            text.append(line, static_cast<std::size_t>(n));
        }
        return text + "M30\r\n";
    }();
    return text;
}

using Staging = std::function<nc::StagedCommand(TextEditor&)>;

// Runs a staged command through the runner as the windows do, and waits for it.
void inBackground(TFormText& form, const Staging& stage)
{
    form.runner().queueInBackground(99, "", [&form, stage]() -> OperationRunner::Background {
        nc::StagedCommand staged = stage(form.editor());
        return [&form, staged](OperationTask& task) -> OperationRunner::Work {
            nc::EditStep edit = staged([&task](long long done, long long total) { task.progress(done, total); });
            return [&form, edit] { edit(form.editor()); };
        };
    });
    form.runner().waitForIdle();
}

void compare(benchmark::State& state, const std::function<void(TFormText&)>& sync,
             const std::function<void(TFormText&)>& background)
{
    TFormText form;
    bench::SyncAgainstBackground tally;
    for (auto _ : state) {
        for (int way = 0; way < 2; ++way) {
            form.editor().setText(generatedProgram());
            form.editor().setCaret(0);
            tally.time(way, [&] {
                (way == 0 ? sync : background)(form);
                form.UpdateStatus();
            });
        }
    }
    tally.report(state);
}

void Reversal(benchmark::State& state)
{
    compare(
        state, [](TFormText& form) { nc::reverseLines(form.editor()); },
        [](TFormText& form) { inBackground(form, [](TextEditor& e) { return nc::stagedReversal(e); }); });
}
BENCHMARK(Reversal)->Unit(benchmark::kMillisecond)->Iterations(3);

void ExtremeSearch(benchmark::State& state)
{
    const nc::CommandRange whole{false, true};
    compare(
        state,
        [&](TFormText& form) {
            const auto word = nc::findExtreme(form.editor(), 'X', nc::ExtremeMethod::Max, whole);
            form.editor().setSelection(word->start, word->length);
        },
        [&](TFormText& form) {
            form.runner().queueInBackground(99, "", [&]() -> OperationRunner::Background {
                auto search = std::make_shared<nc::StagedExtremeSearch>(form.editor(), 'X', nc::ExtremeMethod::Max, whole);
                return [&form, search](OperationTask& task) -> OperationRunner::Work {
                    search->search([&task](long long done, long long total) { task.progress(done, total); });
                    return [&form, search] {
                        const auto word = search->result(form.editor());
                        form.editor().setSelection(word->start, word->length);
                    };
                };
            });
            form.runner().waitForIdle();
        });
}
BENCHMARK(ExtremeSearch)->Unit(benchmark::kMillisecond)->Iterations(3);

void ReplaceAll(benchmark::State& state)
{
    compare(
        state,
        [](TFormText& form) {
            nc::SearchState search{"G01", "G1", nc::SearchState::Kind::Replace, false, true};
            nc::replaceStep(form.editor(), search, true, [] { return nc::ReplaceAnswer::All; });
        },
        [](TFormText& form) {
            form.runner().queueInBackground(99, "", [&]() -> OperationRunner::Background {
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

lists::ValueSet valueSet()
{
    return lists::ValueSet{"A", {"Z1."}};
}

void PlaceholderPass(benchmark::State& state)
{
    const lists::ValueSet set = valueSet();
    compare(
        state, [&](TFormText& form) { lists::runPlaceholderPass(form.editor(), set); },
        [&](TFormText& form) { inBackground(form, [&](TextEditor& e) { return lists::stagedPlaceholderPass(e, set); }); });
}
BENCHMARK(PlaceholderPass)->Unit(benchmark::kMillisecond)->Iterations(3);

void MacroPass(benchmark::State& state)
{
    lists::TDoubleGrid table;
    table.addRow("#500", "#600");
    table.addRow("G01", "G1");
    compare(
        state, [&](TFormText& form) { lists::runMacroPass(form.editor(), table); },
        [&](TFormText& form) { inBackground(form, [&](TextEditor& e) { return lists::stagedMacroPass(e, table); }); });
}
BENCHMARK(MacroPass)->Unit(benchmark::kMillisecond)->Iterations(3);

void Append(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("part.ncd");
    writeFileAtomically(path, generatedProgram());
    compare(
        state,
        [&](TFormText& form) {
            mergeLines(form.editor(), readMergeLines(readDocumentFile(path)), MergeMode::Append);
            form.ColourAll();
        },
        [&](TFormText& form) {
            form.MergeFile(path, 1);
            form.runner().waitForIdle();
        });
}
BENCHMARK(Append)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
