#pragma once
// The requests of other programs (the bus service and its MPRIS player) as
// the intents of the main window's controls: playing a task is a click on its
// title in the detail view, pause and resume are the play button, reload is
// what follows the task editor's close, the schedule switch is the picture
// pair. Stop silences both players as the schedule's stop-all does, but leaves
// the schedule on: a media key or a script that stops a bell must not keep
// tomorrow's bells from ringing. Answers and signals are built from the
// controller's state (its players, schedule and display).
//
// TaskStarted and TaskEnded follow the play history: every start and end of a
// task is written there first (开始, 播完, 到时停止, 手动停止). An insert that a
// new insert replaces is written nowhere; its end is told as "被替换" when the
// new task's start turns out to have taken the insert player.
//
// Thread: UI thread.

#include <QString>
#include <QVariantMap>

#include "playback/RemoteControl.h"
#include "scheduler/PlaybackDisplay.h"

namespace kolva {

class MainController;
struct Task;

class RemoteFacade final : public RemoteControl {
    Q_OBJECT
public:
    explicit RemoteFacade(MainController &controller, QObject *parent = nullptr);

    bool playTask(const QString &titleOrId) override;
    QString stop() override;
    QString pause() override;
    QString resume() override;
    QString reload() override;
    QString setSchedule(bool on) override;
    QVariantMap status() override;

    QString playbackStatus() override;
    QVariantMap metadata() override;
    qint64 positionUs() override;
    double volume() override;
    void setVolume(double volume) override;
    void playPause() override;

    // "没有名为「NAME」的任务"
    static QString noSuchTaskText(const QString &name);
    static const QString NothingPlaying; // "没有正在播放的任务"
    static const QString NothingPaused;  // "没有暂停的任务"
    static const QString Replaced;       // "被替换", the end of a replaced insert

private:
    // The first task titled so, else the one whose TaskID the text is.
    const Task *findTask(const QString &titleOrId) const;
    // What the play button does, after the display was brought up to date.
    TransportAction freshTransport();
    // Presses the play button unless it already does `wanted`; the refusal
    // when nothing plays or waits paused.
    QString pressPlayButtonFor(TransportAction wanted, const QString &refusal);
    void pressPlayButton();
    // The player whose song is shown: the one heard, else the one in charge.
    int shownPlayer() const;
    void onHistoryLine(const QString &line);
    void flushPendingStart();
    void checkPlayerProperties();

    MainController &m_controller;
    // A start seen in the history whose outcome is not known yet: a task
    // without regions ends in the same call, a real one takes its player.
    struct PendingStart {
        bool pending = false;
        QString title;
        QString player;
        QString replaced; // the insert's title when the insert player was busy
        bool replacedWasBusy = false;
    } m_pending;
    // The MPRIS values last announced.
    QString m_lastStatus;
    QVariantMap m_lastMetadata;
    double m_lastVolume = -1;
};

} // namespace kolva
