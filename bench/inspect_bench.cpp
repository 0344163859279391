// Knowing the program on the 1,000,000-line generated program (bench/support/generated_program.h;
// ZORVAN_BENCH_FILE names another), measured in one run against opening it in the editor:
//   open          TFormText::LoadDocument (the baseline)
//   interpret     the preview's interpretation, which keeps the resume points (and the same
//                 without them, plain_interpret_x_open)
//   state         the state at a line after that interpretation (stateOfLine and the panel's rows),
//                 for 200 lines spread over the program: the median and the slowest, in ms
//   info          zorvan-cli info FILE in-process (reading, decoding and the summary)
// Counters: open_s, interpret_x_open, state_median_ms, state_max_ms, info_x_open (medians of 3
// rounds of wall time), and info_cpu_x_open: the same ratio in processor time of the process (on a
// shared, loaded machine the wall times also count the waits for a processor).
#include "app/ui/textform.h"
#include "bench/support/against_open.h"
#include "cli/commands.h"
#include "inspect/logic/line_state.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <sstream>
#include <vector>

using namespace zorvan;

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double processSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

template <typename F> double seconds(F&& f)
{
    QElapsedTimer timer;
    timer.start();
    f();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

void Ratios1M(benchmark::State& state)
{
    const QString path = bench::benchFile();
    if (!QFileInfo::exists(path)) {
        state.SkipWithError("no program file");
        return;
    }
    std::vector<double> open, interpret, plain, info, stateTimes, openCpu, infoCpu;
    double resumeBytesPerLine = 0;
    for (auto _ : state) {
        for (int round = 0; round < 3; ++round) {
            TFormText form;
            double cpu = processSeconds();
            open.push_back(seconds([&] {
                form.DocPath = path;
                form.LoadDocument();
            }));
            openCpu.push_back(processSeconds() - cpu);
            const std::string text = form.editor().text();
            preview::Toolpath toolpath;
            preview::InterpreterOptions without;
            without.keepResumePoints = false;
            plain.push_back(seconds([&] { benchmark::DoNotOptimize(preview::interpretProgram(text, without)); }));
            interpret.push_back(seconds([&] { toolpath = preview::interpretProgram(text); }));
            resumeBytesPerLine = static_cast<double>(preview::resumePointBytes(toolpath)) / form.editor().lineCount();
            const int lines = form.editor().lineCount();
            for (int k = 0; k < 200; ++k) {
                const int line = static_cast<int>(static_cast<long>(lines - 1) * k / 199);
                const std::string lineText = form.editor().line(line);
                stateTimes.push_back(seconds([&] {
                    const auto at = inspect::lineState(text, toolpath, line, lineText);
                    benchmark::DoNotOptimize(at ? inspect::stateRows(*at) : inspect::neverRunRows(line));
                }));
            }
            cpu = processSeconds();
            info.push_back(seconds([&] {
                std::istringstream in;
                std::ostringstream out, err;
                cli::Io io{in, out, err};
                benchmark::DoNotOptimize(cli::runCli({"info", path.toStdString()}, io));
            }));
            infoCpu.push_back(processSeconds() - cpu);
        }
    }
    const double baseline = median(open);
    state.counters["open_s"] = baseline;
    state.counters["interpret_x_open"] = median(interpret) / baseline;
    state.counters["plain_interpret_x_open"] = median(plain) / baseline;
    state.counters["resume_bytes_per_line"] = resumeBytesPerLine;
    std::vector<double> sorted = stateTimes;
    std::sort(sorted.begin(), sorted.end());
    state.counters["state_p95_ms"] = sorted[sorted.size() * 95 / 100] * 1000;
    state.counters["state_median_ms"] = median(stateTimes) * 1000;
    state.counters["state_max_ms"] = *std::max_element(stateTimes.begin(), stateTimes.end()) * 1000;
    state.counters["info_x_open"] = median(info) / baseline;
    state.counters["info_cpu_x_open"] = median(infoCpu) / median(openCpu);
}
BENCHMARK(Ratios1M)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
