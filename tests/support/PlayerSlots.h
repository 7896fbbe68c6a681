#pragma once
// The player layer on fake players, without the schedule or the window:
// records the players it asks to be started and the open states it reports.

#include <QPair>
#include <QTemporaryDir>
#include <QVector>

#include "base/AppPaths.h"
#include "playback/PlayerControl.h"
#include "support/FakeClock.h"
#include "support/FakeMediaPlayer.h"
#include "support/FakePowerOff.h"
#include "support/TaskBuilders.h"

namespace kolva::test {

struct PlayerSlots {
    QTemporaryDir dir;
    AppPaths paths{dir.path()};
    FakeClock clock;
    FakePowerOff powerOff;
    FakeMediaPlayer mainPlayer, insertPlayer;
    PlayerControl players{clock, powerOff, paths, &mainPlayer, &insertPlayer};
    QVector<int> started; // TimerPlayerBugPlay tags asked for
    QVector<QPair<int, int>> openStates;

    PlayerSlots() {
        players.initPlayers(&mainPlayer, &insertPlayer);
        players.setHooks({[this](int i) { started << i; },
                          [this](int i, int state) {
                              openStates.append({i, state});
                          }});
    }
};

} // namespace kolva::test
