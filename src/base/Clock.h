#pragma once
// Where the program reads "now": a monotonic millisecond tick that never wraps
// (for play-time accounting) and the wall-clock time of day (for due tasks and
// stop times), with its date for "once a day" and the play history.
// Scheduling code takes a Clock& so tests can drive a fake one.

#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTime>
#include <cstdint>
#include <ctime>

namespace kolva {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds on a monotonic counter; always > 0, never wraps. It
    // stands still while the system sleeps.
    virtual int64_t tickMs() const = 0;
    // Milliseconds on a counter that also runs while the system sleeps
    // (CLOCK_BOOTTIME), so that a sleep is told from a clock set forward.
    // Clocks that do not know it answer with the tick.
    virtual int64_t bootMs() const { return tickMs(); }
    // The present local time of day (whole milliseconds).
    virtual QTime timeOfDay() const = 0;
    // The present local date. Clocks that only know the time of day (older
    // test clocks) answer with the system's date.
    virtual QDate date() const { return QDate::currentDate(); }

    // Date and time of day read as one moment: a read that straddles
    // midnight is taken again, so 23:59:59.999 never pairs with the next day.
    QDateTime localNow() const {
        for (;;) {
            const QDate before = date();
            const QTime time = timeOfDay();
            if (date() == before)
                return QDateTime(before, time);
        }
    }
};

class SystemClock final : public Clock {
public:
    SystemClock() { m_timer.start(); }
    // Offset by 1 so a tick read at start is never 0 (0 means "paused").
    int64_t tickMs() const override { return m_timer.elapsed() + 1; }
    int64_t bootMs() const override {
        timespec ts{};
        clock_gettime(CLOCK_BOOTTIME, &ts);
        return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
    }
    QTime timeOfDay() const override { return QTime::currentTime(); }
    QDate date() const override { return QDate::currentDate(); }

private:
    QElapsedTimer m_timer; // CLOCK_MONOTONIC on Linux
};

} // namespace kolva
