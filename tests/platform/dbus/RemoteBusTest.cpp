// The bus service against the controller on simulated time, on the private
// session bus of dbus-run-session (CTest starts this binary under it): each
// method of org.kolva.Scheduler1 through the command line's own client, the
// signals, the MPRIS player as playerctl sees it, and the shipped
// introspection file against what the service says of itself.

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QFile>
#include <QXmlStreamReader>
#include <future>
#include <gtest/gtest.h>

#include "app/MainControllerTestHarness.h"
#include "app/RemoteFacade.h"
#include "platform/RemoteBusService.h"
#include "platform/RemoteClient.h"

namespace kolva::test {

// Collects the signals another program would see.
class SignalLog : public QObject {
    Q_OBJECT
public slots:
    void onSignal(const QDBusMessage &m) {
        QStringList parts{m.member()};
        for (const QVariant &a : m.arguments())
            parts << (a.canConvert<QDBusArgument>()
                          ? qdbus_cast<QVariantMap>(a.value<QDBusArgument>()).keys().join('+')
                          : a.toString());
        parts.removeAll(QString()); // PropertiesChanged's empty list of invalidated ones
        lines << parts.join(' ');
    }

public:
    QStringList lines;
};

namespace {

constexpr int Main = PlayerControl::MainPlayer;

struct BusRig : ControllerRig {
    BusRig() {
        mainPlayer.setDefaultDuration(600);
        QString error;
        registered = service.registerOn(QDBusConnection::sessionBus(), &error);
        EXPECT_TRUE(registered) << error.toStdString();
        for (const char *name : {"TaskStarted", "TaskEnded"})
            client.connect(remote::ServiceName, remote::ObjectPath, remote::InterfaceName, name,
                           &log, SLOT(onSignal(QDBusMessage)));
        client.connect(remote::MprisServiceName, remote::MprisObjectPath,
                       "org.freedesktop.DBus.Properties", "PropertiesChanged", &log,
                       SLOT(onSignal(QDBusMessage)));
    }
    // Runs f on another thread, as another program would call, while this
    // thread serves the bus.
    template <typename F> auto fromOutside(F f) {
        auto answer = std::async(std::launch::async, f);
        while (answer.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return answer.get();
    }
    RemoteReply call(const QString &method, const QVariantList &args = {}) {
        return fromOutside([&] { return callRemote(client, method, args, 3000); });
    }
    QDBusMessage mpris(const QString &interface, const QString &member,
                       const QVariantList &args = {}) {
        QDBusMessage m = QDBusMessage::createMethodCall(remote::MprisServiceName,
                                                        remote::MprisObjectPath, interface, member);
        m.setArguments(args);
        return fromOutside([&] { return client.call(m, QDBus::Block, 3000); });
    }
    void settle() {
        run(1000);
        QCoreApplication::processEvents();
    }

    RemoteFacade remote{controller};
    RemoteBusService service{remote};
    bool registered = false;
    QDBusConnection client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "client");
    SignalLog log;
};

TEST(RemoteBus, EachSchedulerMethodReachesTheControllerAndAnswers) {
    BusRig rig;
    ASSERT_TRUE(rig.registered);
    rig.startUp({makeTask("早操", "03:00:00", {song("/m/bell.mp3")})});
    const struct {
        const char *method;
        QVariantList args;
        RemoteReply::Kind kind;
        QVariant value;       // expected value (invalid: not looked at)
        const char *mainTask; // the task on the main player afterwards ("": none)
        PlayState mainState;
    } steps[] = {
        {"Pause", {}, RemoteReply::Refused, {}, "", PlayState::Undefined},
        {"PlayTask", {"午休"}, RemoteReply::Done, false, "", PlayState::Undefined},
        {"PlayTask", {"早操"}, RemoteReply::Done, true, "早操", PlayState::Playing},
        {"Pause", {}, RemoteReply::Done, {}, "早操", PlayState::Paused},
        {"Resume", {}, RemoteReply::Done, {}, "早操", PlayState::Playing},
        {"Stop", {}, RemoteReply::Done, {}, "", PlayState::Stopped},
        {"Reload", {}, RemoteReply::Done, {}, "", PlayState::Stopped},
        {"SetSchedule", {false}, RemoteReply::Done, {}, "", PlayState::Stopped},
    };
    for (const auto &s : steps) {
        const RemoteReply reply = rig.call(s.method, s.args);
        rig.settle();
        EXPECT_EQ(reply.kind, s.kind) << s.method << " " << reply.message.toStdString();
        if (s.value.isValid()) {
            EXPECT_EQ(reply.value, s.value) << s.method;
        }
        const bool busy = rig.busy(Main) == 1;
        EXPECT_EQ(busy ? rig.players().playingTask(Main).Title : QString(), s.mainTask)
            << s.method;
        EXPECT_EQ(rig.mainPlayer.playState(), s.mainState) << s.method;
    }
    EXPECT_EQ(rig.call("Pause").message, RemoteFacade::NothingPlaying);
    EXPECT_EQ(rig.call("Status").value.toMap().value("schedule"), false);
    EXPECT_TRUE(rig.log.lines.contains("TaskStarted 早操 主播"));
    EXPECT_TRUE(rig.log.lines.contains("TaskEnded 早操 手动停止"));

    rig.service.unregister();
    EXPECT_EQ(rig.call("Status").kind, RemoteReply::NotRunning);
    const QDBusConnection nowhere =
        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), "nowhere");
    EXPECT_EQ(callRemote(nowhere, "Status", {}).kind, RemoteReply::NoBus);
}

TEST(RemoteBus, MprisPlayerShowsAndPausesWhatPlays) {
    BusRig rig;
    ASSERT_TRUE(rig.registered);
    rig.startUp({makeTask("早操", "03:00:00", {makeRegion("铃声", {{"/m/bell.mp3"}})})});
    const QString props = "org.freedesktop.DBus.Properties";
    const QString player = "org.mpris.MediaPlayer2.Player";
    const auto get = [&](const QString &interface, const QString &name) {
        return rig.mpris(props, "Get", {interface, name})
            .arguments()
            .value(0)
            .value<QDBusVariant>()
            .variant();
    };
    EXPECT_EQ(get("org.mpris.MediaPlayer2", "Identity"), "KOLVA定时播放器");
    EXPECT_EQ(get(player, "PlaybackStatus"), "Stopped");
    EXPECT_EQ(get(player, "CanPause"), true);
    EXPECT_EQ(get(player, "CanGoNext"), false);

    rig.remote.playTask("早操");
    rig.settle();
    // As playerctl reads them: the track id an object path, the artist a list.
    const QVariantMap meta =
        qdbus_cast<QVariantMap>(get(player, "Metadata").value<QDBusArgument>());
    EXPECT_TRUE(meta.value("mpris:trackid").canConvert<QDBusObjectPath>());
    EXPECT_EQ(meta.value("xesam:artist").toStringList(), QStringList{"早操"});
    EXPECT_EQ(meta.value("xesam:album"), "铃声");

    rig.log.lines.clear();
    const struct {
        const char *member;
        PlayState mainState;
        const char *status;
    } steps[] = {{"Pause", PlayState::Paused, "Paused"},
                 {"PlayPause", PlayState::Playing, "Playing"},
                 {"Stop", PlayState::Stopped, "Stopped"}};
    for (const auto &s : steps) {
        rig.mpris(player, s.member);
        EXPECT_EQ(rig.mainPlayer.playState(), s.mainState) << s.member;
        EXPECT_EQ(get(player, "PlaybackStatus"), s.status) << s.member;
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(
        rig.log.lines.contains("PropertiesChanged org.mpris.MediaPlayer2.Player PlaybackStatus"))
        << rig.log.lines.join(" | ").toStdString();
}

// "method PlayTask s -> b", "signal TaskEnded ss" of the interface, sorted.
QStringList members(const QString &xml) {
    QStringList out;
    QXmlStreamReader r(xml);
    bool inside = false;
    QString member, in, result;
    while (!r.atEnd()) {
        r.readNext();
        const QString name = r.name().toString();
        const auto attribute = [&](const char *a) { return r.attributes().value(a).toString(); };
        if (r.isStartElement() && name == "interface")
            inside = attribute("name") == remote::InterfaceName;
        else if (inside && r.isStartElement() && (name == "method" || name == "signal"))
            member = name + " " + attribute("name"), in.clear(), result.clear();
        else if (inside && r.isStartElement() && name == "arg") // Qt writes signal args "out"
            (member.startsWith("method") && attribute("direction") == "out" ? result : in) +=
                attribute("type");
        else if (inside && r.isEndElement() && (name == "method" || name == "signal"))
            out << member + " " + in + (result.isEmpty() ? "" : " -> " + result);
    }
    out.sort();
    return out;
}

TEST(RemoteBus, ShippedInterfaceFileIsWhatTheServiceOffers) {
    BusRig rig;
    ASSERT_TRUE(rig.registered);
    const QDBusMessage introspect =
        QDBusMessage::createMethodCall(remote::ServiceName, remote::ObjectPath,
                                       "org.freedesktop.DBus.Introspectable", "Introspect");
    const QString live = rig.fromOutside([&] {
        return rig.client.call(introspect, QDBus::Block, 3000).arguments().value(0).toString();
    });
    QFile shipped(KOLVA_DBUS_XML);
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    const QStringList offered = members(live);
    EXPECT_EQ(offered.size(), 9);
    EXPECT_EQ(members(QString::fromUtf8(shipped.readAll())).join('\n').toStdString(),
              offered.join('\n').toStdString());
}

} // namespace
} // namespace kolva::test

#include "RemoteBusTest.moc"
