#pragma once
// Where the program reads "now": a monotonic millisecond tick that never wraps
// (for play-time accounting) and the wall-clock time of day (for due tasks and
// stop times). Scheduling code takes a Clock& so tests can drive a fake one.

#include <QElapsedTimer>
#include <QTime>
#include <cstdint>

namespace kolva {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds on a monotonic counter; always > 0, never wraps.
    virtual int64_t tickMs() const = 0;
    // The present local time of day (whole milliseconds).
    virtual QTime timeOfDay() const = 0;
};

class SystemClock final : public Clock {
public:
    SystemClock() { m_timer.start(); }
    // Offset by 1 so a tick read at start is never 0 (0 means "paused").
    int64_t tickMs() const override { return m_timer.elapsed() + 1; }
    QTime timeOfDay() const override { return QTime::currentTime(); }

private:
    QElapsedTimer m_timer; // CLOCK_MONOTONIC on Linux
};

} // namespace kolva
