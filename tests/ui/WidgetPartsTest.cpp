// The main window's parts on their own: task list view, status strip, skins,
// the click rule of the bars and the buttons' accessible actions.
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

#include "ui/UiTestSupport.h"
#include "ui/main/Skin.h"
#include "ui/main/StatusStrip.h"
#include "ui/main/TaskListView.h"
#include "ui/main/Tray.h"
#include "ui/widgets/AccessibleActions.h"
#include "ui/widgets/ClickBar.h"

using namespace kolva;
using kolva::test::app;
using kolva::test::click;

namespace {

Task task(int id, const QString &title, const QString &start, bool enabled) {
    Task t = newTask();
    t.TaskID = id;
    t.Title = title;
    t.StartTime = start;
    t.Enabled = enabled;
    return t;
}

QString sourceRoot() {
    return QDir(QFileInfo(QStringLiteral(__FILE__)).absolutePath() + "/../..").canonicalPath();
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(TaskListView, ColumnsRowsIconsAndKeys) {
    TaskListView view;
    view.initTaskListView();
    ASSERT_EQ(view.columnCount(), 3);
    EXPECT_EQ(view.headerItem()->text(0), "   index");
    EXPECT_EQ(view.headerItem()->text(1), QStringLiteral("开启时间"));
    EXPECT_EQ(view.headerItem()->text(2), QStringLiteral("      任务列表"));
    // The designed widths, or wider where a caption needs it (never cut).
    const int designed[] = {40, 53, 233};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(view.columnWidth(i), qMax(designed[i], view.header()->sectionSizeHint(i))) << i;
    EXPECT_EQ(view.width(), view.header()->length() + 24);
    EXPECT_EQ(view.topLevelItemCount(), 0); // an empty list: columns, no rows

    view.fillTaskList({task(0, QStringLiteral("早操"), "07:30:00", true),
                       task(1, QStringLiteral("午休"), "12:05:09", false),
                       task(12, "", "8:5", true)});
    ASSERT_EQ(view.topLevelItemCount(), 3);
    const QTreeWidgetItem *first = view.topLevelItem(0);
    EXPECT_EQ(first->text(0), "");
    EXPECT_EQ(first->text(1), " 07:30");
    EXPECT_EQ(first->text(2), QStringLiteral(" 早操"));
    EXPECT_EQ(first->columnCount(), 4); // the fourth, empty sub-item
    EXPECT_EQ(first->text(3), "");
    EXPECT_EQ(view.rowKey(0), "Key0");
    EXPECT_EQ(view.rowKey(1), "Key1");
    EXPECT_EQ(view.rowKey(2), "Key12");
    EXPECT_EQ(view.rowImageIndex(0), 1);
    EXPECT_EQ(view.rowImageIndex(1), 2);
    EXPECT_EQ(first->icon(0).cacheKey(), view.listImage(1).cacheKey());
    EXPECT_EQ(view.topLevelItem(1)->icon(0).cacheKey(), view.listImage(2).cacheKey());
    EXPECT_EQ(view.topLevelItem(2)->text(1), " 8:5"); // first five characters as stored

    // Refilling replaces the rows; an empty list leaves none.
    view.fillTaskList({task(0, "a", "01:00:00", false)});
    EXPECT_EQ(view.topLevelItemCount(), 1);
    EXPECT_EQ(view.rowImageIndex(0), 2);
    view.fillTaskList({});
    EXPECT_EQ(view.topLevelItemCount(), 0);
    EXPECT_EQ(view.columnCount(), 3);
}

TEST(TaskListView, ClickReportsTheTaskIdOfTheKey) {
    TaskListView view;
    view.initTaskListView();
    view.fillTaskList({task(0, "a", "01:00:00", true), task(7, "b", "02:00:00", true)});
    view.resize(400, 200);
    view.show();
    QList<int> clicked;
    QObject::connect(&view, &TaskListView::taskClicked, [&](int id) { clicked.append(id); });
    const QRect second = view.visualItemRect(view.topLevelItem(1));
    click(view.viewport(), Qt::LeftButton, second.center());
    EXPECT_EQ(clicked, QList<int>{7});

    EXPECT_EQ(TaskListView::taskIdFromKey("Key0"), 0);
    EXPECT_EQ(TaskListView::taskIdFromKey("Key42"), 42);
    EXPECT_EQ(TaskListView::taskIdFromKey("Kex1"), -1);
    EXPECT_EQ(TaskListView::taskIdFromKey("Key"), -1);
}

TEST(StatusStrip, PagesAreWrittenLineByLine) {
    StatusStrip strip;
    strip.initHtmlPage();
    const QStringList empty = {
        "<HTML>",
        "<HEAD>",
        "<TITLE>",
        "</TITLE>",
        "</HEAD>",
        "<BODY style='background:#FCFFDF;border:0px;margin:0px;' scroll=\"no\" "
        "oncontextmenu=self.event.returnValue=false>",
        "</BODY>",
        "</HTML>"};
    EXPECT_EQ(strip.pageLines(), empty);
    EXPECT_FALSE(strip.documentOpen());
    EXPECT_EQ(strip.pageColor(), QColor("#FCFFDF"));
    EXPECT_TRUE(strip.pictureFile().isEmpty());

    const QString content = "<span style='font-size:10pt;'></span>";
    strip.writeHtmlPage(content);
    const QStringList page = {
        "<HTML>",
        "<HEAD>",
        "<TITLE>",
        "</TITLE>",
        "</HEAD>",
        "<BODY  style='background:#FFD9D9;border:0px;margin:0px;' scroll=\"no\" "
        "oncontextmenu=self.event.returnValue=false>",
        "<div style=\"position:absolute; left: 5; top: 6;\">",
        content,
        "</div>",
        "</BODY>",
        "</HTML>"};
    EXPECT_EQ(strip.pageLines(), page);
    EXPECT_TRUE(strip.documentOpen()); // writeHtmlPage leaves it open
    EXPECT_EQ(strip.pageColor(), QColor("#FFD9D9"));
    EXPECT_TRUE(strip.pictureFile().isEmpty());
    EXPECT_EQ(strip.contextMenuPolicy(), Qt::NoContextMenu);
}

TEST(StatusStrip, RunningImageIsAnimatedAtFiveSixAndTwentyWide) {
    QTemporaryDir dir; // a folder with an ampersand, inserted unescaped
    const QString folder = dir.path() + "/a&b";
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString gif = folder + "/1.gif";
    ASSERT_TRUE(QFile::copy(sourceRoot() + "/resources/user/pic/1.gif", gif));
    StatusStrip strip;
    strip.resize(40, 32);
    strip.show();
    const QString content = "<IMG SRC=\"" + gif +
                            "\" STYLE=\" width:20px;margin-left:0px;margin-top:0px; \" "
                            "BORDER=\"0\"><span style='font-size:10pt;'></span>";
    strip.writeHtmlPage(content);
    EXPECT_EQ(strip.pageLines().at(7), content);
    EXPECT_EQ(strip.pictureFile(), gif);
    EXPECT_FALSE(strip.pictureMissing());
    EXPECT_EQ(strip.pictureGeometry().topLeft(), QPoint(5, 6));
    EXPECT_EQ(strip.pictureGeometry().width(), 20);
    EXPECT_TRUE(strip.pictureAnimating());
    // No frames while nobody can see them (the window in the tray).
    strip.hide();
    EXPECT_FALSE(strip.pictureAnimating());
    strip.show();
    EXPECT_TRUE(strip.pictureAnimating());

    // Off again: the picture goes.
    strip.writeHtmlPage("<span style='font-size:10pt;'></span>");
    EXPECT_TRUE(strip.pictureFile().isEmpty());
    EXPECT_FALSE(strip.pictureAnimating());

    // A missing picture shows a broken-image mark, silently.
    strip.writeHtmlPage("<IMG SRC=\"" + folder + "/none.gif\" STYLE=\" width:20px;\">");
    EXPECT_TRUE(strip.pictureMissing());
    EXPECT_FALSE(strip.pictureAnimating());
}

TEST(Skin, ValidSheetIsAppliedAndBrokenOnesLeaveTheLook) {
    QTemporaryDir dir;
    const QString good = dir.path() + "/good.she";
    writeFile(good, "/* c { */ QPushButton#cmdStart:hover { color: #fff; padding: 2px 4px }\n"
                    "QLabel { font: \"Noto Sans\"; }");
    const QString before = app().styleSheet();
    ASSERT_TRUE(Skin::apply(app(), good));
    EXPECT_TRUE(app().styleSheet().contains("QPushButton#cmdStart:hover"));
    const QString applied = app().styleSheet();

    const QString binary = dir.path() + "/binary.she";
    writeFile(binary, QByteArray("\x00\x01SKIN\xff\xfe\x80", 9));
    const QString unclosed = dir.path() + "/unclosed.she";
    writeFile(unclosed, "QWidget { color: red;");
    const QString nested = dir.path() + "/nested.she";
    writeFile(nested, "QWidget { QLabel { color: red; } }");
    const QString noColon = dir.path() + "/nocolon.she";
    writeFile(noColon, "QWidget { color red; }");
    const QString empty = dir.path() + "/empty.she";
    writeFile(empty, "  /* nothing */ ");
    for (const QString &file :
         {binary, unclosed, nested, noColon, empty, dir.path() + "/missing.she"}) {
        EXPECT_FALSE(Skin::apply(app(), file)) << file.toStdString();
        EXPECT_EQ(app().styleSheet(), applied) << file.toStdString();
    }
    app().setStyleSheet(before);
}

TEST(Skin, ShippedSkinsAreUsable) {
    for (const char *file : {"/resources/user/compact.she.dll", "/resources/user/skins/dark.she",
                             "/resources/user/skins/classic.she"}) {
        QFile f(sourceRoot() + QString::fromLatin1(file));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << file;
        EXPECT_TRUE(Skin::isUsableStyleSheet(QString::fromUtf8(f.readAll()))) << file;
    }
}

TEST(Skin, TheKeyboardFocusShowsInEverySkinAndMovesNothing) {
    const QString before = app().styleSheet();
    for (const char *file :
         {"", "/resources/user/compact.she.dll", "/resources/user/skins/dark.she",
          "/resources/user/skins/classic.she"}) {
        app().setStyleSheet(QString());
        if (*file) {
            ASSERT_TRUE(Skin::apply(app(), sourceRoot() + QString::fromLatin1(file))) << file;
        }
        QWidget window;
        auto *layout = new QHBoxLayout(&window);
        auto *push = new QPushButton(QStringLiteral("关于"));
        auto *start = new QPushButton(QStringLiteral("开始定时"));
        start->setObjectName(QStringLiteral("cmdStart"));
        auto *tool = new QToolButton;
        tool->setText(QStringLiteral("+"));
        tool->setAutoRaise(true);
        tool->setFocusPolicy(Qt::StrongFocus);
        auto *box = new QCheckBox(QStringLiteral("开机自动启动"));
        auto *bar = new ClickBar;
        bar->setFixedSize(110, 12);
        auto *elsewhere = new QLineEdit;
        for (QWidget *w : std::initializer_list<QWidget *>{push, start, tool, box, bar, elsewhere})
            layout->addWidget(w);
        window.show();
        window.activateWindow();
        QCoreApplication::processEvents();
        // Tab from the last control goes round to the first, and on.
        elsewhere->setFocus(Qt::TabFocusReason);
        for (QWidget *w : std::initializer_list<QWidget *>{push, start, tool, box, bar}) {
            const QSize size = w->size();
            const QImage plain = w->grab().toImage();
            QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
            QApplication::sendEvent(QApplication::focusWidget(), &tab);
            const std::string what = std::string(*file ? file : "no skin") + " " +
                                     w->metaObject()->className() + " " +
                                     w->objectName().toStdString();
            ASSERT_TRUE(w->hasFocus()) << what;
            EXPECT_NE(w->grab().toImage(), plain) << what;
            EXPECT_EQ(w->size(), size) << what;
        }
    }
    app().setStyleSheet(before);
}

TEST(ClickBar, ReleaseFractionFollowsTheTwipsRule) {
    // 120 twips = 8 px at 96 dpi, 12 px at 144 dpi.
    EXPECT_DOUBLE_EQ(ClickBar::clickFraction(0, 200, 96), 8.0 / 200);
    EXPECT_DOUBLE_EQ(ClickBar::clickFraction(92, 200, 96), 0.5);
    EXPECT_DOUBLE_EQ(ClickBar::clickFraction(88, 200, 144), 0.5);
    EXPECT_DOUBLE_EQ(ClickBar::clickFraction(195, 200, 96), 1.0); // limited to the width
    EXPECT_DOUBLE_EQ(ClickBar::clickFraction(-30, 200, 96), 0.0); // raised to 0
    EXPECT_DOUBLE_EQ(ClickBar::clickFraction(10, 0, 96), 0.0);

    ClickBar bar;
    bar.resize(200, 12);
    bar.show();
    QList<double> released;
    QObject::connect(&bar, &ClickBar::positionChosen, [&](double f) { released.append(f); });
    click(&bar, Qt::RightButton, QPoint(50, 6));
    click(&bar, Qt::MiddleButton, QPoint(50, 6));
    EXPECT_TRUE(released.isEmpty()); // only the left button acts
    click(&bar, Qt::LeftButton, QPoint(42, 6));
    ASSERT_EQ(released.size(), 1);
    const double offset = 120.0 * bar.logicalDpiX() / 1440.0;
    EXPECT_DOUBLE_EQ(released.at(0), (42 + offset) / 200);

    bar.setRangeF(0, 59.6);
    bar.setValueF(30.25);
    EXPECT_NEAR(bar.valueF(), 30.25, 1e-9);
    bar.setValueF(80); // beyond the end shows the end
    EXPECT_NEAR(bar.valueF(), 59.6, 1e-9);

    // Keys move from the shown value as a click there would, within the ends.
    bar.setRangeF(0, 200);
    const struct {
        double shown;
        Qt::Key key;
        double fraction;
    } keys[] = {{100, Qt::Key_Right, 0.55}, {100, Qt::Key_Down, 0.45}, {100, Qt::Key_PageUp, 0.7},
                {5, Qt::Key_PageDown, 0},   {100, Qt::Key_End, 1},     {196, Qt::Key_Up, 1}};
    for (const auto &k : keys) {
        released.clear();
        bar.setValueF(k.shown);
        QKeyEvent press(QEvent::KeyPress, k.key, Qt::NoModifier);
        QApplication::sendEvent(&bar, &press);
        ASSERT_EQ(released.size(), 1) << k.key;
        EXPECT_NEAR(released.at(0), k.fraction, 1e-9) << k.key;
    }
    EXPECT_EQ(bar.focusPolicy(), Qt::StrongFocus);
}

TEST(Tray, ClickThatRestoresDependsOnTheHost) {
    struct Case {
        QSystemTrayIcon::ActivationReason reason;
        bool notifierHost;
        bool restores;
    };
    const Case cases[] = {
        {QSystemTrayIcon::DoubleClick, false, true}, {QSystemTrayIcon::Trigger, false, false},
        {QSystemTrayIcon::Context, false, false},    {QSystemTrayIcon::DoubleClick, true, true},
        {QSystemTrayIcon::Trigger, true, true},      {QSystemTrayIcon::Context, true, false},
        {QSystemTrayIcon::MiddleClick, true, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Tray::restoresWindow(c.reason, c.notifierHost), c.restores)
            << "reason " << c.reason << ", notifier host " << c.notifierHost;
}

TEST(AccessibleActions, PressAndToggleAreTheUsersClickAfterTheReply) {
    installAccessibleButtons();
    QToolButton tool;
    tool.setAccessibleName(QStringLiteral("添加任务"));
    QCheckBox box(QStringLiteral("周&一"));
    struct Case {
        QAbstractButton *button;
        QString action;
        QAccessible::Role role;
        QString name;
    } cases[] = {
        {&tool, QAccessibleActionInterface::pressAction(), QAccessible::Button, "添加任务"},
        {&box, QAccessibleActionInterface::toggleAction(), QAccessible::CheckBox, "周一"},
    };
    for (const Case &c : cases) {
        int clicks = 0;
        QObject::connect(c.button, &QAbstractButton::clicked, [&] { ++clicks; });
        QAccessibleInterface *button = QAccessible::queryAccessibleInterface(c.button);
        ASSERT_TRUE(button && button->actionInterface());
        EXPECT_EQ(button->role(), c.role);
        EXPECT_EQ(button->text(QAccessible::Name), c.name);
        ASSERT_TRUE(button->actionInterface()->actionNames().contains(c.action));
        button->actionInterface()->doAction(c.action);
        EXPECT_EQ(clicks, 0) << "the call returns before the work";
        QCoreApplication::processEvents();
        EXPECT_EQ(clicks, 1) << "then it runs as the user's click";
    }
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(&box)->state().checked);
}
