#pragma once
// The player layer on fake players, without the schedule or the window:
// records the players whose task it reports resumed.

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
    QVector<int> resumed; // players whose task went on after a pause

    PlayerSlots() {
        players.initPlayers(&mainPlayer, &insertPlayer);
        players.setHooks({[this](int i) { resumed << i; }});
    }
};

} // namespace kolva::test
