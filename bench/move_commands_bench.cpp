// The commands that move or read the coordinates of a program, each against opening that program
// in the same run, on the generated program of 1,000,000 lines (ZORVAN_BENCH_FILE names another):
//   Shift X+10 Z-1, Rotate a quarter turn about Z, Calculate X times 2, Swap X and Y, Extreme
//   search of the largest X; each over the whole file as its window runs it (the edit, the colours
//   of the lines, the status refresh). Counters: open_ms, command_ms, command_to_open.
#include "app/ui/textform.h"
#include "bench/support/against_open.h"
#include "nc/logic/axis_swap.h"
#include "nc/logic/extreme_search.h"
#include "nc/logic/nc_transforms.h"

#include <benchmark/benchmark.h>

#include <numbers>

using namespace zorvan;

namespace {

const DecimalSettings kSettings;

void Shift(benchmark::State& state)
{
    bench::againstOpen(state, "command", "command_to_open",
                       [](TFormText& form) { nc::shiftCoordinates(form.editor(), {10, 0, -1}, kSettings); });
}
BENCHMARK(Shift)->Unit(benchmark::kMillisecond)->Iterations(4);

void Rotate(benchmark::State& state)
{
    bench::againstOpen(state, "command", "command_to_open", [](TFormText& form) {
        nc::rotateAxes(form.editor(), {0, 0, std::numbers::pi / 2}, kSettings);
    });
}
BENCHMARK(Rotate)->Unit(benchmark::kMillisecond)->Iterations(4);

void Calculate(benchmark::State& state)
{
    bench::againstOpen(state, "command", "command_to_open", [](TFormText& form) {
        nc::calculateValues(form.editor(), 'X', nc::Operation::Double, 0, kSettings);
    });
}
BENCHMARK(Calculate)->Unit(benchmark::kMillisecond)->Iterations(4);

void Swap(benchmark::State& state)
{
    bench::againstOpen(state, "command", "command_to_open",
                       [](TFormText& form) { nc::swapAxes(form.editor(), 'X', 'Y', {false, true}); });
}
BENCHMARK(Swap)->Unit(benchmark::kMillisecond)->Iterations(4);

void Extreme(benchmark::State& state)
{
    bench::againstOpen(state, "command", "command_to_open", [](TFormText& form) {
        auto word = nc::findExtreme(form.editor(), 'X', nc::ExtremeMethod::Max, {false, true});
        if (word)
            form.editor().setSelection(word->start, word->length);
    });
}
BENCHMARK(Extreme)->Unit(benchmark::kMillisecond)->Iterations(4);

}  // namespace
