#pragma once
// Lengths of media files, found with the GStreamer discoverer and remembered
// by path, size and modification time. One object serves both players (the
// application builds it once and passes it to each); UI thread only.

#include <QDateTime>
#include <QHash>
#include <QString>

typedef struct _GstDiscoverer GstDiscoverer;

namespace kolva {

class MediaInfoCache {
public:
    // timeoutMs bounds one discovery (a file that never prerolls counts as
    // unplayable).
    explicit MediaInfoCache(int timeoutMs = 5000);
    ~MediaInfoCache();
    MediaInfoCache(const MediaInfoCache &) = delete;
    MediaInfoCache &operator=(const MediaInfoCache &) = delete;

    // Seconds; 0 when the file is missing, unreadable or has no playable
    // audio. A known file whose size and time have not changed is answered
    // from memory.
    double duration(const QString &path);

    // True when the answer for this path is already known (for the bench).
    bool isCached(const QString &path) const;

    int discoveries() const { return m_discoveries; }
    void clear() { m_entries.clear(); }

private:
    struct Entry {
        qint64 size = -1;
        qint64 mtimeMs = 0;
        double duration = 0;
    };
    double discover(const QString &path);

    int m_timeoutMs;
    GstDiscoverer *m_discoverer = nullptr;
    QHash<QString, Entry> m_entries;
    int m_discoveries = 0;
};

} // namespace kolva
