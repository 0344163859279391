// Waiting in a window test for the event loop to reach a state.
#pragma once

#include <QTest>

#include <functional>

// Runs the event loop until `done` holds or `ms` pass; whether it holds.
inline bool waitFor(const std::function<bool()>& done, int ms = 5000) { return QTest::qWaitFor(done, ms); }
