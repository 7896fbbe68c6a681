#pragma once
// The main window's logic without widgets: it owns the task list, the schedule
// clock, the player layer and the playback monitor, hosts their timers and
// keeps the texts and values the window shows. The window (ui/main) only shows
// what this object holds and forwards the user's intents to it; tests drive it
// with a fake clock and fake players, calling the tick methods directly.
//
// Thread: everything runs on the UI thread.

#include <QDate>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/OutputSettings.h"
#include "base/AppPaths.h"
#include "model/Task.h"
#include "scheduler/PlaybackDisplay.h"

namespace kolva {

class Clock;
class HolidayCalendar;
class MediaPlayer;
class OutputDeviceList;
class OutputRouter;
class PlayHistory;
class SecondTimer;
class PowerOff;
class PlayerControl;
class ScheduleClock;
class PlaybackMonitor;

class MainController : public QObject {
    Q_OBJECT
public:
    MainController(const AppPaths &paths, Clock &clock, PowerOff &powerOff, MediaPlayer &mainPlayer,
                   MediaPlayer &insertPlayer, QObject *parent = nullptr);
    ~MainController() override;

    const AppPaths &paths() const { return m_paths; }
    const TaskList &tasks() const;
    const PlaybackDisplay &display() const;
    bool scheduleOn() const;            // timerLoop enabled
    QString startButtonCaption() const; // cmdStart: "开始定时" / "停止定时"
    int trayIconIndex() const;          // Image1 index: 3 at start and stopped, 2 running
    QString trayTip() const;       // "提示", "正在检测。。", "所有任务都已停止！"
    int dingShiVisible() const;    // which picture of picDingShi shows: 0 start, 1 stop
    QString statusContent() const; // the content of the status strip page
    // The last line of the play history (user/history.log), "" before any.
    QString lastHistoryLine() const;

    PlayerControl &players();
    ScheduleClock &schedule();
    PlaybackMonitor &monitor();
    PlayHistory &history();

    // The sound output: the devices there now (the platform's device watcher
    // writes the list), the program-wide choice of "声音输出" and the router
    // that puts each player on its task's device.
    OutputDeviceList &outputDevices();
    OutputRouter &outputRouter();
    const OutputSettings &outputSettings() const;
    // Applies the choice at once and stores it in user/settings.ini; false
    // with the message when the file could not be written (the choice then
    // holds until the program ends).
    bool setOutputSettings(const OutputSettings &settings, QString *error);
    // "声音输出设备「…」不在，…" while a playing task is not on its device.
    QString outputMessage() const;

    // Start-up steps run by the window's first timerLoad tick, in this order.
    void initPlayers();            // both players to the player layer, the output read
    void loadTaskList();           // Tasks from the task file (also after the editor closed)
    void startTimers();            // timerTime each second, timerPosition 500 ms
    void startScheduleAtStartUp(); // as a click on picDingShi(0)
    // Form_Unload: all timers off.
    void stopTimers();

    // The user's intents, forwarded by the window.
    void cmdStartClicked();
    void picDingShiClicked(int index);
    void cmdPlayClicked();
    void seekClicked(double fraction);      // 0..1 along pgPlay, after the +120 twips rule
    void volumeClicked(double fraction);    // 0..1 along pgVolume
    void playTaskById(int taskId);          // detail view PlayTask
    void playSong(const QString &songFile); // detail view PlaySong

    // Whether the task plays today (its play days and the holiday calendar),
    // as the schedule last looked. The list greys the start time of a task
    // that does not.
    bool playsToday(const Task &task) const;
    // Reads the date and looks at the holiday calendar file; true (and
    // playDaysChanged) when either changed. Every schedule tick does this.
    bool refreshPlayDays();
    // The holiday calendar the schedule follows (as last read).
    const HolidayCalendar &holidayCalendar() const;
    // Where the date comes from (the system's local date by default).
    void setDateSource(std::function<QDate()> dateSource);

    // The system goes to sleep (true) or is back (false), from logind.
    void noteSleep(bool sleeping);
    // What was missed or started late at start-up, after a sleep or a clock
    // moved ahead, for the error line until the next task starts ("" none).
    QString missedNotice() const;

    // Timer ticks (public so tests can drive them without real time).
    void timerLoopTick();
    void timerTimeTick();
    void timerPositionTick();

    // TaskID of the task built for a song played by hand: no task of the list
    // has it, so the list's tasks stay due while the song plays.
    static constexpr int AdHocTaskId = -1;

    // For tests driving time by hand: a timer's interval while it runs (0
    // when stopped).
    int timerIntervalMs(const QString &timerName) const;
    // The two timers of the clock second (tests on a fake clock fire them
    // when their due tick is reached).
    SecondTimer &loopTimer();
    SecondTimer &clockTimer();

signals:
    void displayChanged();
    void tasksChanged();
    void playDaysChanged(); // a new day or a new holiday calendar
    void scheduleChanged(); // caption, pictures, tray and status strip
    // An error in a tick or an event; the schedule keeps running. The window
    // shows it without blocking (tray message or a line in the window).
    void errorReported(const QString &message);
    // A line was added to the play history (shown in the status line).
    void historyAppended(const QString &line);
    // Starts were missed or made late after skipped seconds: one message for
    // the tray, a line each (missedNotice holds it for the error line).
    void missedStartsReported(const QString &message);
    // outputMessage() changed (it is also reported when it appears).
    void outputMessageChanged();

private:
    void refreshStatusPage();
    bool updatePlayDays(); // refreshPlayDays without the signal
    // lblTimeing: the start time of the next task still due today.
    void refreshNextTask();
    void report(const QString &message);
    template <typename F> void guarded(F &&step);

    struct Impl;
    AppPaths m_paths;
    std::unique_ptr<Impl> d;
};

} // namespace kolva
