#include "platform/RemoteBusService.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QVariantMap>

#include "Version.h"
#include "playback/RemoteControl.h"

namespace kolva {

namespace {

const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

// The facade's metadata with the track id as the object path MPRIS asks for.
QVariantMap busMetadata(RemoteControl &control) {
    QVariantMap m = control.metadata();
    const QString key = QStringLiteral("mpris:trackid");
    if (m.contains(key))
        m.insert(key, QVariant::fromValue(QDBusObjectPath(m.value(key).toString())));
    return m;
}

} // namespace

// org.kolva.Scheduler1 at /org/kolva/Scheduler.
class SchedulerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kolva.Scheduler1")
public:
    // bus: the connection the service is registered on (outlives the adaptor).
    SchedulerAdaptor(QObject *holder, RemoteControl &control, const QDBusConnection &bus)
        : QDBusAbstractAdaptor(holder), m_control(control), m_bus(bus) {
        connect(&control, &RemoteControl::taskStarted, this, &SchedulerAdaptor::TaskStarted);
        connect(&control, &RemoteControl::taskEnded, this, &SchedulerAdaptor::TaskEnded);
    }

public slots:
    bool PlayTask(const QString &titleOrId) { return m_control.playTask(titleOrId); }
    void Stop(const QDBusMessage &call) { refuse(call, m_control.stop()); }
    void Pause(const QDBusMessage &call) { refuse(call, m_control.pause()); }
    void Resume(const QDBusMessage &call) { refuse(call, m_control.resume()); }
    void Reload(const QDBusMessage &call) { refuse(call, m_control.reload()); }
    void SetSchedule(bool on, const QDBusMessage &call) { refuse(call, m_control.setSchedule(on)); }
    QVariantMap Status() { return m_control.status(); }

signals:
    void TaskStarted(const QString &title, const QString &player);
    void TaskEnded(const QString &title, const QString &how);

private:
    // The refusal goes back as the call's error reply; without one the
    // normal (empty) reply goes out.
    void refuse(const QDBusMessage &call, const QString &refusal) {
        if (refusal.isEmpty())
            return;
        call.setDelayedReply(true);
        m_bus.send(call.createErrorReply(remote::RefusedError, refusal));
    }

    RemoteControl &m_control;
    const QDBusConnection &m_bus;
};

// org.mpris.MediaPlayer2 at /org/mpris/MediaPlayer2.
class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ no)
    Q_PROPERTY(bool CanRaise READ no)
    Q_PROPERTY(bool HasTrackList READ no)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ none)
    Q_PROPERTY(QStringList SupportedMimeTypes READ none)
public:
    explicit MprisRootAdaptor(QObject *holder) : QDBusAbstractAdaptor(holder) {}
    bool no() const { return false; }
    QString identity() const { return QStringLiteral(KOLVA_TITLE); }
    QString desktopEntry() const { return QStringLiteral("kolva"); } // kolva.desktop
    QStringList none() const { return {}; }

public slots:
    // The window stays where the user put it; the program ends only from it.
    void Raise() {}
    void Quit() {}
};

// org.mpris.MediaPlayer2.Player at /org/mpris/MediaPlayer2: play, pause and
// stop what the schedule plays; nothing to skip to and no seeking.
class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ one WRITE setRate)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(double MinimumRate READ one)
    Q_PROPERTY(double MaximumRate READ one)
    Q_PROPERTY(bool CanGoNext READ no)
    Q_PROPERTY(bool CanGoPrevious READ no)
    Q_PROPERTY(bool CanPlay READ yes)
    Q_PROPERTY(bool CanPause READ yes)
    Q_PROPERTY(bool CanSeek READ no)
    Q_PROPERTY(bool CanControl READ yes)
public:
    MprisPlayerAdaptor(QObject *holder, RemoteControl &control)
        : QDBusAbstractAdaptor(holder), m_control(control) {}
    QString playbackStatus() const { return m_control.playbackStatus(); }
    QVariantMap metadata() const { return busMetadata(m_control); }
    double volume() const { return m_control.volume(); }
    void setVolume(double volume) { m_control.setVolume(volume); }
    qlonglong position() const { return m_control.positionUs(); }
    double one() const { return 1.0; }
    void setRate(double) {} // only 1.0 is offered
    bool yes() const { return true; }
    bool no() const { return false; }

public slots:
    void Next() {}
    void Previous() {}
    void Pause() { m_control.pause(); } // nothing playing: no effect, as MPRIS wants
    void PlayPause() { m_control.playPause(); }
    void Stop() { m_control.stop(); }
    void Play() { m_control.resume(); }
    void Seek(qlonglong) {}
    void SetPosition(const QDBusObjectPath &, qlonglong) {}
    void OpenUri(const QString &) {}

signals:
    void Seeked(qlonglong position);

private:
    RemoteControl &m_control;
};

RemoteBusService::RemoteBusService(RemoteControl &control, QObject *parent)
    : QObject(parent), m_control(control) {
    // Made once: the objects are registered and unregistered with them.
    new SchedulerAdaptor(&m_scheduler, m_control, m_bus);
    new MprisRootAdaptor(&m_mpris);
    new MprisPlayerAdaptor(&m_mpris, m_control);
    connect(&control, &RemoteControl::playerPropertiesChanged, this,
            &RemoteBusService::announcePlayerProperties);
}

RemoteBusService::~RemoteBusService() {
    unregister();
}

bool RemoteBusService::registerOn(const QDBusConnection &bus, QString *error) {
    unregister();
    const auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        unregister();
        return false;
    };
    if (!bus.isConnected())
        return fail(QStringLiteral("没有会话总线：%1").arg(bus.lastError().message()));
    m_bus = bus;
    m_registered = true;
    if (!m_bus.registerObject(remote::ObjectPath, &m_scheduler, QDBusConnection::ExportAdaptors) ||
        !m_bus.registerObject(remote::MprisObjectPath, &m_mpris, QDBusConnection::ExportAdaptors))
        return fail(
            QStringLiteral("无法在会话总线上注册对象：%1").arg(m_bus.lastError().message()));
    // Names are taken, not queued: a second copy from another folder must not
    // take over the first one's requests when the first ends.
    QDBusConnectionInterface *names = m_bus.interface();
    const auto take = [&](const QString &name) {
        return names && names->registerService(name, QDBusConnectionInterface::DontQueueService,
                                               QDBusConnectionInterface::DontAllowReplacement)
                                .value() == QDBusConnectionInterface::ServiceRegistered;
    };
    if (!take(remote::ServiceName))
        return fail(QStringLiteral("会话总线上的 %1 已被另一个程序占用").arg(remote::ServiceName));
    take(remote::MprisServiceName);
    return true;
}

void RemoteBusService::unregister() {
    if (!m_registered)
        return;
    m_registered = false;
    if (m_bus.isConnected()) {
        m_bus.unregisterService(remote::MprisServiceName);
        m_bus.unregisterService(remote::ServiceName);
        m_bus.unregisterObject(remote::MprisObjectPath);
        m_bus.unregisterObject(remote::ObjectPath);
    }
}

void RemoteBusService::announcePlayerProperties(const QStringList &names) {
    if (!m_registered)
        return;
    QVariantMap changed;
    for (const QString &name : names) {
        if (name == QLatin1String("PlaybackStatus"))
            changed.insert(name, m_control.playbackStatus());
        else if (name == QLatin1String("Metadata"))
            changed.insert(name, busMetadata(m_control));
        else if (name == QLatin1String("Volume"))
            changed.insert(name, m_control.volume());
    }
    QDBusMessage signal = QDBusMessage::createSignal(
        remote::MprisObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    m_bus.send(signal);
}

} // namespace kolva

#include "RemoteBusService.moc"
