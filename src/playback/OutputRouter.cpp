#include "playback/OutputRouter.h"

#include <QStringList>

#include "base/PlayHistory.h"
#include "playback/MediaPlayer.h"
#include "playback/OutputDevices.h"

namespace kolva {

OutputRouter::OutputRouter(OutputDeviceList &devices, MediaPlayer *mainPlayer,
                           MediaPlayer *insertPlayer, QObject *parent)
    : QObject(parent), m_devices(devices) {
    m_players[0].player = mainPlayer;
    m_players[1].player = insertPlayer;
    connect(&m_devices, &OutputDeviceList::changed, this, &OutputRouter::applyAll);
}

QString OutputRouter::fallbackText(const QString &description) {
    return QStringLiteral("声音输出设备「%1」不在，已改用系统默认输出").arg(description);
}

QString OutputRouter::waitingText(const QString &description) {
    return QStringLiteral("声音输出设备「%1」不在，正在等待").arg(description);
}

void OutputRouter::setProgramOutput(const QString &device, bool fallBackToDefault) {
    m_programDevice = device;
    m_fallBack = fallBackToDefault;
    applyAll();
}

QString OutputRouter::startDetail(const QString &taskDevice) const {
    const QString device = taskDevice.isEmpty() ? m_programDevice : taskDevice;
    return device.isEmpty() ? QString()
                            : QStringLiteral(" 设备「%1」").arg(m_devices.describe(device));
}

bool OutputRouter::soundsApart(const QString &taskDevice) const {
    const Player &main = m_players[0];
    const QString device = taskDevice.isEmpty() ? m_programDevice : taskDevice;
    return main.busy && main.route == Route::Chosen && !main.wanted.isEmpty() &&
           !device.isEmpty() && device != main.wanted && m_devices.isPresent(device);
}

void OutputRouter::taskStarted(int index, const QString &title, const QString &taskDevice) {
    Player &p = m_players[index];
    p.busy = true;
    p.title = title;
    p.taskDevice = taskDevice;
    // A new task: its route is its own (no "back" for what the last one had).
    p.wanted = taskDevice.isEmpty() ? m_programDevice : taskDevice;
    p.route = Route::Chosen;
    apply(index);
    updateMessage();
}

void OutputRouter::playerFreed(int index) {
    Player &p = m_players[index];
    p.busy = false;
    p.taskDevice.clear();
    apply(index);
    updateMessage();
}

void OutputRouter::applyAll() {
    apply(0);
    apply(1);
    updateMessage();
}

void OutputRouter::apply(int index) {
    Player &p = m_players[index];
    if (!p.player)
        return;
    const QString wanted = p.busy && !p.taskDevice.isEmpty() ? p.taskDevice : m_programDevice;
    if (wanted != p.wanted) {
        p.wanted = wanted;
        p.route = Route::Chosen;
    }
    Route route = Route::Chosen;
    QString target = wanted;
    if (!wanted.isEmpty() && !m_devices.isPresent(wanted)) {
        route = m_fallBack ? Route::FallenBack : Route::Waiting;
        if (m_fallBack)
            target.clear();
    }
    if (p.busy && route != p.route && m_history) {
        const QString description = m_devices.describe(wanted);
        if (route == Route::FallenBack)
            m_history->append(PlayHistory::OutputFallback, p.title, fallbackText(description));
        else if (route == Route::Waiting)
            m_history->append(PlayHistory::OutputWaiting, p.title, waitingText(description));
        else
            m_history->append(PlayHistory::OutputBack, p.title,
                              QStringLiteral("声音输出设备「%1」").arg(description));
    }
    p.route = route;
    // Also when unchanged: a player waiting silently tries the device again.
    p.player->setOutputDevice(target);
}

void OutputRouter::updateMessage() {
    QStringList parts;
    for (const Player &p : m_players) {
        if (!p.busy || p.route == Route::Chosen)
            continue;
        const QString description = m_devices.describe(p.wanted);
        const QString text =
            p.route == Route::FallenBack ? fallbackText(description) : waitingText(description);
        if (!parts.contains(text))
            parts << text;
    }
    const QString message = parts.join(QStringLiteral("；"));
    if (message == m_message)
        return;
    m_message = message;
    emit messageChanged();
}

} // namespace kolva
