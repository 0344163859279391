// The search-based commands on a big program in the editor, each against opening that program
// in the same run. Make the file with
//   python3 /work/shared/tools/gen-nc.py 1000000 /tmp/big.ncd
// (ZORVAN_BENCH_FILE names another).
//   SwapAgainstOpen:     open, then swap X and Y over the whole file, in turn
//   ExtremeAgainstOpen:  open, then search the largest Z over the whole file, in turn
//   ReplaceAgainstOpen:  open, then replace every "G01" by "G1" without a question, in turn
// Each command is run as its window runs it: the edit, the colours of the lines, the status
// refresh. The counters give the mean of each and the ratio of the command to the open.
#include "app/logic/document_file.h"
#include "app/logic/memory_editor.h"
#include "app/ui/textform.h"
#include "nc/logic/axis_swap.h"
#include "nc/logic/extreme_search.h"
#include "nc/logic/find_replace.h"

#include <benchmark/benchmark.h>

#include <chrono>

using namespace zorvan;

namespace {

QString benchFile()
{
    QString path = qEnvironmentVariable("ZORVAN_BENCH_FILE");
    return path.isEmpty() ? QStringLiteral("/tmp/big.ncd") : path;
}

template <typename Command> void againstOpen(benchmark::State& state, Command&& command)
{
    using Clock = std::chrono::steady_clock;
    TFormText form;
    double openMs = 0, commandMs = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        form.DocPath = benchFile();
        form.LoadDocument();
        auto loaded = Clock::now();
        command(form);
        form.UpdateStatus();
        auto done = Clock::now();
        openMs += std::chrono::duration<double, std::milli>(loaded - start).count();
        commandMs += std::chrono::duration<double, std::milli>(done - loaded).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["open_ms"] = openMs / n;
    state.counters["command_ms"] = commandMs / n;
    state.counters["command_to_open"] = commandMs / openMs;
}

void SwapAgainstOpen(benchmark::State& state)
{
    againstOpen(state, [](TFormText& form) { nc::swapAxes(form.editor(), 'X', 'Y', {false, true}); });
}
BENCHMARK(SwapAgainstOpen)->Unit(benchmark::kMillisecond)->Iterations(8);

void ExtremeAgainstOpen(benchmark::State& state)
{
    againstOpen(state, [](TFormText& form) {
        auto word = nc::findExtreme(form.editor(), 'Z', nc::ExtremeMethod::Max, {false, true});
        if (word) {
            form.editor().setSelection(word->start, word->length);
            form.Marks[11] = word->line;
        }
    });
}
BENCHMARK(ExtremeAgainstOpen)->Unit(benchmark::kMillisecond)->Iterations(8);

void ReplaceAgainstOpen(benchmark::State& state)
{
    againstOpen(state, [](TFormText& form) {
        nc::SearchState search;
        search.searchText = "G01";
        search.replacementText = "G1";
        search.replaceAll = true;
        nc::replaceStep(form.editor(), search, true, [] { return nc::ReplaceAnswer::Yes; });
    });
}
BENCHMARK(ReplaceAgainstOpen)->Unit(benchmark::kMillisecond)->Iterations(8);

// The in-memory editor (what zorvan-cli runs): one find after another through the whole text,
// which must cost the text once, not once per match.
void FindEveryG01InMemory(benchmark::State& state)
{
    MemoryEditor editor(readDocument(readDocumentFile(benchFile())));
    editor.replaceLine(0, editor.line(0));  // the text no longer lies in one piece
    for (auto _ : state) {
        long found = 0;
        for (long at = editor.find("G01", 0, editor.length()); at >= 0; at = editor.find("G01", at + 3, editor.length()))
            ++found;
        state.counters["matches"] = static_cast<double>(found);
    }
}
BENCHMARK(FindEveryG01InMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
