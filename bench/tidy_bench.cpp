// Renumbering and tidying a big program in the editor, each against opening that program in the
// same run. Make the file with
//   python3 /work/shared/tools/gen-nc.py 1000000 /tmp/big.ncd
// (ZORVAN_BENCH_FILE names another). Each benchmark opens and runs its command in turn; the
// counter <command>_to_open is the ratio of the two means.
#include "app/ui/textform.h"
#include "bench/support/against_open.h"
#include "nc/logic/program_tidy.h"
#include "nc/logic/renumber.h"

#include <benchmark/benchmark.h>

using namespace zorvan;

namespace {

void RenumberAgainstOpen(benchmark::State& state)
{
    bench::againstOpen(state, "renumber", "renumber_to_open",
                       [](TFormText& form) { nc::renumberProgram(form.editor(), {.width = 6}); });
}
BENCHMARK(RenumberAgainstOpen)->Unit(benchmark::kMillisecond)->Iterations(3);

void RemoveNumbersAgainstOpen(benchmark::State& state)
{
    bench::againstOpen(state, "remove", "remove_to_open",
                       [](TFormText& form) { nc::removeSequenceNumbers(form.editor()); });
}
BENCHMARK(RemoveNumbersAgainstOpen)->Unit(benchmark::kMillisecond)->Iterations(3);

// Argument 0: blanks inserted, 1: blanks removed, 2: empty lines, 3: comments.
void TidyAgainstOpen(benchmark::State& state)
{
    const nc::TidyOptions options[] = {
        {.blanks = nc::BlankStyle::Insert}, {.blanks = nc::BlankStyle::Remove}, {.emptyLines = true}, {.comments = true}};
    const char* names[] = {"insert_blanks", "remove_blanks", "empty_lines", "comments"};
    const auto which = static_cast<std::size_t>(state.range(0));
    bench::againstOpen(state, names[which], std::string(names[which]) + "_to_open",
                       [&](TFormText& form) { nc::tidyProgram(form.editor(), options[which]); });
}
BENCHMARK(TidyAgainstOpen)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
