#pragma once
// A timer that fires once per clock second, a few milliseconds after the
// second begins on the wall clock. It is a single-shot precise timer re-armed
// from the wall clock at every tick, so it never drifts and a late tick does
// not shift the ones after it. timerLoop (the schedule tick) and timerTime
// (the clock label) are two of them.
//
// Thread: UI thread; the owner's handler runs from the event loop.

#include <QObject>
#include <QTimer>
#include <cstdint>

namespace kolva {

class Clock;

class SecondTimer : public QObject {
    Q_OBJECT
public:
    // How far into the second a tick comes: late enough that a timer firing
    // a millisecond early still lands in the new second.
    static constexpr int OffsetMs = 5;

    explicit SecondTimer(Clock &clock, QObject *parent = nullptr);

    void start();
    void stop();
    bool isActive() const { return m_active; }

    // Milliseconds from `msIntoSecond` (0..999 of the present second) to
    // the next tick: the offset of the next second, never less than one
    // millisecond and never the second that is running.
    static int delayToNextTick(int msIntoSecond);
    // The clock's tick (Clock::tickMs) at which the armed tick is due; 0
    // while stopped. Tests on a fake clock fire the tick when it is reached.
    int64_t dueTickMs() const { return m_active ? m_dueTickMs : 0; }

    // Runs the tick now (the timeout, or a test on simulated time) and arms
    // the next one from the wall clock.
    void fire();

signals:
    void timeout();

private:
    void arm();

    Clock &m_clock;
    QTimer m_timer;
    bool m_active = false;
    int64_t m_dueTickMs = 0;
};

} // namespace kolva
