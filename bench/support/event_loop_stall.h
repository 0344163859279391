// The measure of a window that stands still: the longest gap between the ticks of a 1 ms timer.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

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

}  // namespace zorvan::bench
