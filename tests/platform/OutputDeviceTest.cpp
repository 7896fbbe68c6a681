// Output devices on a real sound server: a private PulseAudio this test
// starts itself (its own runtime folder, no autospawn, anonymous access)
// with null sinks it makes and removes, the device watcher, the router and
// the GStreamer player. A task on the second sink is heard there and not on
// the default; the sink removed mid-song, the song goes on on the default
// at its position; the sink back, the song goes back to it; without the
// fallback the player waits silently.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <gst/gst.h>

#include "platform/AudioDevices.h"
#include "platform/GstMediaPlayer.h"
#include "platform/PlayerHarness.h"
#include "playback/OutputDevices.h"
#include "playback/OutputRouter.h"
#include "support/MediaGen.h"

using namespace kolva;
using namespace kolva::test;

namespace {

class PrivatePulse : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(runtime.isValid());
        const QString socket = runtime.filePath("native");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("PULSE_RUNTIME_PATH", runtime.filePath("pulse"));
        env.insert("HOME", runtime.path());
        env.remove("PULSE_SERVER");
        server.setProcessEnvironment(env);
        server.setProcessChannelMode(QProcess::MergedChannels);
        server.start("pulseaudio",
                     {"-n", "--exit-idle-time=-1", "--daemonize=no", "--use-pid-file=no",
                      "--disallow-exit", "--log-target=stderr",
                      "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket,
                      "--load=module-null-sink sink_name=kolva_first "
                      "sink_properties=device.description=First"});
        ASSERT_TRUE(server.waitForStarted(5000))
            << "pulseaudio cannot be started (package pulseaudio missing?): "
            << server.errorString().toStdString();
        // The players, the watcher and pactl talk to this server only.
        qputenv("PULSE_SERVER", ("unix:" + socket).toUtf8());
        qunsetenv("KOLVA_AUDIO_SINK");
        QElapsedTimer t;
        t.start();
        while (pactl({"info"}).isEmpty() && t.elapsed() < 8000)
            runFor(100);
        ASSERT_FALSE(pactl({"info"}).isEmpty()) << "the private pulseaudio does not answer:\n"
                                                << server.readAll().toStdString();
    }

    void TearDown() override {
        server.terminate();
        if (!server.waitForFinished(3000)) {
            server.kill();
            server.waitForFinished(3000);
        }
    }

    // pactl's output, "" when it fails (pulseaudio-utils missing, no server).
    QString pactl(const QStringList &args) {
        QProcess p;
        p.start("pactl", args);
        if (!p.waitForFinished(5000) || p.exitCode() != 0)
            return QString();
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }
    QString addSecond() {
        return pactl({"load-module", "module-null-sink", "sink_name=kolva_second",
                      "sink_properties=device.description=Second"});
    }
    bool removeSecond() {
        for (const QString &module : pactl({"list", "short", "modules"}).split('\n')) {
            if (module.contains("sink_name=kolva_second")) {
                QProcess p;
                p.start("pactl", {"unload-module", module.section('\t', 0, 0)});
                return p.waitForFinished(5000) && p.exitCode() == 0;
            }
        }
        return false;
    }
    // The sink of the one stream playing, "" when none plays.
    QString streamSink() {
        const QString input = pactl({"list", "short", "sink-inputs"}).section('\n', 0, 0);
        if (input.isEmpty())
            return QString();
        const QString index = input.section('\t', 1, 1);
        for (const QString &sink : pactl({"list", "short", "sinks"}).split('\n')) {
            if (sink.section('\t', 0, 0) == index)
                return sink.section('\t', 1, 1);
        }
        return QString();
    }
    // RMS of about half a second recorded from a sink's monitor (0..1; an
    // idle sink is suspended and its monitor gives nothing: 0). In this process, while the event
    // loop runs (a player reopening on another sink needs it).
    double loudness(const QString &sink) {
        const QString file = runtime.filePath("rec.raw");
        QFile::remove(file);
        const QString description =
            "pulsesrc device=" + sink +
            ".monitor ! audioconvert ! audioresample ! audio/x-raw,format=S16LE,channels=1,"
            "rate=8000 ! filesink location=" +
            file;
        GstElement *rec = gst_parse_launch(description.toUtf8().constData(), nullptr);
        if (!rec)
            return -1;
        gst_element_set_state(rec, GST_STATE_PLAYING);
        runFor(700);
        gst_element_set_state(rec, GST_STATE_NULL);
        gst_object_unref(rec);
        QFile f(file);
        const QByteArray pcm = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        // The first 100 ms may hold what the monitor had before.
        const auto *s = reinterpret_cast<const qint16 *>(pcm.constData()) + 800;
        const qsizetype n = pcm.size() / 2 - 800;
        double sum = 0;
        for (qsizetype i = 0; i < n; ++i)
            sum += double(s[i]) * s[i];
        return n > 0 ? std::sqrt(sum / double(n)) / 32768.0 : 0;
    }

    QTemporaryDir runtime{QDir::tempPath() + "/kolva-pulse-XXXXXX"};
    QProcess server;
};

TEST_F(PrivatePulse, ATaskPlaysOnItsDeviceFallsBackAtItsPositionAndReturns) {
    QTemporaryDir dir;
    const QString song = dir.filePath("tone.wav");
    ASSERT_TRUE(MediaGen::writeWav(song, {{440, 20.0}}));
    const QString asx = dir.filePath("list.asx");
    writeAsx(asx, {{song}}, "KOLVA0-0");
    ASSERT_FALSE(addSecond().isEmpty());

    OutputDeviceList devices;
    AudioDeviceWatcher watcher(devices);
    watcher.start();
    ASSERT_TRUE(waitUntil([&] { return devices.isPresent("kolva_second"); }, 3000));
    EXPECT_EQ(devices.describe("kolva_second"), "Second");

    MediaInfoCache cache;
    GstMediaPlayer player(cache);
    OutputRouter router(devices, &player, nullptr);
    router.setProgramOutput("", true);
    router.taskStarted(0, "广播", "kolva_second");
    player.setCurrentPlaylist(player.newPlaylist("KOLVA0-0", asx));
    player.play();
    ASSERT_TRUE(waitUntil([&] { return streamSink() == "kolva_second"; }, 3000))
        << streamSink().toStdString();
    ASSERT_TRUE(waitUntil([&] { return player.currentPosition() > 0.3; }, 3000));
    EXPECT_GT(loudness("kolva_second"), 0.05) << "heard on the task's device";
    EXPECT_LT(loudness("kolva_first"), 0.001) << "and not on the default";

    // Unplugged mid-song: on the default within a second, where it was.
    runFor(300);
    const double before = player.currentPosition();
    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(removeSecond());
    ASSERT_TRUE(
        waitUntil([&] { return router.route(0) == OutputRouter::Route::FallenBack; }, 1000));
    ASSERT_TRUE(waitUntil(
        [&] { return streamSink() == "kolva_first" && player.currentPosition() > before; }, 1000));
    EXPECT_LT(t.elapsed(), 1000);
    EXPECT_EQ(router.message(), OutputRouter::fallbackText("Second"));
    EXPECT_LT(player.currentPosition(), before + 1.5) << "went on from its position";
    EXPECT_GT(loudness("kolva_first"), 0.05);

    // Plugged in again: back on it within three seconds, the message gone.
    const double onDefault = player.currentPosition();
    t.restart();
    ASSERT_FALSE(addSecond().isEmpty());
    ASSERT_TRUE(waitUntil([&] { return streamSink() == "kolva_second"; }, 3000));
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_TRUE(router.message().isEmpty());
    EXPECT_GE(player.currentPosition(), onDefault);
    EXPECT_LT(player.currentPosition(), onDefault + 3.5);
    EXPECT_EQ(player.playState(), PlayState::Playing);

    // Without the fallback the player waits silently, and comes back alone.
    router.setProgramOutput("", false);
    ASSERT_TRUE(removeSecond());
    ASSERT_TRUE(waitUntil([&] { return !player.soundOutputAvailable(); }, 2000));
    EXPECT_EQ(router.message(), OutputRouter::waitingText("Second"));
    runFor(300);
    EXPECT_EQ(streamSink(), "") << "nothing sounds elsewhere";
    ASSERT_FALSE(addSecond().isEmpty());
    ASSERT_TRUE(waitUntil([&] { return streamSink() == "kolva_second"; }, 3500));
    EXPECT_TRUE(player.soundOutputAvailable());

    // 试听 on a device there and on one that is not.
    player.stop();
    TestTone tone;
    EXPECT_FALSE(tone.play("kolva_nowhere"));
    ASSERT_TRUE(tone.play("kolva_second"));
    EXPECT_TRUE(waitUntil([&] { return streamSink() == "kolva_second"; }, 2000));
}

} // namespace
