// The region editor control: filling and reading back a region, the kept
// values, the volume mode, song rows (add, drop, remove, modify), the red
// file column and the change announcements.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <gtest/gtest.h>

#include "model/RegionExchange.h"
#include "support/FakeMediaLengths.h"
#include "ui/UiFakes.h"
#include "ui/UiTestSupport.h"
#include "ui/editor/EditorTestSupport.h"
#include "ui/editor/RegionEditor.h"
#include "ui/editor/RepeatBox.h"

using namespace kolva;
using namespace kolva::test;

namespace {

class RegionEditorTest : public ::testing::Test {
protected:
    RegionEditorTest() {
        QObject::connect(&editor, &RegionEditor::RegionChanged, [this] { ++changes; });
        QObject::connect(&editor, &RegionEditor::RegionRemoved, [this] { ++removals; });
    }
    Region region(int32_t repeat = 0, int32_t sort = 0, QVector<Song> songs = {}) {
        Region r = newRegion();
        r.Title = QStringLiteral("区间1");
        r.Repeat = repeat;
        r.Sort = sort;
        r.Songs = songs;
        return r;
    }
    QTreeWidget &list() { return *editor.songList(); }
    QStringList column(int c) {
        QStringList texts;
        for (int i = 0; i < list().topLevelItemCount(); ++i)
            texts << list().topLevelItem(i)->text(c);
        return texts;
    }
    QStringList songs() { return songArray(editor.getRegion().Songs); }
    void typeInto(QWidget *box, const QString &ch) { typeKey(box, Qt::Key_unknown, ch); }

    FakeDialogs dialogs;
    FakeMediaLengths lengths;
    RegionEditor editor{dialogs, lengths};
    int changes = 0;
    int removals = 0;
};

} // namespace

TEST_F(RegionEditorTest, CreateAndGetRegionCarryEveryValueUnchanged) {
    Region r = region(0, 1,
                      {song(2, "00:00:10", "00:00:30", "/m/a|b.mp3"),
                       song(-1, "", "", QStringLiteral("/音乐/早操 #1 100% & 歌.mp3")),
                       song(1, "", "", "/m/c.mp3")});
    r.Title = QStringLiteral("早操 #1 & 100%");
    r.Volume = 35;
    r.Duration = "00:30:00";
    r.RegionID = 7;
    r.ParentTaskID = 3;
    r.Songs[0].SongID = 9;
    editor.createRegion(3, r);
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(editor.isLoading());
    EXPECT_EQ(editor.number(), 3);
    EXPECT_EQ(editor.indexLabel()->text(), "3");
    EXPECT_EQ(editor.volumeMode()->currentIndex(), 1);
    EXPECT_FALSE(editor.volumeBox()->isHidden());
    EXPECT_TRUE(editor.sortBox()->isChecked());

    const Region got = editor.getRegion();
    EXPECT_EQ(got.Title, r.Title);
    EXPECT_EQ(got.Volume, 35);
    EXPECT_EQ(got.Sort, 1);
    EXPECT_EQ(got.Duration, "00:30:00");
    EXPECT_EQ(got.RegionID, 0); // a fresh region: no ids travel
    EXPECT_EQ(got.ParentTaskID, 0);
    EXPECT_EQ(got.Songs[0].SongID, 0);
    const QStringList expected = {"3", "2|00:00:10|00:00:30|/m/a|b.mp3",
                                  QStringLiteral("-1|||/音乐/早操 #1 100% & 歌.mp3"),
                                  "1|||/m/c.mp3"};
    EXPECT_EQ(songs(), expected);
    EXPECT_EQ(column(1), (QStringList{QStringLiteral(" 2次"), QStringLiteral(" 循环"), " "}));
    EXPECT_EQ(column(2), (QStringList{" 00:00:10", " ", " "}));
    EXPECT_EQ(column(3), (QStringList{" 00:00:30", " ", " "}));
    EXPECT_EQ(column(4).first(), " /m/a|b.mp3");

    // An edit rebuilds the songs from the rows: still the same values.
    typeInto(editor.titleBox(), "x");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(songs(), expected);

    // Filling again with the "0" list leaves no rows of the earlier region.
    editor.createRegion(4, region(0, 0, songsFromArray({"0"})));
    EXPECT_EQ(list().topLevelItemCount(), 0);
    typeInto(editor.titleBox(), "y");
    EXPECT_EQ(songs(), QStringList{"0"});
}

TEST_F(RegionEditorTest, UntouchedRepeatAndSortKeepTheirStoredValues) {
    struct Case {
        int32_t repeat;
        int32_t sort;
        bool loopShown;
        int countShown;
        bool sortShown;
    };
    const Case cases[] = {
        {3, 0, false, 3, false}, {1, 0, false, 1, false},  {0, 2, false, 1, false},
        {-1, 1, true, 1, true},  {-2, -1, true, 1, false}, {5000, 0, false, 999, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("repeat " + std::to_string(c.repeat) + " sort " + std::to_string(c.sort));
        editor.createRegion(1, region(c.repeat, c.sort));
        RepeatBox *repeat = editor.repeatBox();
        EXPECT_EQ(repeat->loopBox()->isChecked(), c.loopShown);
        EXPECT_EQ(repeat->countBox()->isHidden(), c.loopShown);
        EXPECT_EQ(repeat->countBox()->value(), c.countShown);
        EXPECT_EQ(editor.sortBox()->isChecked(), c.sortShown);
        typeInto(editor.titleBox(), "x");
        EXPECT_EQ(editor.getRegion().Repeat, c.repeat);
        EXPECT_EQ(editor.getRegion().Sort, c.sort);
    }

    // Clicks replace them: "循环" checked -1, cleared 0; a number n passes.
    editor.createRegion(1, region(3, 2));
    editor.repeatBox()->loopBox()->click();
    EXPECT_EQ(editor.getRegion().Repeat, -1);
    EXPECT_TRUE(editor.repeatBox()->countBox()->isHidden());
    editor.repeatBox()->loopBox()->click();
    EXPECT_EQ(editor.getRegion().Repeat, 0);
    EXPECT_EQ(editor.repeatBox()->countBox()->value(), 1);
    editor.repeatBox()->countBox()->setValue(4);
    EXPECT_EQ(editor.getRegion().Repeat, 4);
    editor.sortBox()->click();
    EXPECT_EQ(editor.getRegion().Sort, 1);
    editor.sortBox()->click();
    EXPECT_EQ(editor.getRegion().Sort, 0);
}

TEST_F(RegionEditorTest, VolumeModeRoundTrip) {
    editor.createRegion(1, region()); // volume -1
    QComboBox *mode = editor.volumeMode();
    EXPECT_EQ(mode->currentIndex(), 0);
    EXPECT_TRUE(editor.volumeBox()->isHidden());
    EXPECT_EQ(editor.volumeBox()->text(), "-1");

    typeKey(mode, Qt::Key_Down); // choosing item 1
    EXPECT_EQ(mode->currentIndex(), 1);
    EXPECT_FALSE(editor.volumeBox()->isHidden());
    EXPECT_EQ(editor.volumeBox()->text(), "100");
    EXPECT_EQ(editor.getRegion().Volume, 100);
    EXPECT_EQ(changes, 1);

    editor.volumeBox()->setText("62.5");
    EXPECT_EQ(editor.getRegion().Volume, 62);
    typeKey(mode, Qt::Key_Up);
    EXPECT_EQ(editor.getRegion().Volume, -1);
    EXPECT_TRUE(editor.volumeBox()->isHidden());
    EXPECT_EQ(changes, 3);
}

TEST_F(RegionEditorTest, AddRemoveAndModifySongRows) {
    editor.createRegion(1, region());
    dialogs.filesAnswer = {"/m/c.mp3", "/m/a.mp3", QStringLiteral("/m/歌 b.mp3")};
    editor.addSongButton()->click();
    EXPECT_EQ(dialogs.fileListDialogs,
              QStringList{QStringLiteral("打开文件|曲目文件 (*.mp3 *.wav *.wmv *.wma *.ogg *.flac "
                                         "*.m4a *.opus);;所有文件 (*)")});
    EXPECT_EQ(songs(), (QStringList{"3", "0|||/m/c.mp3", "0|||/m/a.mp3",
                                    QStringLiteral("0|||/m/歌 b.mp3")}));
    EXPECT_EQ(column(4).last(), QStringLiteral(" /m/歌 b.mp3"));
    EXPECT_EQ(changes, 1);

    dialogs.filesAnswer.clear(); // cancelled
    editor.addSongButton()->click();
    editor.removeSongButton()->click(); // nothing selected
    editor.modifySongButton()->click();
    EXPECT_EQ(changes, 1);

    list().topLevelItem(0)->setSelected(true);
    list().topLevelItem(2)->setSelected(true);
    editor.removeSongButton()->click();
    EXPECT_EQ(songs(), (QStringList{"1", "0|||/m/a.mp3"}));
    EXPECT_EQ(changes, 2);

    // Modify (button, then a double click): the dialog's answer is written back.
    list().topLevelItem(0)->setSelected(true);
    bool opened = false;
    whenSongDialogOpens(
        [](SongDialog &d) {
            EXPECT_EQ(d.fileBox()->text(), "/m/a.mp3");
            d.startBox()->setText("0:0:5");
            d.fileBox()->setText("/m/x|y.mp3");
            d.repeatBox()->loopBox()->click();
            d.okButton()->click();
        },
        &opened);
    editor.modifySongButton()->click();
    EXPECT_TRUE(opened);
    EXPECT_EQ(songs(), (QStringList{"1", "-1|00:00:05||/m/x|y.mp3"}));
    EXPECT_EQ(column(1), QStringList{QStringLiteral(" 循环")});
    EXPECT_EQ(changes, 3);

    editor.resize(640, 240);
    editor.show();
    const QRect rect = list().visualItemRect(list().topLevelItem(0));
    opened = false;
    whenSongDialogOpens([](SongDialog &d) { d.cancelButton()->click(); }, &opened);
    sendMouse(list().viewport(), QEvent::MouseButtonPress, Qt::LeftButton, rect.center());
    sendMouse(list().viewport(), QEvent::MouseButtonRelease, Qt::LeftButton, rect.center());
    sendMouse(list().viewport(), QEvent::MouseButtonDblClick, Qt::LeftButton, rect.center());
    EXPECT_TRUE(opened);
    EXPECT_EQ(changes, 3); // cancelled: nothing changes

    editor.removeRegionButton()->click();
    EXPECT_EQ(removals, 1);
    EXPECT_EQ(songs(), (QStringList{"1", "-1|00:00:05||/m/x|y.mp3"}));
}

TEST_F(RegionEditorTest, FilesDroppedOntoTheListAreAppended) {
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("歌 a.mp3"));
    const QString b = dir.filePath("b.wav");
    for (const QString &path : {a, b}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    editor.createRegion(1, region(0, 0, {song(0, "", "", "/m/first.mp3")}));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(b), QUrl::fromLocalFile(dir.path()), QUrl::fromLocalFile(a),
                  QUrl("https://example.com/c.mp3")});
    QWidget *viewport = list().viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    EXPECT_EQ(songs(), (QStringList{"3", "0|||/m/first.mp3", "0|||" + b, "0|||" + a}));
    EXPECT_EQ(changes, 1);

    QMimeData text;
    text.setText("not a file");
    QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &refused);
    EXPECT_FALSE(refused.isAccepted());
}

TEST_F(RegionEditorTest, FileColumnRedWhenNotPlayableAlsoWhenTheAnswerComesLater) {
    lengths.know("/ok.mp3", 12.0);
    lengths.know("/bad.mp3", 0.0);
    editor.createRegion(1, region(0, 0,
                                  {song(0, "", "", "/ok.mp3"), song(0, "", "", "/bad.mp3"),
                                   song(0, "", "", "/late.mp3"), song(0, "", "", "/fine.mp3")}));
    auto red = [this](int row) {
        return list().topLevelItem(row)->foreground(4).color() == RegionEditor::unplayableColor();
    };
    EXPECT_EQ(RegionEditor::unplayableColor(), QColor("#C00000"));
    EXPECT_FALSE(red(0));
    EXPECT_TRUE(red(1));
    EXPECT_FALSE(red(2)); // not known yet
    EXPECT_EQ(lengths.asked, (QStringList{"/late.mp3", "/fine.mp3"}));
    lengths.answer("/late.mp3", 0.0);
    lengths.answer("/fine.mp3", 3.5);
    EXPECT_TRUE(red(2));
    EXPECT_FALSE(red(3));
    EXPECT_EQ(changes, 0); // colouring is no edit
}

TEST_F(RegionEditorTest, EveryKeystrokeAnnouncesAndOnlyUserChangesDo) {
    editor.createRegion(2, region());
    EXPECT_EQ(changes, 0);
    typeInto(editor.titleBox(), "a");
    typeInto(editor.titleBox(), "b");
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(editor.getRegion().Title, QStringLiteral("区间1ab"));
    typeInto(editor.durationBox(), "1");
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(editor.getRegion().Duration, "1");
    editor.setDurationText("00:00:01"); // the task editor's normalisation
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(editor.getRegion().Duration, "00:00:01");
    EXPECT_EQ(editor.durationBox()->text(), "00:00:01");
}

TEST_F(RegionEditorTest, TextsNamesAndColumns) {
    editor.createRegion(1, region());
    QStringList labels;
    for (const QLabel *label : editor.findChildren<QLabel *>())
        labels << label->text();
    for (const char *text : {"区间", "标题", "音量", "时长", "格式(时:分:秒) 例如 00:30:00"})
        EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text;
    EXPECT_EQ(editor.sortBox()->text(), QStringLiteral("随机播放"));
    EXPECT_EQ(editor.repeatBox()->loopBox()->text(), QStringLiteral("循环"));
    EXPECT_EQ(editor.volumeMode()->itemText(0), QStringLiteral("1 - 默认音量"));
    EXPECT_EQ(editor.volumeMode()->itemText(1), QStringLiteral("2 - 自定义音量(0-100)"));
    EXPECT_EQ(editor.titleBox()->accessibleName(), QStringLiteral("标题"));
    EXPECT_EQ(editor.volumeBox()->accessibleName(), QStringLiteral("音量"));
    EXPECT_EQ(editor.durationBox()->accessibleName(), QStringLiteral("时长"));
    EXPECT_EQ(editor.sortBox()->accessibleName(), QStringLiteral("随机播放"));
    const std::pair<QToolButton *, const char *> buttons[] = {
        {editor.addSongButton(), "添加曲目"},
        {editor.removeSongButton(), "删除曲目"},
        {editor.modifySongButton(), "修改曲目"},
        {editor.removeRegionButton(), "删除区间"}};
    for (const auto &[button, name] : buttons) {
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(name));
        EXPECT_EQ(button->accessibleName(), QString::fromUtf8(name));
        EXPECT_FALSE(button->icon().isNull());
        EXPECT_NE(button->focusPolicy() & Qt::TabFocus, 0);
    }

    QTreeWidget &songList = list();
    EXPECT_TRUE(songList.isHeaderHidden());
    EXPECT_EQ(songList.frameShape(), QFrame::NoFrame);
    EXPECT_EQ(songList.selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(songList.editTriggers(), QAbstractItemView::NoEditTriggers);
    const QStringList headers = {"   index", QStringLiteral("循环"), QStringLiteral("  开始"),
                                 QStringLiteral("  时长"), QStringLiteral("  曲目文件")};
    const int twips[] = {10, 800, 1000, 1000};
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(songList.headerItem()->text(c), headers[c]);
        if (c < 4) {
            EXPECT_EQ(songList.columnWidth(c),
                      qMax(1, qRound(twips[c] * songList.logicalDpiX() / 1440.0)));
        }
    }
}

TEST_F(RegionEditorTest, ShownInAWindowNothingIsCut) {
    editor.createRegion(12, region(0, 0, {song(0, "", "", "/m/a.mp3")}));
    editor.resize(editor.sizeHint());
    editor.show();
    ASSERT_TRUE(editor.isVisible());
    for (QWidget *child : editor.findChildren<QWidget *>()) {
        if (!child->isVisibleTo(&editor) || qobject_cast<QTreeWidget *>(child->parentWidget()))
            continue;
        if (qobject_cast<QLabel *>(child) || qobject_cast<QCheckBox *>(child) ||
            qobject_cast<QToolButton *>(child) || qobject_cast<QComboBox *>(child)) {
            EXPECT_GE(child->width(), child->minimumSizeHint().width())
                << child->metaObject()->className() << " " << child->objectName().toStdString();
        }
    }
    EXPECT_GE(list().height(), list().visualItemRect(list().topLevelItem(0)).height() * 3);
}
