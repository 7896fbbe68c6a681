// The detail view: captions, positions in twips, red rows, clicks, paging
// and what a malformed import leaves on screen.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QScrollBar>
#include <QWheelEvent>

#include "Version.h"
#include "model/TaskExchange.h"
#include "support/FakeMediaLengths.h"
#include "ui/UiTestSupport.h"
#include "ui/taskview/ShowTask.h"
#include "ui/widgets/WheelHook.h"

using namespace kolva;
using namespace kolva::test;

namespace {

Song song(const QString &file, int repeat = 0, const QString &start = {}, const QString &len = {}) {
    Song s;
    s.SongFile = file;
    s.Repeat = repeat;
    s.StartTime = start;
    s.Duration = len;
    return s;
}

Region region(const QString &title, QVector<Song> songs = {}, int sort = 0, int repeat = 0,
              const QString &duration = {}, int volume = -1) {
    Region r = newRegion();
    r.Title = title;
    r.Songs = std::move(songs);
    r.Sort = sort;
    r.Repeat = repeat;
    r.Duration = duration;
    r.Volume = volume;
    return r;
}

Task task(QVector<Region> regions = {}) {
    Task t = newTask();
    t.Title = QStringLiteral("早操");
    t.TaskID = 4;
    t.StartTime = QStringLiteral("08:00:00");
    t.Regions = std::move(regions);
    return t;
}

using Kind = ShowTask::RowKind;

int top(const ShowTask &view, Kind kind, int n = 0) {
    return view.rows().value(view.rowIndex(kind, n)).topTwips;
}

// A click where a user would click: a few pixels into the row's caption.
void clickRow(ShowTask &view, Kind kind, int n, Qt::MouseButton button = Qt::LeftButton) {
    const QRect box = view.content()->rowRect(view.rowIndex(kind, n));
    click(view.content(), button, box.topLeft() + QPoint(3, box.height() / 2));
}

QVector<Song> songs(int n, const QString &prefix = QStringLiteral("/music/")) {
    QVector<Song> out;
    for (int i = 0; i < n; ++i)
        out << song(prefix + QStringLiteral("歌 %1.mp3").arg(i + 1));
    return out;
}

} // namespace

TEST(ShowTask, CaptionsOfTheHeaderRegionsAndSongs) {
    FakeMediaLengths lengths;
    ShowTask view(lengths);
    // Before any task: the welcome with the program's version.
    EXPECT_EQ(view.captions(ShowTask::RowKind::TaskInfoRow),
              QStringList{QStringLiteral("欢迎使用KOLVA定时播放器 版本v" KOLVA_VERSION_TEXT)});
    const struct {
        void (*edit)(Task &);
        const char *title;
        const char *info;
    } headers[] = {
        {[](Task &) {}, "早操", "开始时刻:08:00:00   音量:100"},
        {[](Task &t) { t.Enabled = false; }, "[×已禁用]早操", "开始时刻:08:00:00   音量:100"},
        {[](Task &t) { t.Duration = "00:10:00", t.StopTime = "09:00:00"; }, "早操",
         "开始时刻:08:00:00  时长:00:10:00  音量:100"},
        {[](Task &t) { t.StopTime = "09:00:00", t.Volume = -1, t.PowerOff = true; }, "早操",
         "开始时刻:08:00:00  停止时刻:09:00:00  音量:-1  播放结束后自动关机"},
        // Play days after the end part.
        {[](Task &t) { t.Days = 0x1F, t.Holidays = true; }, "早操",
         "开始时刻:08:00:00   周一至周五  节假日不播放  音量:100"},
        {[](Task &t) { t.Days = 0x60, t.StopTime = "09:00:00"; }, "早操",
         "开始时刻:08:00:00  停止时刻:09:00:00  周六日  音量:100"},
        {[](Task &t) { t.Days = 0x15; }, "早操", "开始时刻:08:00:00   一三五  音量:100"},
        // A missed start, where it is not the default minute.
        {[](Task &t) { t.CatchUp = 30, t.Holidays = true; }, "早操",
         "开始时刻:08:00:00   节假日不播放  错过30分钟内补播  音量:100"},
        {[](Task &t) { t.CatchUp = kCatchUpWindow; }, "早操",
         "开始时刻:08:00:00   时段内补播  音量:100"},
        {[](Task &t) { t.CatchUp = 0; }, "早操", "开始时刻:08:00:00   错过不补播  音量:100"},
        // The record itself: separators of the text form are shown unchanged.
        {[](Task &t) { t.Title = "A|B@SONGLINE@C"; }, "A|B@SONGLINE@C",
         "开始时刻:08:00:00   音量:100"},
    };
    for (const auto &h : headers) {
        Task t = task();
        h.edit(t);
        view.showTask(t);
        EXPECT_EQ(view.captions(Kind::TitleRow), QStringList{QString::fromUtf8(h.title)});
        EXPECT_EQ(view.captions(Kind::TaskInfoRow), QStringList{QString::fromUtf8(h.info)});
    }

    view.showTask(task({
        region("默认",
               {song("/a@SONGINFO@b|c.mp3"), song("/b.mp3", 2, "00:00:10"),
                song("/c.mp3", 0, "", "00:01:00"), song("/d.mp3", 1, "00:00:05", "00:00:30")}),
        region("二", {}, 0, 2),
        region("三", {}, 1, 1, "00:20:00", 80),
    }));
    EXPECT_EQ(view.captions(Kind::RegionRow), (QStringList{"1. 默认", "2. 二", "3. 三"}));
    EXPECT_EQ(view.captions(Kind::RegionInfoRow),
              (QStringList{"默认设置:不随机 不循环 默认音量 不设时长", "循环",
                           "随机  循环  时长:00:20:00  音量:80"}));
    EXPECT_EQ(view.captions(Kind::SongRow),
              (QStringList{"1./a@SONGINFO@b|c.mp3", "2./b.mp3", "3./c.mp3", "4./d.mp3"}));
    EXPECT_EQ(view.captions(Kind::SongInfoRow),
              (QStringList{"", "循环  截取开始时刻:00:00:10", "截取时长:00:01:00",
                           "循环  截取开始时刻:00:00:05  截取时长:00:00:30"}));

    // Every row is an accessible item named by its caption, in order, with
    // its box on screen; the title and the songs are links one can press.
    view.resize(500, 400);
    view.show();
    QAccessibleInterface *content = QAccessible::queryAccessibleInterface(view.content());
    ASSERT_TRUE(content);
    ASSERT_EQ(content->childCount(), view.rows().size());
    for (int i = 0; i < content->childCount(); ++i) {
        QAccessibleInterface *row = content->child(i);
        ASSERT_TRUE(row);
        EXPECT_EQ(row->text(QAccessible::Name), view.rows()[i].text);
        EXPECT_EQ(content->indexOfChild(row), i);
        EXPECT_EQ(row->parent(), content);
        const QRect box = view.content()->rowRect(i);
        EXPECT_EQ(row->rect(), QRect(view.content()->mapToGlobal(box.topLeft()), box.size()));
        const bool link =
            view.rows()[i].kind == Kind::TitleRow || view.rows()[i].kind == Kind::SongRow;
        EXPECT_EQ(row->role(), link ? QAccessible::Link : QAccessible::StaticText) << i;
        EXPECT_EQ(row->actionInterface() != nullptr, link) << i;
    }
    EXPECT_EQ(content->childAt(content->child(4)->rect().center().x(),
                               content->child(4)->rect().center().y()),
              content->child(4));
    QStringList played;
    QObject::connect(&view, &ShowTask::PlaySong, [&](const QString &f) { played << f; });
    content->child(view.rowIndex(Kind::SongRow, 1))
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(played.isEmpty()); // the call returns first
    QCoreApplication::processEvents();
    EXPECT_EQ(played, QStringList{"/b.mp3"});
}

TEST(ShowTask, RowPositionsInTwips) {
    FakeMediaLengths lengths;
    ShowTask view(lengths);
    view.showTask(task());
    EXPECT_EQ(view.contentHeightTwips(), 1680);

    view.showTask(task({region("空"), region("三首", songs(3)), region("后")}));
    ASSERT_EQ(view.captions(Kind::RegionRow).size(), 3);
    EXPECT_EQ(top(view, Kind::TitleRow), 600);
    EXPECT_EQ(top(view, Kind::TaskInfoRow), 915);
    EXPECT_EQ(top(view, Kind::RegionRow, 0), 1680);
    EXPECT_EQ(top(view, Kind::RegionInfoRow, 0), 1680 + 315);
    EXPECT_EQ(top(view, Kind::RegionRow, 1) - top(view, Kind::RegionRow, 0), 855);
    EXPECT_EQ(top(view, Kind::RegionRow, 2) - top(view, Kind::RegionRow, 1), 1500 + 510 * 2);
    for (int l = 0; l < 3; ++l) {
        EXPECT_EQ(top(view, Kind::SongRow, l), top(view, Kind::RegionRow, 1) + 720 + 510 * l);
        EXPECT_EQ(top(view, Kind::SongInfoRow, l), top(view, Kind::SongRow, l) + 240);
        EXPECT_EQ(view.content()->rowRect(view.rowIndex(Kind::SongRow, l)).y(),
                  view.twipsToPixels(top(view, Kind::SongRow, l)));
    }
    EXPECT_EQ(view.contentHeightTwips(), top(view, Kind::RegionRow, 2) + 855);
    EXPECT_EQ(view.content()->height(), view.twipsToPixels(view.contentHeightTwips()));
}

TEST(ShowTask, UnplayableSongsTurnRedWhenTheirAnswerComes) {
    FakeMediaLengths lengths;
    lengths.know("/ok.mp3", 12.5);
    lengths.know("/bad.mp3", 0);
    ShowTask view(lengths);
    view.showTask(task(
        {region("R", {song("/ok.mp3"), song("/bad.mp3"), song("/slow.mp3"), song("/slow.mp3")})}));
    auto colour = [&](int song) {
        return view.content()->rowColour(view.rowIndex(Kind::SongRow, song));
    };
    EXPECT_EQ(colour(0), ShowTask::textColour());
    EXPECT_EQ(colour(1), ShowTask::unplayableColour());
    EXPECT_EQ(colour(2), ShowTask::textColour()) << "shown before the answer";
    EXPECT_EQ(lengths.asked, QStringList{"/slow.mp3"});
    lengths.answer("/slow.mp3", 0);
    EXPECT_EQ(colour(2), ShowTask::unplayableColour());
    EXPECT_EQ(colour(3), ShowTask::unplayableColour());
    // Colour alone tells nothing to a screen reader.
    QAccessibleInterface *content = QAccessible::queryAccessibleInterface(view.content());
    EXPECT_EQ(content->child(view.rowIndex(Kind::SongRow, 2))->text(QAccessible::Description),
              "无法播放的文件");
    EXPECT_EQ(view.content()->rowColour(view.rowIndex(Kind::SongInfoRow, 2)),
              ShowTask::infoColour());
}

TEST(ShowTask, ClicksOnTheTitleAndTheTenthSongRaiseTheirEvents) {
    FakeMediaLengths lengths;
    ShowTask view(lengths);
    view.resize(500, 400);
    view.show();
    view.showTask(task({region("R", songs(12, "/very/long/path/with blanks/"))}));
    QList<int> tasks;
    QStringList files;
    QObject::connect(&view, &ShowTask::PlayTask, [&](int id) { tasks << id; });
    QObject::connect(&view, &ShowTask::PlaySong, [&](const QString &f) { files << f; });
    clickRow(view, Kind::TitleRow, 0);
    clickRow(view, Kind::SongRow, 9);
    clickRow(view, Kind::SongRow, 9, Qt::RightButton);
    clickRow(view, Kind::RegionRow, 0);
    clickRow(view, Kind::SongInfoRow, 9);
    EXPECT_EQ(tasks, QList<int>{4});
    EXPECT_EQ(files, QStringList{"/very/long/path/with blanks/歌 10.mp3"});

    // The hand over the title and the song rows only.
    const struct {
        Kind kind;
        bool hand;
    } pointers[] = {{Kind::SongRow, true},
                    {Kind::RegionInfoRow, false},
                    {Kind::TitleRow, true},
                    {Kind::SongInfoRow, false}};
    for (const auto &p : pointers) {
        const QRect box = view.content()->rowRect(view.rowIndex(p.kind, 0));
        sendMouse(view.content(), QEvent::MouseMove, Qt::NoButton, box.center());
        EXPECT_EQ(view.content()->testAttribute(Qt::WA_SetCursor), p.hand) << p.kind;
        if (p.hand) {
            EXPECT_EQ(view.content()->cursor().shape(), Qt::PointingHandCursor)
                << "no cursor file: the standard hand";
        }
    }

    // From the keyboard: Tab reaches the title, then the songs; Enter plays.
    view.activateWindow();
    QApplication::setActiveWindow(&view);
    view.content()->clearFocus();
    view.content()->setFocus(Qt::TabFocusReason);
    auto key = [&](int k) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(view.content(), &press);
    };
    key(Qt::Key_Return);
    key(Qt::Key_Tab);
    key(Qt::Key_Down);
    key(Qt::Key_Space);
    EXPECT_EQ(tasks, (QList<int>{4, 4}));
    EXPECT_EQ(files.value(1), "/very/long/path/with blanks/歌 2.mp3");
}

TEST(ShowTask, WheelPagesWithinTheRangeAndNotWhenAllFits) {
    FakeMediaLengths lengths;
    ShowTask view(lengths);
    view.show();
    WheelHook hook;
    hook.hookWheel(view.content(), [&](bool up) { view.vscScroll(up); });
    // Sent to the panel itself: Qt hands synthesized wheel events to no
    // parent (real ones from the rows reach the panel the same way).
    auto wheel = [&](int delta) {
        QWidget *target = view.content();
        QWheelEvent e(QPointF(2, 2), target->mapToGlobal(QPointF(2, 2)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &e);
    };
    // The range from the viewport's height: Max steps of 1/10 and 1/3,
    // rounded half to even.
    view.showTask(task({region("R", songs(2))}));
    const struct { int max, small, large; } ranges[] = {{45, 4, 15}, {75, 8, 25}, {105, 10, 35}};
    for (const auto &r : ranges) {
        const int bg = view.twipsToPixels(view.contentHeightTwips() - r.max);
        view.resize(400, bg + 2 * view.twipsToPixels(120));
        EXPECT_EQ(view.vsc()->maximum(), r.max);
        EXPECT_EQ(view.vsc()->singleStep(), r.small);
        EXPECT_EQ(view.vsc()->pageStep(), r.large);
    }
    view.setScroll(0);
    const struct {
        int delta, expected;
    } steps[] = {{120, 0}, {-360, 35}, {0, 70}, {-120, 105}, {-120, 105}, {120, 70}};
    for (const auto &s : steps) {
        wheel(s.delta);
        EXPECT_EQ(view.vsc()->value(), s.expected) << s.delta;
        EXPECT_EQ(view.content()->y(), -view.twipsToPixels(s.expected));
    }

    // Far taller than 32767 twips: still scrolls to its very end.
    view.resize(400, 300);
    view.showTask(task({region("R", songs(100))}));
    EXPECT_GT(view.vsc()->maximum(), 32767);
    view.setScroll(view.vsc()->maximum());
    EXPECT_EQ(view.content()->y(), -view.twipsToPixels(view.vsc()->maximum()));

    // Content that fits: the bar hides and the wheel moves nothing.
    view.resize(400, 3000);
    view.showTask(task());
    EXPECT_TRUE(view.vsc()->isHidden());
    wheel(-120);
    EXPECT_EQ(view.content()->y(), 0);
    hook.unhookWheel();
}

TEST(ShowTask, MalformedImportLeavesThePreviousTaskWhole) {
    FakeMediaLengths lengths;
    ShowTask view(lengths);
    const Task good = task({region("R", songs(2))});
    EXPECT_EQ(view.importTask(taskExchangeText(good), regionExchangeTexts(good)), QString());
    EXPECT_EQ(view.captions(Kind::SongRow).size(), 2);
    const QString error = view.importTask("坏|x|||||True|False", {"1", "R|-1|0|0||0|5|"});
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(view.captions(Kind::TitleRow), QStringList{"早操"});
    EXPECT_EQ(view.captions(Kind::SongRow).size(), 2);
    EXPECT_EQ(view.shownTask().Regions.size(), 1);
    EXPECT_FALSE(view.importTask("T|1|||||True|False", {"2", "R|-1|0|0||0|0|"}).isEmpty());
    EXPECT_EQ(view.shownTask().Title, "早操");
}
