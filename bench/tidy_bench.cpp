// Renumbering and tidying a big program in the editor, each against opening that program in the
// same run. The program is the generated
// one of 1,000,000 lines (bench/support/generated_program.h; ZORVAN_BENCH_FILE names another). Each benchmark opens and runs its command in turn; the
// counter <command>_to_open is the ratio of the two means. Commands that would find nothing to do
// in the generated program get work first, untimed.
#include "app/ui/textform.h"
#include "bench/support/against_open.h"
#include "nc/logic/program_tidy.h"
#include "nc/logic/renumber.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

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

// Argument 0: blanks inserted, 1: blanks removed (after inserting them, untimed), 2: empty lines
// (after putting one after every fourth line, untimed), 3: comments.
void TidyAgainstOpen(benchmark::State& state)
{
    const nc::TidyOptions options[] = {
        {.blanks = nc::BlankStyle::Insert}, {.blanks = nc::BlankStyle::Remove}, {.emptyLines = true}, {.comments = true}};
    const char* names[] = {"insert_blanks", "remove_blanks", "empty_lines", "comments"};
    const auto which = static_cast<std::size_t>(state.range(0));
    std::string withEmptyLines;
    auto prepare = [&](TFormText& form) {
        if (which == 1)
            nc::tidyProgram(form.editor(), options[0]);
        if (which != 2)
            return;
        if (withEmptyLines.empty()) {
            const std::string text = form.editor().text();
            std::size_t from = 0;
            for (int line = 0; from < text.size(); ++line) {
                const std::size_t at = std::min(text.find("\r\n", from), text.size());
                withEmptyLines.append(text, from, at + 2 - from);
                if (line % 4 == 3)
                    withEmptyLines += "\r\n";
                from = at + 2;
            }
        }
        form.editor().setText(withEmptyLines);
    };
    bench::againstOpen(state, names[which], std::string(names[which]) + "_to_open", prepare,
                       [&](TFormText& form) { nc::tidyProgram(form.editor(), options[which]); });
}
BENCHMARK(TidyAgainstOpen)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
