#pragma once
// Lengths of media files, found with the GStreamer discoverer and remembered
// by path, size and modification time. One object serves the whole program
// (the application builds it once and passes it down).
//
// `lookup` (MediaLengths) never touches the disk on the calling thread:
// stat and discovery run on a small pool of worker threads, their answers
// come back to the UI thread as queued calls and are emitted there as
// `lengthKnown`. A path on a slow or hung disk stalls one worker, never the
// window; a FIFO or device is answered 0 without being opened. The views
// and the players (planning the next entry) ask it alike; nothing asks
// synchronously. The cache itself is only touched on the UI thread.

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <memory>

#include "playback/MediaLengths.h"

class QThreadPool;

namespace kolva {

class MediaInfoCache : public MediaLengths {
    Q_OBJECT
public:
    // timeoutMs bounds one discovery (a file that never prerolls counts as
    // unplayable). recheckMs: how old a remembered answer may be before
    // `lookup` has a worker check the file's size and time again (the old
    // answer is still given at once; a changed one follows by lengthKnown).
    explicit MediaInfoCache(int timeoutMs = 5000, int recheckMs = 5000, QObject *parent = nullptr);
    ~MediaInfoCache() override;
    MediaInfoCache(const MediaInfoCache &) = delete;
    MediaInfoCache &operator=(const MediaInfoCache &) = delete;

    std::optional<double> lookup(const QString &path) override;

    // True when the answer for this path is already known (for the bench).
    bool isCached(const QString &path) const;

    // Discoveries done (UI thread).
    int discoveries() const { return m_discoveries; }
    // Lookups waiting for their answer.
    int pending() const { return int(m_pending.size()); }
    void clear() { m_entries.clear(); }

    struct Entry {
        qint64 size = -1; // -1: missing or not a regular readable file
        qint64 mtimeMs = 0;
        double duration = 0;
        qint64 checkedMs = 0; // monotonic ms of the last check
    };

private:
    struct Inbox;
    struct Queued {
        QString path;
        Entry before;
        bool known = false;
    };
    void startQueued();
    void answered(const QString &path, const Entry &entry, bool discovered);

    int m_timeoutMs;
    int m_recheckMs;
    QHash<QString, Entry> m_entries;
    QSet<QString> m_pending;
    QList<Queued> m_queue; // asked, not yet handed to a worker
    int m_discoveries = 0;
    QThreadPool *m_pool;
    std::shared_ptr<Inbox> m_inbox;
};

} // namespace kolva
