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
QString playerName(int index) {
    return index == PlayerControl::MainPlayer ? QStringLiteral("主播") : QStringLiteral("插播");
}

QString regionTitle(const PlayingTask &playing) {
    const int pos = playing.CurrentRegion;
    return pos >= 0 && pos < playing.task.Regions.size() ? playing.task.Regions[pos].Title
                                                         : QString();
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
    // The schedule's stop of both players, written to the history the same
    // way, but the schedule stays on for the bells to come.
    m_controller.schedule().stopPlayersByUser();
    m_controller.timerPositionTick();
    return {};
}

TransportAction RemoteFacade::freshTransport() {
    m_controller.timerPositionTick();
    return m_controller.display().playTransport;
}

QString RemoteFacade::pressPlayButtonFor(TransportAction wanted, const QString &refusal) {
    const TransportAction shown = freshTransport();
    if (shown == wanted)
        return {}; // already so: a second pause must not resume
    if (shown == TransportAction::None)
        return refusal;
    pressPlayButton();
    return {};
}

void RemoteFacade::pressPlayButton() {
    m_controller.cmdPlayClicked();
    m_controller.timerPositionTick(); // the button and the MPRIS status at once
}

QString RemoteFacade::pause() {
    // Paused: the button then offers to resume.
    return pressPlayButtonFor(TransportAction::Resume, NothingPlaying);
}

QString RemoteFacade::resume() {
    return pressPlayButtonFor(TransportAction::Pause, NothingPaused);
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
    m_controller.picDingShiClicked(on ? 0 : 1); // returns at once: nothing waits
    return {};
}

QVariantMap RemoteFacade::status() {
    QVariantMap s;
    s.insert(QStringLiteral("schedule"), m_controller.scheduleOn());
    PlayerControl &players = m_controller.players();
    for (int index : {PlayerControl::MainPlayer, PlayerControl::InsertPlayer}) {
        const QString prefix = index == PlayerControl::MainPlayer ? QStringLiteral("main.")
                                                                  : QStringLiteral("insert.");
        const bool busy = players.slot(index).busy();
        const MediaPlayer *player = players.Players[index];
        const PlayingTask &playing = players.slot(index).playing();
        const QString state = !busy                                      ? kStopped
                              : player->playState() == PlayState::Paused ? kPaused
                                                                         : kPlaying;
        s.insert(prefix + QStringLiteral("state"), state);
        s.insert(prefix + QStringLiteral("task"), busy ? playing.task.Title : QString());
        s.insert(prefix + QStringLiteral("region"), busy ? regionTitle(playing) : QString());
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
    switch (m_controller.display().playTransport) {
    case TransportAction::Pause:
        return kPlaying;
    case TransportAction::Resume:
        return kPaused;
    default:
        return kStopped;
    }
}

QVariantMap RemoteFacade::metadata() {
    const int index = shownPlayer();
    if (index < 0)
        return {};
    PlayerControl &players = m_controller.players();
    const PlayingTask &playing = players.slot(index).playing();
    const Task &task = playing.task;
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
    m.insert(QStringLiteral("xesam:album"), regionTitle(playing));
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
    if (freshTransport() != TransportAction::None)
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
                                    players.slot(PlayerControl::InsertPlayer).busy();
        m_pending.replaced = players.playingTask(PlayerControl::InsertPlayer).Title;
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
