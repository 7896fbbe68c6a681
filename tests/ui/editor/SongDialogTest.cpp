// The song clip dialog: its checks and messages, normalised times, and what
// Retrive hands back for OK, cancel and the close box.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <gtest/gtest.h>

#include "Version.h"
#include "ui/UiFakes.h"
#include "ui/editor/EditorTestSupport.h"
#include "ui/editor/RepeatBox.h"

using namespace kolva;
using namespace kolva::test;

namespace {
const QString startMessage =
    QStringLiteral("开始时间格式有误，参照示例：\r\n\r\n歌曲的10秒处开始应填入 00:00:10。");
const QString lengthMessage =
    QStringLiteral("时长格式有误，参照示例：\r\n\r\n30秒的时长应填入 00:00:30。");
} // namespace

TEST(SongDialog, OkChecksStartThenLengthAndNormalises) {
    FakeDialogs dialogs;
    SongDialog dialog(dialogs);
    dialog.fillSongFields(song(2, "", "", "/m/a.mp3"));
    dialog.startBox()->setText("1:60:00");
    dialog.lengthBox()->setText("half a minute");

    dialog.cmdOkClick(); // only the start is reported
    ASSERT_EQ(dialogs.infos.size(), 1);
    EXPECT_EQ(dialogs.infos[0].title, QStringLiteral(KOLVA_TITLE));
    EXPECT_EQ(dialogs.infos[0].text, startMessage);
    EXPECT_FALSE(dialog.confirmed());

    dialog.startBox()->setText("0:0:10");
    dialog.cmdOkClick();
    ASSERT_EQ(dialogs.infos.size(), 2);
    EXPECT_EQ(dialogs.infos[1].text, lengthMessage);
    EXPECT_EQ(dialog.startBox()->text(), "00:00:10"); // the valid start is written back
    EXPECT_FALSE(dialog.confirmed());

    dialog.lengthBox()->setText("0:0:30");
    dialog.cmdOkClick();
    EXPECT_EQ(dialogs.infos.size(), 2);
    ASSERT_TRUE(dialog.confirmed());
    EXPECT_EQ(dialog.song().StartTime, "00:00:10");
    EXPECT_EQ(dialog.song().Duration, "00:00:30");
    EXPECT_EQ(dialog.song().Repeat, 2);
    EXPECT_EQ(dialog.song().SongFile, "/m/a.mp3");
}

TEST(SongDialog, RetriveKeepsUntouchedValuesAndDropsCancelledEdits) {
    enum Action { OkUntouched, Uncheck, Check, CountThree, Cancel, CloseBox };
    struct Case {
        QString in;
        Action action;
        bool shownChecked;
        int shownCount;
        bool result;
        QString out;
    };
    const QString unicode = QStringLiteral("|00:00:01||/音乐/早操 #1 100% & 歌|2.mp3");
    const Case cases[] = {
        {"-1|||/a.mp3", OkUntouched, true, 1, true, "-1|||/a.mp3"},
        {"2" + unicode, OkUntouched, false, 2, true, "2" + unicode},
        {"1|||/a.mp3", OkUntouched, false, 1, true, "1|||/a.mp3"},
        {"-1|||/a.mp3", Uncheck, true, 1, true, "0|||/a.mp3"},
        {"2|||/a.mp3", Check, false, 2, true, "-1|||/a.mp3"},
        {"0|||/a.mp3", CountThree, false, 1, true, "3|||/a.mp3"},
        {"2|||/a.mp3", Cancel, false, 2, false, "2|||/a.mp3"},
        {"2|||/a.mp3", CloseBox, false, 2, false, "2|||/a.mp3"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.in.toStdString() + " action " + std::to_string(c.action));
        FakeDialogs dialogs;
        SongDialog dialog(dialogs);
        bool opened = false;
        whenSongDialogOpens(
            [&](SongDialog &d) {
                RepeatBox *repeat = d.repeatBox();
                EXPECT_EQ(repeat->loopBox()->isChecked(), c.shownChecked);
                EXPECT_EQ(repeat->countBox()->isHidden(), c.shownChecked);
                EXPECT_EQ(repeat->countBox()->value(), c.shownCount);
                switch (c.action) {
                case OkUntouched:
                    break;
                case Uncheck:
                case Check:
                    repeat->loopBox()->click();
                    break;
                case CountThree:
                    repeat->countBox()->setValue(3);
                    break;
                case Cancel:
                case CloseBox:
                    d.fileBox()->setText("/typed/elsewhere.mp3");
                    d.startBox()->setText("00:00:05");
                    if (c.action == Cancel)
                        d.cancelButton()->click();
                    else
                        d.close();
                    return;
                }
                d.okButton()->click();
            },
            &opened);
        QString text = c.in;
        EXPECT_EQ(dialog.Retrive(text, false, false), c.result);
        EXPECT_TRUE(opened);
        EXPECT_EQ(text, c.out);
    }
}

TEST(SongDialog, TextsAndNames) {
    FakeDialogs dialogs;
    SongDialog dialog(dialogs);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("曲目"));
    QStringList labels;
    for (const QLabel *label : dialog.findChildren<QLabel *>())
        labels << label->text();
    for (const char *text : {"曲目", "文件", "开始时间", "格式(时:分:秒) 例如 00:00:10", "时长",
                             "格式(时:分:秒) 例如 00:00:30", "提示:开始时间和时长可以用来截取歌曲"})
        EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text;
    EXPECT_EQ(dialog.okButton()->text(), QStringLiteral("确定(Y)"));
    EXPECT_EQ(dialog.cancelButton()->text(), QStringLiteral("取消(&N)"));
    EXPECT_EQ(dialog.repeatBox()->loopBox()->text(), QStringLiteral("循环"));
    EXPECT_EQ(dialog.fileBox()->accessibleName(), QStringLiteral("文件"));
    EXPECT_EQ(dialog.startBox()->accessibleName(), QStringLiteral("开始时间"));
    EXPECT_EQ(dialog.lengthBox()->accessibleName(), QStringLiteral("时长"));
    EXPECT_EQ(dialog.repeatBox()->loopBox()->accessibleName(), QStringLiteral("循环"));
    EXPECT_FALSE(dialog.repeatBox()->countBox()->accessibleName().isEmpty());
}
