// The widgets of fMain and where they sit. Names follow the controls of the
// window so that skins and tests can address them by objectName.
#include <QAction>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "ui/main/MainWindow.h"
#include "ui/main/Pictures.h"
#include "ui/main/StatusStrip.h"
#include "ui/main/TaskListView.h"
#include "ui/widgets/ClickBar.h"
#include "ui/widgets/LiveLine.h"

namespace kolva {

namespace {

QLabel *namedLabel(const char *name, QWidget *parent) {
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QPushButton *namedButton(const char *name, const QString &caption, QWidget *parent) {
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

} // namespace

void MainWindow::buildWidgets() {
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("Picture1"));
    auto *outer = new QVBoxLayout(central);
    outer->setContentsMargins(8, 8, 8, 6);
    outer->setSpacing(6);

    auto *top = new QHBoxLayout();
    top->setSpacing(8);
    top->addWidget(buildListPane(), 0);
    auto *detailsFrame = new QFrame(central);
    detailsFrame->setFrameShape(QFrame::StyledPanel);
    m_detailsHost = detailsFrame;
    m_detailsHost->setObjectName(QStringLiteral("Picture2"));
    auto *detailsLayout = new QVBoxLayout(m_detailsHost);
    detailsLayout->setContentsMargins(0, 0, 0, 0);
    // Shown until a detail view takes the place.
    m_detailsPlaceholder =
        new QLabel(QStringLiteral("点击左侧列表中的任务，在这里查看它的区间和歌曲"), m_detailsHost);
    m_detailsPlaceholder->setObjectName(QStringLiteral("lblDetailsHint"));
    m_detailsPlaceholder->setAlignment(Qt::AlignCenter);
    m_detailsPlaceholder->setWordWrap(true);
    m_detailsPlaceholder->setEnabled(false);
    detailsLayout->addWidget(m_detailsPlaceholder);
    m_detailsHost->setMinimumWidth(300);
    top->addWidget(m_detailsHost, 1);
    outer->addLayout(top, 1);

    outer->addWidget(buildPlaybackPane(), 0);
    outer->addWidget(buildBottomBar(), 0);

    m_lblError = new LiveLine(central);
    m_lblError->setObjectName(QStringLiteral("lblError"));
    m_lblError->setWordWrap(true);
    m_lblError->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_lblError->hide();
    outer->addWidget(m_lblError, 0);

    m_lblSoundOutput = namedLabel("lblSoundOutput", central);
    m_lblSoundOutput->setText(soundOutputMissingText());
    m_lblSoundOutput->hide();
    outer->addWidget(m_lblSoundOutput, 0);

    // Text1 takes the focus after the schedule pictures; it is kept out of
    // sight like the original's one-pixel box.
    m_scheduleFocusBox = new QLineEdit(central);
    m_scheduleFocusBox->setObjectName(QStringLiteral("Text1"));
    m_scheduleFocusBox->setFixedSize(1, 1);
    m_scheduleFocusBox->setFrame(false);
    m_scheduleFocusBox->setReadOnly(true);
    m_scheduleFocusBox->setAccessibleName(QStringLiteral("定时状态"));
    // Given the focus by the program only: Tab never stops where nobody
    // could see the focus.
    m_scheduleFocusBox->setFocusPolicy(Qt::ClickFocus);
    m_scheduleFocusBox->move(-10, -10);

    setCentralWidget(central);
    resize(860, 560);
    buildTrayMenu();
}

QWidget *MainWindow::buildListPane() {
    auto *pane = new QWidget(this);
    pane->setObjectName(QStringLiteral("Picture3"));
    auto *layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);

    m_taskList = new TaskListView(pane);
    // The three columns (40 + 53 + 233 px) plus the frame and a scroll bar.
    const int listWidth = int(std::lround(350 * m_taskList->logicalDpiX() / 96.0));
    m_taskList->setMinimumWidth(listWidth);
    m_taskList->setMaximumWidth(listWidth);
    m_taskList->setAccessibleName(QStringLiteral("任务列表"));
    layout->addWidget(m_taskList, 1);

    auto *row = new QHBoxLayout();
    m_cmdTaskList = namedButton("cmdTaskList", QStringLiteral("任务管理"), pane);
    row->addWidget(m_cmdTaskList);
    // What plays on any day, and why.
    m_cmdDayView = namedButton("cmdDayView", QStringLiteral("日程"), pane);
    m_cmdDayView->setAccessibleName(QStringLiteral("日程"));
    m_cmdDayView->setToolTip(QStringLiteral("查看某天播放哪些任务、为什么不播放，以及播放记录"));
    row->addWidget(m_cmdDayView);
    row->addStretch(1);
    layout->addLayout(row);
    return pane;
}

QWidget *MainWindow::buildPlaybackPane() {
    auto *pane = new QFrame(this);
    pane->setObjectName(QStringLiteral("Picture4"));
    pane->setFrameShape(QFrame::StyledPanel);
    auto *grid = new QGridLayout(pane);
    grid->setContentsMargins(10, 8, 10, 8);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);

    m_lblTask = namedLabel("lblTask", pane);
    m_lblRegion = namedLabel("lblRegion", pane);
    m_lblTimeing = namedLabel("lblTimeing", pane);
    m_lblSongTitle = namedLabel("lblSongTitle", pane);
    m_lblSongFile = namedLabel("lblSongFile", pane);
    m_lblPlayTime = namedLabel("lblPlayTime", pane);
    m_lblTotalTime = namedLabel("lblTotalTime", pane);
    m_lblEngine = namedLabel("lblEngine", pane);
    QFont strong = m_lblTask->font();
    strong.setBold(true);
    m_lblTask->setFont(strong);
    m_lblSongTitle->setFont(strong);
    m_lblSongFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_lblSongFile->setMinimumWidth(100);
    m_lblSongFile->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto *titles = new QHBoxLayout();
    titles->setSpacing(14);
    titles->addWidget(m_lblTask);
    titles->addWidget(m_lblRegion);
    titles->addStretch(1);
    titles->addWidget(m_lblTimeing);
    grid->addLayout(titles, 0, 0, 1, 4);
    grid->addWidget(m_lblSongTitle, 1, 0, 1, 4);
    grid->addWidget(m_lblSongFile, 2, 0, 1, 4);

    m_cmdPlay = new QToolButton(pane);
    m_cmdPlay->setObjectName(QStringLiteral("cmdPlay"));
    m_cmdPlay->setIconSize(QSize(24, 24));
    m_cmdPlay->setAutoRaise(true);
    m_cmdPlay->setEnabled(false);
    m_cmdPlay->setAccessibleName(QStringLiteral("播放/暂停"));
    grid->addWidget(m_cmdPlay, 3, 0);

    m_pgPlay = new ClickBar(pane);
    m_pgPlay->setObjectName(QStringLiteral("pgPlay"));
    m_pgPlay->setFixedHeight(12);
    m_pgPlay->setAccessibleName(QStringLiteral("进度"));
    grid->addWidget(m_pgPlay, 3, 1);

    auto *times = new QHBoxLayout();
    times->setSpacing(0);
    times->addWidget(m_lblPlayTime);
    times->addWidget(m_lblTotalTime);
    grid->addLayout(times, 3, 2);

    auto *volume = new QHBoxLayout();
    auto *volumeCaption = new QLabel(QStringLiteral("音量"), pane);
    volumeCaption->setObjectName(QStringLiteral("lblVolumeCaption"));
    volume->addWidget(volumeCaption);
    m_pgVolume = new ClickBar(pane);
    m_pgVolume->setObjectName(QStringLiteral("pgVolume"));
    m_pgVolume->setFixedSize(110, 12);
    m_pgVolume->setAccessibleName(QStringLiteral("音量"));
    volume->addWidget(m_pgVolume);
    grid->addLayout(volume, 3, 3);
    grid->addWidget(m_lblEngine, 4, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    return pane;
}

QWidget *MainWindow::buildBottomBar() {
    auto *bar = new QFrame(this);
    bar->setObjectName(QStringLiteral("Picture5"));
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);

    m_strip = new StatusStrip(bar);
    m_strip->setFixedSize(34, 32);
    row->addWidget(m_strip);

    m_lblTime = namedLabel("lblTime", bar);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(qMax(fixed.pointSize(), 14));
    fixed.setBold(true);
    m_lblTime->setFont(fixed);
    m_lblTime->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(QStringLiteral("00:00:00")) +
                               6);
    row->addWidget(m_lblTime);

    m_picDingShiStack = new QStackedWidget(bar);
    m_picDingShiStack->setObjectName(QStringLiteral("picDingShi"));
    for (int i = 0; i < 2; ++i) {
        auto *picture = new QToolButton(m_picDingShiStack);
        picture->setObjectName(QStringLiteral("picDingShi%1").arg(i));
        picture->setIcon(Pictures::dingShi(i));
        picture->setIconSize(QSize(28, 28));
        picture->setAutoRaise(true);
        picture->setToolTip(i == 0 ? QStringLiteral("开始定时") : QStringLiteral("停止定时"));
        picture->setAccessibleName(picture->toolTip());
        picture->setCursor(Qt::PointingHandCursor);
        m_picDingShi[i] = picture;
        m_picDingShiStack->addWidget(picture);
    }
    m_picDingShiStack->setFixedSize(34, 34);
    row->addWidget(m_picDingShiStack);

    m_cmdStart = namedButton("cmdStart", QStringLiteral("开始定时"), bar);
    row->addWidget(m_cmdStart);
    m_chkAutoRun = new QCheckBox(QStringLiteral("开机自动启动"), bar);
    m_chkAutoRun->setObjectName(QStringLiteral("chkAutoRun"));
    row->addWidget(m_chkAutoRun);
    row->addStretch(1);
    m_cmdSkin = namedButton("cmdSkin", QStringLiteral("皮肤"), bar);
    m_cmdOutput = namedButton("cmdOutput", QStringLiteral("声音输出"), bar);
    m_cmdOutput->setAccessibleName(QStringLiteral("声音输出"));
    m_aboutButton = namedButton("Command1", QStringLiteral("关于"), bar);
    m_webPageButton = namedButton("Command2", QStringLiteral("官方网站"), bar);
    m_helpButton = namedButton("Command3", QStringLiteral("帮助"), bar);
    row->addWidget(m_cmdSkin);
    row->addWidget(m_cmdOutput);
    row->addWidget(m_aboutButton);
    row->addWidget(m_webPageButton);
    row->addWidget(m_helpButton);
    return bar;
}

void MainWindow::buildTrayMenu() {
    m_mnuTray = new QMenu(QStringLiteral("托盘菜单"), this);
    m_mnuTray->setObjectName(QStringLiteral("mnuTray"));
    QAction *status = m_mnuTray->addAction(QStringLiteral("状态"));
    status->setObjectName(QStringLiteral("mnuTrayStatus"));
    m_mnuTray->addSeparator()->setObjectName(QStringLiteral("mnuBar2"));
    QAction *restore = m_mnuTray->addAction(QStringLiteral("恢复(&R)"));
    restore->setObjectName(QStringLiteral("mnuTrayRestore"));
    m_mnuTray->addSeparator()->setObjectName(QStringLiteral("mnuBar1"));
    QAction *close = m_mnuTray->addAction(QStringLiteral("关闭(&C)"));
    close->setObjectName(QStringLiteral("mnuTrayClose"));
    // "状态" has no action of its own.
    connect(restore, &QAction::triggered, this, &MainWindow::restoreFromTray);
    connect(close, &QAction::triggered, this, &QWidget::close);
}

} // namespace kolva
