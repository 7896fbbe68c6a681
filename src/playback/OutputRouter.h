#pragma once
// Which output device each player plays on, and what happens when it is not
// there. A task plays on its own device (Task::Device) when it names one,
// else on the program-wide choice ("声音输出"; "" = the system default). A
// wanted device that is missing when the task starts, or that goes away
// while it plays, is replaced by the system default when the fallback is on
// (the task goes on at its position), or waited for (the player plays
// silently and tries it again) when it is off. When the device comes back,
// the player returns to it at its position. Each change of a playing task's
// route is a history event of its own and a message for the error line and
// the tray, which clears when every playing task is on its device again.
// An insert on another device than the main task's sounds beside it (zones):
// PlayerControl asks soundsApart before it pauses the main task.
//
// The router only decides; the players do (MediaPlayer::setOutputDevice).
// PlayerControl tells it when a task starts or leaves a player; the device
// list tells it when devices come and go.
//
// Thread: UI thread.

#include <QObject>
#include <QString>
#include <array>

namespace kolva {

class MediaPlayer;
class OutputDeviceList;
class PlayHistory;

class OutputRouter : public QObject {
    Q_OBJECT
public:
    enum class Route {
        Chosen,     // on the device it wants (or the system default)
        FallenBack, // the wanted device is missing: on the system default
        Waiting,    // the wanted device is missing: silent, waiting for it
    };

    OutputRouter(OutputDeviceList &devices, MediaPlayer *mainPlayer, MediaPlayer *insertPlayer,
                 QObject *parent = nullptr);

    void setHistory(PlayHistory *history) { m_history = history; }

    // The program-wide choice; every player follows it at once (a task with
    // a device of its own stays there).
    void setProgramOutput(const QString &device, bool fallBackToDefault);
    const QString &programDevice() const { return m_programDevice; }
    bool fallBackToDefault() const { return m_fallBack; }

    // What the history's 开始 line adds for a task: " 设备「描述」" when it
    // does not play on the system default, else "".
    QString startDetail(const QString &taskDevice) const;
    // True when a task with this device, starting as an insert, would play
    // on another device than the main task: both are heard at once (zones,
    // another room), so the main task need not wait. Both devices named and
    // there now; the system default may be either of them, so never it.
    bool soundsApart(const QString &taskDevice) const;
    // A task begins on player `index` (before its first entry opens).
    void taskStarted(int index, const QString &title, const QString &taskDevice);
    // The player holds no task any more: it follows the program's choice.
    void playerFreed(int index);

    Route route(int index) const { return m_players[index].route; }
    // The device player `index` wants ("" = the system default).
    QString wantedDevice(int index) const { return m_players[index].wanted; }
    // What the error line and the tray say ("" when every playing task is
    // on the device it wants).
    const QString &message() const { return m_message; }

    static QString fallbackText(const QString &description);
    static QString waitingText(const QString &description);

signals:
    void messageChanged();

private:
    struct Player {
        MediaPlayer *player = nullptr;
        bool busy = false;
        QString title;
        QString taskDevice;
        QString wanted;
        Route route = Route::Chosen;
    };

    void apply(int index);
    void applyAll();
    void updateMessage();

    OutputDeviceList &m_devices;
    PlayHistory *m_history = nullptr;
    std::array<Player, 2> m_players;
    QString m_programDevice;
    bool m_fallBack = true;
    QString m_message;
};

} // namespace kolva
