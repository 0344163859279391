// The toolpath preview on a big program, against opening the same file in the editor, measured
// interleaved in one run (the machine is shared, so A and B alternate). The programs are the generated
// ones of 1,000,000 and 4,000,000 lines (bench/support/generated_program.h; ZORVAN_BENCH_FILE /
// ZORVAN_BENCH_HUGE_FILE name others).
//   Ratios/<file>: medians of 5 rounds of
//     open            TFormText::LoadDocument (the baseline)
//     interpret       the interpreter over the editor's text
//     first_picture   chunks + a fitted 1200x900 picture of the whole part
//     redraw          the picture again after a zoom at the middle and a pan (seconds, too,
//                     and the drawing thread's processor seconds)
//     highlight       the caret line's segments and the marker over a copy of the cached picture
//     click           the segment under a point of the zoomed picture
//   reported as x_open ratios, plus bytes of the path per segment.
#include "app/ui/textform.h"
#include "bench/support/against_open.h"
#include "preview/logic/interpreter.h"
#include "preview/render/path_renderer.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <vector>

using namespace zorvan;

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Processor time of the calling thread in seconds: the drawing runs on one thread, and on a
// shared machine its wall time also counts the waits for a processor.
double threadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

template <typename F> double seconds(F&& f)
{
    QElapsedTimer timer;
    timer.start();
    f();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

void ratios(benchmark::State& state, const QString& path)
{
    if (!QFileInfo::exists(path)) {
        state.SkipWithError("no program file");
        return;
    }
    std::vector<double> open, interpret, first, redraw, redrawCpu, highlight, click;
    double bytesPerSegment = 0, segments = 0;
    for (auto _ : state) {
        const int rounds = qEnvironmentVariableIsSet("ZORVAN_BENCH_ROUNDS") ? qEnvironmentVariableIntValue("ZORVAN_BENCH_ROUNDS") : 5;
        for (int round = 0; round < std::max(1, rounds); ++round) {
            TFormText form;
            open.push_back(seconds([&] {
                form.DocPath = path;
                form.LoadDocument();
            }));
            preview::Toolpath toolpath;
            interpret.push_back(seconds([&] { toolpath = preview::interpretProgram(form.editor().text()); }));
            bytesPerSegment = static_cast<double>(toolpath.memoryBytes()) / std::max<std::size_t>(1, toolpath.segmentCount());
            segments = static_cast<double>(toolpath.segmentCount());

            preview::PathChunks chunks;
            preview::ViewTransform view;
            QImage picture;
            first.push_back(seconds([&] {
                chunks = preview::buildChunks(toolpath);
                view = preview::fitView(toolpath.extents, preview::View::Top, QSize(1200, 900));
                picture = preview::renderPath(toolpath, chunks, view);
            }));
            view.zoomAt(QPointF(600, 450), 4);
            view.panBy(QPointF(80, -40));
            const double cpuBefore = threadSeconds();
            redraw.push_back(seconds([&] { picture = preview::renderPath(toolpath, chunks, view); }));
            redrawCpu.push_back(threadSeconds() - cpuBefore);
            const int caretLine = form.editor().lineCount() / 2;
            highlight.push_back(seconds([&] {
                QImage frame = picture;
                QPainter painter(&frame);
                preview::drawLineHighlight(painter, toolpath, view, caretLine);
                preview::drawToolMarker(painter, toolpath, view, toolpath.vertexAfterLine(caretLine));
            }));
            click.push_back(seconds([&] {
                benchmark::DoNotOptimize(preview::segmentAt(toolpath, chunks, view, QPointF(600, 450)));
            }));
        }
    }
    const double baseline = median(open);
    state.counters["open_s"] = baseline;
    state.counters["interpret_x_open"] = median(interpret) / baseline;
    state.counters["first_picture_x_open"] = median(first) / baseline;
    state.counters["redraw_s"] = median(redraw);
    state.counters["redraw_x_open"] = median(redraw) / baseline;
    state.counters["redraw_cpu_s"] = median(redrawCpu);
    state.counters["highlight_ms"] = median(highlight) * 1000;
    state.counters["click_ms"] = median(click) * 1000;
    state.counters["bytes_per_segment"] = bytesPerSegment;
    state.counters["segments"] = segments;
}

void Ratios1M(benchmark::State& state)
{
    ratios(state, bench::benchFile());
}
BENCHMARK(Ratios1M)->Unit(benchmark::kMillisecond)->Iterations(1);

void Ratios4M(benchmark::State& state)
{
    ratios(state, bench::benchFile("ZORVAN_BENCH_HUGE_FILE", 4000000));
}
BENCHMARK(Ratios4M)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
