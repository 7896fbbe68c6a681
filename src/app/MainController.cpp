#include "app/MainController.h"

#include <QDebug>
#include <QDir>

#include "base/Clock.h"
#include "base/PlayHistory.h"
#include "model/ClockTime.h"
#include "model/HolidayCalendar.h"
#include "model/PlayDays.h"
#include "model/TaskFile.h"
#include "playback/MediaPlayer.h"
#include "playback/OutputDevices.h"
#include "playback/OutputRouter.h"
#include "playback/PlayerControl.h"
#include "scheduler/PlaybackMonitor.h"
#include "scheduler/ScheduleClock.h"
#include "scheduler/SecondTimer.h"

namespace kolva {

namespace {
const QString kStartCaption = QStringLiteral("开始定时");
const QString kStopCaption = QStringLiteral("停止定时");
const QString kStatusSpan = QStringLiteral("<span style='font-size:10pt;'></span>");
constexpr int kTrayRunning = 2;
constexpr int kTrayStopped = 3;
} // namespace

struct MainController::Impl {
    Impl(MainController &owner, const AppPaths &paths, Clock &clock, PowerOff &powerOff,
         MediaPlayer &mainPlayer, MediaPlayer &insertPlayer)
        : clock(clock), mainPlayer(mainPlayer), insertPlayer(insertPlayer), timerLoop(clock),
          timerTime(clock), history(clock, paths.historyFile()),
          output(outputDevices, &mainPlayer, &insertPlayer),
          players(clock, powerOff, paths, &mainPlayer, &insertPlayer),
          schedule(clock, players, timerLoop, [&owner] { owner.refreshStatusPage(); }),
          monitor(players, display, paths, [&owner] { emit owner.displayChanged(); }),
          holidays(paths.holidayFile(), [&owner](const QString &m) { owner.report(m); }) {}

    Clock &clock;
    MediaPlayer &mainPlayer;
    MediaPlayer &insertPlayer;

    // Declared before the objects that hold references to them.
    SecondTimer timerLoop;
    SecondTimer timerTime;
    QTimer timerPosition;

    TaskList tasks;
    PlaybackDisplay display;
    PlayHistory history;
    OutputDeviceList outputDevices;
    OutputRouter output;
    OutputSettings outputSettings;
    PlayerControl players;
    ScheduleClock schedule;
    PlaybackMonitor monitor;

    // Play days: the calendar file looked at once per tick, and the date the
    // schedule works on (read once per tick, so one tick sees one day).
    HolidayCalendarFile holidays;
    std::function<QDate()> dateSource = [this] { return clock.date(); };
    QDate today;

    QString missedNotice; // until the next task starts
    int trayIconIndex = kTrayStopped;
    QString trayTip = QStringLiteral("提示");
    int dingShiVisible = 0;
    QString statusContent = kStatusSpan;
};

MainController::MainController(const AppPaths &paths, Clock &clock, PowerOff &powerOff,
                               MediaPlayer &mainPlayer, MediaPlayer &insertPlayer, QObject *parent)
    : QObject(parent), m_paths(paths),
      d(std::make_unique<Impl>(*this, paths, clock, powerOff, mainPlayer, insertPlayer)) {
    d->players.setHistory(&d->history);
    d->players.setOutputRouter(&d->output);
    d->output.setHistory(&d->history);
    // A task off its device is told on the error line and in the tray when
    // it happens; the line of its own stays while it lasts.
    connect(&d->output, &OutputRouter::messageChanged, this, [this] {
        if (!d->output.message().isEmpty())
            report(d->output.message());
        emit outputMessageChanged();
    });
    d->schedule.setHistory(&d->history);
    // The notice of missed starts stays until the next task starts; it goes
    // before the line is handed on, so the window shows that line.
    connect(&d->history, &PlayHistory::lineAppended, this, [this](const QString &line) {
        if (!d->missedNotice.isEmpty() && HistoryLine::parse(line).event == PlayHistory::Started)
            d->missedNotice.clear();
    });
    connect(&d->history, &PlayHistory::lineAppended, this, &MainController::historyAppended);
    d->schedule.setMissedReport([this](const MissedReport &report) {
        d->missedNotice = report.text(QStringLiteral("；"));
        emit missedStartsReported(report.text(QStringLiteral("\n")));
    });
    // Playback never waits for the history, but a caretaker must see that it
    // is no longer kept (once per failure, not once per line).
    connect(&d->history, &PlayHistory::writeFailed, this, &MainController::report);
    d->timerPosition.setInterval(500);
    d->schedule.setPlayDays([this] { return d->today; }, &d->holidays.calendar());
    connect(&d->timerLoop, &SecondTimer::timeout, this, &MainController::timerLoopTick);
    connect(&d->timerTime, &SecondTimer::timeout, this, &MainController::timerTimeTick);
    connect(&d->timerPosition, &QTimer::timeout, this, &MainController::timerPositionTick);

    d->players.setHooks(PlayerControl::Hooks{
        [this](int index) { d->monitor.playerResumed(index); },
    });

    d->players.setErrorReporter([this](const QString &message) { report(message); });

    // Player events arrive queued on this thread; each is handled on its own
    // so a failure reports and the next event runs normally.
    const int indexOf[2] = {PlayerControl::MainPlayer, PlayerControl::InsertPlayer};
    MediaPlayer *players[2] = {&mainPlayer, &insertPlayer};
    for (int i : indexOf) {
        connect(players[i], &MediaPlayer::statusChange, this, [this, i](PlayState state) {
            guarded([&] { d->monitor.statusChange(i, state); });
        });
        connect(players[i], &MediaPlayer::openStateChange, this, [this, i](OpenState state) {
            guarded([&] { d->monitor.openStateChange(i, state); });
        });
        // PositionChange is received and has no effect.
        // A skipped song says why, in the history and on the error line.
        connect(
            players[i], &MediaPlayer::entrySkipped, this,
            [this, i](const QString &path, const QString &reason) {
                d->history.append(PlayHistory::FileSkipped, d->players.playingTask(i).Title,
                                  path + QLatin1Char(' ') + reason);
                report(
                    QStringLiteral("跳过文件 %1：%2").arg(QDir::toNativeSeparators(path), reason));
            });
    }
}

MainController::~MainController() = default;

const TaskList &MainController::tasks() const {
    return d->tasks;
}
const PlaybackDisplay &MainController::display() const {
    return d->display;
}
bool MainController::scheduleOn() const {
    return d->schedule.isOn();
}
QString MainController::startButtonCaption() const {
    // The state the button switches: it can never disagree with the schedule.
    return scheduleOn() ? kStopCaption : kStartCaption;
}
int MainController::trayIconIndex() const {
    return d->trayIconIndex;
}
QString MainController::trayTip() const {
    return d->trayTip;
}
int MainController::dingShiVisible() const {
    return d->dingShiVisible;
}
QString MainController::statusContent() const {
    return d->statusContent;
}
PlayerControl &MainController::players() {
    return d->players;
}
ScheduleClock &MainController::schedule() {
    return d->schedule;
}
PlaybackMonitor &MainController::monitor() {
    return d->monitor;
}
PlayHistory &MainController::history() {
    return d->history;
}
OutputDeviceList &MainController::outputDevices() {
    return d->outputDevices;
}
OutputRouter &MainController::outputRouter() {
    return d->output;
}
const OutputSettings &MainController::outputSettings() const {
    return d->outputSettings;
}
QString MainController::outputMessage() const {
    return d->output.message();
}

bool MainController::setOutputSettings(const OutputSettings &settings, QString *error) {
    d->outputSettings = settings;
    d->outputDevices.remember(settings.device, settings.description);
    d->output.setProgramOutput(settings.device, settings.fallBackToDefault);
    return saveOutputSettings(m_paths.settingsFile(), settings, error);
}
QString MainController::lastHistoryLine() const {
    return d->history.lastLine();
}
SecondTimer &MainController::loopTimer() {
    return d->timerLoop;
}
SecondTimer &MainController::clockTimer() {
    return d->timerTime;
}

int MainController::timerIntervalMs(const QString &timerName) const {
    // The clock-second timers tick once a second (re-armed at each second).
    if (timerName == QLatin1String("timerLoop"))
        return d->timerLoop.isActive() ? 1000 : 0;
    if (timerName == QLatin1String("timerTime"))
        return d->timerTime.isActive() ? 1000 : 0;
    if (timerName == QLatin1String("timerPosition"))
        return d->timerPosition.isActive() ? d->timerPosition.interval() : 0;
    return 0;
}

void MainController::report(const QString &message) {
    qWarning().noquote() << "kolva:" << message;
    emit errorReported(message);
}

template <typename F> void MainController::guarded(F &&step) {
    runReporting(step, [this](const QString &message) { report(message); });
}

void MainController::refreshNextTask() {
    PlaybackDisplay &display = d->display;
    if (!d->schedule.isOn()) {
        display.timeing = QStringLiteral("--:--:--");
        display.timeingTip.clear();
        return;
    }
    const ScheduleClock::NextTask next = d->schedule.nextTaskToday(d->tasks);
    display.timeing = next.second < 0 ? QStringLiteral("--:--:--")
                                      : formatClock(QTime(0, 0).addSecs(next.second));
    display.timeingTip = next.title;
}

void MainController::refreshStatusPage() {
    if (d->schedule.isOn()) {
        d->statusContent = QStringLiteral("<IMG SRC=\"") + m_paths.statusPicture() +
                           QStringLiteral("\" STYLE=\" width:20px;margin-left:0px;margin-top:0px; "
                                          "\" BORDER=\"0\">") +
                           kStatusSpan;
    } else {
        d->statusContent = kStatusSpan;
    }
    emit scheduleChanged();
}

// --- Start-up and end ----------------------------------------------------------

void MainController::initPlayers() {
    d->players.initPlayers(&d->mainPlayer, &d->insertPlayer);
    // The output chosen before; without a readable file the system default
    // (a first start has none: nothing to say then).
    QString error;
    if (!loadOutputSettings(m_paths.settingsFile(), &d->outputSettings, &error)) {
        if (error.isEmpty())
            qInfo().noquote() << "kolva: no" << m_paths.settingsFile()
                              << "yet: the system default output";
        else
            report(error);
    }
    d->outputDevices.remember(d->outputSettings.device, d->outputSettings.description);
    d->output.setProgramOutput(d->outputSettings.device, d->outputSettings.fallBackToDefault);
}

void MainController::loadTaskList() {
    // At start-up and after the task editor closed. A missing or broken file
    // leaves the list as it was (empty at start-up); a broken one is reported,
    // or the schedule would silently play nothing, and kept in the history
    // where a caretaker looks for why a bell stayed silent.
    QString error;
    if (!loadTasks(m_paths.taskFile(), d->tasks, &error) && !error.isEmpty()) {
        report(error);
        d->history.append(PlayHistory::Error, QString(), error);
    }
    updatePlayDays(); // the list below shows what is due today
    emit tasksChanged();
}

void MainController::startTimers() {
    d->timerTime.start();
    d->timerPosition.start(500);
}

void MainController::startScheduleAtStartUp() {
    picDingShiClicked(0);
    // The start-up knows what already started today (a restart plays nothing
    // twice) and looks back over the seconds before it. Today's lines of at
    // most two generations of a megabyte are read in a few milliseconds.
    d->schedule.lookBackAtStartUp(
        PlayHistory::readDay(m_paths.historyFile(), d->clock.localNow().date()), d->tasks);
}

void MainController::noteSleep(bool sleeping) {
    d->schedule.noteSleep(sleeping);
}

QString MainController::missedNotice() const {
    return d->missedNotice;
}

void MainController::stopTimers() {
    d->timerLoop.stop();
    d->timerTime.stop();
    d->timerPosition.stop();
}

// --- The user's intents --------------------------------------------------------

void MainController::cmdStartClicked() {
    // The same switch as the picture pair, so pictures, tray and caption
    // always tell the same state.
    picDingShiClicked(scheduleOn() ? 1 : 0);
}

void MainController::picDingShiClicked(int index) {
    if (index == 0) {
        d->dingShiVisible = 1;
        d->schedule.startSchedule();
        d->trayIconIndex = kTrayRunning;
        d->trayTip = QStringLiteral("正在检测。。");
    } else {
        d->dingShiVisible = 0;
        d->schedule.stopSchedule();
        d->trayIconIndex = kTrayStopped;
        d->trayTip = QStringLiteral("所有任务都已停止！");
    }
    refreshNextTask();
    emit scheduleChanged();
    emit displayChanged();
}

void MainController::cmdPlayClicked() {
    // Decided from the players' states now, by the rule the button shows.
    const TransportAction action =
        PlaybackMonitor::transport(d->mainPlayer.playState(), d->insertPlayer.playState());
    guarded([&] {
        if (action == TransportAction::Pause)
            d->players.pauseActive();
        else
            d->players.resumeActive();
    });
}

void MainController::seekClicked(double fraction) {
    fraction = qBound(0.0, fraction, 1.0);
    PlaybackDisplay &display = d->display;
    const double target = fraction * (display.progressMax - display.progressMin);
    if (const int sounding = d->players.soundingPlayer(); sounding >= 0)
        d->players.Players[sounding]->setCurrentPosition(target);
    display.progressValue = target;
    emit displayChanged();
}

void MainController::volumeClicked(double fraction) {
    fraction = qBound(0.0, fraction, 1.0);
    const int volume = qRound(fraction * 100.0);
    if (const int sounding = d->players.soundingPlayer(); sounding >= 0)
        d->players.Players[sounding]->setVolume(volume);
    d->display.volume = volume;
    emit displayChanged();
}

void MainController::playTaskById(int taskId) {
    for (const Task &task : std::as_const(d->tasks)) {
        if (task.TaskID == taskId) {
            const Task copy = task; // the list may be reloaded while it plays
            guarded([&] { d->players.playTask(copy); });
            return;
        }
    }
}

void MainController::playSong(const QString &songFile) {
    Task task = newTask();
    // Not an id of the list: a song played by hand must not hide the list's
    // first task from the schedule while it plays.
    task.TaskID = AdHocTaskId;
    Region region = newRegion();
    region.ParentTaskID = AdHocTaskId;
    Song song;
    song.SongFile = songFile;
    song.ParentTaskID = AdHocTaskId;
    region.Songs.append(song);
    task.Regions.append(region);
    guarded([&] { d->players.playTask(task); });
}

// --- Timer ticks -----------------------------------------------------------------

bool MainController::refreshPlayDays() {
    const bool changed = updatePlayDays();
    if (changed)
        emit playDaysChanged();
    return changed;
}

bool MainController::updatePlayDays() {
    const QDate date = d->dateSource();
    const bool newDay = date != d->today;
    d->today = date;
    // The file is written by the holiday dialog or by hand; either way the
    // new calendar counts from this tick on.
    const bool newCalendar = d->holidays.refresh();
    return newDay || newCalendar;
}

bool MainController::playsToday(const Task &task) const {
    return d->schedule.playsToday(task);
}

const HolidayCalendar &MainController::holidayCalendar() const {
    return d->holidays.calendar();
}

void MainController::setDateSource(std::function<QDate()> dateSource) {
    d->dateSource = std::move(dateSource);
    refreshPlayDays();
}

void MainController::timerLoopTick() {
    refreshPlayDays();
    d->schedule.tick(d->tasks, [this](const QString &message) { report(message); });
    refreshNextTask();
}

void MainController::timerTimeTick() {
    d->display.clock = d->schedule.clockText();
    refreshNextTask();
    emit displayChanged();
}

void MainController::timerPositionTick() {
    guarded([&] { d->monitor.timerPositionTick(); });
}

} // namespace kolva
