#include "platform/GstSupport.h"

#include "platform/GstVideoDrop.h"

#include <QDir>
#include <QFileInfo>
#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>

namespace kolva::gst {

void ensureInitialised() {
    if (!gst_is_initialized())
        gst_init(nullptr, nullptr);
    rankDownVideoDecoders();
    registerVideoDrop();
}

void rankDownVideoDecoders() {
    GList *factories =
        gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_DECODER, GST_RANK_NONE);
    for (GList *l = factories; l; l = l->next) {
        auto *factory = GST_ELEMENT_FACTORY(l->data);
        const gchar *klass = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS);
        if (!klass || g_strcmp0(GST_OBJECT_NAME(factory), videoDropName) == 0)
            continue;
        const QString k = QString::fromUtf8(klass);
        if ((k.contains(QLatin1String("Video")) || k.contains(QLatin1String("Image"))) &&
            !k.contains(QLatin1String("Audio")) &&
            gst_plugin_feature_get_rank(GST_PLUGIN_FEATURE(factory)) != GST_RANK_NONE)
            gst_plugin_feature_set_rank(GST_PLUGIN_FEATURE(factory), GST_RANK_NONE);
    }
    gst_plugin_feature_list_free(factories);
}

QString fileUri(const QString &path) {
    if (path.isEmpty())
        return QString();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const QByteArray local = QFile::encodeName(QDir::toNativeSeparators(absolute));
    GError *error = nullptr;
    gchar *uri = gst_filename_to_uri(local.constData(), &error);
    if (error)
        g_error_free(error);
    if (!uri)
        return QString();
    const QString result = QString::fromUtf8(uri);
    g_free(uri);
    return result;
}

GstElement *makeSilentSink() {
    GstElement *sink = gst_element_factory_make("fakesink", nullptr);
    if (sink) {
        g_object_set(sink, "sync", TRUE, nullptr);
        gst_object_ref_sink(sink);
    }
    return sink;
}

namespace {

// True when an autoaudiosink found no real device and settled on its own
// fake sink (it only warns then).
bool autoSinkIsFake(GstElement *autoSink) {
    bool fake = false;
    GstIterator *it = gst_bin_iterate_recurse(GST_BIN(autoSink));
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        auto *child = GST_ELEMENT(g_value_get_object(&item));
        GstElementFactory *factory = gst_element_get_factory(child);
        if (factory && g_str_has_prefix(GST_OBJECT_NAME(factory), "fake"))
            fake = true;
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    return fake;
}

} // namespace

GstElement *makeAudioSink(const QString &description, QString *warning) {
    ensureInitialised();
    GstElement *sink = nullptr;
    if (!description.trimmed().isEmpty()) {
        GError *error = nullptr;
        sink = gst_parse_bin_from_description(description.toUtf8().constData(), TRUE, &error);
        if (error) {
            if (warning)
                *warning = QStringLiteral("audio sink \"%1\" not usable (%2); playing silently")
                               .arg(description, QString::fromUtf8(error->message));
            g_error_free(error);
            if (sink)
                gst_object_unref(sink);
            return makeSilentSink();
        }
        gst_object_ref_sink(sink);
        // PAUSED starts every element (a file sink opens its file, an audio
        // sink its device or server connection); a failure shows at once.
        const GstStateChangeReturn r = gst_element_set_state(sink, GST_STATE_PAUSED);
        gst_element_set_state(sink, GST_STATE_NULL);
        if (r != GST_STATE_CHANGE_FAILURE)
            return sink;
        gst_object_unref(sink);
        if (warning)
            *warning = QStringLiteral("audio sink \"%1\" cannot be opened; playing silently")
                           .arg(description);
        return makeSilentSink();
    }
    sink = gst_element_factory_make("autoaudiosink", nullptr);
    if (sink) {
        gst_object_ref_sink(sink);
        // READY opens the device: this is where a missing output shows.
        const GstStateChangeReturn r = gst_element_set_state(sink, GST_STATE_READY);
        const bool fake = r == GST_STATE_CHANGE_FAILURE || autoSinkIsFake(sink);
        gst_element_set_state(sink, GST_STATE_NULL);
        if (!fake)
            return sink;
        gst_object_unref(sink);
    }
    if (warning)
        *warning = QStringLiteral("no audio output device found; playing silently");
    return makeSilentSink();
}

QByteArray silentWav(double seconds) {
    const quint32 rate = 44100;
    const quint32 dataBytes = quint32(seconds * rate) * 2;
    QByteArray out;
    auto put32 = [&out](quint32 v) {
        for (int i = 0; i < 4; ++i)
            out.append(char((v >> (8 * i)) & 0xff));
    };
    auto put16 = [&out](quint16 v) {
        out.append(char(v & 0xff));
        out.append(char(v >> 8));
    };
    out.append("RIFF");
    put32(36 + dataBytes);
    out.append("WAVEfmt ");
    put32(16);
    put16(1); // PCM
    put16(1); // mono
    put32(rate);
    put32(rate * 2);
    put16(2);
    put16(16);
    out.append("data");
    put32(dataBytes);
    out.append(QByteArray(int(dataBytes), '\0'));
    return out;
}

QStringList warmUpDecoders(const QStringList &extensions) {
    ensureInitialised();
    // Plugins a playbin loads on its first file whatever it plays:
    // typefinding, converters and sinks.
    QStringList names = {"playbin",      "uridecodebin",  "decodebin", "typefind", "filesrc",
                         "audioconvert", "audioresample", "volume",    "fakesink", "autoaudiosink",
                         "pulsesink",    "alsasink",      "id3demux",  "apedemux"};
    // The demuxers, parsers and decoders of each kind of file.
    const QStringList mp3 = {"mpegaudioparse", "mpg123audiodec"};
    const QStringList asf = {"asfdemux", "avdec_wmav1", "avdec_wmav2", "avdec_wmapro"};
    const QStringList ogg = {"oggdemux", "vorbisdec", "opusdec"};
    const QStringList mp4 = {"qtdemux", "aacparse", "avdec_aac"};
    for (const QString &ext : extensions) {
        if (ext == QLatin1String("wav"))
            names << QStringLiteral("wavparse");
        else if (ext == QLatin1String("mp3") || ext == QLatin1String("mp2"))
            names << mp3;
        else if (ext == QLatin1String("wma") || ext == QLatin1String("wmv") ||
                 ext == QLatin1String("asf"))
            names << asf;
        else if (ext == QLatin1String("ogg") || ext == QLatin1String("oga") ||
                 ext == QLatin1String("opus"))
            names << ogg;
        else if (ext == QLatin1String("flac"))
            names << QStringList{"flacparse", "flacdec"};
        else if (ext == QLatin1String("m4a") || ext == QLatin1String("aac") ||
                 ext == QLatin1String("mp4"))
            names << mp4;
    }
    names.removeDuplicates();
    QStringList missing;
    for (const QString &name : names) {
        GstElement *e = gst_element_factory_make(name.toLatin1().constData(), nullptr);
        if (!e) {
            missing << name;
            continue;
        }
        gst_object_unref(gst_object_ref_sink(e));
    }
    // The typefinders live in their own plugin, loaded on first typefind.
    if (GstPlugin *p = gst_plugin_load_by_name("typefindfunctions"))
        gst_object_unref(p);
    return missing;
}

double discoverSeconds(const QString &path, int timeoutMs) {
    const QString uri = fileUri(path);
    if (uri.isEmpty())
        return 0;
    GError *error = nullptr;
    // One discoverer per call: its synchronous mode runs its own bus loop,
    // so any thread may use it.
    GstDiscoverer *discoverer = gst_discoverer_new(GstClockTime(timeoutMs) * GST_MSECOND, &error);
    if (error)
        g_clear_error(&error);
    if (!discoverer)
        return 0;
    GstDiscovererInfo *info =
        gst_discoverer_discover_uri(discoverer, uri.toUtf8().constData(), &error);
    if (error)
        g_error_free(error);
    g_object_unref(discoverer);
    if (!info)
        return 0;
    double seconds = 0;
    const GstDiscovererResult result = gst_discoverer_info_get_result(info);
    // MISSING_PLUGINS is what a WMV gives with its video decoders ranked
    // down; its audio still plays, so a known length counts.
    if (result == GST_DISCOVERER_OK || result == GST_DISCOVERER_MISSING_PLUGINS) {
        GList *audio = gst_discoverer_info_get_audio_streams(info);
        const GstClockTime d = gst_discoverer_info_get_duration(info);
        if (audio && GST_CLOCK_TIME_IS_VALID(d))
            seconds = double(d) / double(GST_SECOND);
        gst_discoverer_stream_info_list_free(audio);
    }
    gst_discoverer_info_unref(info);
    return seconds;
}

} // namespace kolva::gst
