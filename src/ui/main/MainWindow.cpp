#include "ui/main/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>

#include "Version.h"
#include "app/MainController.h"
#include "ui/main/OutputDialog.h"
#include "ui/main/StatusStrip.h"
#include "ui/main/TaskListView.h"
#include "ui/main/Tray.h"
#include "ui/taskview/ShowTask.h"
#include "ui/widgets/ClickBar.h"
#include "ui/widgets/LiveLine.h"
#include "ui/widgets/WheelHook.h"

namespace kolva {

MainWindow::MainWindow(QApplication &app, MainController &controller, Dialogs &dialogs, Tray &tray,
                       const AutoRun &autoRun, QWidget *parent)
    : QMainWindow(parent), m_app(app), m_controller(controller), m_dialogs(dialogs), m_tray(tray),
      m_autoRun(autoRun), m_taskViewWheel(new WheelHook(this)) {
    setObjectName(QStringLiteral("fMain"));
    setWindowTitle(QStringLiteral(KOLVA_TITLE));
    const QIcon icon(m_controller.paths().appPath + QStringLiteral("/user/pic/kolva.png"));
    if (!icon.isNull())
        setWindowIcon(icon);
    buildWidgets();

    connect(m_taskList, &TaskListView::taskClicked, this, &MainWindow::lvwTaskListClicked);
    connect(m_cmdTaskList, &QPushButton::clicked, this, &MainWindow::cmdTaskListClicked);
    connect(m_cmdDayView, &QPushButton::clicked, this, &MainWindow::cmdDayViewClicked);
    connect(m_cmdPlay, &QToolButton::clicked, &m_controller, &MainController::cmdPlayClicked);
    connect(m_pgPlay, &ClickBar::positionChosen, &m_controller, &MainController::seekClicked);
    connect(m_pgVolume, &ClickBar::positionChosen, &m_controller, &MainController::volumeClicked);
    connect(m_cmdStart, &QPushButton::clicked, &m_controller, &MainController::cmdStartClicked);
    for (int i = 0; i < 2; ++i)
        connect(m_picDingShi[i], &QToolButton::clicked, this, [this, i] { picDingShiClicked(i); });
    // toggled also fires when start-up shows the entry; showAutoRunState
    // blocks it there.
    connect(m_chkAutoRun, &QCheckBox::toggled, this, &MainWindow::chkAutoRunToggled);
    connect(m_cmdSkin, &QPushButton::clicked, this, &MainWindow::cmdSkinClicked);
    connect(m_cmdOutput, &QPushButton::clicked, this, &MainWindow::cmdOutputClicked);
    connect(m_aboutButton, &QPushButton::clicked, this, &MainWindow::aboutClicked);
    connect(m_webPageButton, &QPushButton::clicked, this, &MainWindow::webPageClicked);
    connect(m_helpButton, &QPushButton::clicked, this, &MainWindow::helpClicked);

    connect(&m_controller, &MainController::displayChanged, this, &MainWindow::refreshDisplay);
    connect(&m_controller, &MainController::tasksChanged, this, &MainWindow::fillTaskList);
    connect(&m_controller, &MainController::playDaysChanged, this, &MainWindow::fillTaskList);
    connect(&m_controller, &MainController::scheduleChanged, this, &MainWindow::refreshSchedule);
    connect(&m_controller, &MainController::errorReported, this, &MainWindow::showError);
    connect(&m_controller, &MainController::historyAppended, this, &MainWindow::showHistoryLine);
    connect(&m_controller, &MainController::missedStartsReported, this,
            &MainWindow::showMissedStarts);
    connect(&m_controller, &MainController::outputMessageChanged, this,
            &MainWindow::refreshSoundOutputLine);
    connect(&m_tray, &Tray::doubleClicked, this, &MainWindow::restoreFromTray);

    // Form_Load: only arm timerLoad, so that the window is on screen before
    // the heavy set-up runs.
    m_timerLoad.setSingleShot(true);
    m_timerLoad.setInterval(1);
    connect(&m_timerLoad, &QTimer::timeout, this, &MainWindow::timerLoadTick);
    m_timerLoad.start();
}

MainWindow::~MainWindow() {
    // A window destroyed without a close event still leaves nothing behind.
    formUnload();
}

QToolButton *MainWindow::picDingShi(int index) const {
    return index == 0 || index == 1 ? m_picDingShi[index] : nullptr;
}

void MainWindow::setTaskDetailsView(ShowTask *view) {
    m_taskView = view;
    connect(view, &ShowTask::PlayTask, &m_controller, &MainController::playTaskById);
    connect(view, &ShowTask::PlaySong, &m_controller, &MainController::playSong);
    if (m_startUpDone) // set after start-up: hooked at once
        m_taskViewWheel->hookWheel(view->content(), [view](bool up) { view->vscScroll(up); });
    if (m_detailsPlaceholder) {
        m_detailsPlaceholder->hide();
        m_detailsPlaceholder->deleteLater();
        m_detailsPlaceholder = nullptr;
    }
    view->setParent(m_detailsHost);
    m_detailsHost->layout()->addWidget(view);
    view->show();
    // Tab reaches its rows where they are read: after the list and its
    // buttons, before the playback controls.
    QWidget *before = m_cmdPlay->previousInFocusChain();
    while (before != m_cmdPlay && before->focusPolicy() == Qt::NoFocus)
        before = before->previousInFocusChain(); // setTabOrder takes focusable ones only
    if (before != view->content())
        setTabOrder(before, view->content());
}

int MainWindow::picDingShiShown() const {
    return m_picDingShiStack->currentIndex();
}

QLabel *MainWindow::label(const QString &objectName) const {
    return findChild<QLabel *>(objectName);
}

namespace {

// The display refreshes several times a second with mostly the same texts;
// an unchanged label is left alone so that it is not laid out and repainted.
void setText(QLabel *label, const QString &text) {
    if (label->text() != text)
        label->setText(text);
}

} // namespace

void MainWindow::refreshDisplay() {
    const PlaybackDisplay &d = m_controller.display();
    setText(m_lblPlayTime, d.playTime);
    setText(m_lblTotalTime, d.totalTime);
    setText(m_lblTask, d.taskTitle);
    setText(m_lblRegion, d.regionTitle);
    setText(m_lblTimeing, d.timeing);
    if (m_lblTimeing->toolTip() != d.timeingTip)
        m_lblTimeing->setToolTip(d.timeingTip);
    setText(m_lblSongTitle, d.songTitle);
    if (m_lblSongFile->text() != d.songFile) {
        m_lblSongFile->setText(d.songFile);
        m_lblSongFile->setToolTip(d.songFile);
    }
    setText(m_lblEngine, d.engine);
    setText(m_lblTime, d.clock);
    if (m_pgPlay->minimumF() != d.progressMin || m_pgPlay->maximumF() != d.progressMax)
        m_pgPlay->setRangeF(d.progressMin, d.progressMax);
    m_pgPlay->setValueF(d.progressValue);
    m_pgVolume->setValueF(d.volume);

    // The picture is read again only when it changes: the display refreshes
    // twice a second and the file does not change under a running program.
    if (d.playPicture != m_cmdPlayPicture) {
        m_cmdPlayPicture = d.playPicture;
        m_cmdPlay->setIcon(QIcon(d.playPicture));
    }
    m_cmdPlayTag = d.playTransport == TransportAction::Pause    ? QStringLiteral("1")
                   : d.playTransport == TransportAction::Resume ? QStringLiteral("2")
                                                                : QStringLiteral("0");
    m_cmdPlay->setEnabled(d.playEnabled);
}

void MainWindow::refreshSchedule() {
    m_cmdStart->setText(m_controller.startButtonCaption());
    m_picDingShiStack->setCurrentIndex(m_controller.dingShiVisible() == 1 ? 1 : 0);
    if (m_tray.isAdded()) {
        m_tray.setIcon(trayImage(m_controller.trayIconIndex()));
        m_tray.setTip(m_controller.trayTip());
    }
    refreshStatusPage();
}

void MainWindow::refreshStatusPage() {
    m_strip->writeHtmlPage(m_controller.statusContent());
    m_strip->show();
}

void MainWindow::fillTaskList() {
    m_taskList->fillTaskList(m_controller.tasks(),
                             [this](const Task &task) { return m_controller.playsToday(task); });
}

void MainWindow::showHistoryLine(const QString &line) {
    // Missed starts stay on the line until the next task starts.
    if (const QString notice = m_controller.missedNotice(); !notice.isEmpty()) {
        m_lblError->setText(notice);
        m_lblError->show();
        return;
    }
    // The status line says what happened last; the tabs of the file become
    // wide gaps between date, event, title and detail.
    QString shown = line;
    shown.replace(QLatin1Char('\t'), QStringLiteral("  "));
    m_lblError->say(shown.trimmed());
}

void MainWindow::showMissedStarts(const QString &message) {
    // One message for all that a start-up, a sleep or a clock jump missed.
    m_lblError->setText(m_controller.missedNotice());
    m_lblError->show();
    if (m_tray.isAvailable() && m_tray.isAdded())
        m_tray.showMessage(QStringLiteral("错过的定时任务"), message);
}

void MainWindow::showSoundOutputMissing(bool missing) {
    if (m_soundOutputMissing == missing)
        return;
    m_soundOutputMissing = missing;
    // A device waited for has its own message (told already).
    if (missing && m_tray.isAdded() && m_controller.outputMessage().isEmpty())
        m_tray.showMessage(QStringLiteral(KOLVA_TITLE), soundOutputMissingText());
    refreshSoundOutputLine();
}

void MainWindow::refreshSoundOutputLine() {
    const QString routed = m_controller.outputMessage();
    // The router's message went: so does its copy on the error line.
    if (routed.isEmpty() && !m_outputMessageShown.isEmpty() &&
        m_lblError->text().endsWith(m_outputMessageShown))
        m_lblError->hide();
    m_outputMessageShown = routed;
    const QString text = !routed.isEmpty()      ? routed
                         : m_soundOutputMissing ? soundOutputMissingText()
                                                : QString();
    if (m_lblSoundOutput->text() != text && !text.isEmpty())
        m_lblSoundOutput->setText(text);
    m_lblSoundOutput->setVisible(!text.isEmpty());
}

void MainWindow::cmdOutputClicked() {
    if (!m_outputDialog) {
        m_outputDialog = new OutputDialog(
            m_controller.outputDevices(),
            [this](const QString &device) { return m_playTestTone && m_playTestTone(device); },
            this);
        // A continuation: the window never waits in a loop of its own.
        connect(m_outputDialog, &QDialog::accepted, this, [this] {
            if (m_outputDialog->chosen() == m_controller.outputSettings())
                return;
            QString error;
            if (!m_controller.setOutputSettings(m_outputDialog->chosen(), &error))
                showError(error);
        });
    }
    m_outputDialog->showSettings(m_controller.outputSettings());
    m_outputDialog->open();
}

void MainWindow::showError(const QString &message) {
    // Never modal: the schedule goes on while the user reads it. The time
    // tells a fresh error from an old one.
    const QString when = m_controller.display().clock;
    m_lblError->say(when.isEmpty() ? message : when + QLatin1Char(' ') + message);
    if (m_tray.isAvailable() && m_tray.isAdded())
        m_tray.showMessage(QStringLiteral(KOLVA_TITLE), message);
}

} // namespace kolva
