#pragma once
// What the program offers to other programs of the user's desktop session:
// the requests of the bus service org.kolva.Scheduler (scripts, the command
// line of a second start) and of its MPRIS player (media keys, the panel's
// sound menu, playerctl). The bus adaptors (platform) call this interface; the
// main window's logic implements it (app/RemoteFacade), turning each request
// into the intent of the window's own control. The names of the service and
// the reply a client gets are here too, so the service and its client agree.
//
// Thread: UI thread (the bus delivers its calls there).

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

namespace kolva {

namespace remote {
inline const QString ServiceName = QStringLiteral("org.kolva.Scheduler");
inline const QString ObjectPath = QStringLiteral("/org/kolva/Scheduler");
inline const QString InterfaceName = QStringLiteral("org.kolva.Scheduler1");
// The error of a refused request; its message is the Chinese text to show.
inline const QString RefusedError = QStringLiteral("org.kolva.Scheduler1.Error.Refused");
inline const QString MprisServiceName = QStringLiteral("org.mpris.MediaPlayer2.kolva");
inline const QString MprisObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
} // namespace remote

// What a client of the service got back.
struct RemoteReply {
    enum Kind {
        Done,       // the running copy did it; value holds the method's result
        Refused,    // it said no; message tells why
        NotRunning, // no copy holds the service
        NoBus,      // no session bus to ask on
    };
    Kind kind = Done;
    QVariant value;
    QString message;
};

class RemoteControl : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~RemoteControl() override = default;

    // --- org.kolva.Scheduler1 ------------------------------------------------
    // Each returns the refusal to show, empty when the request was carried out.
    // The task whose title is the text (the first in list order), else whose
    // TaskID it is, played at once; false when there is none.
    virtual bool playTask(const QString &titleOrId) = 0;
    virtual QString stop() = 0;
    virtual QString pause() = 0;
    virtual QString resume() = 0;
    virtual QString reload() = 0;
    virtual QString setSchedule(bool on) = 0;
    // Keys: "schedule" (bool); for "main" and "insert": ".state" ("Playing",
    // "Paused", "Stopped"), ".task", ".region", ".song" (the file) and
    // ".position" (seconds); "next.time" ("HH:MM:SS", empty when no task is
    // left today) and "next.task".
    virtual QVariantMap status() = 0;

    // --- org.mpris.MediaPlayer2.Player --------------------------------------
    virtual QString playbackStatus() = 0; // "Playing", "Paused", "Stopped"
    // mpris:trackid (as text: an object path), mpris:length (microseconds),
    // xesam:title, xesam:album, xesam:artist (a list), xesam:url; empty when
    // nothing plays.
    virtual QVariantMap metadata() = 0;
    virtual qint64 positionUs() = 0;
    virtual double volume() = 0; // 0..1
    virtual void setVolume(double volume) = 0;
    virtual void playPause() = 0;

signals:
    // player: "主播" or "插播".
    void taskStarted(const QString &title, const QString &player);
    // how: "播完", "到时停止", "手动停止" or "被替换" (an insert that a new
    // insert took the place of).
    void taskEnded(const QString &title, const QString &how);
    // Names of the MPRIS player properties whose values changed
    // ("PlaybackStatus", "Metadata", "Volume").
    void playerPropertiesChanged(const QStringList &names);
};

} // namespace kolva
