#include "app/DaySchedule.h"

#include <QThreadPool>

#include "base/WorkerInbox.h"
#include "model/HolidayCalendar.h"
#include "playback/MediaFiles.h"
#include "playback/MediaLengths.h"

namespace kolva {

DaySchedule::DaySchedule(Sources sources, MediaLengths *lengths, QObject *parent)
    : QObject(parent), m_sources(std::move(sources)), m_lengths(lengths), m_pool(new QThreadPool),
      m_inbox(WorkerInbox::make(this)) {
    m_date = today();
    // Two workers: a history read does not wait behind a file on a hung share.
    m_pool->setMaxThreadCount(2);
    m_replan.setSingleShot(true);
    m_replan.setInterval(ReplanDelayMs);
    connect(&m_replan, &QTimer::timeout, this, &DaySchedule::replan);
    if (m_lengths)
        connect(m_lengths, &MediaLengths::lengthKnown, this, &DaySchedule::lengthKnown);
    refresh();
    readHistory();
}

DaySchedule::~DaySchedule() {
    // A worker stuck on a hung share is left behind; its answer is dropped.
    m_inbox->close();
    m_pool->clear();
    if (m_pool->waitForDone(100))
        delete m_pool;
}

void DaySchedule::setDate(const QDate &date) {
    if (!date.isValid() || date == m_date)
        return;
    m_date = date;
    lookAtFiles();
    replan();
    readHistory();
}

void DaySchedule::refresh() {
    lookAtFiles();
    replan();
}

void DaySchedule::replan() {
    m_replan.stop();
    m_rows = planDay(m_sources.tasks(), m_date, m_sources.calendar(), m_facts);
    emit planChanged();
    if (allFilesKnown())
        QMetaObject::invokeMethod(this, &DaySchedule::filesKnown, Qt::QueuedConnection);
}

void DaySchedule::lookAtFiles() {
    QStringList fresh;
    for (const QString &path : songFilesOf(m_sources.tasks(), m_date, m_sources.calendar())) {
        if (m_asked.contains(path))
            continue;
        m_asked.insert(path);
        fresh << path;
        m_problemsDue.insert(path);
        const std::optional<double> length = m_lengths ? m_lengths->lookup(path) : std::nullopt;
        if (length)
            m_facts[path].seconds = length;
        else if (m_lengths)
            m_lengthsDue.insert(path);
    }
    if (fresh.isEmpty())
        return;
    // A lookup may wait for a hung network share: never on the UI thread.
    m_pool->start([fresh, inbox = m_inbox, self = this] {
        QHash<QString, QString> problems;
        for (const QString &path : fresh)
            problems.insert(path, mediaFileProblem(path));
        inbox->post([self, problems] { self->fileProblems(problems); });
    });
}

void DaySchedule::fileProblems(const QHash<QString, QString> &problems) {
    for (auto it = problems.constBegin(); it != problems.constEnd(); ++it) {
        m_facts[it.key()].problem = it.value();
        m_problemsDue.remove(it.key());
        if (!it.value().isEmpty())
            m_lengthsDue.remove(it.key()); // a file that is not there has no length to wait for
    }
    m_replan.start();
}

void DaySchedule::lengthKnown(const QString &path, double seconds) {
    if (!m_asked.contains(path))
        return;
    m_facts[path].seconds = seconds;
    m_lengthsDue.remove(path);
    m_replan.start();
}

void DaySchedule::readHistory() {
    m_history.clear();
    m_appendedWhileLoading.clear();
    const int read = ++m_historyRead;
    if (!hasHistory() || m_sources.historyFile.isEmpty()) {
        m_historyLoading = false;
        emit historyChanged();
        return;
    }
    m_historyLoading = true;
    emit historyChanged();
    m_pool->start(
        [path = m_sources.historyFile, date = m_date, read, inbox = m_inbox, self = this] {
            const QStringList lines = PlayHistory::readDay(path, date);
            inbox->post([self, lines, read] {
                if (read != self->m_historyRead)
                    return; // another day was chosen meanwhile
                // A line appended during the read may or may not be in the file
                // the worker saw: it is added unless it is there already.
                QStringList all = lines;
                for (const QString &line : std::as_const(self->m_appendedWhileLoading)) {
                    if (!all.mid(std::max<qsizetype>(0, all.size() - 64)).contains(line))
                        all << line;
                }
                self->m_appendedWhileLoading.clear();
                for (const QString &line : std::as_const(all)) {
                    const HistoryLine parsed = HistoryLine::parse(line);
                    if (!parsed.stamp.isEmpty())
                        self->m_history << parsed;
                }
                self->m_historyLoading = false;
                emit self->historyChanged();
            });
        });
}

void DaySchedule::historyAppended(const QString &line) {
    const HistoryLine parsed = HistoryLine::parse(line);
    if (parsed.stamp.isEmpty() || parsed.date() != m_date)
        return;
    if (m_historyLoading) {
        m_appendedWhileLoading << line;
        return;
    }
    m_history << parsed;
    emit historyChanged();
}

} // namespace kolva
