#include "app/RemoteFacade.h"

#include <QFileInfo>
#include <QTime>
#include <QTimer>
#include <QUrl>

#include "app/MainController.h"
#include "base/PlayHistory.h"
#include "model/ClockTime.h"
#include "model/NumberText.h"
#include "model/Task.h"
#include "playback/MediaPlayer.h"
#include "playback/PlayerControl.h"
#include "scheduler/PlaybackDisplay.h"
#include "scheduler/ScheduleClock.h"

namespace kolva {

const QString RemoteFacade::NothingPlaying = QStringLiteral("没有正在播放的任务");
const QString RemoteFacade::NothingPaused = QStringLiteral("没有暂停的任务");
const QString RemoteFacade::Replaced = QStringLiteral("被替换");

namespace {
const QString kPlaying = QStringLiteral("Playing");
const QString kPaused = QStringLiteral("Paused");
const QString kStopped = QStringLiteral("Stopped");
// The detail the history gives a task that had nothing to play.
const QString kNoRegions = QStringLiteral("没有区间");
// The play button's Tag: something sounds / something waits paused.
constexpr int kTagPlaying = 1;
constexpr int kTagPaused = 2;

QString playerName(int index) {
    return index == PlayerControl::MainPlayer ? QStringLiteral("主播") : QStringLiteral("插播");
}

QString regionTitle(const Task &task) {
    const int pos = task.CurrentRegion;
    return pos >= 0 && pos < task.Regions.size() ? task.Regions[pos].Title : QString();
}
} // namespace

RemoteFacade::RemoteFacade(MainController &controller, QObject *parent)
    : RemoteControl(parent), m_controller(controller) {
    connect(&controller, &MainController::historyAppended, this, &RemoteFacade::onHistoryLine);
    connect(&controller, &MainController::displayChanged, this, [this] {
        flushPendingStart();
        checkPlayerProperties();
    });
    m_lastStatus = playbackStatus();
    m_lastVolume = volume();
}

QString RemoteFacade::noSuchTaskText(const QString &name) {
    return QStringLiteral("没有名为「%1」的任务").arg(name);
}

// --- org.kolva.Scheduler1 ----------------------------------------------------

const Task *RemoteFacade::findTask(const QString &titleOrId) const {
    const TaskList &tasks = m_controller.tasks();
    for (const Task &task : tasks) {
        if (task.Title == titleOrId)
            return &task;
    }
    if (titleOrId.isEmpty() || !isDigits(titleOrId))
        return nullptr;
    const int32_t id = readNumber(titleOrId);
    for (const Task &task : tasks) {
        if (task.TaskID == id)
            return &task;
    }
    return nullptr;
}

bool RemoteFacade::playTask(const QString &titleOrId) {
    const Task *task = findTask(titleOrId);
    if (!task)
        return false;
    // As the detail view's title click: enabled or not, schedule on or off.
    m_controller.playTaskById(task->TaskID);
    return true;
}

QString RemoteFacade::stop() {
    PlayerControl &players = m_controller.players();
    // Written as the schedule's stop-all writes it (insert first), so the
    // history and TaskEnded tell who stopped it.
    for (int index : {PlayerControl::InsertPlayer, PlayerControl::MainPlayer}) {
        if (players.PlayerBusy[index] == 1)
            m_controller.history().append(PlayHistory::StoppedByUser,
                                          players.PlayingTasks[index].Title, playerName(index));
    }
    // A stopped player holds no task, so the end event its stop raises moves
    // nothing on (the player layer refuses the end of a pass it no longer has).
    players.stopAll();
    m_controller.timerPositionTick();
    return {};
}

int RemoteFacade::freshPlayTag() {
    m_controller.timerPositionTick();
    return readNumber(m_controller.display().playTag);
}

QString RemoteFacade::pressPlayButtonFor(int wantedTag, const QString &refusal) {
    const int tag = freshPlayTag();
    if (tag == wantedTag)
        return {}; // already so: a second pause must not resume
    if (tag != kTagPlaying && tag != kTagPaused)
        return refusal;
    pressPlayButton();
    return {};
}

void RemoteFacade::pressPlayButton() {
    m_controller.cmdPlayClicked();
    m_controller.timerPositionTick(); // the button and the MPRIS status at once
}

QString RemoteFacade::pause() {
    return pressPlayButtonFor(kTagPaused, NothingPlaying);
}

QString RemoteFacade::resume() {
    return pressPlayButtonFor(kTagPlaying, NothingPaused);
}

QString RemoteFacade::reload() {
    // A list that cannot be read is reported and the old one kept: the
    // caller must hear that too.
    QString problem;
    const QMetaObject::Connection watch =
        connect(&m_controller, &MainController::errorReported, this, [&](const QString &message) {
            if (problem.isEmpty())
                problem = message;
        });
    m_controller.loadTaskList();
    disconnect(watch);
    return problem;
}

QString RemoteFacade::setSchedule(bool on) {
    if (on == m_controller.scheduleOn())
        return {};
    if (on) {
        m_controller.picDingShiClicked(0);
        return {};
    }
    // The stop waits for the end events of its stop-all; the caller gets its
    // answer first, and the stop runs in the next turn of the event loop.
    QTimer::singleShot(0, &m_controller, [controller = &m_controller] {
        if (controller->scheduleOn())
            controller->picDingShiClicked(1);
    });
    return {};
}

QVariantMap RemoteFacade::status() {
    QVariantMap s;
    s.insert(QStringLiteral("schedule"), m_controller.scheduleOn());
    PlayerControl &players = m_controller.players();
    for (int index : {PlayerControl::MainPlayer, PlayerControl::InsertPlayer}) {
        const QString prefix = index == PlayerControl::MainPlayer ? QStringLiteral("main.")
                                                                  : QStringLiteral("insert.");
        const bool busy = players.PlayerBusy[index] == 1;
        const MediaPlayer *player = players.Players[index];
        const Task &task = players.PlayingTasks[index];
        const QString state = !busy                                    ? kStopped
                              : player->playState() == PlayStatePaused ? kPaused
                                                                       : kPlaying;
        s.insert(prefix + QStringLiteral("state"), state);
        s.insert(prefix + QStringLiteral("task"), busy ? task.Title : QString());
        s.insert(prefix + QStringLiteral("region"), busy ? regionTitle(task) : QString());
        s.insert(prefix + QStringLiteral("song"),
                 busy ? player->currentMedia().sourceURL : QString());
        s.insert(prefix + QStringLiteral("position"), busy ? player->currentPosition() : 0.0);
    }
    // As the window's next-task label: nothing is next while the schedule is off.
    ScheduleClock::NextTask next;
    if (m_controller.scheduleOn())
        next = m_controller.schedule().nextTaskToday(m_controller.tasks());
    s.insert(QStringLiteral("next.time"),
             next.second < 0 ? QString() : formatClock(QTime(0, 0).addSecs(next.second)));
    s.insert(QStringLiteral("next.task"), next.title);
    return s;
}

// --- org.mpris.MediaPlayer2.Player -------------------------------------------

int RemoteFacade::shownPlayer() const {
    PlayerControl &players = m_controller.players();
    const int sounding = players.soundingPlayer();
    return sounding >= 0 ? sounding : players.activePlayer();
}

QString RemoteFacade::playbackStatus() {
    // What the play button shows.
    const int tag = readNumber(m_controller.display().playTag);
    return tag == kTagPlaying ? kPlaying : tag == kTagPaused ? kPaused : kStopped;
}

QVariantMap RemoteFacade::metadata() {
    const int index = shownPlayer();
    if (index < 0)
        return {};
    PlayerControl &players = m_controller.players();
    const Task &task = players.PlayingTasks[index];
    const Media media = players.Players[index]->currentMedia();
    if (media.sourceURL.isEmpty())
        return {};
    QVariantMap m;
    // One id per entry of each pass's playlist: a repeated song is a new track.
    m.insert(QStringLiteral("mpris:trackid"), QStringLiteral("/org/kolva/Scheduler/track/%1_%2_%3")
                                                  .arg(index)
                                                  .arg(media.playlistId)
                                                  .arg(qMax(0, media.index)));
    if (media.duration > 0)
        m.insert(QStringLiteral("mpris:length"), qint64(media.duration * 1e6));
    m.insert(QStringLiteral("xesam:title"), QFileInfo(media.sourceURL).fileName());
    m.insert(QStringLiteral("xesam:album"), regionTitle(task));
    m.insert(QStringLiteral("xesam:artist"), QStringList{task.Title});
    m.insert(QStringLiteral("xesam:url"), QUrl::fromLocalFile(media.sourceURL).toString());
    return m;
}

qint64 RemoteFacade::positionUs() {
    const int index = shownPlayer();
    return index < 0 ? 0 : qint64(m_controller.players().Players[index]->currentPosition() * 1e6);
}

double RemoteFacade::volume() {
    const int index = shownPlayer();
    const int percent =
        index < 0 ? m_controller.display().volume : m_controller.players().Players[index]->volume();
    return percent / 100.0;
}

void RemoteFacade::setVolume(double volume) {
    m_controller.volumeClicked(qBound(0.0, volume, 1.0)); // as the volume bar
}

void RemoteFacade::playPause() {
    const int tag = freshPlayTag();
    if (tag == kTagPlaying || tag == kTagPaused)
        pressPlayButton();
}

// --- Signals -----------------------------------------------------------------

void RemoteFacade::onHistoryLine(const QString &line) {
    // "stamp<TAB>event<TAB>title<TAB>detail"
    const QStringList f = line.split(QLatin1Char('\t'));
    if (f.size() < 4)
        return;
    const QString &event = f[1];
    const QString &title = f[2];
    const QString &detail = f[3];
    if (m_pending.pending && event == PlayHistory::PlayedOut && detail == kNoRegions &&
        title == m_pending.title) {
        // A task without regions: started and over at once, nothing replaced.
        m_pending.pending = false;
        emit taskStarted(title, m_pending.player);
        emit taskEnded(title, event);
        return;
    }
    flushPendingStart();
    if (event == PlayHistory::Started) {
        // Written before the task takes its player, so the insert player
        // still shows what the new task may replace.
        const PlayerControl &players = m_controller.players();
        m_pending = PendingStart{};
        m_pending.pending = true;
        m_pending.title = title;
        m_pending.player = detail.section(QLatin1Char(' '), 0, 0);
        m_pending.replacedWasBusy = m_pending.player == playerName(PlayerControl::InsertPlayer) &&
                                    players.PlayerBusy[PlayerControl::InsertPlayer] == 1;
        m_pending.replaced = players.PlayingTasks[PlayerControl::InsertPlayer].Title;
        QTimer::singleShot(0, this, &RemoteFacade::flushPendingStart);
    } else if (event == PlayHistory::PlayedOut || event == PlayHistory::LimitReached ||
               event == PlayHistory::StoppedByUser) {
        emit taskEnded(title, event);
    }
}

void RemoteFacade::flushPendingStart() {
    if (!m_pending.pending)
        return;
    m_pending.pending = false;
    if (m_pending.replacedWasBusy)
        emit taskEnded(m_pending.replaced, Replaced);
    emit taskStarted(m_pending.title, m_pending.player);
}

void RemoteFacade::checkPlayerProperties() {
    QStringList changed;
    const QString status = playbackStatus();
    if (status != m_lastStatus) {
        m_lastStatus = status;
        changed << QStringLiteral("PlaybackStatus");
    }
    const QVariantMap meta = metadata();
    if (meta != m_lastMetadata) {
        m_lastMetadata = meta;
        changed << QStringLiteral("Metadata");
    }
    const double vol = volume();
    if (vol != m_lastVolume) {
        m_lastVolume = vol;
        changed << QStringLiteral("Volume");
    }
    if (!changed.isEmpty())
        emit playerPropertiesChanged(changed);
}

} // namespace kolva
