// The search-based commands on a big program in the editor, each against opening that program
// in the same run. The program is the generated
// one of 1,000,000 lines (bench/support/generated_program.h; ZORVAN_BENCH_FILE names another).
//   SwapAgainstOpen:     open, then swap X and Y over the whole file, in turn
//   ExtremeAgainstOpen:  open, then search the largest Z over the whole file, in turn
//   ReplaceAgainstOpen:  open, then replace every "G01" by "G1" without a question, in turn
// Each command is run as its window runs it: the edit, the colours of the lines, the status
// refresh. The counters give the mean of each and the ratio of the command to the open.
#include "app/logic/document_file.h"
#include "app/logic/memory_editor.h"
#include "app/ui/textform.h"
#include "bench/support/against_open.h"
#include "nc/logic/axis_swap.h"
#include "nc/logic/extreme_search.h"
#include "nc/logic/find_replace.h"

#include <benchmark/benchmark.h>

using namespace zorvan;

namespace {

void SwapAgainstOpen(benchmark::State& state)
{
    bench::againstOpen(state, "command", "command_to_open", [](TFormText& form) { nc::swapAxes(form.editor(), 'X', 'Y', {false, true}); });
}
BENCHMARK(SwapAgainstOpen)->Unit(benchmark::kMillisecond)->Iterations(8);

void ExtremeAgainstOpen(benchmark::State& state)
{
    bench::againstOpen(state, "command", "command_to_open", [](TFormText& form) {
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
    bench::againstOpen(state, "command", "command_to_open", [](TFormText& form) {
        nc::SearchState search{.searchText = "G01", .replacementText = "G1", .replaceAll = true};
        nc::replaceStep(form.editor(), search, true, [] { return nc::ReplaceAnswer::Yes; });
    });
}
BENCHMARK(ReplaceAgainstOpen)->Unit(benchmark::kMillisecond)->Iterations(8);

// The in-memory editor (what zorvan-cli runs): one find after another through the whole text,
// which must cost the text once, not once per match.
void FindEveryG01InMemory(benchmark::State& state)
{
    MemoryEditor editor(readDocument(readDocumentFile(bench::benchFile())));
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
