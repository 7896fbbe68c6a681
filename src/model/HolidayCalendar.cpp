#include "model/HolidayCalendar.h"

#include <QFile>
#include <QRegularExpression>

#include <sys/stat.h>

namespace kolva {

QDate readDateText(QStringView text) {
    if (text.size() != 10 || text[4] != u'-' || text[7] != u'-')
        return {};
    int parts[3] = {0, 0, 0};
    int part = 0;
    for (int i = 0; i < 10; ++i) {
        if (i == 4 || i == 7) {
            ++part;
            continue;
        }
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return {};
        parts[part] = parts[part] * 10 + (c - u'0');
    }
    const QDate date(parts[0], parts[1], parts[2]);
    return date.isValid() ? date : QDate();
}

namespace {

// Reads one line; returns false with the reason when it holds an entry that
// cannot be read, true with *isEntry false for a blank or comment line.
bool readLine(QString line, HolidayEntry &entry, bool *isEntry, QString *reason) {
    *isEntry = false;
    const qsizetype hash = line.indexOf(u'#');
    if (hash >= 0)
        line.truncate(hash);
    line = line.trimmed();
    if (line.isEmpty())
        return true;
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QStringList words = line.split(blanks, Qt::SkipEmptyParts);
    if (words.size() != 2) {
        *reason = QStringLiteral("应为“日期 休”或“日期 班”");
        return false;
    }
    if (words[1] == QStringLiteral("休"))
        entry.kind = DayKind::Holiday;
    else if (words[1] == QStringLiteral("班"))
        entry.kind = DayKind::Workday;
    else {
        *reason = QStringLiteral("“%1”不是 休 或 班").arg(words[1]);
        return false;
    }
    const QString &dates = words[0];
    const qsizetype dots = dates.indexOf(QStringLiteral(".."));
    entry.first = readDateText(dots < 0 ? QStringView(dates) : QStringView(dates).left(dots));
    entry.last = dots < 0 ? entry.first : readDateText(QStringView(dates).mid(dots + 2));
    if (!entry.first.isValid() || !entry.last.isValid()) {
        *reason = QStringLiteral("日期有误，应为 YYYY-MM-DD");
        return false;
    }
    if (entry.last < entry.first) {
        *reason = QStringLiteral("范围的结束日期早于开始日期");
        return false;
    }
    if (entry.first.daysTo(entry.last) >= HolidayCalendar::kMaxRangeDays) {
        *reason = QStringLiteral("范围超过一年");
        return false;
    }
    *isEntry = true;
    return true;
}

} // namespace

HolidayCalendar HolidayCalendar::fromText(const QString &text, QVector<CalendarProblem> *problems) {
    HolidayCalendar calendar;
    QString body = text;
    if (body.startsWith(QChar(0xFEFF)))
        body.remove(0, 1);
    calendar.m_lines = body.split(QChar(u'\n'));
    if (!calendar.m_lines.isEmpty() && calendar.m_lines.last().isEmpty())
        calendar.m_lines.removeLast(); // the final line break
    for (QString &line : calendar.m_lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    calendar.reread(problems);
    return calendar;
}

void HolidayCalendar::reread(QVector<CalendarProblem> *problems) {
    m_entries.clear();
    m_days.clear();
    for (int i = 0; i < m_lines.size(); ++i) {
        HolidayEntry entry;
        bool isEntry = false;
        QString reason;
        if (!readLine(m_lines[i], entry, &isEntry, &reason)) {
            if (problems)
                problems->append({i + 1, reason});
            continue;
        }
        if (!isEntry)
            continue;
        entry.line = i;
        m_entries.append(entry);
        for (QDate d = entry.first; d <= entry.last; d = d.addDays(1))
            m_days.insert(d, int(m_entries.size() - 1));
    }
}

DayKind HolidayCalendar::kindOf(const QDate &date) const {
    const HolidayEntry *entry = entryOn(date);
    return entry ? entry->kind : DayKind::Ordinary;
}

const HolidayEntry *HolidayCalendar::entryOn(const QDate &date) const {
    const auto found = m_days.constFind(date);
    return found == m_days.constEnd() ? nullptr : &m_entries[*found];
}

void HolidayCalendar::setDay(const QDate &date, DayKind kind) {
    const QString line = dateText(date) + u' ' + kindText(kind);
    for (const HolidayEntry &e : std::as_const(m_entries)) {
        if (e.first == date && e.last == date) {
            // A comment at the end of the line stays with it.
            const qsizetype hash = m_lines[e.line].indexOf(u'#');
            m_lines[e.line] = hash < 0 ? line : line + u' ' + m_lines[e.line].mid(hash);
            reread(nullptr);
            return;
        }
    }
    m_lines.append(line);
    reread(nullptr);
}

void HolidayCalendar::removeEntry(int index) {
    if (index < 0 || index >= m_entries.size())
        return;
    m_lines.removeAt(m_entries[index].line);
    reread(nullptr);
}

QString HolidayCalendar::text() const {
    QString out;
    for (const QString &line : m_lines) {
        out += line;
        out += u'\n';
    }
    return out;
}

QString HolidayCalendar::kindText(DayKind kind) {
    return kind == DayKind::Workday ? QStringLiteral("班") : QStringLiteral("休");
}

QString HolidayCalendar::dateText(const QDate &date) {
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString calendarProblemMessage(const QString &path, const CalendarProblem &problem) {
    return QStringLiteral("节假日文件 %1 第%2行无法读取（%3），已忽略")
        .arg(path)
        .arg(problem.lineNumber)
        .arg(problem.reason);
}

HolidayCalendarFile::HolidayCalendarFile(QString path, Report report)
    : m_path(std::move(path)), m_report(std::move(report)) {}

bool HolidayCalendarFile::refresh() {
    struct stat st {};
    QByteArray stamp;
    if (::stat(QFile::encodeName(m_path).constData(), &st) == 0) {
        stamp = QByteArray::number(qint64(st.st_size)) + ' ' +
                QByteArray::number(qint64(st.st_mtim.tv_sec)) + '.' +
                QByteArray::number(qint64(st.st_mtim.tv_nsec)) + ' ' +
                QByteArray::number(qint64(st.st_ctim.tv_nsec)) + ' ' +
                QByteArray::number(qulonglong(st.st_ino));
    }
    if (m_looked && stamp == m_stamp)
        return false;
    m_looked = true;
    m_stamp = stamp;
    if (stamp.isEmpty()) { // no file: no holidays
        m_calendar = HolidayCalendar();
        return true;
    }
    const auto fail = [&](const QString &why) {
        if (m_report)
            m_report(QStringLiteral("节假日文件 %1 无法读取：%2").arg(m_path, why));
        return false;
    };
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    if (file.size() > kMaxBytes)
        return fail(QStringLiteral("文件太大"));
    const QByteArray bytes = file.read(kMaxBytes + 1);
    if (bytes.size() > kMaxBytes)
        return fail(QStringLiteral("文件太大"));
    QVector<CalendarProblem> problems;
    m_calendar = HolidayCalendar::fromText(QString::fromUtf8(bytes), &problems);
    if (m_report) {
        for (const CalendarProblem &p : problems)
            m_report(calendarProblemMessage(m_path, p));
    }
    return true;
}

} // namespace kolva
