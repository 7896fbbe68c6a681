#pragma once
// fMain, the program's only resident window ("KOLVA定时播放器"). It shows what
// MainController holds and forwards the user's intents to it; it never talks
// to the players or the schedule itself. It also owns what only a window has:
// the deferred start-up (timerLoad), the task list view, the status strip,
// the tray icon and its menu, skins, the auto-run box and the help, web and
// information buttons.
//
// Thread: UI thread only.

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <functional>

class QApplication;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QPushButton;
class QStackedWidget;
class QToolButton;

namespace kolva {

class AutoRun;
class ShowTask;
class WheelHook;
class ClickBar;
class Dialogs;
class LiveLine;
class MainController;
class OutputDialog;
class StatusStrip;
class TaskListView;
class Tray;
struct Task;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Opens the task editor modally over the window; returns when it closed.
    using TaskEditorOpener = std::function<void(QWidget *owner)>;

    MainWindow(QApplication &app, MainController &controller, Dialogs &dialogs, Tray &tray,
               const AutoRun &autoRun, QWidget *parent = nullptr);
    ~MainWindow() override;

    void setTaskEditorOpener(TaskEditorOpener opener) { m_openTaskEditor = std::move(opener); }
    // Opens (or raises) the day view "日程" beside the window, without waiting.
    using DayViewOpener = std::function<void(QWidget *owner)>;
    void setDayViewOpener(DayViewOpener opener) { m_openDayView = std::move(opener); }
    // "试听" of the "声音输出" dialog: a short tone on a device ("" = the
    // system default); false when it cannot be played there.
    void setTestTonePlayer(std::function<bool(const QString &device)> tone) {
        m_playTestTone = std::move(tone);
    }
    // "声音输出" beside "皮肤": the dialog, made on first use; its choice is
    // applied and stored when it is accepted.
    void cmdOutputClicked();
    OutputDialog *outputDialog() const { return m_outputDialog; }
    QPushButton *cmdOutput() const { return m_cmdOutput; }
    // Puts the detail view into its place in the window: a list
    // click shows the Task there, its PlayTask and PlaySong play, and the
    // wheel pages it from the first timerLoad tick on.
    void setTaskDetailsView(ShowTask *view);
    // While no real sound output is available the window shows a line and
    // the tray says so once; both go when sound is back.
    void showSoundOutputMissing(bool missing);
    // The line also says when a playing task is not on its output device
    // (MainController::outputMessage); the error line's copy of that goes
    // when it clears.
    void refreshSoundOutputLine();
    static QString soundOutputMissingText() {
        return QStringLiteral("没有可用的声音输出设备，正在重试…");
    }
    ShowTask *taskView() const { return m_taskView; } // showTask1
    QWidget *taskDetailsHost() const { return m_detailsHost; }

    // The web page "官方网站" opens.
    static QString webPageAddress();
    static QString aboutText();

    // Controls, for tests and the detail-view wiring.
    TaskListView *lvwTaskList() const { return m_taskList; }
    StatusStrip *statusStrip() const { return m_strip; } // WebBrowser1
    ClickBar *pgPlay() const { return m_pgPlay; }
    ClickBar *pgVolume() const { return m_pgVolume; }
    QToolButton *cmdPlay() const { return m_cmdPlay; }
    QPushButton *cmdStart() const { return m_cmdStart; }
    QCheckBox *chkAutoRun() const { return m_chkAutoRun; }
    QMenu *mnuTray() const { return m_mnuTray; }
    QToolButton *picDingShi(int index) const;
    int picDingShiShown() const; // index of the picture that is visible
    QLabel *label(const QString &objectName) const;
    QString cmdPlayTag() const { return m_cmdPlayTag; }
    QString cmdPlayPicture() const { return m_cmdPlayPicture; }
    bool startUpDone() const { return m_startUpDone; }

    // timerLoad's work (public so tests may run it without waiting).
    void timerLoadTick();
    // The tray's double click and "恢复(&R)": back from the tray.
    void restoreFromTray();

signals:
    // The first timerLoad tick has finished (schedule on).
    void startUpFinished();
    // Form_Unload has run: the program should end.
    void unloaded();

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Layout (MainWindowLayout.cpp).
    void buildWidgets();
    QWidget *buildListPane();
    QWidget *buildPlaybackPane();
    QWidget *buildBottomBar();
    void buildTrayMenu();

    // Display (MainWindow.cpp).
    void refreshDisplay();
    void refreshSchedule();
    void refreshStatusPage();
    void fillTaskList();
    void showError(const QString &message);
    void showHistoryLine(const QString &line);
    void showMissedStarts(const QString &message);

    // Start-up and unload pieces (MainWindowShell.cpp).
    void applyDefaultSkin();
    void showAutoRunState();
    void addTrayIcon();
    void formUnload();
    QIcon trayImage(int index) const;

    // Handlers (MainWindowShell.cpp).
    void lvwTaskListClicked(int taskId);
    void cmdTaskListClicked();
    void cmdDayViewClicked();
    void chkAutoRunToggled(bool checked);
    void cmdSkinClicked();
    void aboutClicked();
    void webPageClicked();
    void helpClicked();
    void picDingShiClicked(int index);

    QApplication &m_app;
    MainController &m_controller;
    Dialogs &m_dialogs;
    Tray &m_tray;
    const AutoRun &m_autoRun;

    TaskEditorOpener m_openTaskEditor;
    DayViewOpener m_openDayView;
    std::function<bool(const QString &)> m_playTestTone;
    OutputDialog *m_outputDialog = nullptr;
    bool m_soundOutputMissing = false;
    QString m_outputMessageShown; // the router's message last put on the error line
    ShowTask *m_taskView = nullptr;
    WheelHook *m_taskViewWheel = nullptr; // the detail view's wheel hook (mMouseTaskControl)

    QTimer m_timerLoad;
    bool m_startUpDone = false;
    bool m_unloaded = false;
    QString m_cmdPlayTag = QStringLiteral("0");
    QString m_cmdPlayPicture; // path of the picture on cmdPlay

    TaskListView *m_taskList = nullptr;
    QPushButton *m_cmdTaskList = nullptr;
    QPushButton *m_cmdDayView = nullptr;
    QWidget *m_detailsHost = nullptr;
    QLabel *m_detailsPlaceholder = nullptr;
    QLabel *m_lblSongTitle = nullptr;
    QLabel *m_lblSongFile = nullptr;
    QLabel *m_lblPlayTime = nullptr;
    QLabel *m_lblTotalTime = nullptr;
    QLabel *m_lblEngine = nullptr;
    QLabel *m_lblTask = nullptr;
    QLabel *m_lblRegion = nullptr;
    QLabel *m_lblTimeing = nullptr;
    QLabel *m_lblTime = nullptr;
    LiveLine *m_lblError = nullptr; // read out by screen readers when it changes
    QLabel *m_lblSoundOutput = nullptr;
    QToolButton *m_cmdPlay = nullptr;
    ClickBar *m_pgPlay = nullptr;
    ClickBar *m_pgVolume = nullptr;
    QPushButton *m_cmdStart = nullptr;
    QStackedWidget *m_picDingShiStack = nullptr;
    QToolButton *m_picDingShi[2] = {nullptr, nullptr};
    QCheckBox *m_chkAutoRun = nullptr;
    QPushButton *m_cmdSkin = nullptr;
    QPushButton *m_cmdOutput = nullptr;      // "声音输出"
    QPushButton *m_aboutButton = nullptr;    // Command1 "关于"
    QPushButton *m_webPageButton = nullptr;  // Command2 "官方网站"
    QPushButton *m_helpButton = nullptr;     // Command3 "帮助"
    QLineEdit *m_scheduleFocusBox = nullptr; // Text1: the focus after the schedule pictures
    StatusStrip *m_strip = nullptr;
    QMenu *m_mnuTray = nullptr;
};

} // namespace kolva
