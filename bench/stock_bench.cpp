// The stock simulation on a big program, against opening the same file in the editor, measured
// interleaved in one run. The programs are the generated
// ones of 1,000,000 and 4,000,000 lines (bench/support/generated_program.h; ZORVAN_BENCH_FILE /
// ZORVAN_BENCH_HUGE_FILE name others).
//   Stock/<file>: medians of 3 rounds (ZORVAN_BENCH_ROUNDS) of
//     open        TFormText::LoadDocument (the baseline)
//     simulate    a 6 mm ball end mill over a 1,000 x 1,000 field (a square box round the
//                 feed moves, under Z 0), the path given; one_thread the same on one thread
//     interpret   the interpreter, for the whole check (interpret + simulate)
//   reported as x_open ratios, with the field's bytes and the warnings found.
//   StockDense: the same on a program the benchmark writes, 1,000,000 feed lines finishing a
//     400 x 400 mm surface in rows 0.8 mm apart (the generated program above spreads over a
//     much larger area, so that its columns are far wider than the tool).
//   StockDense4M: 4,000,000 such lines, rows 0.4 mm apart (with ZORVAN_BENCH_DENSE_4M set).
#include "app/ui/textform.h"
#include "bench/support/against_open.h"
#include "preview/logic/interpreter.h"
#include "preview/logic/stock/stock_simulation.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace zorvan;

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename F> double seconds(F&& f)
{
    QElapsedTimer timer;
    timer.start();
    f();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

void stockRatios(benchmark::State& state, const QString& file)
{
    if (!QFileInfo::exists(file)) {
        state.SkipWithError("no program file");
        return;
    }
    preview::stock::StockOptions options;
    preview::stock::ToolShape ball;
    ball.kind = preview::stock::ToolKind::Ball;
    ball.diameter = 6;
    ball.cornerRadius = 3;
    options.longSideColumns = 1000;
    std::vector<double> open, interpret, simulate, simulateOneThread;
    double fieldBytes = 0, warnings = 0, columns = 0;
    for (auto _ : state) {
        const int rounds = qEnvironmentVariableIsSet("ZORVAN_BENCH_ROUNDS") ? qEnvironmentVariableIntValue("ZORVAN_BENCH_ROUNDS") : 3;
        for (int round = 0; round < std::max(1, rounds); ++round) {
            TFormText form;
            open.push_back(seconds([&] {
                form.DocPath = file;
                form.LoadDocument();
            }));
            const std::string text = form.editor().text();
            preview::Toolpath path;
            interpret.push_back(seconds([&] { path = preview::interpretProgram(text); }));
            options.tools.clear();
            for (int number : path.tools)
                options.tools[number] = ball;
            // A square box round the feed moves, so that the field is 1,000 x 1,000 columns.
            preview::stock::StockBox box = preview::stock::defaultStockBox(path, options.tools);
            const double side = std::max(box.max[0] - box.min[0], box.max[1] - box.min[1]);
            for (int axis = 0; axis < 2; ++axis) {
                const double middle = (box.min[axis] + box.max[axis]) / 2;
                box.min[axis] = middle - side / 2;
                box.max[axis] = middle + side / 2;
            }
            options.box = box;
            preview::stock::StockResult result;
            simulate.push_back(seconds([&] { result = preview::stock::simulateStock(text, path, options); }));
            options.threads = 1;
            simulateOneThread.push_back(seconds([&] { preview::stock::simulateStock(text, path, options); }));
            options.threads = 0;
            fieldBytes = static_cast<double>(result.field.memoryBytes());
            warnings = static_cast<double>(result.warnings.size());
            columns = static_cast<double>(result.field.columns()) * result.field.rows();
        }
    }
    const double baseline = median(open);
    state.counters["open_s"] = baseline;
    state.counters["simulate_x_open"] = median(simulate) / baseline;
    state.counters["one_thread_x_open"] = median(simulateOneThread) / baseline;
    state.counters["check_x_open"] = (median(interpret) + median(simulate)) / baseline;
    state.counters["field_MB"] = fieldBytes / (1024.0 * 1024.0);
    state.counters["columns"] = columns;
    state.counters["warnings"] = warnings;
}

void Stock1M(benchmark::State& state)
{
    stockRatios(state, bench::benchFile());
}
BENCHMARK(Stock1M)->Unit(benchmark::kMillisecond)->Iterations(1);

void Stock4M(benchmark::State& state)
{
    stockRatios(state, bench::benchFile("ZORVAN_BENCH_HUGE_FILE", 4000000));
}
BENCHMARK(Stock4M)->Unit(benchmark::kMillisecond)->Iterations(1);

// A finishing raster over a 400 x 400 mm surface: `rows` rows of `points` feed moves.
void denseRatios(benchmark::State& state, int rows, int points)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("dense.ncd");
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly)) {
            state.SkipWithError("cannot write the program");
            return;
        }
        out.write("%\r\nO2000\r\n(T1 BALL D6.)\r\nT1M06\r\nG90G54G00X0Y0Z10.\r\nG01Z-2.F3000\r\n");
        const double step = 400.0 / points, over = 400.0 / rows;
        char line[64];
        for (int row = 0; row < rows; ++row) {
            const double y = row * over;
            for (int k = 0; k < points; ++k) {
                const double x = (row % 2 ? points - 1 - k : k) * step;
                const double z = -2 + std::sin(x / 25) * std::cos(y / 25);
                const int n = std::snprintf(line, sizeof line, "X%.3fY%.3fZ%.3f\r\n", x, y, z);
                out.write(line, n);
            }
        }
        out.write("G00Z10.\r\nM30\r\n%\r\n");
    }
    qputenv("ZORVAN_BENCH_DENSE_FILE", file.toLocal8Bit());
    stockRatios(state, bench::benchFile("ZORVAN_BENCH_DENSE_FILE"));
}

void StockDense(benchmark::State& state)
{
    denseRatios(state, 500, 2000);
}
BENCHMARK(StockDense)->Unit(benchmark::kMillisecond)->Iterations(1);

// The same raster at 4,000,000 lines (rows 0.4 mm apart, moves of 0.1 mm); only with
// ZORVAN_BENCH_DENSE_4M set, as it takes minutes.
void StockDense4M(benchmark::State& state)
{
    if (!qEnvironmentVariableIsSet("ZORVAN_BENCH_DENSE_4M")) {
        state.SkipWithError("set ZORVAN_BENCH_DENSE_4M to run");
        return;
    }
    denseRatios(state, 1000, 4000);
}
BENCHMARK(StockDense4M)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
