#include "playback/OutputDevices.h"

namespace kolva {

bool OutputDeviceList::isPresent(const QString &name) const {
    for (const OutputDevice &d : m_devices) {
        if (d.name == name)
            return true;
    }
    return false;
}

QString OutputDeviceList::describe(const QString &name) const {
    const QString seen = m_seen.value(name);
    return seen.isEmpty() ? name : seen;
}

void OutputDeviceList::setDevices(QVector<OutputDevice> devices) {
    for (const OutputDevice &d : devices) {
        if (!d.description.isEmpty())
            m_seen.insert(d.name, d.description);
    }
    if (devices == m_devices)
        return;
    m_devices = std::move(devices);
    emit changed();
}

void OutputDeviceList::remember(const QString &name, const QString &description) {
    if (!name.isEmpty() && !description.isEmpty() && !isPresent(name))
        m_seen.insert(name, description);
}

} // namespace kolva
