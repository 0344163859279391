// The coordinate shift on a big program in the editor, against opening that program. The program is
// the generated one of 1,000,000 lines (bench/support/generated_program.h; ZORVAN_BENCH_FILE
// names another).
//   OpenProgram: the editor's load: read, decode, fill the QScintilla editor, colour the text
//   ShiftX10:    X+10 over every line of the loaded program, as the shift command runs it:
//                read the lines, rewrite them into a new document, colour them, refresh the status
//   ShiftX10InMemory/1: the same shift on the in-memory editor, written lines coloured
//   ShiftX10InMemory/0: the same without colouring (what zorvan-cli does)
//   ShiftAgainstOpen: open and shift in turn; the counter shift_to_open is the ratio of the two
#include "app/logic/colouring.h"
#include "app/logic/document_file.h"
#include "app/logic/memory_editor.h"
#include "app/logic/settings.h"
#include "app/ui/textform.h"
#include "bench/support/against_open.h"
#include "nc/logic/nc_transforms.h"


#include <benchmark/benchmark.h>


using namespace zorvan;

namespace {

void OpenProgram(benchmark::State& state)
{
    TFormText form;
    for (auto _ : state) {
        form.DocPath = bench::benchFile();
        form.LoadDocument();
        benchmark::DoNotOptimize(form.editor().lineCount());
    }
    state.counters["lines"] = form.editor().lineCount();
}
BENCHMARK(OpenProgram)->Unit(benchmark::kMillisecond)->Iterations(5);

void ShiftX10(benchmark::State& state)
{
    TFormText form;
    const DecimalSettings settings;
    for (auto _ : state) {
        state.PauseTiming();
        form.DocPath = bench::benchFile();
        form.LoadDocument();
        state.ResumeTiming();
        nc::shiftCoordinates(form.editor(), {10, 0, 0}, settings);
        form.UpdateStatus();
    }
    state.counters["lines"] = form.editor().lineCount();
}
BENCHMARK(ShiftX10)->Unit(benchmark::kMillisecond)->Iterations(5);

// Opening and shifting in turn, so that both meet the same state of the machine; the counters
// give the mean of each and the ratio of the shift to the open.
void ShiftAgainstOpen(benchmark::State& state)
{
    const DecimalSettings settings;
    bench::againstOpen(state, "shift", "shift_to_open",
                       [&](TFormText& form) { nc::shiftCoordinates(form.editor(), {10, 0, 0}, settings); });
}
BENCHMARK(ShiftAgainstOpen)->Unit(benchmark::kMillisecond)->Iterations(10);

// Argument 1: the written lines get the line pass; 0: text only, as zorvan-cli runs it.
void ShiftX10InMemory(benchmark::State& state)
{
    const std::string text = readDocument(readDocumentFile(bench::benchFile()));
    const DecimalSettings settings;
    const nc::Recolour recolour = state.range(0) ? nc::Recolour::WrittenLines : nc::Recolour::None;
    for (auto _ : state) {
        state.PauseTiming();
        MemoryEditor editor(text);
        state.ResumeTiming();
        nc::shiftCoordinates(editor, {10, 0, 0}, settings, recolour);
        benchmark::DoNotOptimize(editor.lineCount());
    }
}
BENCHMARK(ShiftX10InMemory)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(5);

// The parts of the shift in the editor: rewriting every line in one edit, and the line pass
// over every line.
void ReplaceAllLinesInEditor(benchmark::State& state)
{
    TFormText form;
    for (auto _ : state) {
        state.PauseTiming();
        form.DocPath = bench::benchFile();
        form.LoadDocument();
        std::string text = form.editor().text();
        text += "\r\n";
        state.ResumeTiming();
        form.editor().replaceLinesText(0, form.editor().lineCount(), std::move(text));
    }
}
BENCHMARK(ReplaceAllLinesInEditor)->Unit(benchmark::kMillisecond)->Iterations(5);

void ColourAllLinesInEditor(benchmark::State& state)
{
    TFormText form;
    form.DocPath = bench::benchFile();
    form.LoadDocument();
    for (auto _ : state)
        colouring::ColourLines(form.editor(), 0, form.editor().lineCount() - 1);
}
BENCHMARK(ColourAllLinesInEditor)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
