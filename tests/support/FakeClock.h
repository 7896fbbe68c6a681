#pragma once
// A clock the test moves by hand: ticks, time of day and date advance
// together (the date turns at midnight); the wall clock can be set apart from
// the tick, as when the user sets the system clock, and the system can sleep
// (wall clock and boot counter move on, the tick stands still). In a time
// zone (setZone), the wall clock is an instant shown in that zone's local
// time, with its daylight-saving steps.
#include <QTimeZone>
#include <optional>

#include "base/Clock.h"

namespace kolva::test {

class FakeClock final : public Clock {
public:
    explicit FakeClock(QTime start = QTime(8, 0, 0), int64_t tick = 1000,
                       QDate day = QDate(2026, 3, 2))
        : m_tick(tick), m_wall(day, start, Qt::UTC) {}
    int64_t tickMs() const override { return m_tick; }
    int64_t bootMs() const override { return m_tick + m_slept; }
    QTime timeOfDay() const override { return local().time(); }
    QDate date() const override { return local().date(); }
    void advance(int64_t ms) {
        m_tick += ms;
        m_wall = m_wall.addMSecs(ms);
    }
    // The system sleeps for ms: the tick stands still.
    void sleep(int64_t ms) {
        m_slept += ms;
        m_wall = m_wall.addMSecs(ms);
    }
    // From now on the wall clock (taken as UTC) is shown in this zone.
    void setZone(const QTimeZone &zone) { m_zone = zone; }
    // The wall clock is this instant (the tick does not move).
    void setWall(const QDateTime &instant) { m_wall = instant.toUTC(); }
    // The wall clock jumps (forward or back) to this time of the same day;
    // the tick does not move.
    void setTimeOfDay(QTime t) { m_wall = QDateTime(m_wall.date(), t, Qt::UTC); }
    // The wall clock moves by ms without the tick (clock set forward/back).
    void shiftWall(int64_t ms) { m_wall = m_wall.addMSecs(ms); }

private:
    QDateTime local() const { return m_zone ? m_wall.toTimeZone(*m_zone) : m_wall; }

    int64_t m_tick;
    int64_t m_slept = 0;
    QDateTime m_wall;
    std::optional<QTimeZone> m_zone;
};

} // namespace kolva::test
