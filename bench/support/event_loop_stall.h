// The measure of a window that stands still: the longest gap between the ticks of a 1 ms timer.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>

namespace zorvan::bench {

// The longest time, in ms, between two ticks of a 1 ms timer while `run` runs (with the start and
// the end counting as ticks).
inline double longestStall(const std::function<void()>& run)
{
    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    timer.start(1);
    clock.start();
    run();
    longest = std::max(longest, clock.nsecsElapsed() - last);
    return static_cast<double>(longest) / 1e6;
}

// Totals and longest stalls of the two ways of running an operation (0 on the window's thread,
// 1 through the background runner), given as the counters sync_ms, background_ms, ratio
// (background / sync), sync_stall_ms and background_stall_ms.
struct SyncAgainstBackground {
    double ms[2] = {0, 0};
    double stall[2] = {0, 0};

    void time(int way, const std::function<void()>& run)
    {
        QElapsedTimer clock;
        clock.start();
        const double longest = longestStall(run);
        ms[way] += static_cast<double>(clock.nsecsElapsed()) / 1e6;
        stall[way] = std::max(stall[way], longest);
    }

    void report(benchmark::State& state) const
    {
        const double n = static_cast<double>(state.iterations());
        state.counters["sync_ms"] = ms[0] / n;
        state.counters["background_ms"] = ms[1] / n;
        state.counters["ratio"] = ms[1] / ms[0];
        state.counters["sync_stall_ms"] = stall[0];
        state.counters["background_stall_ms"] = stall[1];
    }
};

}  // namespace zorvan::bench
