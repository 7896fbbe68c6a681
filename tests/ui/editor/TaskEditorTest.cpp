#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "model/PlayDays.h"
#include "model/TaskFile.h"
#include "support/FakeMediaLengths.h"
#include "ui/UiFakes.h"
#include "ui/UiTestSupport.h"
#include "ui/editor/EditorTestSupport.h"
#include "ui/editor/RegionEditor.h"
#include "ui/editor/RepeatBox.h"
#include "ui/editor/TaskEditor.h"
#include "ui/widgets/WheelGuard.h"

using namespace kolva;
using namespace kolva::test;
using Answer = Dialogs::Answer;

namespace {

Task task(const QString &title, const QString &start, int regions = 0) {
    Task t = newTask();
    t.Title = title;
    t.StartTime = start;
    for (int i = 0; i < regions; ++i) {
        Region r = newRegion();
        r.Title = QStringLiteral("区间%1").arg(i + 1);
        t.Regions.append(r);
    }
    return t;
}

// Counts the resizes of the widgets it watches.
struct ResizeCounter : QObject {
    int resizes = 0;
    bool eventFilter(QObject *, QEvent *event) override {
        resizes += event->type() == QEvent::Resize;
        return false;
    }
};

struct Rig {
    QTemporaryDir dir;
    QString file = dir.path() + "/user/task.xtask.dll";
    FakeDialogs dialogs;
    FakeMediaLengths lengths;
    std::unique_ptr<TaskEditor> editor;

    explicit Rig(const TaskList &tasks = {}, bool writeFile = true) {
        QDir().mkpath(dir.path() + "/user");
        if (writeFile) {
            EXPECT_TRUE(saveTasks(file, tasks));
        }
    }
    TaskEditor &open() {
        editor = std::make_unique<TaskEditor>(file, dialogs, lengths);
        editor->resize(900, 500);
        editor->show();
        QCoreApplication::processEvents();
        return *editor;
    }
    TaskList onDisk() const {
        TaskList list;
        EXPECT_TRUE(loadTasks(file, list));
        return list;
    }
    QStringList titlesOnDisk() const {
        QStringList out;
        for (const Task &t : onDisk())
            out << t.Title;
        return out;
    }
    QStringList rowTitles() const {
        QStringList out;
        for (int i = 0; i < editor->lvwTaskList()->topLevelItemCount(); ++i)
            out << editor->lvwTaskList()->topLevelItem(i)->text(2);
        return out;
    }
    QTreeWidgetItem *row(int i) const { return editor->lvwTaskList()->topLevelItem(i); }
    void select(int i) const {
        editor->lvwTaskList()->setCurrentItem(row(i));
        row(i)->setSelected(true);
    }
};

void wheel(QWidget *viewport, int delta) {
    QWheelEvent e(QPointF(10, 10), viewport->mapToGlobal(QPointF(10, 10)), QPoint(),
                  QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &e);
}

} // namespace

TEST(TaskEditor, OpensAddsAndRemovesWithTheFileWrittenEachTime) {
    Rig rig;
    TaskEditor &ed = rig.open();
    EXPECT_EQ(ed.windowTitle(), "任务列表");
    EXPECT_EQ(ed.lvwTaskList()->topLevelItemCount(), 0);
    EXPECT_FALSE(ed.bg()->isVisible());
    EXPECT_FALSE(ed.cmdSaveTask()->isEnabled());
    ASSERT_EQ(ed.lvwTaskList()->headerItem()->text(0), "   index");
    EXPECT_EQ(ed.lvwTaskList()->columnWidth(2), ed.twips(3500));

    // Nothing was shown: the added task is shown at once.
    ed.cmdAddTaskClick();
    EXPECT_TRUE(ed.bg()->isVisible());
    EXPECT_EQ(ed.shownKey(), "Key0");
    EXPECT_EQ(rig.row(0)->text(1), " 00:00:00");
    EXPECT_EQ(rig.row(0)->text(2), " 新任务");
    EXPECT_EQ(ed.titleEdit()->text(), "新任务");
    EXPECT_FALSE(ed.cmdSaveTask()->isEnabled());
    ed.cmdAddTaskClick(); // id 1, not shown (a task is shown)
    ed.cmdAddTaskClick(); // id 2
    EXPECT_EQ(ed.shownKey(), "Key0");
    EXPECT_EQ(rig.row(2)->data(0, TaskEditor::KeyRole).toString(), "Key2");
    EXPECT_EQ(rig.onDisk().size(), 3);

    // Removing the largest id and adding gives it again.
    rig.select(2);
    ed.cmdRemoveTaskClick();
    ed.cmdAddTaskClick();
    EXPECT_EQ(rig.row(2)->data(0, TaskEditor::KeyRole).toString(), "Key2");

    // Removing the shown task leaves no task behind the form: no save.
    ed.titleEdit()->setText("改");
    EXPECT_TRUE(ed.cmdSaveTask()->isEnabled());
    rig.select(0);
    ed.cmdRemoveTaskClick();
    EXPECT_EQ(ed.shownKey(), "");
    EXPECT_FALSE(ed.cmdSaveTask()->isEnabled());
    EXPECT_FALSE(ed.cmdSaveTaskClick());
    EXPECT_EQ(rig.titlesOnDisk(), QStringList({"新任务", "新任务"}));
    rig.select(0);
    ed.cmdRemoveTaskClick();
    rig.select(0);
    ed.cmdRemoveTaskClick();
    EXPECT_FALSE(ed.bg()->isVisible());
    EXPECT_TRUE(rig.onDisk().isEmpty());
    EXPECT_TRUE(rig.dialogs.infos.isEmpty());
}

TEST(TaskEditor, MovesRewriteTheFileAndShowHoursAndMinutes) {
    Rig rig({task("A", "08:00:00"), task("B", "09:15:30"), task("C", "10:00:00")});
    TaskEditor &ed = rig.open();
    EXPECT_EQ(ed.shownKey(), "Key0");
    rig.select(1);
    ed.cmdMoveUpTaskClick();
    EXPECT_EQ(rig.rowTitles(), QStringList({" B", " A", " C"}));
    EXPECT_EQ(ed.lvwTaskList()->currentItem(), rig.row(0));
    EXPECT_EQ(rig.row(1)->text(1), " 08:00"); // the moved row
    EXPECT_EQ(rig.row(0)->text(1), " 09:15:30");
    EXPECT_EQ(rig.titlesOnDisk(), QStringList({"B", "A", "C"}));
    EXPECT_EQ(ed.shownKey(), "Key0"); // the shown task keeps its identity

    ed.cmdMoveUpTaskClick(); // row 1: nothing
    EXPECT_EQ(rig.rowTitles(), QStringList({" B", " A", " C"}));
    rig.select(2);
    QFile::remove(rig.file);
    ed.cmdMoveDownTaskClick(); // last row: nothing moves, the file is written
    EXPECT_EQ(rig.titlesOnDisk(), QStringList({"B", "A", "C"}));
    rig.select(0);
    ed.cmdMoveDownTaskClick();
    EXPECT_EQ(rig.titlesOnDisk(), QStringList({"A", "B", "C"}));
    EXPECT_EQ(ed.lvwTaskList()->currentItem(), rig.row(1));
}

TEST(TaskEditor, SaveChecksNormalisesWritesAndKeepsEditsOnFailure) {
    Rig rig({task("A", "08:00:00", 1)});
    TaskEditor &ed = rig.open();
    ed.titleEdit()->setText("");
    ed.volumeModeBox()->setCurrentIndex(1);
    emit ed.volumeModeBox()->activated(1);
    EXPECT_EQ(ed.volumeEdit()->text(), "100");
    ed.volumeEdit()->setText("150");
    ed.startTimeEdit()->setText("8:30:0");
    EXPECT_FALSE(ed.cmdSaveTaskClick());
    ASSERT_EQ(rig.dialogs.infos.size(), 1);
    EXPECT_EQ(rig.dialogs.infos[0].text,
              "任务标题不可以为空;\r\n任务音量输入错误，取值范围为[0,100];");
    EXPECT_EQ(ed.startTimeEdit()->text(), "08:30:00");
    EXPECT_TRUE(ed.cmdSaveTask()->isEnabled());
    EXPECT_EQ(rig.titlesOnDisk(), QStringList{"A"});

    ed.titleEdit()->setText("早操");
    ed.volumeEdit()->setText("51.5");
    ed.stopTimeOption()->click();
    EXPECT_FALSE(ed.durationEdit()->isEnabled());
    ed.stopTimeEdit()->setText("9:0:0");
    ed.enabledBox()->click(); // disabled
    EXPECT_TRUE(ed.cmdSaveTaskClick());
    EXPECT_FALSE(ed.cmdSaveTask()->isEnabled());
    EXPECT_EQ(rig.row(0)->text(1), " 08:30:00");
    EXPECT_EQ(rig.row(0)->text(2), " 早操");
    EXPECT_EQ(rig.row(0)->data(0, TaskEditor::ImageIndexRole).toInt(), 2);
    const Task saved = rig.onDisk().value(0);
    EXPECT_EQ(saved.Volume, 52);
    EXPECT_EQ(saved.StopTime, "09:00:00");
    EXPECT_FALSE(saved.Enabled);
    ASSERT_EQ(saved.Regions.size(), 1);

    // A file that cannot be written: said in Chinese, the edits and the
    // changed state stay, the old file stays whole.
    const QByteArray before = [&] {
        QFile f(rig.file);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    QDir(rig.dir.path() + "/user").removeRecursively();
    ed.titleEdit()->setText("晚操");
    EXPECT_FALSE(ed.cmdSaveTaskClick());
    ASSERT_EQ(rig.dialogs.infos.size(), 2);
    EXPECT_TRUE(rig.dialogs.infos[1].text.startsWith("任务列表没有保存"));
    EXPECT_TRUE(ed.cmdSaveTask()->isEnabled());
    EXPECT_EQ(ed.titleEdit()->text(), "晚操");
    QDir().mkpath(rig.dir.path() + "/user");
    EXPECT_TRUE(ed.cmdSaveTaskClick());
    EXPECT_EQ(rig.titlesOnDisk(), QStringList{"晚操"});
    EXPECT_FALSE(before.isEmpty());
}

TEST(TaskEditor, PromptsOfRowClickAndCloseKeepEditsUnlessSavedOrDropped) {
    struct Case {
        const char *name;
        bool close;
        Answer answer;
        bool validTitle;
        bool editsKept; // still on task A with the edit
        QString onDisk;
        bool byKey = false; // the highlight moved down by the arrow key
    } cases[] = {
        {"row yes", false, Answer::Yes, true, false, "改"},
        {"row yes refused", false, Answer::Yes, false, true, "A"},
        {"row no", false, Answer::No, true, false, "A"},
        {"row cancel", false, Answer::Cancel, true, true, "A"},
        {"close yes", true, Answer::Yes, true, false, "改"},
        {"close yes refused", true, Answer::Yes, false, true, "A"},
        {"close no", true, Answer::No, true, false, "A"},
        {"close cancel", true, Answer::Cancel, true, true, "A"},
        {"key yes", false, Answer::Yes, true, false, "改", true},
        {"key cancel", false, Answer::Cancel, true, true, "A", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig({task("A", "08:00:00"), task("B", "09:00:00")});
        TaskEditor &ed = rig.open();
        const QString edit = c.validTitle ? "改" : "";
        ed.titleEdit()->setText(edit);
        rig.dialogs.answers = {c.answer};
        if (c.close) {
            ed.reject();
        } else if (c.byKey) {
            typeKey(ed.lvwTaskList(), Qt::Key_Down);
            QCoreApplication::processEvents();
        } else {
            ed.rowClicked(rig.row(1));
        }
        ASSERT_EQ(rig.dialogs.questions.size(), 1);
        EXPECT_TRUE(rig.dialogs.questions[0].endsWith("|当前任务已经更改，是否保存?"));
        EXPECT_EQ(rig.onDisk().value(0).Title, c.onDisk);
        if (c.editsKept) {
            EXPECT_EQ(ed.shownKey(), "Key0");
            EXPECT_EQ(ed.titleEdit()->text(), edit);
            EXPECT_TRUE(ed.cmdSaveTask()->isEnabled());
            EXPECT_TRUE(ed.isVisible());
            EXPECT_TRUE(ed.isWheelHooked());
            EXPECT_EQ(ed.lvwTaskList()->currentItem(), rig.row(0));
        } else if (c.close) {
            EXPECT_FALSE(ed.isVisible());
            EXPECT_FALSE(ed.isWheelHooked());
        } else {
            EXPECT_EQ(ed.shownKey(), "Key1");
            EXPECT_EQ(ed.titleEdit()->text(), "B");
            EXPECT_FALSE(ed.cmdSaveTask()->isEnabled());
        }
    }
}

TEST(TaskEditor, RegionsNumberedWithoutReuseAndStoredInDisplayOrder) {
    Rig rig({task("A", "08:00:00", 3)});
    TaskEditor &ed = rig.open();
    ASSERT_EQ(ed.regionEditors().size(), 3);
    ed.regionEditors()[1]->removeRegionButton()->click();
    EXPECT_TRUE(ed.cmdSaveTask()->isEnabled());
    ed.picAddNewClick();
    QList<int> numbers;
    for (RegionEditor *r : ed.regionEditors())
        numbers << r->number();
    EXPECT_EQ(numbers, QList<int>({1, 3, 4}));
    EXPECT_EQ(ed.regionEditors()[2]->getRegion().Title, "区间4");
    ed.regionEditors()[0]->titleBox()->setText("");
    EXPECT_FALSE(ed.cmdSaveTaskClick());
    EXPECT_EQ(rig.dialogs.infos.value(0).text, "\r\n第1个区间：标题不能为空;");
    ed.regionEditors()[0]->titleBox()->setText("一");
    EXPECT_TRUE(ed.cmdSaveTaskClick());
    const Task saved = rig.onDisk().value(0);
    ASSERT_EQ(saved.Regions.size(), 3);
    EXPECT_EQ(saved.Regions[0].Title, "一");
    EXPECT_EQ(saved.Regions[1].Title, "区间3");
    EXPECT_EQ(saved.Regions[2].Title, "区间4");
}

TEST(TaskEditor, WheelPagesTheContentPanelWhileHooked) {
    Rig rig({task("A", "08:00:00", 100)});
    TaskEditor &ed = rig.open();
    QCoreApplication::processEvents();
    QScrollBar *bar = ed.vsc();
    // A hundred regions (far more than 32767 twips) still reach their end.
    QWidget *viewport = static_cast<QAbstractScrollArea *>(ed.bg())->viewport();
    ASSERT_GT(bar->maximum() * 1440 / ed.logicalDpiY(), 32767);
    EXPECT_EQ(bar->maximum(), ed.contentPanel()->height() - viewport->height());
    const int page = qRound(bar->maximum() / 3.0);
    struct Step {
        int delta;
        int value;
    } steps[] = {{120, 0},
                 {-120, page},
                 {0, 2 * page},
                 {-360, qMin(bar->maximum(), 3 * page)},
                 {-120, bar->maximum()},
                 {360, bar->maximum() - page}};
    for (const Step &s : steps) {
        wheel(viewport, s.delta);
        EXPECT_EQ(bar->value(), s.value) << s.delta;
    }
    // A cancelled close keeps the hook; a real close removes it.
    ed.titleEdit()->setText("x");
    rig.dialogs.answers = {Answer::Cancel, Answer::No};
    ed.reject();
    EXPECT_TRUE(ed.isWheelHooked());
    ed.reject();
    EXPECT_FALSE(ed.isWheelHooked());
}

TEST(TaskEditor, WheelOverAControlWithoutFocusScrollsThePageAndChangesNothing) {
    WheelGuard guard(app());
    Rig rig({task("A", "08:00:00", 6)});
    TaskEditor &ed = rig.open();
    RegionEditor *region = ed.regionEditors()[0];
    QComboBox *regionVolume = region->volumeMode();
    QSpinBox *passes = region->repeatBox()->countBox();
    QScrollBar *bar = ed.vsc();
    const int page = qRound(bar->maximum() / 3.0);
    ASSERT_GT(page, 0);
    struct Case {
        const char *name;
        QWidget *control;
        int delta; // down for the combo boxes (item 0 shown), up for the count (1)
        bool focused;
    } cases[] = {{"task volume mode", ed.volumeModeBox(), -120, false},
                 {"region volume mode", regionVolume, -120, false},
                 {"pass count", passes, 120, false},
                 {"region volume mode with focus", regionVolume, -120, true},
                 {"pass count with focus", passes, 120, true}};
    for (const Case &c : cases) {
        ed.activateWindow();
        c.focused ? c.control->setFocus() : ed.lvwTaskList()->setFocus();
        ASSERT_EQ(c.control->hasFocus(), c.focused) << c.name;
        EXPECT_EQ(c.control->focusPolicy(), Qt::StrongFocus) << c.name; // a turn gives no focus
        bar->setValue(page);
        const int volumes[] = {ed.volumeModeBox()->currentIndex(), regionVolume->currentIndex()};
        const int count = passes->value();
        wheel(c.control, c.delta);
        // Without focus the page moves one step and no value changes; with
        // focus the control takes the turn as before.
        EXPECT_EQ(bar->value(), c.focused ? page : c.delta > 0 ? 0 : 2 * page) << c.name;
        const bool changed = ed.volumeModeBox()->currentIndex() != volumes[0] ||
                             regionVolume->currentIndex() != volumes[1] || passes->value() != count;
        EXPECT_EQ(changed, c.focused) << c.name;
        EXPECT_EQ(ed.isChanged(), c.focused) << c.name;
        EXPECT_TRUE(ed.cmdSaveTaskClick()) << c.name;
    }
}

TEST(TaskEditor, UnreadableFileIsNamedAtOpeningAndKeptBeforeTheFirstSave) {
    Rig rig({}, false);
    {
        QFile f(rig.file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("<Tasklist><Task Title=\"a & b\"/></Tasklist>");
    }
    TaskEditor &ed = rig.open();
    ASSERT_EQ(rig.dialogs.infos.size(), 1);
    EXPECT_TRUE(rig.dialogs.infos[0].text.startsWith("任务列表文件无法读取：第 1 行第 "))
        << rig.dialogs.infos[0].text.toStdString();
    ed.cmdAddTaskClick();
    ed.cmdAddTaskClick();
    const QStringList kept =
        QDir(rig.dir.path() + "/user").entryList({"task.xtask.dll.unreadable-*"}, QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(QRegularExpression("^task\\.xtask\\.dll\\.unreadable-\\d{8}-\\d{6}$")
                    .match(kept[0])
                    .hasMatch());
    QFile f(rig.dir.path() + "/user/" + kept[0]);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "<Tasklist><Task Title=\"a & b\"/></Tasklist>");
    ASSERT_EQ(rig.dialogs.infos.size(), 2); // said once
    EXPECT_TRUE(rig.dialogs.infos[1].text.startsWith("原任务列表文件无法读取，已另存为 "));
    EXPECT_EQ(rig.onDisk().size(), 2);
}

TEST(TaskEditor, PlayDaysShownFromTheRecordAndWrittenBack) {
    struct Case {
        const char *name;
        uint8_t days;  // of the task in the file
        bool holidays; // of the task in the file
        std::function<void(TaskEditor &)> act;
        QString boxes; // the seven boxes afterwards, Monday first
        bool changed;
        bool ctrlS;         // saved by the keyboard instead of the button
        QString daysOnDisk; // "" = every day, the attribute not written
        bool holidaysOnDisk;
    } cases[] = {
        {"每天 on a workday task", kWorkdays, false,
         [](TaskEditor &ed) { ed.everyDayButton()->click(); }, "1111111", true, false, "", false},
        {"工作日 and holidays, Ctrl+S", kEveryDay, false,
         [](TaskEditor &ed) {
             ed.workdaysButton()->click();
             ed.holidaysBox()->click();
         },
         "1111100", true, true, "1111100", true},
        {"the quick choice already shown", kEveryDay, false,
         [](TaskEditor &ed) { ed.everyDayButton()->click(); }, "1111111", false, false, "", false},
        {"Sunday off, holidays off", kEveryDay, true,
         [](TaskEditor &ed) {
             ed.dayBox(6)->click();
             ed.holidaysBox()->click();
         },
         "1111110", true, false, "1111110", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Task t = task("A", "08:00:00");
        t.Days = c.days;
        t.Holidays = c.holidays;
        Rig rig({t});
        TaskEditor &ed = rig.open();
        EXPECT_FALSE(ed.cmdSaveTask()->isEnabled());
        EXPECT_EQ(ed.holidaysBox()->isChecked(), c.holidays);
        c.act(ed);
        QString boxes;
        for (int i = 0; i < 7; ++i)
            boxes += ed.dayBox(i)->isChecked() ? '1' : '0';
        EXPECT_EQ(boxes, c.boxes);
        EXPECT_EQ(ed.cmdSaveTask()->isEnabled(), c.changed);
        if (!c.changed)
            continue;
        if (c.ctrlS) {
            ed.activateWindow();
            QApplication::setActiveWindow(&ed);
            ed.titleEdit()->setFocus();
            QKeyEvent press(QEvent::KeyPress, Qt::Key_S, Qt::ControlModifier, "s");
            QApplication::sendEvent(ed.titleEdit(), &press);
        } else {
            ed.cmdSaveTask()->click();
        }
        EXPECT_FALSE(ed.cmdSaveTask()->isEnabled());
        QFile f(rig.file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll().mid(2); // UTF-16LE after the byte-order mark
        const QString text = QString::fromUtf16(
            reinterpret_cast<const char16_t *>(bytes.constData()), bytes.size() / 2);
        EXPECT_EQ(text.contains("Days="), !c.daysOnDisk.isEmpty());
        if (!c.daysOnDisk.isEmpty()) {
            EXPECT_TRUE(text.contains("Days=\"" + c.daysOnDisk + "\""));
        }
        EXPECT_EQ(rig.onDisk().value(0).Holidays, c.holidaysOnDisk);
    }

    // A new task plays every day; a task without a day is refused.
    Rig rig;
    TaskEditor &ed = rig.open();
    ed.cmdAddTaskClick();
    for (int i = 0; i < 7; ++i)
        EXPECT_TRUE(ed.dayBox(i)->isChecked()) << i;
    EXPECT_FALSE(ed.holidaysBox()->isChecked());
    for (int i = 0; i < 7; ++i)
        ed.dayBox(i)->click();
    EXPECT_FALSE(ed.cmdSaveTaskClick());
    EXPECT_EQ(rig.dialogs.infos.value(0).text, "\r\n任务至少要选择一个播放日;");
}

TEST(TaskEditor, CatchUpChosenAndItsMinutesCheckedAndWritten) {
    Task t = task("A", "08:00:00");
    t.CatchUp = 0;
    Rig rig({t});
    TaskEditor &ed = rig.open();
    EXPECT_EQ(ed.catchUpBox()->currentText(), "不补播");
    EXPECT_TRUE(ed.catchUpMinutesBox()->isHidden());
    ed.catchUpBox()->setCurrentIndex(1); // N分钟内补播, as a choice of the user
    emit ed.catchUpBox()->activated(1);
    EXPECT_FALSE(ed.catchUpMinutesBox()->isHidden());
    EXPECT_TRUE(ed.cmdSaveTask()->isEnabled());
    ed.catchUpMinutesBox()->setText("2000");
    EXPECT_FALSE(ed.cmdSaveTaskClick());
    EXPECT_EQ(rig.dialogs.infos.value(0).text, "\r\n补播时间应为0到1440分钟;");
    ed.catchUpMinutesBox()->setText("45");
    EXPECT_TRUE(ed.cmdSaveTaskClick());
    EXPECT_EQ(rig.onDisk().value(0).CatchUp, 45);
}

// A hundred regions: editors for the regions in view at once, the rest as
// they scroll into view or while the event loop is idle; every region is
// saved, built or not, and Tab follows the display order.
TEST(TaskEditor, LargeTaskBuildsRegionEditorsLazilyAndSavesEveryRegion) {
    Task big = task("A", "08:00:00", 100);
    for (int i = 0; i < big.Regions.size(); ++i) {
        Song s;
        s.SongFile = QStringLiteral("/m/%1.mp3").arg(i + 1);
        s.Repeat = i;
        big.Regions[i].Songs = {s};
        big.Regions[i].Volume = i % 2 ? 40 : -1;
    }
    Rig rig({big});
    TaskEditor &ed = rig.open();
    EXPECT_EQ(ed.regionCount(), 100);
    const int first = ed.builtRegionCount();
    EXPECT_GE(first, 1);
    EXPECT_LT(first, 50);

    // The end is reached at once; the last region gets its editor in view.
    ed.vsc()->setValue(ed.vsc()->maximum());
    EXPECT_GT(ed.builtRegionCount(), first);
    ed.picAddNewClick();
    EXPECT_EQ(ed.regionCount(), 101);
    EXPECT_LT(ed.builtRegionCount(), 101);
    ASSERT_TRUE(ed.cmdSaveTaskClick());
    TaskList saved = rig.onDisk();
    ASSERT_EQ(saved.value(0).Regions.size(), 101);
    for (int i = 0; i < 100; ++i) {
        const Region &r = saved[0].Regions[i];
        EXPECT_EQ(r.Title, big.Regions[i].Title);
        EXPECT_EQ(r.Volume, big.Regions[i].Volume);
        ASSERT_EQ(r.Songs.size(), 1);
        EXPECT_EQ(r.Songs[0].SongFile, big.Regions[i].Songs[0].SongFile);
        EXPECT_EQ(r.Songs[0].Repeat, i);
    }
    EXPECT_EQ(saved[0].Regions[100].Title, "区间101");

    // The idle event loop builds the rest, a slice at a time. Each new
    // editor takes exactly its placeholder's room: the panel keeps its
    // height and the editors built before are neither resized nor laid out
    // again.
    ed.contentPanel()->layout()->activate();
    const int panelHeight = ed.contentPanel()->height();
    ResizeCounter counter;
    for (RegionEditor *r : ed.contentPanel()->findChildren<RegionEditor *>()) {
        if (r->isVisible())
            r->installEventFilter(&counter);
    }
    for (int turn = 0; turn < 2000 && ed.builtRegionCount() < ed.regionCount(); ++turn)
        QCoreApplication::processEvents();
    EXPECT_EQ(ed.builtRegionCount(), 101);
    ed.contentPanel()->layout()->activate();
    EXPECT_EQ(ed.contentPanel()->height(), panelHeight);
    EXPECT_EQ(counter.resizes, 0);
    QList<QWidget *> chain;
    for (QWidget *w = ed.powerOffBox()->nextInFocusChain(); w != ed.powerOffBox();
         w = w->nextInFocusChain())
        chain << w;
    qsizetype last = -1;
    for (RegionEditor *r : ed.regionEditors()) {
        const qsizetype at = chain.indexOf(r->titleBox());
        EXPECT_GT(at, last) << r->number();
        last = at;
    }
    EXPECT_GT(chain.indexOf(ed.picAddNew()), last);

    // Another task and back: the editors are filled again, nothing is lost.
    rig.dialogs.answers = {Answer::No};
    ed.cmdAddTaskClick();
    ed.rowClicked(rig.row(1));
    EXPECT_EQ(ed.regionCount(), 0);
    ed.rowClicked(rig.row(0));
    ASSERT_EQ(ed.regionCount(), 101);
    EXPECT_EQ(ed.regionEditors()[100]->getRegion().Title, "区间101");
    EXPECT_EQ(ed.regionEditors()[7]->getRegion().Songs.value(0).Repeat, 7);
}
