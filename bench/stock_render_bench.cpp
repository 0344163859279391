// Drawing the simulated stock, against drawing the path it came from, in the same view and size.
// The program is written here: 100,000 feed lines of a 6 mm ball end mill finishing a 200 x 200 mm
// surface in rows 0.5 mm apart, cut into a 1,000 x 1,000 field.
//   StockRender/<view>/<zoom>: renderStock at 640 x 480, the whole stock (zoom 1) or a tenth of
//   it (zoom 10); the counter x_path is the time over renderPath's on the same view.
#include "preview/logic/interpreter.h"
#include "preview/logic/stock/stock_simulation.h"
#include "preview/render/path_renderer.h"
#include "preview/render/stock_renderer.h"

#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

using namespace zorvan::preview;

namespace {

struct Scene {
    Toolpath path;
    PathChunks chunks;
    stock::StockResult stock;
};

const Scene& scene()
{
    static const Scene built = [] {
        std::string program = "(T1 BALL D6.)\nT1M06\nG90G00X0Y0Z5.\nG01Z-2.F2000\n";
        for (int row = 0; row < 400; ++row) {
            const double y = row * 0.5;
            for (int k = 1; k <= 250; ++k) {
                const double x = row % 2 ? 200 - k * 0.8 : k * 0.8;
                const double z = -2 - 1.5 * (1 + std::sin(x / 15) * std::cos(y / 20));
                program += "X" + std::to_string(x) + "Y" + std::to_string(y) + "Z" + std::to_string(z) + "\n";
            }
        }
        program += "G00Z5.\n";
        Scene s;
        s.path = interpretProgram(program);
        s.chunks = buildChunks(s.path);
        s.stock = stock::simulateStock(program, s.path);
        return s;
    }();
    return built;
}

void StockRender(benchmark::State& state)
{
    const Scene& s = scene();
    const auto view = static_cast<View>(state.range(0));
    ViewTransform t = fitView(stockExtents(s.stock.field), view, QSize(640, 480));
    t.scale *= static_cast<double>(state.range(1));
    double stockSeconds = 0, pathSeconds = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QImage image = renderStock(s.stock.field, t, QColor(250, 250, 248));
        stockSeconds += timer.nsecsElapsed() / 1e9;
        benchmark::DoNotOptimize(image);
        timer.restart();
        QImage path = renderPath(s.path, s.chunks, t);
        pathSeconds += timer.nsecsElapsed() / 1e9;
        benchmark::DoNotOptimize(path);
    }
    state.counters["x_path"] = stockSeconds / pathSeconds;
    state.counters["stock_ms"] = 1000 * stockSeconds / static_cast<double>(state.iterations());
}
BENCHMARK(StockRender)
    ->ArgsProduct({{static_cast<int>(View::Top), static_cast<int>(View::Front), static_cast<int>(View::Side),
                    static_cast<int>(View::Iso)},
                   {1, 10}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
