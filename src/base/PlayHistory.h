#pragma once
// The play history: one line per event of the schedule and the players,
// appended to user/history.log (UTF-8, LF):
//   YYYY-MM-DD HH:MM:SS.mmm<TAB>event<TAB>task title<TAB>detail
// The file is synced to disk at most once a second, off the UI thread, and
// kept under MaxBytes by moving it to history.log.1 (replacing an older one).
// Writing never throws and never holds playback up: a line that cannot be
// written is still the last line shown in the window, and the file is tried
// again at the next event. The first failure after a good write (open, write,
// flush or the deferred sync) is told once through writeFailed.
//
// Thread: append() on the UI thread; the fsync runs on a worker thread of
// its own on a duplicate of the file descriptor.

#include <QDate>
#include <QFile>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <QTimer>
#include <cstdint>

namespace kolva {

class Clock;

// The text with tabs and line breaks turned into spaces: one field of a
// tab-separated line (the history, `kolva --preview`).
QString singleLine(QString text);

// One line of the history taken apart (the stamp as written, with its
// milliseconds).
struct HistoryLine {
    QString stamp; // "YYYY-MM-DD HH:MM:SS.mmm"
    QString event;
    QString title;
    QString detail;
    QDate date() const;
    QString timeOfDay() const { return stamp.mid(11, 8); } // "HH:MM:SS"
    // Empty stamp when the text is no history line.
    static HistoryLine parse(const QString &line);
};

class PlayHistory : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 MaxBytes = 1024 * 1024;
    static constexpr int SyncIntervalMs = 1000;

    // Events, as they stand in the file.
    static const QString Started;        // 开始
    static const QString PlayedOut;      // 播完
    static const QString LimitReached;   // 到时停止
    static const QString RegionCut;      // 区间到时
    static const QString StoppedByUser;  // 手动停止
    static const QString Missed;         // 错过
    static const QString CaughtUp;       // 补播 (a start made late, before its 开始)
    static const QString FileSkipped;    // 跳过文件
    static const QString PowerOff;       // 关机
    static const QString Error;          // 错误 (the task list could not be read)
    static const QString OutputFallback; // 改用默认输出 (the task's device is missing)
    static const QString OutputWaiting;  // 等待输出设备 (missing, no fallback: silent)
    static const QString OutputBack;     // 回到输出设备 (the device is back)

    PlayHistory(Clock &clock, const QString &filePath, QObject *parent = nullptr);
    ~PlayHistory() override;

    // Appends one line stamped with the clock's present date and time. Tabs
    // and line breaks inside the texts become spaces: one event, one line.
    void append(const QString &event, const QString &title, const QString &detail = QString());

    QString lastLine() const { return m_lastLine; }
    QString filePath() const { return m_path; }
    // Whether the last line reached the file (false after a write failure).
    bool lastWriteOk() const { return m_lastWriteOk; }
    // Waits for a sync in flight and syncs what is written (tests, exit).
    void flush();

    // The lines of one day, oldest first, from the older generation
    // (path + ".1") and the file itself; missing files give nothing. Reads
    // the disk: never on the UI thread.
    static QStringList readDay(const QString &path, const QDate &date);

signals:
    void lineAppended(const QString &line);
    // "无法写入播放记录：<path>，<reason>", once until a write succeeds again.
    void writeFailed(const QString &message);

private:
    bool ensureOpen();
    void rotateIfNeeded(qint64 lineBytes);
    void syncNow();
    void noteResult(bool ok, const QString &reason);

    Clock &m_clock;
    QString m_path;
    QFile m_file;
    QString m_lastLine;
    bool m_lastWriteOk = true;
    bool m_failureTold = false; // writeFailed was emitted since the last good write
    bool m_syncFailed = false;  // the last sync failed (a good line alone does not undo it)
    bool m_dirty = false;       // written since the last sync
    int64_t m_lastSyncTick = 0;
    QTimer m_syncTimer;     // the deferred sync of a burst of lines
    QThreadPool m_syncPool; // one thread: syncs never overlap
};

} // namespace kolva
