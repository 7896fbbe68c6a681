#pragma once
// The state of the day view: the chosen date, its plan (app/DayPlan) and,
// for today and the days before, its lines of the play history. What the
// plan needs of the song files (missing ones, lengths) and the history are
// found off the UI thread: the files are looked at on a worker, the lengths
// come from the shared media-length cache, the history is read on a worker;
// the plan is built again when an answer comes, when the list or the
// calendar changes, and a line appended to the history while the view is
// open is added at once. `kolva --preview` uses the same object and waits
// for `filesKnown`.
//
// Thread: UI thread; workers hand their answers back to it.

#include <QDate>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <QVector>
#include <functional>
#include <memory>

#include "app/DayPlan.h"
#include "base/PlayHistory.h"

class QThreadPool;

namespace kolva {

class HolidayCalendar;
class MediaLengths;
class WorkerInbox;

class DaySchedule : public QObject {
    Q_OBJECT
public:
    // Where the view reads what the schedule uses (the same list and
    // calendar objects), and the day that counts as today.
    struct Sources {
        std::function<const TaskList &()> tasks;
        std::function<const HolidayCalendar &()> calendar;
        std::function<QDate()> today;
        QString historyFile; // "" : no history is read
    };
    // How long answers are gathered before the plan is built again.
    static constexpr int ReplanDelayMs = 40;

    // `lengths` may be null (every length then stays unknown).
    DaySchedule(Sources sources, MediaLengths *lengths, QObject *parent = nullptr);
    ~DaySchedule() override;

    QDate date() const { return m_date; }
    QDate today() const { return m_sources.today(); }
    void setDate(const QDate &date);
    void stepDays(int days) { setDate(m_date.addDays(days)); }

    const QVector<DayRow> &rows() const { return m_rows; }
    // Today and the days before have a history; a later day has none.
    bool hasHistory() const { return m_date <= today(); }
    bool historyLoading() const { return m_historyLoading; }
    const QVector<HistoryLine> &history() const { return m_history; }
    // Every song file of the day's tasks was looked at and its length is known.
    bool allFilesKnown() const { return m_problemsDue.isEmpty() && m_lengthsDue.isEmpty(); }

    // The list or the calendar changed: the plan is built again (new song
    // files are looked at).
    void refresh();
    // A line the history has just appended.
    void historyAppended(const QString &line);

signals:
    void planChanged();
    void historyChanged();
    // The last answer about the files has come and the plan holds it
    // (queued after a refresh that had nothing to wait for).
    void filesKnown();

private:
    void replan();
    void lookAtFiles();
    void readHistory();
    void lengthKnown(const QString &path, double seconds);
    void fileProblems(const QHash<QString, QString> &problems);

    Sources m_sources;
    MediaLengths *m_lengths;
    QDate m_date;
    QVector<DayRow> m_rows;
    SongFacts m_facts;
    QSet<QString> m_asked;       // files handed to the worker and the length cache
    QSet<QString> m_problemsDue; // the worker's answer is still to come
    QSet<QString> m_lengthsDue;  // the length cache's answer is still to come
    QVector<HistoryLine> m_history;
    bool m_historyLoading = false;
    int m_historyRead = 0;              // number of the read whose answer counts
    QStringList m_appendedWhileLoading; // lines appended while a read runs
    QTimer m_replan;
    QThreadPool *m_pool; // file checks and history reads; left behind when a worker hangs
    std::shared_ptr<WorkerInbox> m_inbox;
};

} // namespace kolva
