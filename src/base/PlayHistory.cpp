#include "base/PlayHistory.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "base/Clock.h"

namespace kolva {

const QString PlayHistory::Started = QStringLiteral("开始");
const QString PlayHistory::PlayedOut = QStringLiteral("播完");
const QString PlayHistory::LimitReached = QStringLiteral("到时停止");
const QString PlayHistory::RegionCut = QStringLiteral("区间到时");
const QString PlayHistory::StoppedByUser = QStringLiteral("手动停止");
const QString PlayHistory::Missed = QStringLiteral("错过");
const QString PlayHistory::CaughtUp = QStringLiteral("补播");
const QString PlayHistory::FileSkipped = QStringLiteral("跳过文件");
const QString PlayHistory::PowerOff = QStringLiteral("关机");
const QString PlayHistory::Error = QStringLiteral("错误");
const QString PlayHistory::OutputFallback = QStringLiteral("改用默认输出");
const QString PlayHistory::OutputWaiting = QStringLiteral("等待输出设备");
const QString PlayHistory::OutputBack = QStringLiteral("回到输出设备");

QString singleLine(QString text) {
    for (QChar &c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    }
    return text;
}

PlayHistory::PlayHistory(Clock &clock, const QString &filePath, QObject *parent)
    : QObject(parent), m_clock(clock), m_path(filePath) {
    m_syncPool.setMaxThreadCount(1);
    m_syncTimer.setSingleShot(true);
    connect(&m_syncTimer, &QTimer::timeout, this, &PlayHistory::syncNow);
}

PlayHistory::~PlayHistory() {
    flush();
}

bool PlayHistory::ensureOpen() {
    if (m_file.isOpen())
        return true;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    m_file.setFileName(m_path);
    return m_file.open(QIODevice::WriteOnly | QIODevice::Append);
}

void PlayHistory::rotateIfNeeded(qint64 lineBytes) {
    if (m_file.size() + lineBytes < MaxBytes)
        return;
    // The full file becomes the one older generation; what was written of it
    // is synced first so the rename never leaves an unsynced old file.
    syncNow();
    m_syncPool.waitForDone();
    m_file.close();
    const QString older = m_path + QStringLiteral(".1");
    QFile::remove(older);
    QFile::rename(m_path, older);
    ensureOpen();
}

void PlayHistory::append(const QString &event, const QString &title, const QString &detail) {
    const QString stamp = m_clock.localNow().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    m_lastLine = stamp + QLatin1Char('\t') + singleLine(event) + QLatin1Char('\t') +
                 singleLine(title) + QLatin1Char('\t') + singleLine(detail);
    const QByteArray bytes = m_lastLine.toUtf8() + '\n';
    bool ok = ensureOpen();
    QString reason;
    if (!ok) {
        reason = QStringLiteral("无法打开（%1）").arg(m_file.errorString());
    } else {
        rotateIfNeeded(bytes.size());
        ok = m_file.isOpen() && m_file.write(bytes) == bytes.size() && m_file.flush();
        if (!ok) {
            reason = QStringLiteral("写入失败（%1）").arg(m_file.errorString());
            m_file.close(); // opened again at the next event
        }
    }
    noteResult(ok, reason);
    if (ok) {
        m_dirty = true;
        const int64_t sinceSync = m_clock.tickMs() - m_lastSyncTick;
        if (sinceSync >= SyncIntervalMs)
            syncNow();
        else if (!m_syncTimer.isActive())
            m_syncTimer.start(int(SyncIntervalMs - sinceSync));
    }
    emit lineAppended(m_lastLine);
}

void PlayHistory::syncNow() {
    m_syncTimer.stop();
    if (!m_dirty || !m_file.isOpen())
        return;
    m_dirty = false;
    m_lastSyncTick = m_clock.tickMs();
    // The worker syncs a duplicate, so a close or rotation meanwhile cannot
    // pull the descriptor from under it.
    const int fd = ::dup(m_file.handle());
    if (fd < 0)
        return;
    m_syncPool.start([this, fd] {
        // A disk that fills up only when the cache is flushed says so here.
        // The result is told on the UI thread; the destructor waits for this
        // worker, so `this` outlives the call being posted.
        const bool synced = ::fsync(fd) == 0;
        const QString reason = synced ? QString()
                                      : QStringLiteral("写入失败（%1）")
                                            .arg(QString::fromLocal8Bit(std::strerror(errno)));
        ::close(fd);
        QMetaObject::invokeMethod(
            this,
            [this, synced, reason] {
                m_syncFailed = !synced;
                noteResult(synced, reason);
            },
            Qt::QueuedConnection);
    });
}

void PlayHistory::noteResult(bool ok, const QString &reason) {
    m_lastWriteOk = ok && !m_syncFailed;
    if (m_lastWriteOk) {
        m_failureTold = false;
        return;
    }
    if (ok)
        return; // a line reached the cache, but the last sync failed: told already
    if (m_failureTold)
        return;
    m_failureTold = true;
    emit writeFailed(
        QStringLiteral("无法写入播放记录：%1，%2").arg(QDir::toNativeSeparators(m_path), reason));
}

QDate HistoryLine::date() const {
    return QDate::fromString(stamp.left(10), QStringLiteral("yyyy-MM-dd"));
}

HistoryLine HistoryLine::parse(const QString &line) {
    const QStringList fields = line.split(QLatin1Char('\t'));
    HistoryLine parsed;
    if (fields.size() < 3 || fields[0].size() < 19)
        return parsed;
    parsed.stamp = fields[0];
    parsed.event = fields[1];
    parsed.title = fields[2];
    parsed.detail = fields.mid(3).join(QLatin1Char(' '));
    return parsed;
}

QStringList PlayHistory::readDay(const QString &path, const QDate &date) {
    // Lines start with their date, and both files are at most MaxBytes.
    const QByteArray prefix = date.toString(QStringLiteral("yyyy-MM-dd ")).toLatin1();
    QStringList lines;
    for (const QString &file : {path + QStringLiteral(".1"), path}) {
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = in.read(2 * MaxBytes);
        // Lines are looked at in place; only those of the day are decoded.
        for (qsizetype from = 0; from < bytes.size();) {
            qsizetype end = bytes.indexOf('\n', from);
            if (end < 0)
                end = bytes.size();
            const QByteArrayView line(bytes.constData() + from, end - from);
            if (line.startsWith(prefix))
                lines << QString::fromUtf8(line);
            from = end + 1;
        }
    }
    return lines;
}

void PlayHistory::flush() {
    syncNow();
    m_syncPool.waitForDone();
}

} // namespace kolva
