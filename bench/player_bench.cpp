// Player figures (medians over repeated runs), with a silent real-time
// capturing sink:
//   - play() to the first audio buffer at the sink (WAV, MP3)
//   - silence between consecutive entries (gapless hand-over; clip hand-over)
//   - clip length and start error
//   - media length (isPlayable) cold and cached
// Usage: player_bench [runs] [--no-warmup]
//        player_bench --play list.asx   (plays one list to its end, reports
//                                       the hand-over gaps; set
//                                       KOLVA_PLAYER_DEBUG=1 for a trace)
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <gst/gst.h>
#include <mutex>
#include <vector>

// The test media generator is plain Qt code; the bench builds it in.
#include "platform/GstMediaPlayer.h"
#include "support/MediaGen.cpp"

using namespace kolva;
using namespace kolva::test;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int rate = 16000;

struct Buffer {
    Clock::time_point arrival;
    qint64 ptsUs;
    int samples;
};

struct Sink {
    std::mutex mutex;
    std::vector<Buffer> buffers;
    GstElement *element = nullptr;

    void attach(GstMediaPlayer &player) {
        element = player.sinkElement("capture");
        g_signal_connect(element, "handoff", G_CALLBACK(&Sink::onHandoff), this);
    }
    ~Sink() {
        if (element) {
            g_signal_handlers_disconnect_by_data(element, this);
            gst_object_unref(element);
        }
    }
    static void onHandoff(GstElement *, GstBuffer *buffer, GstPad *, gpointer data) {
        auto *self = static_cast<Sink *>(data);
        const Clock::time_point now = Clock::now();
        std::lock_guard<std::mutex> lock(self->mutex);
        self->buffers.push_back(
            {now, qint64(GST_BUFFER_PTS(buffer) / 1000), int(gst_buffer_get_size(buffer) / 2)});
    }
    std::vector<Buffer> take() {
        std::lock_guard<std::mutex> lock(mutex);
        std::vector<Buffer> out;
        out.swap(buffers);
        return out;
    }
    size_t count() {
        std::lock_guard<std::mutex> lock(mutex);
        return buffers.size();
    }
};

QString sinkDescription() {
    return QStringLiteral("audioconvert ! audioresample ! "
                          "audio/x-raw,format=S16LE,channels=1,rate=%1 ! "
                          "fakesink name=capture sync=true signal-handoffs=true")
        .arg(rate);
}

bool waitFor(const std::function<bool()> &done, int timeoutMs = 10000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        QThread::usleep(200);
    }
    return true;
}

double median(std::vector<double> v) {
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double maxOf(const std::vector<double> &v) {
    return v.empty() ? -1 : *std::max_element(v.begin(), v.end());
}

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

QString writeList(const QString &path, const QStringList &entries) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    f.write(("<Asx Version = \"3.0\" >\r\n<Title>bench</Title>\r\n" + entries.join("\r\n") +
             "\r\n</Asx>\r\n")
                .toUtf8());
    return path;
}

QString entry(const QString &file, const QString &start = QString(),
              const QString &duration = QString()) {
    QString e = "<Entry>";
    if (!start.isEmpty())
        e += "<StartTime value = \"" + start + "\" />";
    if (!duration.isEmpty())
        e += "<Duration value = \"" + duration + "\" />";
    return e + "<Ref href=\"" + file + "\"/></Entry>";
}

// Plays the list to its end; returns the captured buffers.
std::vector<Buffer> playThrough(GstMediaPlayer &player, Sink &sink, const QString &list) {
    bool ended = false;
    const auto c = QObject::connect(&player, &MediaPlayer::statusChange, [&] {
        if (player.playState() == PlayState::MediaEnded)
            ended = true;
    });
    sink.take();
    player.setCurrentPlaylist(player.newPlaylist("bench", list));
    player.play();
    waitFor([&] { return ended; }, 30000);
    QObject::disconnect(c);
    return sink.take();
}

// Gaps (ms) at each discontinuity of the captured stream: wall-clock time
// between the end of one entry's last buffer and the next entry's first.
std::vector<double> transitionGaps(const std::vector<Buffer> &b) {
    std::vector<double> gaps;
    for (size_t i = 1; i < b.size(); ++i) {
        const qint64 expected = b[i - 1].ptsUs + qint64(b[i - 1].samples) * 1000000 / rate;
        if (std::llabs(b[i].ptsUs - expected) < 1000)
            continue; // same stream
        const double lastMs = 1000.0 * b[i - 1].samples / rate;
        gaps.push_back(std::max(0.0, ms(b[i].arrival - b[i - 1].arrival) - lastMs));
    }
    return gaps;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc > 2 && QByteArray(argv[1]) == "--play") {
        MediaInfoCache cache;
        GstMediaPlayer player(cache, nullptr, sinkDescription());
        Sink sink;
        sink.attach(player);
        const std::vector<Buffer> b = playThrough(player, sink, QString::fromLocal8Bit(argv[2]));
        qint64 samples = 0;
        for (size_t i = 0; i < b.size(); ++i) {
            if (i == 0 || std::llabs(b[i].ptsUs - (b[i - 1].ptsUs + qint64(b[i - 1].samples) *
                                                                        1000000 / rate)) >= 1000)
                printf("at %.3f s heard: stream from %.3f s\n", double(samples) / rate,
                       b[i].ptsUs / 1e6);
            samples += b[i].samples;
        }
        printf("heard %.3f s in all\n", double(samples) / rate);
        for (double g : transitionGaps(b))
            printf("gap %.2f ms\n", g);
        return 0;
    }
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    const bool warm = !(argc > 2 && QByteArray(argv[2]) == "--no-warmup");

    QTemporaryDir dir;
    MediaGen gen;
    const QString wav = gen.make("bench-wav", {{440, 0.5}});
    const QString mp3 = gen.make("bench-mp3", {{440, 0.5}}, MediaFormat::Mp3);
    const QString longTone = gen.make("bench-long", {{660, 3.0}});
    QStringList shortTones;
    for (int i = 0; i < 6; ++i)
        shortTones << gen.make(QStringLiteral("bench-short%1").arg(i), {{300.0 + 100 * i, 0.3}});

    MediaInfoCache cache;
    GstMediaPlayer player(cache, nullptr, sinkDescription());
    Sink sink;
    sink.attach(player);

    if (warm) {
        const Clock::time_point t0 = Clock::now();
        player.warmUp();
        const double call = ms(Clock::now() - t0);
        while (player.warmingUp())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        printf("warmUp: call %.1f ms (UI thread), done after %.1f ms (worker + preroll)\n", call,
               ms(Clock::now() - t0));
    }

    // 1. play() to first buffer.
    for (const auto &[label, file] : {std::pair{"WAV", wav}, std::pair{"MP3", mp3}}) {
        const QString list = writeList(dir.filePath("one.asx"), {entry(file)});
        std::vector<double> latencies;
        double first = -1;
        for (int r = 0; r < runs; ++r) {
            player.setCurrentPlaylist(player.newPlaylist("bench", list));
            QCoreApplication::processEvents();
            sink.take();
            const Clock::time_point t0 = Clock::now();
            player.play();
            waitFor([&] { return sink.count() > 0; });
            const std::vector<Buffer> b = sink.take();
            const double latency = b.empty() ? -1 : ms(b.front().arrival - t0);
            if (r == 0)
                first = latency;
            else
                latencies.push_back(latency);
            player.stop();
            QCoreApplication::processEvents();
        }
        printf("play() to first buffer, %s: first %.2f ms, median %.2f ms, max %.2f ms (%d runs)\n",
               label, first, median(latencies), maxOf(latencies), runs);
    }

    // 2. Silence between entries: gapless hand-overs, and clip hand-overs.
    {
        QStringList entries;
        for (const QString &f : shortTones)
            entries << entry(f);
        const QString list = writeList(dir.filePath("gapless.asx"), entries);
        std::vector<double> gaps;
        for (int r = 0; r < std::max(1, runs / 3); ++r) {
            const std::vector<double> g = transitionGaps(playThrough(player, sink, list));
            gaps.insert(gaps.end(), g.begin(), g.end());
        }
        printf("silence between entries (gapless): median %.2f ms, max %.2f ms (%zu transitions)\n",
               median(gaps), maxOf(gaps), gaps.size());

        const QString clipList =
            writeList(dir.filePath("clips.asx"),
                      {entry(longTone, "00:00:00.5", "00:00:00.4"), entry(shortTones[0]),
                       entry(longTone, "00:00:01", "00:00:00.3"), entry(longTone, "00:00:02", "")});
        std::vector<double> clipGaps;
        for (int r = 0; r < std::max(1, runs / 3); ++r) {
            const std::vector<double> g = transitionGaps(playThrough(player, sink, clipList));
            clipGaps.insert(clipGaps.end(), g.begin(), g.end());
        }
        printf("silence at clip hand-overs (seek/reopen): median %.2f ms, max %.2f ms (%zu "
               "transitions)\n",
               median(clipGaps), maxOf(clipGaps), clipGaps.size());
    }

    // 3. Clip length and start accuracy.
    {
        const QString list =
            writeList(dir.filePath("clip.asx"), {entry(longTone, "00:00:00.5", "00:00:01.2")});
        std::vector<double> lengthErrors, startErrors;
        for (int r = 0; r < runs; ++r) {
            const std::vector<Buffer> b = playThrough(player, sink, list);
            if (b.empty())
                continue;
            qint64 samples = 0;
            for (const Buffer &x : b)
                samples += x.samples;
            lengthErrors.push_back(std::abs(1000.0 * samples / rate - 1200.0));
            startErrors.push_back(std::abs(b.front().ptsUs / 1000.0 - 500.0));
        }
        printf("clip length error: median %.2f ms, max %.2f ms; clip start error: median %.2f ms, "
               "max %.2f ms (%d runs)\n",
               median(lengthErrors), maxOf(lengthErrors), median(startErrors), maxOf(startErrors),
               runs);
    }

    // 4. Media length: first look (asked, answered by a worker's discovery)
    // and cached (answered at once).
    {
        MediaInfoCache fresh;
        std::vector<double> cold;
        QStringList files = shortTones;
        files << wav << mp3 << longTone;
        for (const QString &f : files) {
            const Clock::time_point t0 = Clock::now();
            std::optional<double> d = fresh.lookup(f);
            while (!d) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
                d = fresh.lookup(f);
            }
            cold.push_back(ms(Clock::now() - t0));
            if (*d <= 0)
                printf("  (no length for %s)\n", qUtf8Printable(f));
        }
        std::vector<double> cached;
        for (int r = 0; r < 2000; ++r) {
            const Clock::time_point t0 = Clock::now();
            fresh.lookup(files[r % files.size()]);
            cached.push_back(ms(Clock::now() - t0));
        }
        printf("media length (isPlayable) cold, asked to answered: first %.2f ms, median %.2f ms "
               "(%zu files); cached: median %.4f ms, max %.4f ms (2000 calls)\n",
               cold.front(), median(cold), cold.size(), median(cached), maxOf(cached));
    }
    return 0;
}
