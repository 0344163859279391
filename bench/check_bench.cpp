// The program check on the generated program of 1,000,000 lines (ZORVAN_BENCH_FILE names
// another), against opening the same file in the editor, measured in turns in one run.
//   Check1M: medians of 3 rounds (ZORVAN_BENCH_ROUNDS) of
//     open      TFormText::LoadDocument (the baseline)
//     pass      the line by line rules and the structure (ProgramCheck::run)
//     stock     the rapids into the material (interpreter and stock simulation); interpret
//               the interpreter alone, its part of it
//   as x_open ratios; full_x_open is both, as zorvan-cli check runs them. text_ms: taking the text from the editor, all the
//   window thread does before handing the check to the worker. memory_x_preview: the check's
//   bytes to the preview path's. Findings per rule are printed.
//   Recheck1M: the re-check after typing in one line of it, worker time: recheck_ms for a
//     coordinate changed in a line of moves (the state after it stays as it was), modal_ms for an
//     M05 typed in (the spindle state changes from there on, so the rest is run again).
#include "app/ui/textform.h"
#include "bench/support/against_open.h"
#include "check/logic/program_check.h"
#include "preview/logic/interpreter.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

using namespace zorvan;

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename F> double ms(F&& f)
{
    QElapsedTimer timer;
    timer.start();
    f();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

int rounds()
{
    return std::max(1, qEnvironmentVariableIsSet("ZORVAN_BENCH_ROUNDS") ? qEnvironmentVariableIntValue("ZORVAN_BENCH_ROUNDS") : 3);
}

void Check1M(benchmark::State& state)
{
    const QString file = bench::benchFile();
    if (!QFileInfo::exists(file)) {
        state.SkipWithError("no program file");
        return;
    }
    std::vector<double> open, pass, stock, textMs, interpret;
    double memory = 0, previewMemory = 0;
    std::vector<check::Finding> findings;
    for (auto _ : state) {
        for (int round = 0; round < rounds(); ++round) {
            TFormText form;
            open.push_back(ms([&] {
                form.DocPath = file;
                form.LoadDocument();
            }));
            std::string text;
            textMs.push_back(ms([&] { text = form.editor().text(); }));
            check::ProgramCheck checker;
            pass.push_back(ms([&] { checker.run(text); }));
            std::vector<check::Finding> rapids;
            stock.push_back(ms([&] { rapids = check::stockFindings(text, checker.options()); }));
            checker.setStockFindings(rapids);
            findings = checker.findings();
            memory = static_cast<double>(checker.memoryBytes());
            preview::Toolpath path;
            interpret.push_back(ms([&] { path = preview::interpretProgram(text); }));
            previewMemory = static_cast<double>(path.memoryBytes());
        }
    }
    const double baseline = median(open);
    state.counters["open_ms"] = baseline;
    state.counters["pass_x_open"] = median(pass) / baseline;
    state.counters["stock_x_open"] = median(stock) / baseline;
    state.counters["interpret_x_open"] = median(interpret) / baseline;
    state.counters["full_x_open"] = (median(pass) + median(stock)) / baseline;
    state.counters["text_ms"] = median(textMs);
    state.counters["memory_MB"] = memory / (1024.0 * 1024.0);
    state.counters["memory_x_preview"] = memory / previewMemory;
    state.counters["findings"] = static_cast<double>(findings.size());
    std::map<std::string, int> perRule;
    for (const auto& rule : check::allRules())
        perRule[rule.id] = 0;
    for (const auto& f : findings)
        ++perRule[check::ruleInfo(f.rule).id];
    for (const auto& [id, n] : perRule)
        std::fprintf(stderr, "  %-24s %d\n", id.c_str(), n);
}
BENCHMARK(Check1M)->Unit(benchmark::kMillisecond)->Iterations(1);

// The text with line `line` replaced by `with`.
std::string withLine(const std::string& text, long line, const std::string& with)
{
    std::size_t at = 0;
    for (long l = 0; l < line; ++l)
        at = text.find('\n', at) + 1;
    const std::size_t end = text.find('\n', at);
    return text.substr(0, at) + with + "\r" + text.substr(end);
}

void Recheck1M(benchmark::State& state)
{
    const QString file = bench::benchFile();
    if (!QFileInfo::exists(file)) {
        state.SkipWithError("no program file");
        return;
    }
    TFormText form;
    form.DocPath = file;
    form.LoadDocument();
    std::string text = form.editor().text();
    check::CheckOptions options;
    options.enabled[static_cast<std::size_t>(check::Rule::RapidIntoStock)] = false;
    std::vector<double> coordinate, modal;
    double linesCoordinate = 0, linesModal = 0;
    for (auto _ : state) {
        check::ProgramCheck checker(options);
        checker.run(text);
        for (int round = 0; round < 5 * rounds(); ++round) {
            const long line = 100000 + round * 150001;
            const std::string typed = withLine(text, line, "X1.234Y5.678Z-1.5");
            coordinate.push_back(ms([&] { checker.update(typed, static_cast<int>(line), static_cast<int>(line), 0); }));
            linesCoordinate = checker.linesRun();
            checker.update(text, static_cast<int>(line), static_cast<int>(line), 0);  // back, untimed
        }
        for (int round = 0; round < rounds(); ++round) {
            const long line = 500000 + round * 1001;
            const std::string typed = withLine(text, line, "M05");
            modal.push_back(ms([&] { checker.update(typed, static_cast<int>(line), static_cast<int>(line), 0); }));
            linesModal = checker.linesRun();
            checker.update(text, static_cast<int>(line), static_cast<int>(line), 0);
        }
    }
    state.counters["recheck_ms"] = median(coordinate);
    state.counters["recheck_lines"] = linesCoordinate;
    state.counters["modal_ms"] = median(modal);
    state.counters["modal_lines"] = linesModal;
}
BENCHMARK(Recheck1M)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
