// One script of calls, two players: the scriptable fake and the GStreamer
// player with generated media must give the same typed events, so that what
// the logic tests learn from the fake holds for the real player.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "platform/GstMediaPlayer.h"
#include "platform/PlayerHarness.h"
#include "support/FakeMediaPlayer.h"
#include "support/MediaGen.h"

using namespace kolva;
using namespace kolva::test;

namespace {

enum class Step { Play, Pause, Stop, Seek, Settle, PlayToEnd, NewPlaylist, QueueNext };

// A player under the script, with what moves it on: the fake plays by
// script, the real one in real time.
struct Driver {
    MediaPlayer &player;
    std::function<void()> settle;             // queued events delivered
    std::function<void()> playToEnd;          // the pass plays out
    std::function<PlaylistPtr(int)> playlist; // playlist number n of the case
};

std::string describe(const QStringList &events) {
    return events.join(' ').toStdString();
}

struct Case {
    const char *name;
    QList<QList<QString>> playlists; // per playlist: entry names ("missing": no file)
    QList<Step> script;
    QStringList events;   // expected, in order
    double position = -1; // expected position after the script (-1: not looked at)
};

const QList<Case> &cases() {
    static const QList<Case> c{
        {"plays its entries to the end",
         {{"a", "b"}},
         {Step::Play, Step::PlayToEnd},
         {"open:playlist", "open:media", "status:playing", "open:media", "status:ended"}},
        {"pause, resume and stop",
         {{"long"}},
         {Step::Play, Step::Settle, Step::Pause, Step::Settle, Step::Play, Step::Settle, Step::Stop,
          Step::Settle},
         {"open:playlist", "open:media", "status:playing", "status:paused", "status:playing",
          "status:stopped"}},
        {"a seek moves the position without an event",
         {{"long"}},
         {Step::Play, Step::Settle, Step::Seek, Step::Settle},
         {"open:playlist", "open:media", "status:playing"},
         1.0},
        {"a faulty entry is passed over",
         {{"missing", "a"}},
         {Step::Play, Step::PlayToEnd},
         {"open:playlist", "skipped", "open:media", "status:playing", "status:ended"}},
        {"a faulty last entry still ends the pass",
         {{"a", "missing"}},
         {Step::Play, Step::PlayToEnd},
         {"open:playlist", "open:media", "status:playing", "skipped", "status:ended"}},
        {"an empty playlist ends at once",
         {{}},
         {Step::Play, Step::Settle},
         {"open:playlist", "status:ended"}},
        {"a queued playlist follows without an end between them",
         {{"a"}, {"missing", "b"}},
         {Step::QueueNext, Step::Play, Step::PlayToEnd},
         {"open:playlist", "open:media", "status:playing", "open:playlist", "skipped", "open:media",
          "status:ended"}},
        {"a pass where nothing opened ends instead of going on",
         {{"missing"}, {"a"}},
         {Step::QueueNext, Step::Play, Step::PlayToEnd},
         {"open:playlist", "skipped", "status:ended"}},
        {"a new playlist stops the old one silently",
         {{"long"}, {"a"}},
         {Step::Play, Step::Settle, Step::NewPlaylist, Step::Play, Step::PlayToEnd},
         {"open:playlist", "open:media", "status:playing", "open:playlist", "open:media",
          "status:playing", "status:ended"}},
    };
    return c;
}

// Events as the handlers see them: the state each carries.
QStringList *recordInto(MediaPlayer &player, QStringList *log) {
    QObject::connect(&player, &MediaPlayer::openStateChange, &player, [log](OpenState s) {
        *log << (s == OpenState::PlaylistChanged ? "open:playlist" : "open:media");
    });
    QObject::connect(&player, &MediaPlayer::statusChange, &player, [log](PlayState s) {
        static const char *names[] = {"status:undefined", "status:stopped", "status:paused",
                                      "status:playing", "status:ended"};
        *log << names[int(s)];
    });
    QObject::connect(&player, &MediaPlayer::entrySkipped, &player,
                     [log](const QString &, const QString &) { *log << "skipped"; });
    return log;
}

void runScript(const Case &c, Driver &d) {
    int next = 0;
    d.player.setCurrentPlaylist(d.playlist(next++));
    for (Step step : c.script) {
        switch (step) {
        case Step::Play:
            d.player.play();
            break;
        case Step::Pause:
            d.player.pause();
            break;
        case Step::Stop:
            d.player.stop();
            break;
        case Step::Seek:
            d.player.setCurrentPosition(1.0);
            break;
        case Step::Settle:
            d.settle();
            break;
        case Step::PlayToEnd:
            d.playToEnd();
            break;
        case Step::NewPlaylist:
            d.player.setCurrentPlaylist(d.playlist(next++));
            break;
        case Step::QueueNext:
            d.player.setNextPlaylist(d.playlist(next++));
            break;
        }
    }
}

class PlayerContract : public ::testing::TestWithParam<bool> {
protected:
    static MediaGen &gen() {
        static MediaGen g;
        return g;
    }
    // The files of a case: short tones, one long one for pauses and seeks.
    QString file(const QString &name) {
        if (name == "missing")
            return dir.filePath("missing.wav");
        const double seconds = name == "long" ? 4.0 : 0.3;
        return gen().make("contract-" + name, {{name == "b" ? 800.0 : 400.0, seconds}});
    }
    QString asxOf(const QList<QString> &names) {
        QList<AsxEntry> entries;
        for (const QString &n : names)
            entries << AsxEntry{file(n)};
        return writeAsx(dir.filePath(QStringLiteral("list%1.asx").arg(++lists)), entries);
    }

    QTemporaryDir dir;
    int lists = 0;
};

TEST_P(PlayerContract, SameScriptSameEvents) {
    const bool real = GetParam();
    for (const Case &c : cases()) {
        SCOPED_TRACE(c.name);
        SCOPED_TRACE(real ? "GStreamer player" : "fake player");
        QStringList events;
        MediaInfoCache cache{5000, 500};
        std::unique_ptr<MediaPlayer> player;
        FakeMediaPlayer *fake = nullptr;
        if (real) {
            player = std::make_unique<GstMediaPlayer>(cache, nullptr, captureSinkDescription());
        } else {
            auto f = std::make_unique<FakeMediaPlayer>();
            fake = f.get();
            f->setDefaultDuration(0.3);
            f->setContinuesPlaylists(true);
            player = std::move(f);
        }
        recordInto(*player, &events);
        Driver d{*player,
                 [&] {
                     if (fake)
                         fake->deliverEvents();
                     else
                         runFor(400);
                 },
                 [&] {
                     if (fake) {
                         fake->advance(60);
                         fake->deliverEvents();
                     } else {
                         waitUntil([&] { return events.contains("status:ended"); }, 8000);
                         runFor(100);
                     }
                 },
                 [&](int n) {
                     const QList<QString> &names = c.playlists.value(n);
                     if (fake) {
                         for (const QString &name : names)
                             fake->setMediaDuration(file(name), name == "missing" ? 0
                                                                : name == "long"  ? 4.0
                                                                                  : 0.3);
                     }
                     return player->newPlaylist("KOLVA0-1", asxOf(names));
                 }};
        runScript(c, d);
        d.settle();
        EXPECT_EQ(describe(events), describe(c.events));
        if (c.position >= 0) {
            // The real player plays on in real time while the script settles.
            EXPECT_GE(player->currentPosition(), c.position - 0.05);
            EXPECT_LT(player->currentPosition(), c.position + (real ? 1.5 : 0.05));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Players, PlayerContract, ::testing::Values(false, true),
                         [](const auto &info) { return info.param ? "Gst" : "Fake"; });

} // namespace
