#include "scheduler/SecondTimer.h"

#include "base/Clock.h"

namespace kolva {

SecondTimer::SecondTimer(Clock &clock, QObject *parent) : QObject(parent), m_clock(clock) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &SecondTimer::fire);
}

int SecondTimer::delayToNextTick(int msIntoSecond) {
    // A tick fired early (before the offset) is still the tick of this
    // second: the next one belongs to the following second.
    return qMax(1, 1000 - qBound(0, msIntoSecond, 999) + OffsetMs);
}

void SecondTimer::start() {
    m_active = true;
    arm();
}

void SecondTimer::stop() {
    m_active = false;
    m_timer.stop();
}

void SecondTimer::arm() {
    const int delay = delayToNextTick(m_clock.timeOfDay().msec());
    m_dueTickMs = m_clock.tickMs() + delay;
    m_timer.start(delay);
}

void SecondTimer::fire() {
    if (!m_active)
        return;
    // Armed before the handler runs: a handler that takes long, or stops the
    // timer, still leaves the right state behind.
    arm();
    emit timeout();
}

} // namespace kolva
