// Editing every line of a text top to bottom through the in-memory editor, one replaceLine per
// line: the time per line must not grow with the length of the text (linear, not quadratic).
#include "app/logic/memory_editor.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string program(int lines)
{
    std::string text;
    text.reserve(static_cast<std::size_t>(lines) * 24);
    for (int i = 0; i < lines; ++i) {
        text += 'N';
        text += std::to_string(i);
        text += "G01X";
        text += std::to_string(i % 1000);
        text += ".5Y-3.F200\r\n";
    }
    return text;
}

void EditEveryLine(benchmark::State& state)
{
    const int lines = static_cast<int>(state.range(0));
    const std::string text = program(lines);
    for (auto _ : state) {
        state.PauseTiming();
        zorvan::MemoryEditor editor(text);
        state.ResumeTiming();
        for (int i = 0; i < editor.lineCount(); ++i) {
            std::string line = editor.line(i);
            line += ";";
            editor.replaceLine(i, line);
            benchmark::DoNotOptimize(editor.positionFromLine(i));
        }
    }
    state.SetItemsProcessed(state.iterations() * lines);
    state.SetComplexityN(lines);
}

}  // namespace

BENCHMARK(EditEveryLine)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Complexity();

BENCHMARK_MAIN();
