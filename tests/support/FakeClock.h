#pragma once
// A clock the test moves by hand: ticks and time of day advance together.
#include "base/Clock.h"

namespace kolva::test {

class FakeClock final : public Clock {
public:
    explicit FakeClock(QTime start = QTime(8, 0, 0), int64_t tick = 1000)
        : m_tick(tick), m_start(start) {}
    int64_t tickMs() const override { return m_tick; }
    QTime timeOfDay() const override { return m_start.addMSecs(int(m_elapsed % 86400000)); }
    void advance(int64_t ms) {
        m_tick += ms;
        m_elapsed += ms;
    }
    void setTimeOfDay(QTime t) {
        m_start = t;
        m_elapsed = 0;
    }

private:
    int64_t m_tick;
    int64_t m_elapsed = 0;
    QTime m_start;
};

} // namespace kolva::test
