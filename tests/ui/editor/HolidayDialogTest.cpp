#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "Version.h"
#include "ui/UiFakes.h"
#include "ui/editor/HolidayDialog.h"

using namespace kolva;
using namespace kolva::test;

namespace {

QStringList rows(const HolidayDialog &d) {
    QStringList out;
    for (int i = 0; i < d.entryList()->topLevelItemCount(); ++i)
        out << d.entryList()->topLevelItem(i)->text(0) + " " +
                   d.entryList()->topLevelItem(i)->text(1);
    return out;
}

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

// Add, remove and save keep the user's comments and unreadable lines, the
// file is replaced whole, and a second dialog shows what the first saved.
TEST(HolidayDialog, AddRemoveAndSaveRoundTrip) {
    QTemporaryDir dir;
    const QString file = dir.path() + "/user/holidays.txt"; // the folder is made on save
    FakeDialogs dialogs;
    {
        HolidayDialog d(file, dialogs);
        EXPECT_TRUE(rows(d).isEmpty());
        EXPECT_FALSE(d.saveButton()->isEnabled());
        d.dateBox()->setDate(QDate(2026, 10, 1));
        d.addButton()->click();
        EXPECT_TRUE(d.saveButton()->isEnabled());
        EXPECT_TRUE(d.saveClick());
        EXPECT_EQ(readAll(file), "2026-10-01 休\n");
    }
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("# 学校日历\n2026-10-01..2026-10-07 休\n\n2026-10-11 班 # 调休\nkaputt\n");
    f.close();

    HolidayDialog d(file, dialogs);
    EXPECT_EQ(rows(d), QStringList({"2026-10-01..2026-10-07 休", "2026-10-11 班"}));
    for (QWidget *w :
         std::initializer_list<QWidget *>{d.entryList(), d.dateBox(), d.kindBox(), d.addButton(),
                                          d.removeButton(), d.saveButton()})
        EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
    // A screen reader on Linux names the two boxes by the labels they are the buddies of.
    QStringList labelled;
    for (QLabel *label : d.findChildren<QLabel *>())
        if (label->buddy() == d.dateBox() || label->buddy() == d.kindBox())
            labelled << label->text();
    EXPECT_EQ(labelled, QStringList({"日期", "休/班"}));
    d.dateBox()->setDate(QDate(2026, 10, 10));
    d.kindBox()->setCurrentIndex(1);
    d.addButton()->click();
    d.dateBox()->setDate(QDate(2026, 10, 11)); // the same day again: changed in place
    d.kindBox()->setCurrentIndex(0);
    d.addButton()->click();
    d.entryList()->setCurrentItem(d.entryList()->topLevelItem(0));
    d.removeButton()->click();
    EXPECT_EQ(rows(d), QStringList({"2026-10-11 休", "2026-10-10 班"}));

    // Closing with unsaved entries asks; Cancel keeps the dialog and the entries.
    d.show();
    dialogs.answers = {Dialogs::Answer::Cancel};
    d.reject();
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(dialogs.questions.value(0), QString(KOLVA_TITLE) + "|节假日已经更改，是否保存?");
    dialogs.answers = {Dialogs::Answer::Yes};
    d.reject();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(readAll(file), "# 学校日历\n\n2026-10-11 休 # 调休\nkaputt\n2026-10-10 班\n");
    EXPECT_TRUE(dialogs.infos.isEmpty());

    HolidayDialog again(file, dialogs);
    EXPECT_EQ(rows(again), rows(d));
    EXPECT_EQ(again.calendar().kindOf(QDate(2026, 10, 10)), DayKind::Workday);
}
