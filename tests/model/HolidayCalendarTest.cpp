#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

#include "model/HolidayCalendar.h"

using namespace kolva;

namespace {

void writeText(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace

TEST(HolidayCalendar, ReadsEntriesRangesAndCommentsAndReportsBadLines) {
    const QString text = QStringLiteral("\uFEFF# 示例\r\n"
                                        "2030-01-01 休   # 元旦\r\n"
                                        "\r\n"
                                        "2030-02-02..2030-02-04\t休\n"
                                        "2030-02-09 班\n"
                                        "2030-13-01 休\n"             // 6: no such month
                                        "2030-03-01 放假\n"           // 7: neither 休 nor 班
                                        "2030-03-05..2030-03-01 休\n" // 8: ends before it starts
                                        "2030-1-1 休\n"               // 9: not YYYY-MM-DD
                                        "2030-03-10\n"                // 10: no kind
                                        "2030-01-01..2031-06-01 休\n" // 11: longer than a year
                                        "2030-02-09 休\n");           // a later line wins
    QVector<CalendarProblem> problems;
    const HolidayCalendar cal = HolidayCalendar::fromText(text, &problems);

    const struct {
        QDate date;
        DayKind kind;
    } days[] = {
        {{2030, 1, 1}, DayKind::Holiday},  {{2030, 1, 2}, DayKind::Ordinary},
        {{2030, 2, 1}, DayKind::Ordinary}, {{2030, 2, 2}, DayKind::Holiday},
        {{2030, 2, 4}, DayKind::Holiday},  {{2030, 2, 5}, DayKind::Ordinary},
        {{2030, 2, 9}, DayKind::Holiday},  {{2030, 3, 1}, DayKind::Ordinary},
    };
    for (const auto &d : days)
        EXPECT_EQ(cal.kindOf(d.date), d.kind) << d.date.toString().toStdString();

    QVector<int> lines;
    for (const CalendarProblem &p : problems) {
        lines << p.lineNumber;
        EXPECT_FALSE(p.reason.isEmpty());
    }
    EXPECT_EQ(lines, (QVector<int>{6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(cal.entries().size(), 4);
    EXPECT_TRUE(calendarProblemMessage("/u/holidays.txt", problems[0]).contains(u"第6行"));

    // Edits keep every other line (comments and unreadable lines too).
    HolidayCalendar edited = cal;
    edited.setDay(QDate(2030, 1, 1), DayKind::Workday); // rewritten in place, comment kept
    edited.setDay(QDate(2030, 5, 1), DayKind::Holiday); // appended
    edited.removeEntry(1);                              // the range
    const QString out = edited.text();
    EXPECT_TRUE(out.startsWith(u"# 示例\n2030-01-01 班 # 元旦\n\n2030-02-09 班\n2030-13-01 休\n"));
    EXPECT_TRUE(out.endsWith(u"2030-02-09 休\n2030-05-01 休\n"));
    EXPECT_EQ(edited.kindOf(QDate(2030, 2, 3)), DayKind::Ordinary);
    EXPECT_EQ(HolidayCalendar::fromText(out).entries().size(), edited.entries().size());
}

TEST(HolidayCalendar, FileIsReadAgainWhenItChangesAndBadLinesReportedOnce) {
    QTemporaryDir dir;
    const QString path = dir.filePath("holidays.txt");
    QStringList reports;
    HolidayCalendarFile file(path, [&](const QString &m) { reports << m; });

    EXPECT_TRUE(file.refresh()); // missing: empty, silent
    EXPECT_TRUE(file.calendar().entries().isEmpty());
    EXPECT_FALSE(file.refresh());

    writeText(path, "2030-10-01 休\nxx\n");
    EXPECT_TRUE(file.refresh());
    EXPECT_EQ(file.calendar().kindOf(QDate(2030, 10, 1)), DayKind::Holiday);
    EXPECT_FALSE(file.refresh());
    EXPECT_FALSE(file.refresh());
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].contains(u"第2行"));

    // Rewritten in place, or replaced by a rename.
    writeText(path, "2030-10-02 休 # 国庆\nxx\n");
    EXPECT_TRUE(file.refresh());
    EXPECT_EQ(file.calendar().kindOf(QDate(2030, 10, 1)), DayKind::Ordinary);
    EXPECT_EQ(file.calendar().kindOf(QDate(2030, 10, 2)), DayKind::Holiday);
    writeText(dir.filePath("new.txt"), "2030-10-03 班\n");
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::rename(dir.filePath("new.txt"), path));
    EXPECT_TRUE(file.refresh());
    EXPECT_EQ(file.calendar().kindOf(QDate(2030, 10, 3)), DayKind::Workday);
    EXPECT_EQ(reports.size(), 2); // the bad line once for each version that held it

    // An unreadable file keeps what was read before and says so once.
    if (::geteuid() != 0) {
        ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::WriteOwner));
        EXPECT_FALSE(file.refresh());
        EXPECT_FALSE(file.refresh());
        EXPECT_EQ(file.calendar().kindOf(QDate(2030, 10, 3)), DayKind::Workday);
        EXPECT_EQ(reports.size(), 3);
    }
}
