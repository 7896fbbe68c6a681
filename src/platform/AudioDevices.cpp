#include "platform/AudioDevices.h"

#include <QDateTime>
#include <QMetaObject>
#include <algorithm>
#include <gst/gst.h>

#include "platform/GstSupport.h"
#include "playback/OutputDevices.h"

namespace kolva {

namespace gst {

GstElement *makeDeviceSink(const QString &stableName, QString *warning) {
    ensureInitialised();
    GstElement *sink = gst_element_factory_make("pulsesink", nullptr);
    if (!sink) {
        if (warning)
            *warning = QStringLiteral("pulsesink is missing: no device can be chosen; playing "
                                      "silently");
        return makeSilentSink();
    }
    gst_object_ref_sink(sink);
    g_object_set(sink, "device", stableName.toUtf8().constData(), nullptr);
    // READY connects to the sound server; "device-name" is then the
    // description of the named sink, and null when the server has none.
    const GstStateChangeReturn r = gst_element_set_state(sink, GST_STATE_READY);
    gchar *description = nullptr;
    if (r != GST_STATE_CHANGE_FAILURE)
        g_object_get(sink, "device-name", &description, nullptr);
    gst_element_set_state(sink, GST_STATE_NULL);
    const bool there = description != nullptr;
    g_free(description);
    if (there)
        return sink;
    gst_object_unref(sink);
    if (warning)
        *warning = r == GST_STATE_CHANGE_FAILURE
                       ? QStringLiteral("no sound server for device \"%1\"; playing silently")
                             .arg(stableName)
                       : QStringLiteral("output device \"%1\" is not there; playing silently")
                             .arg(stableName);
    return makeSilentSink();
}

} // namespace gst

namespace {

QString stableNameOf(GstDevice *device) {
    QString name;
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(device), "internal-name")) {
        gchar *internal = nullptr;
        g_object_get(device, "internal-name", &internal, nullptr);
        name = QString::fromUtf8(internal);
        g_free(internal);
    }
    if (name.isEmpty()) {
        if (GstStructure *properties = gst_device_get_properties(device)) {
            name = QString::fromUtf8(gst_structure_get_string(properties, "node.name"));
            gst_structure_free(properties);
        }
    }
    return name;
}

} // namespace

AudioDeviceWatcher::AudioDeviceWatcher(OutputDeviceList &list, QObject *parent)
    : QObject(parent), m_list(list) {
    gst::ensureInitialised();
    m_restart.setInterval(restartMs);
    connect(&m_restart, &QTimer::timeout, this, &AudioDeviceWatcher::restart);
    m_monitor = gst_device_monitor_new();
    gst_device_monitor_add_filter(m_monitor, "Audio/Sink", nullptr);
    GstBus *bus = gst_device_monitor_get_bus(m_monitor);
    gst_bus_set_sync_handler(
        bus,
        [](GstBus *, GstMessage *message, gpointer self) {
            switch (GST_MESSAGE_TYPE(message)) {
            case GST_MESSAGE_DEVICE_ADDED:
            case GST_MESSAGE_DEVICE_REMOVED:
            case GST_MESSAGE_DEVICE_CHANGED:
                static_cast<AudioDeviceWatcher *>(self)->queueRefresh();
                break;
            default:
                break;
            }
            return GST_BUS_DROP;
        },
        this, nullptr);
    gst_object_unref(bus);
}

AudioDeviceWatcher::~AudioDeviceWatcher() {
    // Stopping ends the providers' threads: no handler runs after this.
    if (m_started)
        gst_device_monitor_stop(m_monitor);
    GstBus *bus = gst_device_monitor_get_bus(m_monitor);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    gst_object_unref(m_monitor);
}

void AudioDeviceWatcher::start() {
    m_started = gst_device_monitor_start(m_monitor);
    refresh();
}

void AudioDeviceWatcher::recheck() {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - m_lastRecheckMs < 1000)
        return;
    m_lastRecheckMs = now;
    restart();
}

void AudioDeviceWatcher::restart() {
    if (m_started)
        gst_device_monitor_stop(m_monitor);
    start();
}

// Any thread: one refresh queued however many messages come at once.
void AudioDeviceWatcher::queueRefresh() {
    if (m_refreshQueued.exchange(true))
        return;
    QMetaObject::invokeMethod(this, &AudioDeviceWatcher::refresh, Qt::QueuedConnection);
}

void AudioDeviceWatcher::refresh() {
    m_refreshQueued.store(false);
    QVector<OutputDevice> devices;
    if (m_started) {
        GList *list = gst_device_monitor_get_devices(m_monitor);
        for (GList *l = list; l; l = l->next) {
            auto *device = GST_DEVICE(l->data);
            const QString name = stableNameOf(device);
            // Without a stable name it could not be found again; a device
            // two providers list (PipeWire's and its PulseAudio service's)
            // is one device.
            if (name.isEmpty() ||
                std::any_of(devices.cbegin(), devices.cend(),
                            [&name](const OutputDevice &d) { return d.name == name; }))
                continue;
            gchar *display = gst_device_get_display_name(device);
            devices.append({name, QString::fromUtf8(display)});
            g_free(display);
        }
        g_list_free_full(list, gst_object_unref);
    }
    // Nothing found: the sound server may not be up yet.
    if (devices.isEmpty())
        m_restart.start();
    else
        m_restart.stop();
    m_list.setDevices(std::move(devices));
}

TestTone::~TestTone() {
    end();
}

bool TestTone::play(const QString &stableName) {
    end();
    const QString fixed = qEnvironmentVariable("KOLVA_AUDIO_SINK");
    QString warning;
    GstElement *sink = !fixed.isEmpty() || stableName.isEmpty()
                           ? gst::makeAudioSink(fixed, &warning)
                           : gst::makeDeviceSink(stableName, &warning);
    if (!warning.isEmpty()) {
        gst_object_unref(sink);
        return false;
    }
    GstElement *source = gst_element_factory_make("audiotestsrc", nullptr);
    GstElement *convert = gst_element_factory_make("audioconvert", nullptr);
    GstElement *resample = gst_element_factory_make("audioresample", nullptr);
    if (!source || !convert || !resample) {
        for (GstElement *e : {source, convert, resample, sink})
            if (e)
                gst_object_unref(e);
        return false;
    }
    // A soft 660 Hz tone of about a second (44.1 kHz, 1024 samples a buffer).
    g_object_set(source, "wave", 0, "freq", 660.0, "volume", 0.3, "num-buffers",
                 toneMs * 44100 / 1024 / 1000, nullptr);
    m_pipeline = gst_pipeline_new("kolva-test-tone");
    gst_object_ref_sink(m_pipeline);
    gst_bin_add_many(GST_BIN(m_pipeline), source, convert, resample, sink, nullptr);
    gst_object_unref(sink); // the bin holds it now
    gst_element_link_many(source, convert, resample, sink, nullptr);
    gst_element_set_state(m_pipeline, GST_STATE_PLAYING);
    // The pipeline is let go a little after the tone's end; no bus needed.
    m_end.setSingleShot(true);
    connect(&m_end, &QTimer::timeout, this, &TestTone::end, Qt::UniqueConnection);
    m_end.start(toneMs + 500);
    return true;
}

void TestTone::end() {
    m_end.stop();
    if (!m_pipeline)
        return;
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    gst_object_unref(m_pipeline);
    m_pipeline = nullptr;
}

} // namespace kolva
