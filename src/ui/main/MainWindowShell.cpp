// fMain's start-up (the first timerLoad tick), its unload, the tray, and the
// handlers of the buttons that are not part of playback.
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QUrl>

#include "Version.h"
#include "app/AutoRun.h"
#include "app/MainController.h"
#include "ui/main/MainWindow.h"
#include "ui/main/Pictures.h"
#include "ui/main/Skin.h"
#include "ui/main/StatusStrip.h"
#include "ui/main/TaskListView.h"
#include "ui/main/Tray.h"
#include "ui/taskview/ShowTask.h"
#include "ui/widgets/ClickBar.h"
#include "ui/widgets/Dialogs.h"
#include "ui/widgets/WheelHook.h"

namespace kolva {

QString MainWindow::webPageAddress() {
    return QStringLiteral("https://github.com/kolva-player/kolva");
}

QString MainWindow::aboutText() {
    return QStringLiteral(KOLVA_TITLE) + QStringLiteral("\n版本 ") +
           QStringLiteral(KOLVA_VERSION_TEXT) +
           QStringLiteral("\n\n按时间表每天定时播放音乐和广播的桌面程序。\n"
                          "Qt 6 与 GStreamer 构建，适用于 Linux 桌面。\n\n"
                          "开发：KOLVA 播放器开发组\n"
                          "网站：") +
           webPageAddress();
}

void MainWindow::timerLoadTick() {
    if (m_startUpDone || m_unloaded)
        return;
    // 1. The default skin (silently nothing when it is missing or broken).
    applyDefaultSkin();
    // 2. The detail view's wheel hook (mMouseTaskControl).
    if (ShowTask *view = m_taskView)
        m_taskViewWheel->hookWheel(view->content(), [view](bool up) { view->vscScroll(up); });
    // 3. The auto-run box shows the entry without rewriting it.
    showAutoRunState();
    // 4. Status page (schedule still off), then the tray icon.
    refreshStatusPage();
    addTrayIcon();
    // 5. timerLoad never fires again.
    m_timerLoad.stop();
    // 6. Tool tips.
    m_cmdTaskList->setToolTip(QStringLiteral("管理任务"));
    m_cmdSkin->setToolTip(QStringLiteral("管理皮肤"));
    // 7. The two players go to the player layer (0 main, 1 insert).
    m_controller.initPlayers();
    // 8. The list view's columns, then the task list from the task file
    //    (tasksChanged fills the view).
    m_taskList->initTaskListView();
    m_controller.loadTaskList();
    // 9. The status strip's empty page, hidden until the schedule shows it.
    m_strip->initHtmlPage();
    m_strip->hide();
    // 10. Volume bar range.
    m_pgVolume->setRangeF(0, 100);
    // 11. Initial captions, as the controller holds them until playback or
    //     the schedule writes real values.
    refreshDisplay();
    // 12. Clock and display timers.
    m_controller.startTimers();
    // 13. A short breath (the window is drawn and its events run), then the
    //     schedule starts as picture 0 does: a continuation, not a wait.
    QTimer::singleShot(50, this, [this] {
        if (m_unloaded)
            return; // closed meanwhile
        // As a click on picture 0, the focus moving to Text1 included; the
        // start-up also looks back over the seconds of today before it.
        m_controller.startScheduleAtStartUp(); // scheduleChanged updates the window
        m_scheduleFocusBox->setFocus();
        m_startUpDone = true;
        emit startUpFinished();
    });
}

void MainWindow::applyDefaultSkin() {
    Skin::apply(m_app, m_controller.paths().skinFile());
}

void MainWindow::showAutoRunState() {
    // Showing the entry is no request to change it.
    const QSignalBlocker quiet(m_chkAutoRun);
    m_chkAutoRun->setChecked(m_autoRun.isAutoRun());
}

void MainWindow::chkAutoRunToggled(bool checked) {
    // A failure is told and the box goes back to what is really there.
    QString error;
    if (!m_autoRun.setAutoRun(checked, &error)) {
        showError(error);
        showAutoRunState();
    }
}

QIcon MainWindow::trayImage(int index) const {
    // Image1: index 2 while the schedule runs, index 3 while it is stopped.
    const QString file =
        m_controller.paths().appPath + (index == 2 ? QStringLiteral("/user/pic/tray-running.png")
                                                   : QStringLiteral("/user/pic/tray-stopped.png"));
    QIcon icon(file);
    if (icon.isNull() || icon.availableSizes().isEmpty())
        icon = Pictures::trayFallback(index);
    return icon;
}

void MainWindow::addTrayIcon() {
    m_tray.setMenu(m_mnuTray);
    m_tray.add(trayImage(m_controller.trayIconIndex()), m_controller.trayTip());
}

void MainWindow::restoreFromTray() {
    // Back in the size it had (normal or maximised), in front, with focus.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void MainWindow::changeEvent(QEvent *event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    if (isMinimized()) {
        // Only a window with a tray icon to come back through may hide;
        // otherwise it stays minimised on the task bar.
        if (m_tray.isAvailable() && m_tray.isAdded())
            QTimer::singleShot(0, this, [this] {
                if (isMinimized())
                    hide();
            });
    } else if (!(windowState() & Qt::WindowMaximized) && isVisible()) {
        activateWindow();
    }
}

void MainWindow::closeEvent(QCloseEvent *event) {
    // Closing always ends the program; it never goes to the tray.
    formUnload();
    event->accept();
    emit unloaded();
}

void MainWindow::formUnload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_timerLoad.stop();
    m_controller.stopTimers();
    m_tray.remove();
    m_taskViewWheel->unhookWheel();
    // Nothing is saved here: the task list is written only by the editor.
}

void MainWindow::lvwTaskListClicked(int taskId) {
    for (const Task &task : m_controller.tasks()) {
        if (task.TaskID == taskId) {
            if (m_taskView) {
                m_taskView->showTask(task);
                m_taskView->setScroll(0); // back to the top
            }
            return;                       // nothing plays
        }
    }
}

void MainWindow::cmdTaskListClicked() {
    if (m_openTaskEditor)
        m_openTaskEditor(this);
    // The editor wrote its changes to the task file; the list follows it
    // (tasksChanged fills the view).
    m_controller.loadTaskList();
}

void MainWindow::cmdDayViewClicked() {
    if (m_openDayView)
        m_openDayView(this);
}

void MainWindow::cmdSkinClicked() {
    const QString file = m_dialogs.openFileName(this, QStringLiteral("Open"),
                                                QStringLiteral("SkinSharp Skin File (*.she)"));
    if (!file.isEmpty())
        Skin::apply(m_app, file);
}

void MainWindow::aboutClicked() {
    m_dialogs.information(this, QStringLiteral(KOLVA_TITLE), aboutText());
}

void MainWindow::webPageClicked() {
    m_dialogs.openUrl(QUrl(webPageAddress()));
}

void MainWindow::helpClicked() {
    const QString help = m_controller.paths().helpFile();
    if (QFileInfo(help).isFile())
        m_dialogs.openUrl(QUrl::fromLocalFile(help));
}

void MainWindow::picDingShiClicked(int index) {
    m_controller.picDingShiClicked(index);
    m_scheduleFocusBox->setFocus();
}

} // namespace kolva
