#include "platform/MediaInfoCache.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QMutex>
#include <QThreadPool>
#include <QTimer>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "platform/GstSupport.h"

namespace kolva {

namespace {

qint64 monotonicMs() {
    static QElapsedTimer started = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return started.elapsed() + 1; // never 0: 0 means "never checked"
}

// Worker thread. Size and time of a regular, readable file; size -1 for
// anything else. stat never opens the file, so a FIFO that no one writes
// to cannot hold the worker.
MediaInfoCache::Entry statFile(const QString &path) {
    MediaInfoCache::Entry e;
    struct stat st {};
    const QByteArray native = QFile::encodeName(path);
    if (::stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode) ||
        ::access(native.constData(), R_OK) != 0)
        return e;
    e.size = qint64(st.st_size);
    e.mtimeMs = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    return e;
}

} // namespace

// Where workers hand their answers in; outlives the cache while a worker
// still runs (a worker stuck on a hung disk at exit is left behind).
struct MediaInfoCache::Inbox {
    QMutex mutex;
    MediaInfoCache *owner = nullptr;
};

MediaInfoCache::MediaInfoCache(int timeoutMs, int recheckMs, QObject *parent)
    : MediaLengths(parent), m_timeoutMs(timeoutMs), m_recheckMs(recheckMs), m_pool(new QThreadPool),
      m_inbox(std::make_shared<Inbox>()) {
    gst::ensureInitialised();
    m_inbox->owner = this;
    // Two workers: one stuck path does not stop the others' answers, and the
    // player keeps the other core.
    m_pool->setMaxThreadCount(2);
    m_pool->setExpiryTimeout(10000);
}

MediaInfoCache::~MediaInfoCache() {
    {
        QMutexLocker lock(&m_inbox->mutex);
        m_inbox->owner = nullptr;
    }
    m_pool->clear(); // jobs not yet started are dropped
    // A worker hung on a dead disk must not hold the program's exit: wait a
    // little, then leave the pool (and its threads) behind.
    if (m_pool->waitForDone(m_timeoutMs + 1000))
        delete m_pool;
}

std::optional<double> MediaInfoCache::lookup(const QString &path) {
    if (path.isEmpty())
        return 0.0;
    const auto it = m_entries.constFind(path);
    const bool known = it != m_entries.constEnd() && it->checkedMs != 0;
    if (known && monotonicMs() - it->checkedMs < m_recheckMs)
        return it->duration;
    if (!m_pending.contains(path)) {
        m_pending.insert(path);
        // Started once the caller's work is done: a view asking for 500
        // songs draws them without the workers taking the cores meanwhile.
        if (m_queue.isEmpty())
            QTimer::singleShot(0, this, &MediaInfoCache::startQueued);
        m_queue.append({path, known ? *it : Entry{}, known});
    }
    if (known)
        return it->duration; // the recheck corrects it later if the file changed
    return std::nullopt;
}

void MediaInfoCache::startQueued() {
    const QList<Queued> queue = std::exchange(m_queue, {});
    const int timeoutMs = m_timeoutMs;
    for (const Queued &q : queue) {
        m_pool->start(
            [path = q.path, before = q.before, known = q.known, timeoutMs, inbox = m_inbox] {
                Entry now = statFile(path);
                bool discovered = false;
                if (known && now.size == before.size && now.mtimeMs == before.mtimeMs) {
                    now.duration = before.duration;
                } else if (now.size > 0) {
                    now.duration = gst::discoverSeconds(path, timeoutMs);
                    discovered = true;
                }
                QMutexLocker lock(&inbox->mutex);
                if (MediaInfoCache *owner = inbox->owner)
                    QMetaObject::invokeMethod(
                        owner,
                        [owner, path, now, discovered] { owner->answered(path, now, discovered); },
                        Qt::QueuedConnection);
            });
    }
}

// UI thread (queued from a worker).
void MediaInfoCache::answered(const QString &path, const Entry &entry, bool discovered) {
    m_pending.remove(path);
    const auto it = m_entries.constFind(path);
    const bool hadAnswer = it != m_entries.constEnd() && it->checkedMs != 0;
    const double before = hadAnswer ? it->duration : -1;
    if (discovered)
        ++m_discoveries;
    Entry stored = entry;
    stored.checkedMs = monotonicMs();
    m_entries.insert(path, stored);
    if (!hadAnswer || before != entry.duration)
        emit lengthKnown(path, entry.duration);
}

bool MediaInfoCache::isCached(const QString &path) const {
    const auto it = m_entries.constFind(path);
    if (it == m_entries.constEnd() || it->size < 0)
        return false;
    const QFileInfo info(path);
    return info.exists() && info.size() == it->size &&
           info.lastModified().toMSecsSinceEpoch() == it->mtimeMs;
}

} // namespace kolva
