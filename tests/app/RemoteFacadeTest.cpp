// Requests of other programs as the window's intents, on simulated time: name
// lookup, the play button's pause and resume, the stop that leaves the
// schedule on, the status, the start and end signals and the MPRIS values.

#include <QCoreApplication>
#include <QFile>
#include <gtest/gtest.h>

#include "app/MainControllerTestHarness.h"
#include "app/RemoteFacade.h"

namespace kolva::test {
namespace {

constexpr int Main = PlayerControl::MainPlayer;
constexpr int Insert = PlayerControl::InsertPlayer;

struct RemoteRig : ControllerRig {
    RemoteRig() {
        mainPlayer.setDefaultDuration(600);
        insertPlayer.setDefaultDuration(600);
        QObject::connect(
            &remote, &RemoteControl::taskStarted,
            [this](const QString &t, const QString &p) { events << "+" + t + " " + p; });
        QObject::connect(
            &remote, &RemoteControl::taskEnded,
            [this](const QString &t, const QString &h) { events << "-" + t + " " + h; });
        QObject::connect(&remote, &RemoteControl::playerPropertiesChanged,
                         [this](const QStringList &names) { announced << names; });
    }
    void settle() {
        run(1000);
        QCoreApplication::processEvents();
    }
    RemoteFacade remote{controller};
    QStringList events;
    QStringList announced;
};

Task titled(const QString &title, bool enabled = true) {
    Task t = makeTask(title, "03:00:00", {song("/m/" + title + ".mp3")});
    t.Enabled = enabled;
    return t;
}

TEST(RemoteFacade, PlayTaskFindsTheTitleThenTheIdAndPlaysItAsTheTitleClick) {
    // Ids are list positions: 0 早操, 1 2, 2 早操 (again), 3 off (disabled).
    const struct {
        const char *query;
        int startedId; // -1: refused
    } cases[] = {{"早操", 0}, {"2", 1}, {"1", 1},     {"3", 3}, {"off", 3},
                 {"1x", -1},  {"", -1}, {"午休", -1}, {"9", -1}};
    for (const auto &c : cases) {
        RemoteRig rig;
        rig.startUp({titled("早操"), titled("2"), titled("早操"), titled("off", false)});
        const bool played = rig.remote.playTask(QString::fromUtf8(c.query));
        rig.settle();
        EXPECT_EQ(played, c.startedId >= 0) << c.query;
        EXPECT_EQ(rig.busy(Main), c.startedId >= 0 ? 1 : 0) << c.query;
        if (c.startedId >= 0) {
            EXPECT_EQ(rig.players().playingTask(Main).TaskID, c.startedId) << c.query;
        }
    }
    EXPECT_EQ(RemoteFacade::noSuchTaskText("午休"), "没有名为「午休」的任务");
}

TEST(RemoteFacade, PauseResumeAndStopFollowWhatPlaysAndLeaveTheScheduleOn) {
    RemoteRig rig;
    // Endless: a stop that moved the main task on would start its pass again.
    rig.startUp({makeTask("main", "03:00:00", {song("/m/main.mp3", -1)}), titled("insert")});
    EXPECT_EQ(rig.remote.pause(), RemoteFacade::NothingPlaying);
    EXPECT_EQ(rig.remote.resume(), RemoteFacade::NothingPaused);
    EXPECT_EQ(rig.remote.playbackStatus(), "Stopped");

    rig.remote.playTask("main");
    rig.settle();
    rig.remote.playTask("insert");
    rig.settle();
    // Each step at once, without waiting for the display's next tick.
    const struct {
        QString (RemoteFacade::*request)();
        PlayState mainState, insertState;
        const char *status;
    } steps[] = {
        {&RemoteFacade::pause, PlayState::Paused, PlayState::Paused, "Paused"},
        {&RemoteFacade::pause, PlayState::Paused, PlayState::Paused, "Paused"}, // no toggle
        {&RemoteFacade::resume, PlayState::Paused, PlayState::Playing, "Playing"},
        {&RemoteFacade::resume, PlayState::Paused, PlayState::Playing, "Playing"},
        {&RemoteFacade::stop, PlayState::Stopped, PlayState::Stopped, "Stopped"},
    };
    for (const auto &s : steps) {
        EXPECT_EQ((rig.remote.*s.request)(), QString());
        EXPECT_EQ(rig.mainPlayer.playState(), s.mainState);
        EXPECT_EQ(rig.insertPlayer.playState(), s.insertState);
        EXPECT_EQ(rig.remote.playbackStatus(), s.status);
    }
    rig.settle();
    EXPECT_EQ(rig.busy(Main) + rig.busy(Insert), 0);
    EXPECT_TRUE(rig.controller.scheduleOn());
    EXPECT_EQ(rig.history(PlayHistory::StoppedByUser), QStringList({"insert|插播", "main|主播"}));
    EXPECT_EQ(playlistsNamed(rig.mainPlayer, "KOLVA0-0"), 1);
}

TEST(RemoteFacade, StatusTellsBothPlayersAndTheNextTaskToday) {
    RemoteRig rig;
    Task later = titled("午休");
    later.StartTime = "12:00:00";
    rig.startUp({makeTask("早操", "03:00:00", {makeRegion("铃声", {{"/m/bell.mp3"}})}), later});
    rig.remote.playTask("早操");
    rig.settle();
    rig.run(2000);
    rig.controller.playSong("/m/song.mp3");
    rig.settle();
    QVariantMap s = rig.remote.status();
    EXPECT_EQ(s.value("schedule"), true);
    EXPECT_EQ(s.value("main.state"), "Paused");
    EXPECT_EQ(s.value("main.task"), "早操");
    EXPECT_EQ(s.value("main.region"), "铃声");
    EXPECT_EQ(s.value("main.song"), "/m/bell.mp3");
    EXPECT_NEAR(s.value("main.position").toDouble(), 3.0, 0.2);
    EXPECT_EQ(s.value("insert.state"), "Playing");
    EXPECT_EQ(s.value("insert.song"), "/m/song.mp3");
    EXPECT_EQ(s.value("next.time"), "12:00:00");
    EXPECT_EQ(s.value("next.task"), "午休");

    EXPECT_EQ(rig.remote.setSchedule(false), QString()); // the stop waits for nothing
    s = rig.remote.status();
    EXPECT_EQ(s.value("schedule"), false);
    EXPECT_EQ(s.value("main.state"), "Stopped");
    EXPECT_EQ(s.value("main.task"), "");
    EXPECT_EQ(s.value("next.time"), "");
    EXPECT_EQ(rig.remote.setSchedule(true), QString());
    EXPECT_TRUE(rig.controller.scheduleOn());
}

TEST(RemoteFacade, StartAndEndSignalsFollowThePlayHistory) {
    RemoteRig rig;
    rig.insertPlayer.setMediaDuration("/m/C.mp3", 5);
    Task empty = makeTask("D", "03:00:00");
    rig.startUp({titled("A"), titled("B"), titled("C"), empty});
    for (const char *title : {"A", "B", "C", "D"}) {
        rig.remote.playTask(title);
        rig.settle();
    }
    rig.run(6000); // C plays out, A resumes
    rig.remote.stop();
    EXPECT_EQ(rig.events, QStringList({"+A 主播", "+B 插播", "-B 被替换", "+C 插播", "+D 插播",
                                       "-D 播完", "-C 播完", "-A 手动停止"}));
}

TEST(RemoteFacade, MprisValuesAreAnnouncedWhenTheyChange) {
    RemoteRig rig;
    rig.mainPlayer.setMediaDuration("/m/bell.mp3", 12.5);
    rig.startUp({makeTask("早操", "03:00:00", {makeRegion("铃声", {{"/m/bell.mp3"}})})});
    EXPECT_TRUE(rig.remote.metadata().isEmpty());
    rig.remote.playTask("0");
    rig.settle();
    const QVariantMap m = rig.remote.metadata();
    EXPECT_TRUE(m.value("mpris:trackid").toString().startsWith("/org/kolva/Scheduler/track/0_"));
    EXPECT_EQ(m.value("mpris:length").toLongLong(), 12500000);
    EXPECT_EQ(m.value("xesam:title"), "bell.mp3");
    EXPECT_EQ(m.value("xesam:album"), "铃声");
    EXPECT_EQ(m.value("xesam:artist").toStringList(), QStringList{"早操"});
    EXPECT_EQ(m.value("xesam:url"), "file:///m/bell.mp3");
    EXPECT_NEAR(rig.remote.positionUs(), 1e6, 2e5);
    EXPECT_TRUE(rig.announced.contains("PlaybackStatus"));
    EXPECT_TRUE(rig.announced.contains("Metadata"));

    rig.announced.clear();
    rig.remote.setVolume(0.4);
    EXPECT_EQ(rig.mainPlayer.volume(), 40);
    EXPECT_DOUBLE_EQ(rig.remote.volume(), 0.4);
    rig.remote.playPause();
    EXPECT_EQ(rig.mainPlayer.playState(), PlayState::Paused);
    EXPECT_EQ(rig.announced, QStringList({"Volume", "PlaybackStatus"}));
    rig.run(3000); // position ticks alone announce nothing
    EXPECT_EQ(rig.announced.size(), 2);
}

TEST(RemoteFacade, ReloadReadsTheListAgainOrTellsWhyNot) {
    RemoteRig rig;
    rig.startUp({titled("A")});
    rig.writeTasks({titled("A"), titled("B")});
    EXPECT_EQ(rig.remote.reload(), QString());
    EXPECT_EQ(rig.controller.tasks().size(), 2);
    QFile file(rig.paths.taskFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<Tasklist><Task");
    file.close();
    EXPECT_FALSE(rig.remote.reload().isEmpty());
    EXPECT_EQ(rig.controller.tasks().size(), 2); // the list read before stays
}

} // namespace
} // namespace kolva::test
