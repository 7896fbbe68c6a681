#pragma once
// Test harness for the GStreamer player: a capturing sink that records the
// PCM the player renders (16 kHz mono, with wall-clock arrival times), a
// pitch tracker that turns it into a list of tone segments, an event recorder
// that notes playState()/currentMedia() at each delivery, and ASX writing.

#include <QElapsedTimer>
#include <QList>
#include <QMutex>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>

#include "platform/GstMediaPlayer.h"

namespace kolva::test {

constexpr int captureRate = 16000;

// The sink description the tests hand to GstMediaPlayer.
QString captureSinkDescription();

// A segment of captured sound: the dominant pitch (0: silence) and length.
struct Segment {
    double frequency = 0;
    double seconds = 0;
    double startSeconds = 0; // offset in the captured sample stream
};

class Capture {
public:
    // Attaches to the player's capturing sink.
    explicit Capture(GstMediaPlayer &player);
    ~Capture();

    int sampleCount() const;
    // Seconds of captured sound so far.
    double seconds() const { return double(sampleCount()) / captureRate; }
    // Wall-clock ms (since the capture was made) of the first buffer; -1 none.
    qint64 firstBufferMs() const;
    // Longest wall-clock pause between consecutive buffers, minus the
    // previous buffer's own length (ms): a gap in the sound.
    double longestGapMs() const;
    // The same from the buffers' pipeline running times, immune to
    // scheduling delays; a running time that starts over (a reopened
    // pipeline rather than a hand-over) counts as an endless gap.
    double longestRunningTimeGapMs() const;
    // Sample-exact silences of the captured sound (quieter than `level`,
    // 0..1), in ms: before the first sound, and the longest one between the
    // first and the last sound (a hole at a joint).
    double leadingSilenceMs(double level = 0.05) const;
    double longestInnerSilenceMs(double level = 0.05) const;
    void clear();

    // Tone segments by pitch over 5 ms windows; a run shorter than
    // minSeconds is merged into its neighbour (encoder edges). Candidate
    // pitches are the ones the test uses.
    QList<Segment> segments(const QList<double> &pitches, double minSeconds = 0.02) const;
    // RMS of all captured samples (0..1).
    double rms() const;

    // Called on the streaming thread.
    void append(const qint16 *samples, int count, qint64 runningTimeUs);

private:
    mutable QMutex m_mutex;
    QVector<qint16> m_samples;
    QVector<qint64> m_arrivalUs;  // per buffer
    QVector<int> m_bufferSamples; // per buffer
    QVector<qint64> m_runningUs;  // per buffer, -1 unknown
    QElapsedTimer m_clock;
    void *m_sink = nullptr;
    unsigned long m_handler = 0;
};

// What the player reported, as seen by a handler at delivery time.
// The events logged by the codes of the original control (open 7 and 13,
// status 1, 2, 3 and 8), which the expected logs are written in.
int eventCode(OpenState state);
int eventCode(PlayState state);

struct SeenEvent {
    enum Kind { Open, Status, Position } kind;
    int value = 0; // eventCode of the state the event carried
    Media media;
};

class EventLog {
public:
    explicit EventLog(GstMediaPlayer &player);
    QList<SeenEvent> events;
    int count(SeenEvent::Kind kind, int value) const;
    QString describe() const; // for failure messages
};

// Writes an ASX file in the builder's layout. Each entry: file, REPEAT
// COUNT (-1: none), StartTime and Duration texts (empty: none).
struct AsxEntry {
    AsxEntry(const QString &file, int repeatCount = -1, const QString &startTime = QString(),
             const QString &duration = QString())
        : file(file), repeatCount(repeatCount), startTime(startTime), duration(duration) {}
    QString file;
    int repeatCount = -1;
    QString startTime;
    QString duration;
};
QString writeAsx(const QString &path, const QList<AsxEntry> &entries,
                 const QString &title = QStringLiteral("KOLVA0-1"));

// Runs the event loop until the predicate holds or the time is up.
bool waitUntil(const std::function<bool()> &done, int timeoutMs = 10000);
// Runs the event loop for a while (to see that nothing more happens).
void runFor(int ms);

} // namespace kolva::test
