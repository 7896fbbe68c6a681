#pragma once
// The holiday calendar, user/holidays.txt: UTF-8, one entry a line,
//   YYYY-MM-DD 休                 no school or work that day
//   YYYY-MM-DD 班                 a working day that falls on a weekend
//   YYYY-MM-DD..YYYY-MM-DD 休     every day of the range, both ends included
// "#" starts a comment. A line that cannot be read is reported and ignored.
// The calendar keeps the file's lines as they are, so an edit made through
// the program keeps the user's comments and even the lines it cannot read.

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

namespace kolva {

enum class DayKind { Ordinary, Holiday /* 休 */, Workday /* 班 */ };

struct HolidayEntry {
    QDate first;
    QDate last; // == first for a single day
    DayKind kind = DayKind::Holiday;
    int line = 0; // index into the file's lines (0-based)
};

// A line that could not be read: its number (1-based) and why, in Chinese.
struct CalendarProblem {
    int lineNumber = 0;
    QString reason;
};

class HolidayCalendar {
public:
    // Longest range accepted on one line; a longer one is surely a typo.
    static constexpr int kMaxRangeDays = 366;

    HolidayCalendar() = default;
    static HolidayCalendar fromText(const QString &text,
                                    QVector<CalendarProblem> *problems = nullptr);

    // What the calendar says of a date; when lines contradict each other for
    // one date, the later line wins.
    DayKind kindOf(const QDate &date) const;
    // The entry that decides the date (the later line where lines overlap),
    // or null for an ordinary day.
    const HolidayEntry *entryOn(const QDate &date) const;
    // The text of the file's line at a 0-based index ("" past the end).
    QString lineText(int index) const { return m_lines.value(index); }

    // The readable entries in file order.
    const QVector<HolidayEntry> &entries() const { return m_entries; }

    // Sets one date: the entry of that single day is rewritten in place when
    // there is one (a comment at its end kept), else a line is appended.
    void setDay(const QDate &date, DayKind kind);
    // Removes the line of entries()[index].
    void removeEntry(int index);

    // The file text: the lines joined by LF, with a final LF.
    QString text() const;

    static QString kindText(DayKind kind);      // "休" / "班"
    static QString dateText(const QDate &date); // "YYYY-MM-DD"

private:
    void reread(QVector<CalendarProblem> *problems);

    QStringList m_lines;
    QVector<HolidayEntry> m_entries;
    QHash<QDate, int> m_days; // date -> index into m_entries
};

// A date written strictly as "YYYY-MM-DD" (ASCII digits); invalid otherwise.
// The calendar's lines and the command line's dates are read with it.
QDate readDateText(QStringView text);

// Message for one unreadable line, e.g. "节假日文件 …/holidays.txt
// 第3行无法读取（日期有误），已忽略".
QString calendarProblemMessage(const QString &path, const CalendarProblem &problem);

// The calendar file as the schedule sees it: looked at once per tick (one
// stat), re-read when its size, time or inode changed, whoever wrote it.
// Thread: the UI thread (the schedule tick).
class HolidayCalendarFile {
public:
    using Report = std::function<void(const QString &)>;
    // Largest calendar file read; a bigger one is reported and ignored.
    static constexpr qint64 kMaxBytes = 1024 * 1024;

    HolidayCalendarFile(QString path, Report report);

    // Re-reads the file when it changed since the last look; returns true when
    // it was read again. A missing file is an empty calendar (no message); a
    // file that cannot be read keeps the calendar read before and is
    // reported once. Each unreadable line is reported once per change.
    bool refresh();

    const HolidayCalendar &calendar() const { return m_calendar; }
    const QString &path() const { return m_path; }

private:
    QString m_path;
    Report m_report;
    HolidayCalendar m_calendar;
    QByteArray m_stamp; // size, time and inode of the file last looked at
    bool m_looked = false;
};

} // namespace kolva
