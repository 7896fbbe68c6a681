#pragma once
// A clock the test moves by hand: ticks, time of day and date advance
// together (the date turns at midnight); the wall clock can be set apart from
// the tick, as when the user sets the system clock.
#include "base/Clock.h"

namespace kolva::test {

class FakeClock final : public Clock {
public:
    explicit FakeClock(QTime start = QTime(8, 0, 0), int64_t tick = 1000,
                       QDate day = QDate(2026, 3, 2))
        : m_tick(tick), m_wall(day, start, Qt::UTC) {}
    int64_t tickMs() const override { return m_tick; }
    QTime timeOfDay() const override { return m_wall.time(); }
    QDate date() const override { return m_wall.date(); }
    void advance(int64_t ms) {
        m_tick += ms;
        m_wall = m_wall.addMSecs(ms);
    }
    // The wall clock jumps (forward or back) to this time of the same day;
    // the tick does not move.
    void setTimeOfDay(QTime t) { m_wall = QDateTime(m_wall.date(), t, Qt::UTC); }
    // The wall clock moves by ms without the tick (clock set forward/back).
    void shiftWall(int64_t ms) { m_wall = m_wall.addMSecs(ms); }

private:
    int64_t m_tick;
    QDateTime m_wall;
};

} // namespace kolva::test
