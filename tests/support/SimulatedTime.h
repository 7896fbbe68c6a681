#pragma once
// Runs simulated time over a fake clock and two fake players, firing the
// timers of the window by hand in the order real time would fire them: the
// clock-second timers (schedule, clock label) when their due tick is reached,
// the display every 500 ms. Hours of schedule run in milliseconds.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTime>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

#include "base/AppPaths.h"
#include "base/PlayHistory.h"
#include "scheduler/SecondTimer.h"
#include "support/FakeClock.h"
#include "support/FakeMediaPlayer.h"
#include "support/FakePowerOff.h"

namespace kolva::test {

class SimulatedTime {
public:
    struct Timers {
        // The clock-second timers; firing one runs its owner's tick.
        std::vector<SecondTimer *> seconds;
        std::function<void()> positionTick;
    };

    SimulatedTime(FakeClock &clock, FakeMediaPlayer &mainPlayer, FakeMediaPlayer &insertPlayer)
        : m_clock(clock), m_main(mainPlayer), m_insert(insertPlayer) {}

    // The timers of whoever the rig drives (set once, before running).
    void setTimers(Timers timers) { m_timers = std::move(timers); }

    // Queued player events, until none is left.
    void deliver() {
        for (int guard = 0; guard < 1000; ++guard) {
            if (m_main.deliverEvents() + m_insert.deliverEvents() == 0)
                return;
        }
        ADD_FAILURE() << "player events never settle";
    }

    // Players play on while the clock moves; the timers fire as they fall
    // due. Time moves in steps of at most stepMs, and exactly onto each due
    // tick of a clock-second timer.
    void run(int64_t ms, int stepMs = 100) {
        const int64_t end = m_clock.tickMs() + ms;
        while (m_clock.tickMs() < end) {
            int64_t next = std::min(end, m_clock.tickMs() + stepMs);
            for (SecondTimer *t : m_timers.seconds) {
                if (t->dueTickMs() > m_clock.tickMs() && t->dueTickMs() < next)
                    next = t->dueTickMs();
            }
            const int64_t step = next - m_clock.tickMs();
            move(step);
            m_sincePosition += step;
            if (m_sincePosition >= 500) {
                m_sincePosition -= 500;
                m_timers.positionTick();
            }
        }
    }

    // The process stood still for ms (busy machine, SIGSTOP): the clock and
    // the players move on, and the late ticks run only at the end.
    void stall(int64_t ms) { move(ms); }

    // Fires the clock-second timers whose due tick has been reached.
    void fireDueTimers() {
        for (SecondTimer *t : m_timers.seconds) {
            if (t->isActive() && t->dueTickMs() <= m_clock.tickMs()) {
                t->fire();
                deliver();
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
    void move(int64_t ms) {
        m_clock.advance(ms);
        m_main.advance(ms / 1000.0);
        m_insert.advance(ms / 1000.0);
        deliver();
        fireDueTimers();
    }

    FakeClock &m_clock;
    FakeMediaPlayer &m_main;
    FakeMediaPlayer &m_insert;
    Timers m_timers;
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
    void stall(int64_t ms) { m_time.stall(ms); }

    QTemporaryDir dir;
    FakeClock clock;
    AppPaths paths;
    FakePowerOff powerOff;
    FakeMediaPlayer mainPlayer;
    FakeMediaPlayer insertPlayer;

protected:
    SimulatedTime m_time{clock, mainPlayer, insertPlayer};
};

// The lines of a play history so far (synced first).
inline QStringList historyLines(PlayHistory &history) {
    history.flush();
    QFile f(history.filePath());
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// The history lines of one event, as "title|detail".
inline QStringList historyOf(PlayHistory &history, const QString &event) {
    QStringList out;
    for (const QString &line : historyLines(history)) {
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() == 4 && f[1] == event)
            out << f[2] + QLatin1Char('|') + f[3];
    }
    return out;
}

inline int playlistsNamed(FakeMediaPlayer &p, const QString &name) {
    return int(p.calls.count(QStringLiteral("newPlaylist ") + name));
}

} // namespace kolva::test
