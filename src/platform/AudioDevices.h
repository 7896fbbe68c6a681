#pragma once
// The sound server's output devices, from GStreamer's device monitor
// (Audio/Sink), written into the program's OutputDeviceList as they come and
// go; the sink for one device by its stable name; and the short tone of the
// "试听" button.
//
// Stable names: PulseAudio's sink name (GstPulseDevice "internal-name"), or
// PipeWire's node name ("node.name"), which PipeWire's PulseAudio service
// takes as a sink name too; both read e.g. "alsa_output.usb-…" and stay the
// same across reboots, re-plugs and renumbering. A device without such a
// name (bare ALSA, no sound server) is not listed: it could not be found
// again by name.
//
// Threads: the monitor's providers post on their own threads; the bus sync
// handler only queues a refresh to the UI thread, where the list is read
// whole and handed over. Everything else is on the UI thread.

#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>

typedef struct _GstDeviceMonitor GstDeviceMonitor;
typedef struct _GstElement GstElement;

namespace kolva {

class OutputDeviceList;

namespace gst {

// A sink for the device with this stable name. It is made and connected
// once (READY) to see that the sound server has that device; when it has
// not (or there is no server), a silent real-time sink is returned and
// *warning says why. The caller owns the reference.
GstElement *makeDeviceSink(const QString &stableName, QString *warning);

} // namespace gst

class AudioDeviceWatcher : public QObject {
    Q_OBJECT
public:
    explicit AudioDeviceWatcher(OutputDeviceList &list, QObject *parent = nullptr);
    ~AudioDeviceWatcher() override;

    // Starts the monitor and reads the devices there now (a few ms: a
    // connection to the sound server). While none is found (the server not
    // up yet) it starts the monitor again every few seconds.
    void start();
    // Reads the devices afresh from a new start of the monitor (at most once
    // a second): a player lost its output, and a sound server that went away
    // or restarted is not followed by the monitor by itself.
    void recheck();

    static constexpr int restartMs = 3000;

private:
    void refresh();
    void restart();
    void queueRefresh(); // any thread

    OutputDeviceList &m_list;
    GstDeviceMonitor *m_monitor = nullptr;
    bool m_started = false;
    qint64 m_lastRecheckMs = 0;
    std::atomic<bool> m_refreshQueued{false};
    QTimer m_restart;
};

// "试听": about a second of a soft tone on one device ("" = the system
// default; KOLVA_AUDIO_SINK, when set, wins as it does for the players). A
// new tone cuts the one before short.
class TestTone : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~TestTone() override;
    // False (nothing plays) when the device is not there.
    bool play(const QString &stableName);
    bool playing() const { return m_pipeline != nullptr; }

    static constexpr int toneMs = 1000;

private:
    void end();
    GstElement *m_pipeline = nullptr;
    QTimer m_end;
};

} // namespace kolva
