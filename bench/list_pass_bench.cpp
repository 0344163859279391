// The placeholder pass and the macro pass on a big program in the editor, against opening that
// program in the same run. The program is the generated
// one of 1,000,000 lines (bench/support/generated_program.h; ZORVAN_BENCH_FILE names another).
//   PlaceholdersAgainstOpen: open the program, then, on a copy of it in which nine of its words
//                            (G01, F800, ...) stand as "$1" to "$9", the placeholder pass that puts
//                            them back (the copy's load is not timed); counter fill_to_open
//   MacrosAgainstOpen:       open the program, then the macro pass with a ten-row table on it;
//                            counter macro_to_open
// Opening and the pass take turns, so both meet the same state of a shared machine.
#include "app/logic/document_file.h"
#include "app/ui/textform.h"
#include "bench/support/against_open.h"
#include "lists/logic/list_passes.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>


using namespace zorvan;

namespace {

// Nine words of the program and the placeholders that stand for them in its copy, so that the
// pass turns the copy back into the program.
const std::vector<std::pair<std::string, std::string>> kWords = {
    {"G01", "$1"}, {"G02", "$2"}, {"G81", "$3"}, {"F800", "$4"}, {"F1200", "$5"},
    {"F2000", "$6"}, {"Z-5.", "$7"}, {"R2.", "$8"}, {"F150", "$9"}};

lists::ValueSet wordSet()
{
    lists::ValueSet set{"WORDS", {}};
    for (const auto& [word, placeholder] : kWords)
        set.values.push_back(word);
    return set;
}

// The program with its nine words replaced by placeholders.
QString writePlaceholderCopy(const QTemporaryDir& dir)
{
    std::string copy = readDocumentFile(bench::benchFile());
    for (const auto& [word, placeholder] : kWords) {
        std::string out;
        out.reserve(copy.size());
        std::size_t from = 0;
        for (std::size_t at = copy.find(word); at != std::string::npos; at = copy.find(word, from)) {
            out.append(copy, from, at - from);
            out += placeholder;
            from = at + word.size();
        }
        out.append(copy, from, std::string::npos);
        copy.swap(out);
    }
    const QString path = dir.filePath("placeholders.ncd");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(copy.data(), static_cast<qint64>(copy.size()));
    return path;
}

void PlaceholdersAgainstOpen(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString copy = writePlaceholderCopy(dir);
    const lists::ValueSet set = wordSet();
    bench::againstOpen(
        state, "pass", "fill_to_open",
        [&](TFormText& form) {
            form.DocPath = copy;
            form.LoadDocument();
        },
        [&](TFormText& form) { lists::runPlaceholderPass(form.editor(), set); });
}
BENCHMARK(PlaceholdersAgainstOpen)->Unit(benchmark::kMillisecond)->Iterations(5);

void MacrosAgainstOpen(benchmark::State& state)
{
    lists::TDoubleGrid table;
    table.name = "SHORT";
    for (auto [search, replacement] : {std::pair{"G01", "G1"}, {"G00", "G0"}, {"G02", "G2"}, {"G03", "G3"},
                                       {"M03", "M3"}, {"M06", "M6"}, {"G81", "G81."}, {"F800", "F850"},
                                       {"F1200", "F1250"}, {"#5", "#6"}})
        table.addRow(search, replacement);
    bench::againstOpen(state, "pass", "macro_to_open",
                       [&](TFormText& form) { lists::runMacroPass(form.editor(), table); });
}
BENCHMARK(MacrosAgainstOpen)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

namespace {

// The passes' text work alone, without an editor (MacroTextOnly, FillTextOnly).
void MacroTextOnly(benchmark::State& state)
{
    const std::string text = readDocument(readDocumentFile(bench::benchFile()));
    lists::TDoubleGrid table;
    for (auto [search, replacement] : {std::pair{"G01", "G1"}, {"G00", "G0"}, {"G02", "G2"}, {"G03", "G3"},
                                       {"M03", "M3"}, {"M06", "M6"}, {"G81", "G81."}, {"F800", "F850"},
                                       {"F1200", "F1250"}, {"#5", "#6"}})
        table.addRow(search, replacement);
    for (auto _ : state)
        benchmark::DoNotOptimize(lists::convertMacros(text, table).text.size());
}
BENCHMARK(MacroTextOnly)->Unit(benchmark::kMillisecond)->Iterations(5);

void FillTextOnly(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::string text = readDocument(readDocumentFile(writePlaceholderCopy(dir)));
    const lists::ValueSet set = wordSet();
    for (auto _ : state)
        benchmark::DoNotOptimize(lists::fillPlaceholders(text, set).text.size());
}
BENCHMARK(FillTextOnly)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
