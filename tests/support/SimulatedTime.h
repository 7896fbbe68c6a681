#pragma once
// Runs simulated time over a fake clock and two fake players, firing the
// timers of the window by hand in the order real time would fire them: the
// schedule every 900 ms while it is on, the display every 500 ms, the 1 ms
// start timer whenever it is armed. Hours of schedule run in milliseconds.

#include <QDir>
#include <QTemporaryDir>
#include <QTime>
#include <functional>
#include <gtest/gtest.h>

#include "base/AppPaths.h"
#include "support/FakeClock.h"
#include "support/FakeMediaPlayer.h"
#include "support/FakePowerOff.h"

namespace kolva::test {

class SimulatedTime {
public:
    struct Timers {
        std::function<bool()> scheduleOn;
        std::function<void()> scheduleTick;
        std::function<void()> positionTick;
        // Runs the armed 1 ms start timer; false when it is not armed.
        std::function<bool()> startTimerTick;
    };

    SimulatedTime(FakeClock &clock, FakeMediaPlayer &mainPlayer, FakeMediaPlayer &insertPlayer)
        : m_clock(clock), m_main(mainPlayer), m_insert(insertPlayer) {}

    // The timers of whoever the rig drives (set once, before running).
    void setTimers(Timers timers) { m_timers = std::move(timers); }

    // The schedule was just switched on: its first tick is 900 ms away.
    void scheduleStarted() { m_sinceLoop = 0; }

    // Queued player events, and the start timer whenever it is armed.
    void deliver() {
        for (int guard = 0; guard < 1000; ++guard) {
            int n = m_main.deliverEvents() + m_insert.deliverEvents();
            if (m_timers.startTimerTick())
                ++n;
            if (n == 0)
                return;
        }
        ADD_FAILURE() << "player events never settle";
    }

    // Players play on while the clock moves; the timers fire as they fall due.
    void run(int64_t ms, int stepMs = 100) {
        for (int64_t done = 0; done < ms; done += stepMs) {
            m_clock.advance(stepMs);
            m_main.advance(stepMs / 1000.0);
            m_insert.advance(stepMs / 1000.0);
            deliver();
            m_sinceLoop += stepMs;
            m_sincePosition += stepMs;
            if (m_timers.scheduleOn() && m_sinceLoop >= 900) {
                m_sinceLoop -= 900;
                m_timers.scheduleTick();
                deliver();
            }
            if (!m_timers.scheduleOn())
                m_sinceLoop = 0;
            if (m_sincePosition >= 500) {
                m_sincePosition -= 500;
                m_timers.positionTick();
            }
        }
    }

    // Runs until the time of day is reached (within a step).
    void runUntil(QTime time, int stepMs = 100) {
        const int64_t ms = m_clock.timeOfDay().msecsTo(time);
        if (ms > 0)
            run(ms, stepMs);
    }

private:
    FakeClock &m_clock;
    FakeMediaPlayer &m_main;
    FakeMediaPlayer &m_insert;
    Timers m_timers;
    int64_t m_sinceLoop = 0;
    int64_t m_sincePosition = 0;
};

// What every rig stands on: a temporary application folder, the fake clock,
// power-off and players, and simulated time over them.
class SimulatedRig {
public:
    explicit SimulatedRig(QTime start) : clock(start), paths{dir.path()} {
        QDir(dir.path()).mkpath(QStringLiteral("user/pic"));
    }

    void deliver() { m_time.deliver(); }
    void run(int64_t ms, int stepMs = 100) { m_time.run(ms, stepMs); }
    void runUntil(QTime time, int stepMs = 100) { m_time.runUntil(time, stepMs); }

    QTemporaryDir dir;
    FakeClock clock;
    AppPaths paths;
    FakePowerOff powerOff;
    FakeMediaPlayer mainPlayer;
    FakeMediaPlayer insertPlayer;

protected:
    SimulatedTime m_time{clock, mainPlayer, insertPlayer};
};

inline int playlistsNamed(FakeMediaPlayer &p, const QString &name) {
    return int(p.calls.count(QStringLiteral("newPlaylist ") + name));
}

} // namespace kolva::test
