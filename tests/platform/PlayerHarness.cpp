#include "platform/PlayerHarness.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <gst/base/gstbasesink.h>
#include <gst/gst.h>

namespace kolva::test {

QString captureSinkDescription() {
    return QStringLiteral("audioconvert ! audioresample ! "
                          "audio/x-raw,format=S16LE,channels=1,rate=%1 ! "
                          "fakesink name=capture sync=true signal-handoffs=true")
        .arg(captureRate);
}

namespace {

void onHandoff(GstElement *sink, GstBuffer *buffer, GstPad *, gpointer data) {
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ))
        return;
    qint64 runningUs = -1;
    GST_OBJECT_LOCK(sink);
    const guint64 rt = gst_segment_to_running_time(&GST_BASE_SINK(sink)->segment, GST_FORMAT_TIME,
                                                   GST_BUFFER_PTS(buffer));
    GST_OBJECT_UNLOCK(sink);
    if (GST_CLOCK_TIME_IS_VALID(rt))
        runningUs = qint64(rt / 1000);
    static_cast<Capture *>(data)->append(reinterpret_cast<const qint16 *>(map.data),
                                         int(map.size / 2), runningUs);
    gst_buffer_unmap(buffer, &map);
}

double goertzelPower(const qint16 *x, int n, double frequency) {
    const double w = 2 * M_PI * frequency / captureRate;
    const double c = 2 * std::cos(w);
    double s1 = 0, s2 = 0;
    for (int i = 0; i < n; ++i) {
        const double s = x[i] / 32768.0 + c * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    return s1 * s1 + s2 * s2 - c * s1 * s2;
}

} // namespace

Capture::Capture(GstMediaPlayer &player) {
    m_clock.start();
    GstElement *sink = player.sinkElement("capture");
    m_sink = sink;
    if (sink)
        m_handler = g_signal_connect(sink, "handoff", G_CALLBACK(onHandoff), this);
}

Capture::~Capture() {
    if (m_sink) {
        g_signal_handler_disconnect(m_sink, m_handler);
        gst_object_unref(m_sink);
    }
}

void Capture::append(const qint16 *samples, int count, qint64 runningTimeUs) {
    QMutexLocker lock(&m_mutex);
    m_runningUs.append(runningTimeUs);
    const qsizetype old = m_samples.size();
    m_samples.resize(old + count);
    std::copy(samples, samples + count, m_samples.begin() + old);
    m_arrivalUs.append(m_clock.nsecsElapsed() / 1000);
    m_bufferSamples.append(count);
}

int Capture::sampleCount() const {
    QMutexLocker lock(&m_mutex);
    return int(m_samples.size());
}

qint64 Capture::firstBufferMs() const {
    QMutexLocker lock(&m_mutex);
    return m_arrivalUs.isEmpty() ? -1 : m_arrivalUs.first() / 1000;
}

double Capture::longestGapMs() const {
    QMutexLocker lock(&m_mutex);
    double longest = 0;
    for (int i = 1; i < m_arrivalUs.size(); ++i) {
        const double previousMs = 1000.0 * m_bufferSamples[i - 1] / captureRate;
        const double gap = (m_arrivalUs[i] - m_arrivalUs[i - 1]) / 1000.0 - previousMs;
        longest = std::max(longest, gap);
    }
    return longest;
}

void Capture::clear() {
    QMutexLocker lock(&m_mutex);
    m_samples.clear();
    m_arrivalUs.clear();
    m_bufferSamples.clear();
    m_runningUs.clear();
}

double Capture::longestRunningTimeGapMs() const {
    QMutexLocker lock(&m_mutex);
    double longest = 0;
    for (int i = 1; i < m_runningUs.size(); ++i) {
        if (m_runningUs[i] < 0 || m_runningUs[i - 1] < 0)
            continue;
        const double previousMs = 1000.0 * m_bufferSamples[i - 1] / captureRate;
        const double gap = (m_runningUs[i] - m_runningUs[i - 1]) / 1000.0 - previousMs;
        if (qEnvironmentVariableIsSet("KOLVA_GAP_DEBUG") && std::abs(gap) > 0.5)
            qInfo("buffer %d: rt %lld prev %lld (+%.2f ms) gap %.2f", i, m_runningUs[i],
                  m_runningUs[i - 1], previousMs, gap);
        if (gap < -previousMs)
            return 1e9; // started over
        longest = std::max(longest, gap);
    }
    return longest;
}

double Capture::leadingSilenceMs(double level) const {
    QMutexLocker lock(&m_mutex);
    const qint16 limit = qint16(level * 32767);
    qsizetype i = 0;
    while (i < m_samples.size() && std::abs(m_samples[i]) <= limit)
        ++i;
    return 1000.0 * double(i) / captureRate;
}

double Capture::longestInnerSilenceMs(double level) const {
    QMutexLocker lock(&m_mutex);
    const qint16 limit = qint16(level * 32767);
    qsizetype longest = 0, run = 0;
    bool sounded = false;
    for (qint16 s : m_samples) {
        if (std::abs(s) > limit) {
            if (sounded)
                longest = std::max(longest, run);
            sounded = true;
            run = 0;
        } else {
            ++run;
        }
    }
    return 1000.0 * double(longest) / captureRate;
}

double Capture::rms() const {
    QMutexLocker lock(&m_mutex);
    if (m_samples.isEmpty())
        return 0;
    double sum = 0;
    for (qint16 s : m_samples)
        sum += (s / 32768.0) * (s / 32768.0);
    return std::sqrt(sum / m_samples.size());
}

QList<Segment> Capture::segments(const QList<double> &pitches, double minSeconds) const {
    QVector<qint16> x;
    {
        QMutexLocker lock(&m_mutex);
        x = m_samples;
    }
    constexpr int window = captureRate / 200; // 5 ms
    QList<Segment> runs;
    for (int start = 0; start + window <= x.size(); start += window) {
        double energy = 0;
        for (int i = 0; i < window; ++i)
            energy += (x[start + i] / 32768.0) * (x[start + i] / 32768.0);
        double pitch = 0;
        if (energy / window > 1e-4) { // quieter than -40 dB is silence
            double best = -1;
            for (double p : pitches) {
                const double power = goertzelPower(x.constData() + start, window, p);
                if (power > best) {
                    best = power;
                    pitch = p;
                }
            }
        }
        const double len = double(window) / captureRate;
        if (!runs.isEmpty() && runs.last().frequency == pitch)
            runs.last().seconds += len;
        else
            runs.append({pitch, len, double(start) / captureRate});
    }
    // Merge slivers (a window straddling a change, encoder edges).
    QList<Segment> merged;
    for (const Segment &s : runs) {
        if (!merged.isEmpty() &&
            (s.seconds < minSeconds || merged.last().frequency == s.frequency)) {
            merged.last().seconds += s.seconds;
            continue;
        }
        if (!merged.isEmpty() && merged.last().seconds < minSeconds) {
            merged.last().frequency = s.frequency;
            merged.last().seconds += s.seconds;
            continue;
        }
        merged.append(s);
    }
    return merged;
}

int eventCode(OpenState state) {
    return state == OpenState::PlaylistChanged ? 7 : 13;
}

int eventCode(PlayState state) {
    switch (state) {
    case PlayState::Stopped:
        return 1;
    case PlayState::Paused:
        return 2;
    case PlayState::Playing:
        return 3;
    case PlayState::MediaEnded:
        return 8;
    default:
        return 0;
    }
}

EventLog::EventLog(GstMediaPlayer &player) {
    QObject::connect(&player, &MediaPlayer::openStateChange, &player, [this, &player](OpenState s) {
        events.append({SeenEvent::Open, eventCode(s), player.currentMedia()});
    });
    QObject::connect(&player, &MediaPlayer::statusChange, &player, [this, &player](PlayState s) {
        events.append({SeenEvent::Status, eventCode(s), player.currentMedia()});
    });
    QObject::connect(&player, &MediaPlayer::positionChange, &player,
                     [this, &player](double, double) {
                         events.append({SeenEvent::Position, 0, player.currentMedia()});
                     });
}

int EventLog::count(SeenEvent::Kind kind, int value) const {
    int n = 0;
    for (const SeenEvent &e : events)
        n += e.kind == kind && e.value == value;
    return n;
}

QString EventLog::describe() const {
    QStringList parts;
    for (const SeenEvent &e : events) {
        const char *k = e.kind == SeenEvent::Open     ? "open"
                        : e.kind == SeenEvent::Status ? "status"
                                                      : "pos";
        parts << QStringLiteral("%1(%2)@%3").arg(k).arg(e.value).arg(e.media.index);
    }
    return parts.join(' ');
}

QString writeAsx(const QString &path, const QList<AsxEntry> &entries, const QString &title) {
    auto esc = [](QString s) {
        return s.replace('&', "&amp;")
            .replace('"', "&quot;")
            .replace('<', "&lt;")
            .replace('>', "&gt;")
            .replace('\t', "&#9;")
            .replace('\n', "&#10;")
            .replace('\r', "&#13;");
    };
    QStringList lines{"<Asx Version = \"3.0\" >", "<Author>KOLVA</Author>",
                      "<Title>" + title + "</Title>", "<Param Name=\"ParentTaskID\" Value=\"0\" />",
                      "<Param Name=\"RegionID\" Value=\"1\" />"};
    int id = 0;
    for (const AsxEntry &e : entries) {
        if (e.repeatCount >= 0)
            lines << QStringLiteral("<REPEAT COUNT=\"%1\">").arg(e.repeatCount);
        lines << "<Entry>" << QStringLiteral("<Param Name=\"SongID\" Value=\"%1\" />").arg(id++);
        if (!e.startTime.isEmpty())
            lines << "<StartTime value = \"" + e.startTime + "\" />";
        if (!e.duration.isEmpty())
            lines << "<Duration value = \"" + e.duration + "\" />";
        lines << "<Ref href=\"" + esc(e.file) + "\"/>"
              << "</Entry>";
        if (e.repeatCount >= 0)
            lines << "</REPEAT>";
    }
    lines << "</Asx>";
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    f.write((lines.join("\r\n") + "\r\n").toUtf8());
    return path;
}

bool waitUntil(const std::function<bool()> &done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

void runFor(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

} // namespace kolva::test
