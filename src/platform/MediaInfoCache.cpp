#include "platform/MediaInfoCache.h"

#include <QFileInfo>
#include <gst/pbutils/pbutils.h>

#include "platform/GstSupport.h"

namespace kolva {

MediaInfoCache::MediaInfoCache(int timeoutMs) : m_timeoutMs(timeoutMs) {
    gst::ensureInitialised();
}

MediaInfoCache::~MediaInfoCache() {
    if (m_discoverer)
        g_object_unref(m_discoverer);
}

bool MediaInfoCache::isCached(const QString &path) const {
    const auto it = m_entries.constFind(path);
    if (it == m_entries.constEnd())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.size() == it->size &&
           info.lastModified().toMSecsSinceEpoch() == it->mtimeMs;
}

double MediaInfoCache::duration(const QString &path) {
    if (path.isEmpty())
        return 0;
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        return 0; // not remembered: the file may appear later
    const qint64 size = info.size();
    const qint64 mtime = info.lastModified().toMSecsSinceEpoch();
    const auto it = m_entries.constFind(path);
    if (it != m_entries.constEnd() && it->size == size && it->mtimeMs == mtime)
        return it->duration;
    const double seconds = size > 0 ? discover(path) : 0;
    m_entries.insert(path, Entry{size, mtime, seconds});
    return seconds;
}

double MediaInfoCache::discover(const QString &path) {
    ++m_discoveries;
    if (!m_discoverer) {
        GError *error = nullptr;
        m_discoverer = gst_discoverer_new(GstClockTime(m_timeoutMs) * GST_MSECOND, &error);
        if (error)
            g_error_free(error);
        if (!m_discoverer)
            return 0;
    }
    const QString uri = gst::fileUri(path);
    if (uri.isEmpty())
        return 0;
    GError *error = nullptr;
    GstDiscovererInfo *info =
        gst_discoverer_discover_uri(m_discoverer, uri.toUtf8().constData(), &error);
    if (error)
        g_error_free(error);
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

} // namespace kolva
